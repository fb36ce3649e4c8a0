// The channel value display: the unit configuration, zones and scaling of every
// combination of module type, unit and range, with the documented numbers, under a
// German locale and separator; the state pictures; texts and caption.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLocale>
#include <limits>
#include <memory>
#include <tuple>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/ChannelScaling.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/PageSession.h"

namespace {

using qt27::ChannelObservation;
using testsupport::child;
using testsupport::statePicture;
using testsupport::valueText;

class ChannelObservationTest : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        resources.setLanguage(QStringLiteral("de"));  // decimal separator ","
        resources.setResourceFolder(qt27::DeviceResourceFolder());
    }
    /// What the page does: type, manager, range, then initializing off; then the unit.
    void configure(int type, int range, int unit) {
        control->setTyp(static_cast<qint16>(type));
        control->setResourceManager(&resources);
        control->setRange(static_cast<quint8>(range));
        control->setIsInitializing(false);
        units()->setCurrentIndex(unit);
    }
    rmox::GaugeCtl* gauge() const { return child<rmox::GaugeCtl>(control.get(), "ctlGauge"); }
    QComboBox* units() const { return child<QComboBox>(control.get(), "cmbUnit"); }
    QString caption() const { return child<QGroupBox>(control.get(), "fraChannelObservation")->title(); }

    rmox::ResourceManager resources;
    std::unique_ptr<ChannelObservation> control = std::make_unique<ChannelObservation>();
};

struct Row {
    int type, unit, range;
    double min, max, step;
    const char* unitText;
    float divisor, factorDenominator, offset;
    float liveZero, rangeEnd;  // zone bounds in permille; liveZero 0 on zero-based ranges
};

// The documented tables, one row per type, unit entry and range.
const Row kRows[] = {
    {37, 0, 0, 0, 120, 25, "V", 12, 100, 0, 0, 833.3F},
    {37, 0, 1, -25, 125, 25, "V", 12, 80, -2000, 166.7F, 833.3F},
    {37, 0, 2, 0, 120, 25, "mA", 24, 200, 0, 0, 833.3F},
    {37, 0, 3, -25, 125, 25, "mA", 24, 160, -4000, 166.7F, 833.3F},
    {54, 0, 0, 0, 120, 25, "V", 12, 100, 0, 0, 833.333F},
    {54, 0, 1, -25, 125, 25, "V", 12, 80, -2000, 166.667F, 833.333F},
    {54, 0, 2, 0, 120, 25, "V", 6, 50, 0, 0, 833.333F},
    {54, 0, 3, -25, 125, 25, "V", 6, 40, -1000, 166.667F, 833.333F},
    {37, 1, 0, 0, 12, 2, "V", 12, 1000, 0, 0, 833.3F},
    {37, 1, 1, 0, 12, 2, "V", 12, 1000, 0, 166.7F, 833.3F},
    {37, 1, 2, 0, 24, 2, "mA", 24, 1000, 0, 0, 833.3F},
    {37, 1, 3, 0, 24, 2, "mA", 24, 1000, 0, 166.7F, 833.3F},
    {54, 1, 0, 0, 12, 2, "V", 12, 1000, 0, 0, 833.333F},
    {54, 1, 1, 0, 12, 2, "V", 12, 1000, 0, 166.667F, 833.333F},
    {54, 1, 2, 0, 6, 1, "V", 6, 1000, 0, 0, 833.333F},
    {54, 1, 3, 0, 6, 1, "V", 6, 1000, 0, 166.667F, 833.333F},
};

class ScalingTableTest : public ChannelObservationTest, public testing::WithParamInterface<Row> {};

