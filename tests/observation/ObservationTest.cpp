// The channel value display with the documented scaling tables (under a German locale
// and separator), its texts and pictures; the Observation page on the scripted host.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLocale>
#include <QTimer>
#include <tuple>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/ChannelScaling.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;
using testsupport::valueText;

rmox::GaugeCtl* gauge(const QWidget* channel) {
    return child<rmox::GaugeCtl>(channel, "ctlGauge");
}
QComboBox* units(const QWidget* channel) {
    return child<QComboBox>(channel, "cmbUnit");
}
QString caption(const QWidget* channel) {
    return child<QGroupBox>(channel, "fraChannelObservation")->title();
}

class ChannelObservationTest : public testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        german.setLanguage(QStringLiteral("de"));  // decimal separator ","
        german.setResourceFolder(qt27::DeviceResourceFolder());
    }
    /// What the page does: type, manager, range, then initializing off; then the unit.
    void configure(int type, int range, int unit) {
        control.setTyp(static_cast<qint16>(type));
        control.setResourceManager(&german);
        control.setRange(static_cast<quint8>(range));
        control.setIsInitializing(false);
        units(&control)->setCurrentIndex(unit);
    }

    rmox::ResourceManager german;
    qt27::ChannelObservation control;
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

// Displayed value (raw + offset) / denominator; gauge position raw / divisor, so that the
// end of every range meets the red zone.
TEST_P(ScalingTableTest, GaugeZonesUnitAndValuesFollowTheRow) {
    const Row& row = GetParam();
    configure(row.type, row.range, row.unit);
    const rmox::GaugeCtl* shown = gauge(&control);
    EXPECT_EQ(
        std::make_tuple(shown->ScaleMin(), shown->ScaleMax(), shown->ScaleStep(), shown->ScaleDivisions()),
        std::make_tuple(row.min, row.max, row.step, 5));
    EXPECT_EQ(units(&control)->itemText(1), QLatin1String(row.unitText));
    const float zones[3][2] = {{row.liveZero, row.rangeEnd}, {row.rangeEnd, 1000}, {0, row.liveZero}};
    for (int zone = 0; zone < 3; ++zone) {
        EXPECT_NEAR(shown->ZoneStart(zone), zones[zone][0], row.type == 37 ? 0 : 0.001) << zone;
        EXPECT_NEAR(shown->ZoneEnd(zone), zones[zone][1], row.type == 37 ? 0 : 0.001) << zone;
    }
    const int fullScale = row.range < 2 ? 10000 : row.type == 37 ? 20000 : 5000;
    for (int raw : {4321, 0, fullScale}) {
        control.SetCurrentValue(static_cast<qint16>(raw));
        const double value = (raw + row.offset) / row.factorDenominator;
        EXPECT_EQ(valueText(&control), QString::number(value, 'f', row.unit == 0 ? 1 : 3).replace('.', ','))
            << raw;
        EXPECT_NEAR(shown->Value(), raw / row.divisor, 0.01) << raw;
    }
    EXPECT_NEAR(shown->Value(), 833.3, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Documented, ScalingTableTest, testing::ValuesIn(kRows));

// Created with the volts of range 0; a range waits for the end of initializing. A type,
// range or unit without scaling shows "-/-" and leaves the gauge as it was.
TEST_F(ChannelObservationTest, RangeWaitsForInitializingAndUnknownCombinationsShowDashes) {
    EXPECT_EQ(caption(&control), QStringLiteral("channel 0: "));
    EXPECT_FALSE(gauge(&control)->SliderVisible());
    EXPECT_EQ(std::make_tuple(gauge(&control)->ZoneColor(0), gauge(&control)->ZoneColor(1),
                              gauge(&control)->ZoneColor(2)),
              std::make_tuple(65280, 255, 255));
    EXPECT_EQ(units(&control)->currentText(), QStringLiteral("V"));
    control.SetCurrentValue(12000);
    control.setRange(3);
    EXPECT_EQ(valueText(&control), QStringLiteral("12.000"));
    control.setIsInitializing(false);
    EXPECT_EQ(valueText(&control), QStringLiteral("12.000"));
    EXPECT_NEAR(gauge(&control)->Value(), 500, 0.01);
    for (const auto& [type, range, unit] : {std::tuple{12, 0, 1}, {37, 4, 1}, {37, 0, -1}}) {
        configure(37, 0, 1);
        control.setTyp(static_cast<qint16>(type));
        control.setRange(static_cast<quint8>(range));
        units(&control)->setCurrentIndex(unit);
        control.SetCurrentValue(7000);
        EXPECT_EQ(valueText(&control), QStringLiteral("-/-")) << type << " " << range << " " << unit;
        EXPECT_EQ(gauge(&control)->Value(), 0.0F);
        EXPECT_EQ(gauge(&control)->ScaleMax(), 12.0);
    }
}

// The way back from a number in the unit shown, or a gauge position, to a raw value:
// halves to the even integer, beyond 16 bits an overflow.
TEST(ChannelScalingTest, NumbersAndGaugePositionsGiveRawValuesHalvesToEven) {
    EXPECT_EQ(qt27::RawFromNumber(-30, qt27::ScalingFor(37, 0, 3)), -800);
    EXPECT_EQ(qt27::RawFromPermille(1000.0F, qt27::ScalingFor(54, 1, 2)), 6000);
    const qt27::Scaling identity{1.0F, 1.0F, 0.0F};
    for (const auto& [value, raw] : {std::pair{2.5, 2}, {-3.5, -4}, {2.6, 3}, {-32768.5, -32768}}) {
        EXPECT_EQ(qt27::RawFromNumber(value, identity), raw) << value;
        EXPECT_EQ(qt27::RawFromPermille(static_cast<float>(value), identity), raw) << value;
    }
    for (double value : {32767.5, -32768.6, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(qt27::RawFromNumber(value, identity), rmox::Error) << value;
    }
    EXPECT_THROW(qt27::RawFromPermille(1, qt27::ScalingFor(37, 2, 0)), rmox::Error);
}

/// Forced mask 05; 12000 valid, 5000 invalid, 6000 invalid, 20000 valid.
const QByteArray kTelegram = QByteArray::fromHex("052EE0938897704E20");

/// The Observation page online after Init, for a module of three channels with the ranges
/// 4..20 mA, 0..10 V, 2..10 V, 0..20 mA (the bits around the range bits set on some).
struct ObservationPage {
    explicit ObservationPage(const char* type = "37", const char* bytes = "0CF3F70B00")
        : session(testsupport::FakeModule{
              type, "QT27Ex", 7, QByteArray::fromHex(bytes), {"TI-101", "TI-102", "TI-103"}, {}}) {
        EXPECT_TRUE(session.init(page));
        testsupport::runQueue();
        session.comm.answerConnect();
        testsupport::runQueue();
    }
    QStringList shows() const { return testsupport::channelsShow(&page); }

    testsupport::PageSession session;
    qt27::Observation page;
};

// The range of channel i comes from bits 2-3 of byte i, the tag from the host's channel i.
TEST(ObservationTest, InitConfiguresEveryChannelFromItsByteAndTag) {
    ObservationPage open;
    const char* units37[] = {"mA", "V", "V", "mA"};
    for (int index = 0; index < 4; ++index) {
        const QWidget* channel = open.page.channelObservation(index);
        EXPECT_EQ(units(channel)->itemText(1), QLatin1String(units37[index])) << index;
        EXPECT_EQ(caption(channel),
                  index < 3 ? QStringLiteral("Channel %1: TI-10%1").arg(index + 1) : "Channel 4: ");
    }
    EXPECT_FALSE(open.page.cycleTimer()->isActive());  // until the first answer, then every 500 ms
    EXPECT_EQ(open.page.cycleTimer()->interval(), 500);
    EXPECT_EQ(child<QLabel>(&open.page, "lblSlotNumber")->text(), QStringLiteral("07"));
    EXPECT_EQ(child<QLabel>(&open.page, "lblSlotNumberLabel")->text(), open.session.commonText(6002));
}

// The flags of the telegram choose the pictures; after the user's disconnect and a refused
// connect the values stay without them, as outdated values. A type code that is no number or
// no byte leaves the displays at type 37; other numbers have no scaling tables.
TEST(ObservationTest, ValuesAndPicturesFollowTheSession) {
    ObservationPage open;
    open.session.comm.answerRead(kTelegram);
    const QStringList values = {"12.000 153", "5.000 152", "6.000 155", "20.000 150"};
    EXPECT_EQ(open.shows(), values);
    open.page.ctlButtons_PageButton();
    testsupport::runQueue();
    open.session.comm.answerDisconnect();
    const QStringList outdated = {"12.000 0", "5.000 0", "6.000 0", "20.000 0"};
    EXPECT_EQ(open.shows(), outdated);
    open.session.comm.refuseNext(testsupport::FakeCommunication::Kind::Connect);
    open.page.ctlButtons_PageButton();
    testsupport::runQueue();
    EXPECT_EQ(open.shows(), outdated);
    for (const auto& [type, shown] :
         {std::pair{"QT", "12.000 153"}, {"12", "-/- 153"}, {"32767", "12.000 153"}}) {
        ObservationPage other(type);
        other.session.comm.answerRead(kTelegram);
        EXPECT_EQ(other.shows().value(0), QLatin1String(shown)) << type;
    }
}

}  // namespace
