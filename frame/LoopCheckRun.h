#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>

#include "frame/LoopCheckSequence.h"
#include "host/SimulatedStation.h"

namespace host {
class Station;
}

namespace frame {

class LoopCheckSession;
class OpenPage;

/// One loop check of one module: a LoopCheckSequence fed by the value telegrams of
/// its own online session (a LoopCheckSession opened on the module's host DTM like
/// any page, released like any page), the results stored in the project and
/// reported to the audit trail.
///
/// Choices, each so that the engineer is never left with a half-done state:
///  - The check forces nothing; it only reads. Cancel stops the sequence at once and
///    releases the session, which disconnects; finished() comes when the session
///    has released (or the frame gave up on it and closed its connection).
///  - A connection the station drops, or a connect that fails, ends the check with
///    a message in words; no new connection is made behind the engineer's back.
///  - Only a check that judged every point is stored: each checked channel's result
///    replaces that channel's earlier one in the project (the report shows the
///    latest per channel); the trail gets one entry per channel. A cancelled or
///    broken check stores nothing; its connect and disconnect are in the trail.
///  - With the simulated station as signal source ("set the station's input for
///    me") the run sets each checked channel's input to the test point itself and
///    puts back the signals the channels had before, whichever way the check ends.
class LoopCheckRun : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Completed, Cancelled, ConnectionLost, ConnectFailed };
    Q_ENUM(Outcome)

    LoopCheckRun(host::Station& station, int slot, LoopCheckPlan plan, QObject* parent = nullptr);
    ~LoopCheckRun() override;

    /// The channels of the module in @p slot of @p station, with tags and spans (in
    /// percent with @p inPercent); empty when there is no such module.
    static QList<LoopCheckChannel> channelsOf(const host::Station& station, int slot, bool inPercent);

    /// Sets the inputs of the simulated station instead of asking the engineer.
    void setSignalSource(host::SimulatedStation* station) { m_signalSource = station; }
    /// Time between reads of the session (default the read cycle's).
    void setReadPeriod(int msecs) { m_readPeriodMs = msecs; }
    /// How long the session may take to release before its connection is closed for it.
    void setReleaseGrace(int msecs) { m_releaseGraceMs = msecs; }

    /// Opens the session; false (and message()) when the module has no host DTM.
    bool start();
    /// The engineer has applied the signal the last prompt asked for.
    void confirmSignal();
    /// Ends the check now; nothing is stored.
    void cancel();

    const LoopCheckSequence& sequence() const { return *m_sequence; }
    bool isRunning() const { return m_running; }
    bool isFinished() const { return m_finished; }
    Outcome outcome() const { return m_outcome; }
    /// Why the check ended early, or why its results could not be stored; empty otherwise.
    QString message() const { return m_message; }
    LoopCheckSession* session() const;
    int slot() const { return m_slot; }

signals:
    /// The engineer is to apply @p expected (in the channel's unit) at the channel's terminals.
    void signalWanted(const frame::LoopCheckChannel& channel, double percent, double expected);
    /// The signal is set or confirmed; the settling time runs.
    void settling(int msecs);
    void pointJudged(const frame::LoopCheckChannel& channel, const host::LoopCheckPoint& point);
    /// The check is over and its session released.
    void finished(frame::LoopCheckRun::Outcome outcome);

private:
    void onCompleted(const QList<host::LoopCheckResult>& results);
    void end(Outcome outcome, const QString& message);
    void sessionReleased();
    void restoreSignals();

    host::Station& m_station;
    const int m_slot;
    std::unique_ptr<LoopCheckSequence> m_sequence;
    std::unique_ptr<OpenPage> m_page;
    QPointer<host::SimulatedStation> m_signalSource;
    std::map<int, host::ChannelSignal> m_savedSignals;
    int m_readPeriodMs = 0;
    int m_releaseGraceMs = 5000;
    bool m_running = false;
    bool m_ending = false;
    bool m_finished = false;
    Outcome m_outcome = Outcome::Cancelled;
    QString m_message;
};

}  // namespace frame
