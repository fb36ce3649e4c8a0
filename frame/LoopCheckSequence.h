#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "frame/LoopCheckVerdict.h"
#include "host/LoopCheckRecord.h"

namespace frame {

/// A channel to check: its number (1 to 4), tag and span.
struct LoopCheckChannel {
    int channel = 1;
    QString tag;
    ChannelSpan span;
};

/// What a loop check does: the channels, the test points in percent of each
/// channel's span, the tolerance in percent of the span, the settling time after a
/// signal is applied and how many reads make the mean of a point.
struct LoopCheckPlan {
    static constexpr double kDefaultTolerancePercent = 0.5;
    static constexpr int kDefaultReadsPerPoint = 3;
    static constexpr int kBaseSettleMs = 3000;

    QList<LoopCheckChannel> channels;
    QList<double> points = {0.0, 25.0, 50.0, 75.0, 100.0};
    double tolerancePercent = kDefaultTolerancePercent;
    int settleMs = defaultSettleMs(500);
    int readsPerPoint = kDefaultReadsPerPoint;
    QString user;

    /// 3 s and two read periods: the last read before the signal settled is over
    /// and its answer is in before the first read that counts goes out.
    static int defaultSettleMs(int readPeriodMs) { return kBaseSettleMs + 2 * readPeriodMs; }
    /// Test points from a text such as "0; 25; 50" (separated by ';', blanks or, in
    /// the C locale, ','); each must lie within 0 to 100. Empty with @p errorText
    /// when the text holds anything else or no point.
    static QList<double> parsePoints(const QString& text, QString* errorText);
};

/// The steps of a loop check without the connection: for each channel and test
/// point it asks for the signal (signalWanted), waits the settling time once the
/// signal is applied (confirmSignal), then takes readsPerPoint readings of the
/// channel from the value telegrams it is given (addReadings) and judges the point.
/// Readings that arrive while it waits for the signal or settles are not used.
/// After the last point it hands over one result per channel (completed).
class LoopCheckSequence : public QObject {
    Q_OBJECT

public:
    enum class Stage { Idle, WaitingForSignal, Settling, Reading, Completed, Cancelled };
    Q_ENUM(Stage)

    explicit LoopCheckSequence(LoopCheckPlan plan, QObject* parent = nullptr);

    const LoopCheckPlan& plan() const { return m_plan; }
    Stage stage() const { return m_stage; }
    /// The channel and test point under way (valid from start() to the end).
    const LoopCheckChannel& currentChannel() const { return m_plan.channels.at(m_channelIndex); }
    double currentPercent() const { return m_plan.points.at(m_pointIndex); }
    /// The results so far, one per channel begun.
    const QList<host::LoopCheckResult>& results() const { return m_results; }

    /// Asks for the first signal; a plan without channels or points completes at once.
    void start();
    /// The signal of the current point is applied: the settling time starts.
    void confirmSignal();
    /// One value telegram: a reading per channel, channel 1 first.
    void addReadings(const QList<LoopCheckReading>& readings);
    /// Ends the check; no further signal is asked for and nothing is judged.
    void cancel();

signals:
    void signalWanted(const frame::LoopCheckChannel& channel, double percent, double expected);
    void pointJudged(const frame::LoopCheckChannel& channel, const host::LoopCheckPoint& point);
    void completed(const QList<host::LoopCheckResult>& results);

private:
    void askForSignal();
    void settled();
    void advance();

    LoopCheckPlan m_plan;
    Stage m_stage = Stage::Idle;
    int m_channelIndex = 0;
    int m_pointIndex = 0;
    QList<LoopCheckReading> m_readings;
    QList<host::LoopCheckResult> m_results;
    QTimer m_settle;
};

}  // namespace frame