TEST_P(ScalingTableTest, GaugeZonesUnitAndValuesFollowTheRow) {
    const Row& row = GetParam();
    configure(row.type, row.range, row.unit);
    EXPECT_EQ(gauge()->ScaleMin(), row.min);
    EXPECT_EQ(gauge()->ScaleMax(), row.max);
    EXPECT_EQ(gauge()->ScaleStep(), row.step);
    EXPECT_EQ(gauge()->ScaleDivisions(), 5);
    EXPECT_EQ(units()->itemText(1), QLatin1String(row.unitText));
    const float tolerance = row.type == 37 ? 0.0F : 0.001F;
    const float zones[3][2] = {{row.liveZero, row.rangeEnd}, {row.rangeEnd, 1000}, {0, row.liveZero}};
    for (int zone = 0; zone < 3; ++zone) {
        EXPECT_NEAR(gauge()->ZoneStart(zone), zones[zone][0], tolerance) << "zone " << zone;
        EXPECT_NEAR(gauge()->ZoneEnd(zone), zones[zone][1], tolerance) << "zone " << zone;
    }
    // Displayed value (raw + offset) / denominator; gauge position raw / divisor.
    const int fullScale = row.type == 37 && row.range >= 2   ? 20000
                          : row.type == 54 && row.range >= 2 ? 5000
                                                             : 10000;
    for (int raw : {4321, fullScale, 0}) {
        control->SetCurrentValue(static_cast<qint16>(raw));
        const double shown = (raw + row.offset) / row.factorDenominator;
        EXPECT_EQ(valueText(control.get()),
                  QString::number(shown, 'f', row.unit == 0 ? 1 : 3).replace('.', ','))
            << raw;
        EXPECT_NEAR(gauge()->Value(), raw / row.divisor, 0.01) << raw;
    }
    control->SetCurrentValue(static_cast<qint16>(fullScale));
    EXPECT_NEAR(gauge()->Value(), 833.3, 0.05);  // the end of every range meets the red zone
}

INSTANTIATE_TEST_SUITE_P(Documented, ScalingTableTest, testing::ValuesIn(kRows));

TEST_F(ChannelObservationTest, CreatedWithVoltsOfRangeZeroAndNoPicture) {
    EXPECT_TRUE(control->IsInitializing());
    EXPECT_FALSE(gauge()->SliderVisible());
    EXPECT_EQ(gauge()->ZoneColor(0), 65280);
    EXPECT_EQ(gauge()->ZoneColor(1), 255);
    EXPECT_EQ(gauge()->ZoneColor(2), 255);
    EXPECT_EQ(units()->currentIndex(), 1);
    EXPECT_EQ(units()->itemText(0), QStringLiteral("%"));
    EXPECT_EQ(units()->itemText(1), QStringLiteral("V"));
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(statePicture(control.get()), 0);
    EXPECT_EQ(caption(), QStringLiteral("channel 0: "));
    control->show();
    control->resize(900, 200);
    EXPECT_EQ(child(control.get(), "fraChannelObservation")->geometry(), QRect(0, 0, 900, 200));
}

TEST_F(ChannelObservationTest, RangeWaitsForTheEndOfInitializingThenAppliesAtOnce) {
    control->SetCurrentValue(12000);
    control->setRange(3);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(valueText(control.get()), QStringLiteral("12.000"));
    control->setIsInitializing(false);
    EXPECT_EQ(gauge()->ScaleMax(), 24.0);
    EXPECT_NEAR(gauge()->Value(), 500, 0.01);
    control->setRange(0);
    EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    EXPECT_EQ(units()->itemText(1), QStringLiteral("V"));
}

// Type, range or unit without scaling: the value is unknown and the gauge keeps its set-up.
TEST_F(ChannelObservationTest, CombinationWithoutScalingShowsDashesWithoutDividing) {
    const std::tuple<int, int, int> combinations[] = {{12, 0, 1}, {36, 0, 1},   {293, 0, 1}, {-1, 0, 1},
                                                      {37, 4, 1}, {54, 255, 0}, {37, 0, -1}};
    for (const auto& [type, range, unit] : combinations) {
        control = std::make_unique<ChannelObservation>();
        configure(37, 0, 1);
        control->setTyp(static_cast<qint16>(type));
        control->setRange(static_cast<quint8>(range));
        units()->setCurrentIndex(unit);
        control->SetCurrentValue(7000);
        EXPECT_EQ(valueText(control.get()), QStringLiteral("-/-")) << type << " " << range << " " << unit;
        EXPECT_EQ(gauge()->Value(), 0.0F);
        EXPECT_EQ(gauge()->ScaleMax(), 12.0);
    }
}

