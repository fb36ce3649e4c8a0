#include "LoopCheckVerdict.h"

#include <cmath>

#include "QT27Controls/observation/ChannelScaling.h"

namespace frame {

ChannelSpan ChannelSpan::of(int moduleType, int range, bool inPercent) {
    ChannelSpan span;
    // The percent scaling holds the range: 0 % lies at -offset, 100 % one hundred
    // steps of its factor above.
    const qt27::Scaling percent = qt27::ScalingFor(moduleType, qt27::UnitEntryPercent, range);
    if (!percent.IsDefined()) {
        return span;
    }
    span.rawStart = std::round(-static_cast<double>(percent.offset));
    span.rawEnd = span.rawStart + std::round(100.0 / static_cast<double>(percent.factor));
    span.liveZero = qt27::HasLiveZero(range);
    if (inPercent) {
        span.unit = QStringLiteral("%");
        span.start = 0.0;
        span.end = 100.0;
    } else {
        span.unit = qt27::PhysicalUnitOfRange(moduleType, range);
        span.start = span.rawStart / 1000.0;
        span.end = span.rawEnd / 1000.0;
    }
    return span;
}

double ChannelSpan::toUnit(double raw) const {
    return start + (raw - rawStart) / (rawEnd - rawStart) * (end - start);
}

double ChannelSpan::expectedAt(double percent) const {
    return start + percent / 100.0 * (end - start);
}

host::LoopCheckPoint LoopCheckVerdict::judge(const ChannelSpan& span, double percent, double tolerancePercent,
                                             const QList<LoopCheckReading>& readings) {
    host::LoopCheckPoint point;
    point.percent = percent;
    point.expected = span.expectedAt(percent);
    point.measured = std::nan("");
    point.deviationPercent = std::nan("");
    bool invalid = false;
    bool forced = false;
    double sum = 0.0;
    for (const LoopCheckReading& reading : readings) {
        invalid = invalid || reading.invalid;
        forced = forced || reading.forced;
        sum += reading.raw;
    }
    if (!readings.isEmpty()) {
        const double meanRaw = sum / static_cast<double>(readings.size());
        point.measured = span.toUnit(meanRaw);
        point.deviationPercent = (meanRaw - span.rawStart) / (span.rawEnd - span.rawStart) * 100.0 - percent;
    }
    if (invalid) {
        point.reason = QStringLiteral("invalid");
    } else if (forced) {
        point.reason = QStringLiteral("forced");
    } else if (readings.isEmpty()) {
        point.reason = QStringLiteral("noReading");
    } else {
        const double measuredPercent = percent + point.deviationPercent;
        // A tiny margin keeps a deviation of exactly the tolerance from failing on
        // the last bit of a double.
        const double tolerance = tolerancePercent + 1e-9;
        if (measuredPercent > 100.0 + tolerance) {
            point.reason = QStringLiteral("overrange");
        } else if (span.liveZero && measuredPercent < -tolerance) {
            point.reason = QStringLiteral("underrange");
        } else if (std::fabs(point.deviationPercent) > tolerance) {
            point.reason = QStringLiteral("deviation");
        }
    }
    return point;
}

}  // namespace frame
