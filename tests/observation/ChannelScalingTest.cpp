#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "QT27Controls/observation/ChannelScaling.h"
#include "rmox/Error.h"

namespace {

using namespace qt27;

// ---- unit configuration and scaling, one row per combination ----

struct Row {
    int type;
    int unit;
    int range;
    const char* format;
    double step;
    double min;
    double max;
    const char* physicalUnit;
    float divisor;
    double factorDenominator;
    float offset;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << "type " << row.type << " unit " << row.unit << " range " << row.range;
}

class ScalingTableTest : public testing::TestWithParam<Row> {};

TEST_P(ScalingTableTest, UnitConfigurationMatchesTheRow) {
    const Row row = GetParam();
    const UnitConfiguration configuration = UnitConfigurationFor(row.type, row.unit, row.range);
    ASSERT_TRUE(configuration.valid);
    EXPECT_EQ(configuration.formatText, QString::fromLatin1(row.format));
    EXPECT_EQ(configuration.scaleStep, row.step);
    EXPECT_EQ(configuration.scaleMin, row.min);
    EXPECT_EQ(configuration.scaleMax, row.max);
    EXPECT_EQ(configuration.scaleDivisions, 5);
    EXPECT_EQ(configuration.physicalUnit, QString::fromLatin1(row.physicalUnit));
    EXPECT_EQ(PhysicalUnitOfRange(row.type, row.range), QString::fromLatin1(row.physicalUnit));
}

TEST_P(ScalingTableTest, ScalingMatchesTheRow) {
    const Row row = GetParam();
    const Scaling scaling = ScalingFor(row.type, row.unit, row.range);
    ASSERT_TRUE(scaling.IsDefined());
    EXPECT_EQ(scaling.divisor, row.divisor);
    EXPECT_EQ(scaling.factor, static_cast<float>(1.0 / row.factorDenominator));
    EXPECT_EQ(scaling.offset, row.offset);
}

// The end of each measuring range sits at the end of the green zone, and the live
// zero (or 0 on a zero-based range) at its start, whichever unit is shown.
TEST_P(ScalingTableTest, RangeEndsMeetTheGreenZone) {
    const Row row = GetParam();
    const Scaling scaling = ScalingFor(row.type, row.unit, row.range);
    const UnitConfiguration configuration = UnitConfigurationFor(row.type, row.unit, row.range);
    const int fullScale = (row.type == 37 && row.range >= 2)   ? 20000
                          : (row.type == 54 && row.range >= 2) ? 5000
                                                               : 10000;
    const int liveZero = HasLiveZero(row.range) ? fullScale / 5 : 0;
    EXPECT_NEAR(PermilleOfRaw(fullScale, scaling), configuration.zones[0].end, 0.05);
    EXPECT_NEAR(PermilleOfRaw(liveZero, scaling), configuration.zones[0].start, 0.05);
    if (row.unit == UnitEntryPercent) {
        EXPECT_FLOAT_EQ(ScaledValue(fullScale, scaling), 100.0F);
        EXPECT_FLOAT_EQ(ScaledValue(liveZero, scaling), 0.0F);
    } else {
        EXPECT_FLOAT_EQ(ScaledValue(fullScale, scaling), fullScale / 1000.0F);
    }
    // The gauge scale labels agree with the pointer: permille -> scale value.
    const double atFullScale = configuration.scaleMin + PermilleOfRaw(fullScale, scaling) / 1000.0 *
                                                            (configuration.scaleMax - configuration.scaleMin);
    EXPECT_NEAR(atFullScale, ScaledValue(fullScale, scaling), 0.01);
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, ScalingTableTest,
                         testing::Values(Row{37, 0, 0, "0.0", 25, 0, 120, "V", 12, 100, 0},         //
                                         Row{37, 0, 1, "0.0", 25, -25, 125, "V", 12, 80, -2000},    //
                                         Row{37, 0, 2, "0.0", 25, 0, 120, "mA", 24, 200, 0},        //
                                         Row{37, 0, 3, "0.0", 25, -25, 125, "mA", 24, 160, -4000},  //
                                         Row{54, 0, 0, "0.0", 25, 0, 120, "V", 12, 100, 0},         //
                                         Row{54, 0, 1, "0.0", 25, -25, 125, "V", 12, 80, -2000},    //
                                         Row{54, 0, 2, "0.0", 25, 0, 120, "V", 6, 50, 0},           //
                                         Row{54, 0, 3, "0.0", 25, -25, 125, "V", 6, 40, -1000},     //
                                         Row{37, 1, 0, "0.000", 2, 0, 12, "V", 12, 1000, 0},        //
                                         Row{37, 1, 1, "0.000", 2, 0, 12, "V", 12, 1000, 0},        //
                                         Row{37, 1, 2, "0.000", 2, 0, 24, "mA", 24, 1000, 0},       //
                                         Row{37, 1, 3, "0.000", 2, 0, 24, "mA", 24, 1000, 0},       //
                                         Row{54, 1, 0, "0.000", 2, 0, 12, "V", 12, 1000, 0},        //
                                         Row{54, 1, 1, "0.000", 2, 0, 12, "V", 12, 1000, 0},        //
                                         Row{54, 1, 2, "0.000", 1, 0, 6, "V", 6, 1000, 0},          //
                                         Row{54, 1, 3, "0.000", 1, 0, 6, "V", 6, 1000, 0}));

// ---- zones ----

struct ZoneRow {
    int type;
    int unit;
    int range;
    GaugeZone green;
    GaugeZone over;
    GaugeZone below;
};

void PrintTo(const ZoneRow& row, std::ostream* os) {
    *os << "type " << row.type << " unit " << row.unit << " range " << row.range;
}

class ZoneTableTest : public testing::TestWithParam<ZoneRow> {};

TEST_P(ZoneTableTest, ZonesMatchTheRowExactly) {
    const ZoneRow row = GetParam();
    const UnitConfiguration configuration = UnitConfigurationFor(row.type, row.unit, row.range);
    ASSERT_TRUE(configuration.valid);
    const GaugeZone expected[] = {row.green, row.over, row.below};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(configuration.zones[i].start, expected[i].start);
        EXPECT_EQ(configuration.zones[i].end, expected[i].end);
    }
}

