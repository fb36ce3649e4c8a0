#include "LoopCheckRecord.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

// Equal values, or both without a value.
bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

bool LoopCheckPoint::operator==(const LoopCheckPoint& other) const {
    return sameNumber(percent, other.percent) && sameNumber(expected, other.expected) &&
           sameNumber(measured, other.measured) && sameNumber(deviationPercent, other.deviationPercent) &&
           reason == other.reason;
}

bool LoopCheckResult::passed() const {
    return !points.isEmpty() &&
           std::all_of(points.begin(), points.end(), [](const LoopCheckPoint& point) { return point.passed(); });
}

bool LoopCheckResult::operator==(const LoopCheckResult& other) const {
    return channel == other.channel && user == other.user && timeUtc == other.timeUtc &&
           sameNumber(tolerancePercent, other.tolerancePercent) && settleMs == other.settleMs &&
           unit == other.unit && points == other.points;
}

QList<LoopCheckResult> mergeLoopChecks(const QList<LoopCheckResult>& results,
                                       const QList<LoopCheckResult>& newer) {
    QList<LoopCheckResult> merged;
    for (const LoopCheckResult& result : results) {
        const bool replaced = std::any_of(newer.begin(), newer.end(), [&](const LoopCheckResult& other) {
            return other.channel == result.channel;
        });
        if (!replaced) {
            merged.append(result);
        }
    }
    merged.append(newer);
    std::stable_sort(merged.begin(), merged.end(), [](const LoopCheckResult& a, const LoopCheckResult& b) {
        return a.channel < b.channel;
    });
    return merged;
}

}  // namespace host
