// The verdict of a test point: the mean of the reads in the channel's unit, the
// deviation in percent of the span and the reason a point fails, for each range kind.
#include <gtest/gtest.h>

#include <cmath>

#include "frame/LoopCheckSequence.h"
#include "frame/LoopCheckVerdict.h"

namespace {

using frame::LoopCheckReading;

struct VerdictRow {
    const char* name;
    int type;
    int range;
    bool inPercent;
    double point;
    double tolerance;
    QList<LoopCheckReading> readings;
    const char* unit;
    double measured;   ///< NaN: none
    double deviation;  ///< percent of span; NaN: none
    const char* reason;
};

class Verdicts : public testing::TestWithParam<VerdictRow> {};

TEST_P(Verdicts, JudgeThePointInTheChannelsUnit) {
    const VerdictRow& row = GetParam();
    const frame::ChannelSpan span = frame::ChannelSpan::of(row.type, row.range, row.inPercent);
    ASSERT_TRUE(span.isValid());
    EXPECT_EQ(span.unit, QLatin1String(row.unit));
    const host::LoopCheckPoint point = frame::LoopCheckVerdict::judge(span, row.point, row.tolerance, row.readings);
    EXPECT_EQ(point.reason, QLatin1String(row.reason));
    EXPECT_EQ(point.passed(), QByteArray(row.reason).isEmpty());
    if (std::isnan(row.measured)) {
        EXPECT_TRUE(std::isnan(point.measured));
        EXPECT_TRUE(std::isnan(point.deviationPercent));
    } else {
        EXPECT_NEAR(point.measured, row.measured, 1e-9);
        EXPECT_NEAR(point.deviationPercent, row.deviation, 1e-9);
    }
}

const double kNone = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Units_Ranges_States, Verdicts,
    testing::Values(
        // 4..20 mA: 40 uA off at 50 % is 0.25 % of the 16 mA span.
        VerdictRow{"mA_within", 37, 3, false, 50, 0.5, {{12040, false, false}}, "mA", 12.04, 0.25, ""},
        VerdictRow{"mA_beyond", 37, 3, false, 50, 0.5, {{12100, false, false}}, "mA", 12.1, 0.625, "deviation"},
        VerdictRow{"mA_below", 37, 2, false, 25, 0.5, {{4880, false, false}}, "mA", 4.88, -0.6, "deviation"},
        // 0..10 V: the mean of three reads counts, not each read.
        VerdictRow{"V_meanOfReads", 37, 0, false, 25, 0.5,
                   {{2480, false, false}, {2520, false, false}, {2530, false, false}}, "V", 2.51, 0.1, ""},
        VerdictRow{"V_exactlyAtTolerance", 37, 0, false, 100, 0.5, {{10050, false, false}}, "V", 10.05, 0.5, ""},
        VerdictRow{"V_1to5_type54", 54, 3, false, 0, 0.25, {{1008, false, false}}, "V", 1.008, 0.2, ""},
        // In percent of the span: 1..5 V read 3.97 V at 75 %.
        VerdictRow{"percent_beyond", 54, 3, true, 75, 0.5, {{3970, false, false}}, "%", 74.25, -0.75, "deviation"},
        VerdictRow{"percent_within", 37, 1, true, 50, 0.5, {{6020, false, false}}, "%", 50.25, 0.25, ""},
        // Beyond the range by more than the tolerance.
        VerdictRow{"overrange", 37, 3, false, 100, 0.5, {{20500, false, false}}, "mA", 20.5, 3.125, "overrange"},
        VerdictRow{"underrange_liveZero", 37, 3, false, 0, 0.5, {{3000, false, false}}, "mA", 3.0, -6.25,
                   "underrange"},
        VerdictRow{"zeroBased_lowIsDeviation", 37, 0, false, 10, 0.5, {{0, false, false}}, "V", 0.0, -10.0,
                   "deviation"},
        VerdictRow{"zeroBased_belowZeroIsDeviation", 37, 0, false, 0, 0.5, {{-100, false, false}}, "V", -0.1,
                   -1.0, "deviation"},
        // A read marked invalid or forced fails the point whatever it reads.
        VerdictRow{"invalid", 37, 3, false, 50, 0.5, {{12000, false, false}, {12000, true, false}}, "mA", 12.0, 0.0,
                   "invalid"},
        VerdictRow{"forced", 37, 0, false, 50, 0.5, {{5000, false, true}}, "V", 5.0, 0.0, "forced"},
        VerdictRow{"invalidBeforeForced", 54, 0, false, 50, 0.5, {{5000, true, true}}, "V", 5.0, 0.0, "invalid"},
        VerdictRow{"noReading", 37, 0, false, 50, 0.5, {}, "V", kNone, kNone, "noReading"}),
    [](const testing::TestParamInfo<VerdictRow>& info) { return std::string(info.param.name); });

TEST(ChannelSpan, UnknownTypeOrRangeHasNoSpan) {
    EXPECT_FALSE(frame::ChannelSpan::of(38, 0, false).isValid());
    EXPECT_FALSE(frame::ChannelSpan::of(37, 4, true).isValid());
}

struct PointsRow {
    const char* text;
    QList<double> points;  ///< empty: refused
    const char* bad;
};

class TestPoints : public testing::TestWithParam<PointsRow> {};

TEST_P(TestPoints, AreNumbersFromZeroToHundred) {
    QString bad;
    EXPECT_EQ(frame::LoopCheckPlan::parsePoints(QLatin1String(GetParam().text), &bad), GetParam().points);
    EXPECT_EQ(bad, QLatin1String(GetParam().bad));
}

INSTANTIATE_TEST_SUITE_P(Texts, TestPoints,
                         testing::Values(PointsRow{" 10 ,12.5  90;100", {10, 12.5, 90, 100}, ""},
                                         PointsRow{"0; 101", {}, "101"}, PointsRow{"-5", {}, "-5"},
                                         PointsRow{"0; half", {}, "half"}, PointsRow{" ; ", {}, " ; "}));

}  // namespace