// Type 37 keeps the rounded single-precision constants; type 54 computes its bounds.
const float k37Low = 166.7F;
const float k37High = 833.3F;
const float k54High = static_cast<float>(1000.0 * 100 / 120);
const float k54Low = static_cast<float>(1000.0 * 20 / 120);
const float k54PercentLow = static_cast<float>(1000.0 * 25 / 150);
const float k54PercentHigh = static_cast<float>(1000.0 * 125 / 150);

std::vector<ZoneRow> ZoneRows() {
    std::vector<ZoneRow> rows;
    for (int unit : {0, 1}) {
        for (int range : {0, 2}) {
            rows.push_back({37, unit, range, {0, k37High}, {k37High, 1000}, {0, 0}});
            rows.push_back({54, unit, range, {0, k54High}, {k54High, 1000}, {0, 0}});
        }
        for (int range : {1, 3}) {
            rows.push_back({37, unit, range, {k37Low, k37High}, {k37High, 1000}, {0, k37Low}});
            const float low = unit == 0 ? k54PercentLow : k54Low;
            const float high = unit == 0 ? k54PercentHigh : k54High;
            rows.push_back({54, unit, range, {low, high}, {high, 1000}, {0, low}});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, ZoneTableTest, testing::ValuesIn(ZoneRows()));

// ---- combinations without scaling ----

class NoScalingTest : public testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(NoScalingTest, RefusedWithoutDividing) {
    const auto [type, unit, range] = GetParam();
    EXPECT_FALSE(UnitConfigurationFor(type, unit, range).valid);
    const Scaling scaling = ScalingFor(type, unit, range);
    EXPECT_FALSE(scaling.IsDefined());
    EXPECT_EQ(scaling.divisor, 0.0F);
    EXPECT_EQ(scaling.factor, 0.0F);
    EXPECT_EQ(scaling.offset, 0.0F);
    EXPECT_EQ(ValueText(10000, scaling, QStringLiteral("0.0"), QStringLiteral(",")), QStringLiteral("-/-"));
    EXPECT_EQ(PermilleOfRaw(10000, scaling), 0.0F);
    EXPECT_EQ(ScaledValue(10000, scaling), 0.0F);
    try {
        RawFromNumber(5.0, scaling);
        ADD_FAILURE() << "no error";
    } catch (const rmox::Error& error) {
        EXPECT_NE(error.number(), rmox::Error::Overflow);
    }
    EXPECT_THROW(RawFromPermille(500.0F, scaling), rmox::Error);
}

INSTANTIATE_TEST_SUITE_P(Unknown, NoScalingTest,
                         testing::Values(std::make_tuple(36, 0, 0), std::make_tuple(55, 1, 2),
                                         std::make_tuple(0, 0, 0), std::make_tuple(37, 2, 0),
                                         std::make_tuple(54, -1, 1), std::make_tuple(37, 0, 4),
                                         std::make_tuple(54, 1, 255), std::make_tuple(37, 1, -1)));

TEST(DecimalSeparator, EmptyOrPointLeavesTheTextAlone) {
    EXPECT_EQ(WithDecimalSeparator(QStringLiteral("12.500"), QString()), QStringLiteral("12.500"));
    EXPECT_EQ(WithDecimalSeparator(QStringLiteral("12.500"), QStringLiteral(".")), QStringLiteral("12.500"));
    EXPECT_EQ(WithDecimalSeparator(QStringLiteral("1.2.5"), QStringLiteral(",")), QStringLiteral("1,2,5"));
}

// ---- the way back: numbers and gauge positions to raw values ----

struct RawCase {
    int type;
    int unit;
    int range;
    double number;
    int raw;
};

void PrintTo(const RawCase& c, std::ostream* os) {
    *os << "type " << c.type << " unit " << c.unit << " range " << c.range << " number " << c.number;
}

class RawFromNumberTest : public testing::TestWithParam<RawCase> {};

TEST_P(RawFromNumberTest, NumberInTheUnitGivesTheRawValue) {
    const RawCase c = GetParam();
    EXPECT_EQ(RawFromNumber(c.number, ScalingFor(c.type, c.unit, c.range)), c.raw);
}

INSTANTIATE_TEST_SUITE_P(Units, RawFromNumberTest,
                         testing::Values(RawCase{37, 1, 0, 5.5, 5500}, RawCase{37, 0, 0, 50, 5000},
                                         RawCase{37, 0, 3, 0, 4000}, RawCase{37, 0, 3, -30, -800},
                                         RawCase{37, 0, 3, 100, 20000}, RawCase{54, 0, 3, 50, 3000},
                                         RawCase{37, 0, 1, -25, 0}, RawCase{54, 1, 2, 0.0004, 0},
                                         RawCase{37, 1, 3, -32.768, -32768},
                                         RawCase{37, 1, 0, 32.767, 32767}));

struct RoundCase {
    double value;
    int expected;
};

class HalvesToEvenTest : public testing::TestWithParam<RoundCase> {};

// A scaling of factor 1 and divisor 1 passes the number through unchanged, so the
// rounding rule shows on its own.
TEST_P(HalvesToEvenTest, NumbersAndPositionsRoundHalvesToEven) {
    const Scaling identity{1.0F, 1.0F, 0.0F};
    EXPECT_EQ(RawFromNumber(GetParam().value, identity), GetParam().expected);
    EXPECT_EQ(RawFromPermille(static_cast<float>(GetParam().value), identity), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ties, HalvesToEvenTest,
                         testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                         RoundCase{3.5, 4}, RoundCase{-0.5, 0}, RoundCase{-2.5, -2},
                                         RoundCase{-3.5, -4}, RoundCase{2.4, 2}, RoundCase{2.6, 3},
                                         RoundCase{-2.6, -3}, RoundCase{-32768.5, -32768},
                                         RoundCase{32766.5, 32766}));

class OverflowTest : public testing::TestWithParam<double> {};

TEST_P(OverflowTest, ResultsOutsideSixteenBitsRaiseOverflow) {
    const Scaling identity{1.0F, 1.0F, 0.0F};
    try {
        RawFromNumber(GetParam(), identity);
        ADD_FAILURE() << "no overflow";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::Overflow);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, OverflowTest,
                         testing::Values(32767.5, 32768.0, -32768.6, -32769.0, 1e300,
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity(),
                                         std::numeric_limits<double>::quiet_NaN()));

TEST(RawFromNumber, FourHundredPercentOfTenVoltsDoesNotFit) {
    try {
        RawFromNumber(400, ScalingFor(37, 0, 0));
        ADD_FAILURE() << "no overflow";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::Overflow);
    }
}

TEST(RawFromPermille, GaugePositionTimesDivisor) {
    EXPECT_EQ(RawFromPermille(500.0F, ScalingFor(37, 0, 3)), 12000);
    EXPECT_EQ(RawFromPermille(1000.0F, ScalingFor(37, 1, 2)), 24000);
    EXPECT_EQ(RawFromPermille(PermilleOfRaw(5500, ScalingFor(37, 1, 0)), ScalingFor(37, 1, 0)), 5500);
    EXPECT_EQ(RawFromPermille(0.0F, ScalingFor(54, 0, 3)), 0);
    EXPECT_THROW(RawFromPermille(1e6F, ScalingFor(37, 0, 2)), rmox::Error);
}

// Every raw value survives the trip to the gauge and back.
TEST(RawFromPermille, InvertsPermilleOfRawForEveryDivisor) {
    for (float divisor : {6.0F, 12.0F, 24.0F}) {
        const Scaling scaling{divisor, 1.0F / 1000, 0.0F};
        for (int raw = -32768; raw <= 32767; raw += 7) {
            ASSERT_EQ(RawFromPermille(PermilleOfRaw(raw, scaling), scaling), raw) << "divisor " << divisor;
        }
    }
}

}  // namespace
