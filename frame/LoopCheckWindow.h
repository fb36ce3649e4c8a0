#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "frame/LoopCheckRun.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace host {
class CommunicationService;
class SimulatedStation;
class Station;
}  // namespace host

namespace frame {

/// The loop check text of a point's reason code ("deviation", "invalid", ...), in
/// the frame's language; "passed" for an empty code.
QString loopCheckVerdictText(const QString& reason);

/// The "Loop check…" window of one module: the engineer picks the channels, the
/// test points, the tolerance, the settling time and the reads per point, starts
/// the check, applies each signal the window asks for (or lets the simulated
/// station's input be set) and sees each point's verdict as it is judged. The
/// table shows the latest stored results when the window opens.
///
/// Choices:
///  - Closing the window during a check cancels it; the window closes once the
///    session has released, so no connection stays open behind a closed window.
///  - The settings cannot be changed while a check runs; Continue is usable only
///    while the window waits for a signal.
///  - Test points outside 0 to 100 % or a text that is no list of numbers do not
///    start a check; the window says which entry it could not take.
///  - Like a page, an open window keeps the language it was opened in (its prompts
///    and verdicts stay in one language while a check runs); opened again it
///    follows the frame's language.
class LoopCheckWindow : public QWidget {
    Q_OBJECT

public:
    /// @p simulation, when given, offers "Set the station's input for me".
    LoopCheckWindow(host::Station& station, int slot, host::SimulatedStation* simulation,
                    QWidget* parent = nullptr);
    ~LoopCheckWindow() override;

    int slot() const { return m_slot; }
    /// Starts a check with the settings shown; false (with the reason shown) when
    /// the settings do not make a check or a check runs already.
    bool startCheck();
    /// The engineer has applied the signal asked for.
    void continueCheck();
    void cancelCheck();
    LoopCheckRun* run() const { return m_run.get(); }
    /// Time between two reads of the session (tests read faster); 0: the read cycle's.
    void setReadPeriod(int msecs) { m_readPeriodMs = msecs; }
    /// The status line (the last message of a check).
    QString statusText() const;
    /// The table of results, for tests and the screenshot.
    QTableWidget* resultsTable() const { return m_results; }

    // The settings, for tests and the screenshot.
    void setChannelChosen(int channel, bool chosen);
    void setPointsText(const QString& text);
    void setTolerancePercent(double percent);
    void setSettleMs(int msecs);
    void setReadsPerPoint(int reads);
    void setStationSetsInput(bool on);

signals:
    /// A check ended (completed, cancelled, broken); its session is released.
    void checkFinished(frame::LoopCheckRun::Outcome outcome);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showStoredResults();
    void addResultRow(const LoopCheckChannel& channel, const QString& unit, const host::LoopCheckPoint& point);
    void showSummary();
    void setRunning(bool running);
    void onFinished(LoopCheckRun::Outcome outcome);
    LoopCheckPlan planFromSettings(QString* errorText) const;

    host::Station& m_station;
    const int m_slot;
    QPointer<host::SimulatedStation> m_simulation;
    std::unique_ptr<LoopCheckRun> m_run;
    int m_readPeriodMs = 0;
    bool m_closeWhenDone = false;

    QList<QCheckBox*> m_channels;
    QLineEdit* m_points = nullptr;
    QDoubleSpinBox* m_tolerance = nullptr;
    QDoubleSpinBox* m_settle = nullptr;
    QSpinBox* m_reads = nullptr;
    QComboBox* m_unit = nullptr;
    QCheckBox* m_stationSetsInput = nullptr;
    QLabel* m_prompt = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_cancel = nullptr;
    QTableWidget* m_results = nullptr;
};

/// Runs an unattended loop check of the first module of a copy of @p station on
/// @p simulation (one channel reading 2 % high) and renders the window with its
/// results to @p directory/loopcheck.png. Answers the file, or an empty string
/// with the reason in @p errors.
QString renderLoopCheck(const host::Station& station, host::SimulatedStation& simulation,
                        host::CommunicationService& service, const QString& directory, QStringList* errors);

}  // namespace frame
