#pragma once

#include <QList>
#include <QString>

#include "host/LoopCheckRecord.h"

namespace frame {

/// The span of a channel in the unit a loop check compares in: its physical unit
/// (V or mA, from the raw millivolts or microamperes) or percent of the span. The
/// limits come from the channel scaling of the module type and range, so a check
/// reads a value the way the Observation page shows it.
struct ChannelSpan {
    QString unit;        ///< "V", "mA" or "%"; empty for an unknown type or range
    double start = 0.0;  ///< start of the range in unit
    double end = 0.0;    ///< end of the range in unit
    double rawStart = 0.0;
    double rawEnd = 0.0;
    bool liveZero = false;

    bool isValid() const { return !unit.isEmpty() && rawEnd > rawStart; }
    /// The span of @p range (0 to 3) of module type @p moduleType (37, 54), in the
    /// physical unit or, with @p inPercent, in percent of the span.
    static ChannelSpan of(int moduleType, int range, bool inPercent);
    /// A raw value in unit.
    double toUnit(double raw) const;
    /// What the channel must read at @p percent of its span, in unit.
    double expectedAt(double percent) const;
};

/// One read of a channel as the value telegram brings it.
struct LoopCheckReading {
    int raw = 0;
    bool invalid = false;
    bool forced = false;
};

/// The verdict of one test point from the reads taken after the settling time.
///
/// Rules, so that a point passes only when the channel really reads what the field
/// applies:
///  - any read marked invalid fails the point ("invalid"), any forced read too
///    ("forced": a forced value proves nothing about the loop); invalid comes first;
///  - without reads the point fails ("noReading");
///  - the mean of the reads is compared; the deviation is in percent of the span;
///  - a mean beyond the end of the range by more than the tolerance is "overrange";
///    on a live-zero range a mean below its start by more than the tolerance is
///    "underrange" (the module reports both as faults); otherwise a deviation beyond
///    the tolerance is "deviation". A deviation of exactly the tolerance passes.
class LoopCheckVerdict {
public:
    static host::LoopCheckPoint judge(const ChannelSpan& span, double percent, double tolerancePercent,
                                      const QList<LoopCheckReading>& readings);
};

}  // namespace frame
