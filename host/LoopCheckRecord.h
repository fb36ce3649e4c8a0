#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace host {

/// One test point of a loop check as the project keeps it. Values are in the unit
/// of the check (LoopCheckResult::unit); a point without a usable reading has no
/// measured value (NaN) and names why in reason.
struct LoopCheckPoint {
    double percent = 0.0;           ///< the test point in percent of the channel's span
    double expected = 0.0;          ///< what the channel must read there
    double measured = 0.0;          ///< the mean of the reads; NaN without a usable reading
    double deviationPercent = 0.0;  ///< (measured - expected) in percent of the span; NaN with measured
    /// Empty when the point passed; otherwise a language-neutral code: "deviation",
    /// "invalid", "forced", "overrange", "underrange", "noReading".
    QString reason;

    bool passed() const { return reason.isEmpty(); }
    bool operator==(const LoopCheckPoint& other) const;
    bool operator!=(const LoopCheckPoint& other) const { return !(*this == other); }
};

/// The latest loop check of one channel: who ran it, when, with which tolerance,
/// and each point's verdict.
struct LoopCheckResult {
    int channel = 1;  ///< 1 to 4
    QString user;
    QDateTime timeUtc;
    double tolerancePercent = 0.5;
    int settleMs = 0;
    QString unit;  ///< "V", "mA" or "%"
    QList<LoopCheckPoint> points;

    /// True when every point passed (and there was at least one).
    bool passed() const;
    bool operator==(const LoopCheckResult& other) const;
    bool operator!=(const LoopCheckResult& other) const { return !(*this == other); }
};

/// The last diagnosis read from a module, with the time it came.
struct DiagnosisRecord {
    QDateTime timeUtc;  ///< null: no diagnosis has been read
    QByteArray telegram;

    bool isEmpty() const { return timeUtc.isNull(); }
    bool operator==(const DiagnosisRecord& other) const {
        return timeUtc == other.timeUtc && telegram == other.telegram;
    }
    bool operator!=(const DiagnosisRecord& other) const { return !(*this == other); }
};

/// @p results with @p newer put in: each channel keeps its latest check, in
/// ascending channel order.
QList<LoopCheckResult> mergeLoopChecks(const QList<LoopCheckResult>& results,
                                       const QList<LoopCheckResult>& newer);

}  // namespace host