TEST_F(ChannelObservationTest, FlagsChooseThePictureAndALostConnectionRemovesItOnly) {
    configure(37, 0, 0);
    const std::tuple<bool, bool, int> pictures[] = {
        {false, false, 150}, {true, false, 152}, {false, true, 153}, {true, true, 155}};
    for (const auto& [invalid, forced, id] : pictures) {
        control->SetCurrentValue(5000, invalid, forced);
        EXPECT_EQ(statePicture(control.get()), id);
        EXPECT_EQ(control->IsInValid(), invalid);
        EXPECT_EQ(control->IsForced(), forced);
    }
    control->setHasConnection(true);
    EXPECT_EQ(statePicture(control.get()), 155);
    control->setHasConnection(false);
    EXPECT_FALSE(control->HasConnection());
    EXPECT_EQ(statePicture(control.get()), 0);
    EXPECT_EQ(valueText(control.get()), QStringLiteral("50,0"));
    EXPECT_NEAR(gauge()->Value(), 416.7, 0.05);
}

TEST_F(ChannelObservationTest, ManagerGivesTextsAndCaptionUntilItsOwnerDestroysIt) {
    control->setChannelNumber(3);
    control->setChannelTag(QStringLiteral("TI-101"));
    EXPECT_EQ(caption(), QStringLiteral("channel 3: TI-101"));
    auto owned = std::make_unique<rmox::ResourceManager>();
    owned->ConfigureFrom(resources);
    control->setResourceManager(owned.get());
    EXPECT_EQ(caption(), QStringLiteral("Kanal 3: TI-101"));
    EXPECT_EQ(child<QLabel>(control.get(), "lblState")->text(), QStringLiteral("Zustand"));
    ASSERT_NE(control->DeviceResourceManager(), nullptr);
    EXPECT_NE(control->DeviceResourceManager(), owned.get());
    EXPECT_EQ(control->DeviceResourceManager()->Language(), QStringLiteral("de"));
    control->setIsInitializing(false);
    control->SetCurrentValue(1000);
    EXPECT_EQ(statePicture(control.get()), 150);
    owned.reset();
    control->setChannelNumber(-4);
    control->SetCurrentValue(1500, true);
    EXPECT_EQ(caption(), QStringLiteral("channel -4: TI-101"));
    EXPECT_EQ(statePicture(control.get()), 0);  // no picture rather than the last one
    EXPECT_EQ(valueText(control.get()), QStringLiteral("1,500"));
}

// The way back from a number in the unit shown, or a gauge position, to a raw value.
TEST(ChannelScalingTest, NumbersAndGaugePositionsGiveRawValuesHalvesToEven) {
    using qt27::ScalingFor;
    EXPECT_EQ(qt27::RawFromNumber(5.5, ScalingFor(37, 1, 0)), 5500);
    EXPECT_EQ(qt27::RawFromNumber(-30, ScalingFor(37, 0, 3)), -800);
    EXPECT_EQ(qt27::RawFromNumber(50, ScalingFor(54, 0, 3)), 3000);
    EXPECT_EQ(qt27::RawFromNumber(-32.768, ScalingFor(37, 1, 3)), -32768);
    EXPECT_EQ(qt27::RawFromPermille(500.0F, ScalingFor(37, 0, 3)), 12000);
    EXPECT_EQ(qt27::RawFromPermille(1000.0F, ScalingFor(54, 1, 2)), 6000);
    const qt27::Scaling identity{1.0F, 1.0F, 0.0F};
    const std::pair<double, int> ties[] = {{0.5, 0},   {1.5, 2},         {2.5, 2},
                                           {-2.5, -2}, {-3.5, -4},       {2.6, 3},
                                           {-2.6, -3}, {32766.5, 32766}, {-32768.5, -32768}};
    for (const auto& [value, raw] : ties) {
        EXPECT_EQ(qt27::RawFromNumber(value, identity), raw) << value;
        EXPECT_EQ(qt27::RawFromPermille(static_cast<float>(value), identity), raw) << value;
    }
    for (double value : {32767.5, -32768.6, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        try {
            qt27::RawFromNumber(value, identity);
            ADD_FAILURE() << "no overflow for " << value;
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::Overflow);
        }
    }
    EXPECT_THROW(qt27::RawFromNumber(400, ScalingFor(37, 0, 0)), rmox::Error);
    EXPECT_THROW(qt27::RawFromNumber(1, ScalingFor(36, 0, 0)), rmox::Error);
    EXPECT_THROW(qt27::RawFromPermille(1, ScalingFor(37, 2, 0)), rmox::Error);
}

}  // namespace
