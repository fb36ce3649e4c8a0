// The channel value display with the documented scaling tables (under a German locale
// and separator), its pictures and texts; the Observation page on the scripted host.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLocale>
#include <QPushButton>
#include <memory>
#include <tuple>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/ChannelScaling.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/PageSession.h"

namespace {

using qt27::ChannelObservation;
using testsupport::child;
using testsupport::statePicture;
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
        control->setTyp(static_cast<qint16>(type));
        control->setResourceManager(&german);
        control->setRange(static_cast<quint8>(range));
        control->setIsInitializing(false);
        units(c())->setCurrentIndex(unit);
    }
    const QWidget* c() const { return control.get(); }

    rmox::ResourceManager german;
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

// Displayed value (raw + offset) / denominator; gauge position raw / divisor, so that
// the end of every range meets the red zone.
TEST_P(ScalingTableTest, GaugeZonesUnitAndValuesFollowTheRow) {
    const Row& row = GetParam();
    configure(row.type, row.range, row.unit);
    EXPECT_EQ(gauge(c())->ScaleMin(), row.min);
    EXPECT_EQ(gauge(c())->ScaleMax(), row.max);
    EXPECT_EQ(gauge(c())->ScaleStep(), row.step);
    EXPECT_EQ(gauge(c())->ScaleDivisions(), 5);
    EXPECT_EQ(units(c())->itemText(1), QLatin1String(row.unitText));
    const float zones[3][2] = {{row.liveZero, row.rangeEnd}, {row.rangeEnd, 1000}, {0, row.liveZero}};
    for (int zone = 0; zone < 3; ++zone) {
        EXPECT_NEAR(gauge(c())->ZoneStart(zone), zones[zone][0], row.type == 37 ? 0 : 0.001) << zone;
        EXPECT_NEAR(gauge(c())->ZoneEnd(zone), zones[zone][1], row.type == 37 ? 0 : 0.001) << zone;
    }
    const int fullScale = row.range < 2 ? 10000 : row.type == 37 ? 20000 : 5000;
    for (int raw : {4321, 0, fullScale}) {
        control->SetCurrentValue(static_cast<qint16>(raw));
        const double shown = (raw + row.offset) / row.factorDenominator;
        EXPECT_EQ(valueText(c()), QString::number(shown, 'f', row.unit == 0 ? 1 : 3).replace('.', ','))
            << raw;
        EXPECT_NEAR(gauge(c())->Value(), raw / row.divisor, 0.01) << raw;
    }
    EXPECT_NEAR(gauge(c())->Value(), 833.3, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Documented, ScalingTableTest, testing::ValuesIn(kRows));

// Created with the volts of range 0; a range waits for the end of initializing. A type,
// range or unit without scaling shows "-/-" and leaves the gauge as it was.
TEST_F(ChannelObservationTest, RangeWaitsForInitializingAndUnknownCombinationsShowDashes) {
    EXPECT_FALSE(gauge(c())->SliderVisible());
    EXPECT_EQ(gauge(c())->ZoneColor(0), 65280);
    EXPECT_EQ(gauge(c())->ZoneColor(1), 255);
    EXPECT_EQ(gauge(c())->ZoneColor(2), 255);
    EXPECT_EQ(units(c())->currentText(), QStringLiteral("V"));
    control->SetCurrentValue(12000);
    control->setRange(3);
    EXPECT_EQ(valueText(c()), QStringLiteral("12.000"));
    control->setIsInitializing(false);
    EXPECT_EQ(gauge(c())->ScaleMax(), 24.0);
    EXPECT_NEAR(gauge(c())->Value(), 500, 0.01);
    const std::tuple<int, int, int> unknown[] = {
        {12, 0, 1}, {293, 0, 1}, {-1, 0, 1}, {37, 4, 1}, {37, 0, -1}};
    for (const auto& [type, range, unit] : unknown) {
        configure(37, 0, 1);
        control->setTyp(static_cast<qint16>(type));
        control->setRange(static_cast<quint8>(range));
        units(c())->setCurrentIndex(unit);
        control->SetCurrentValue(7000);
        EXPECT_EQ(
            valueText(c()) + QString::number(gauge(c())->Value()) + QString::number(gauge(c())->ScaleMax()),
            QStringLiteral("-/-012"))
            << type << " " << range << " " << unit;
    }
}

// The manager gives the texts and the caption until its owner destroys it; then the
// caption falls back and a value shows no picture rather than the last one.
TEST_F(ChannelObservationTest, ManagerGivesTextsUntilItsOwnerDestroysIt) {
    control->setChannelNumber(3);
    control->setChannelTag(QStringLiteral("TI-101"));
    auto owned = std::make_unique<rmox::ResourceManager>();
    owned->ConfigureFrom(german);
    control->setResourceManager(owned.get());
    EXPECT_EQ(caption(c()) + child<QLabel>(c(), "lblState")->text(),
              QStringLiteral("Kanal 3: TI-101Zustand"));
    EXPECT_EQ(control->DeviceResourceManager()->Language(), QStringLiteral("de"));
    control->setIsInitializing(false);
    control->SetCurrentValue(1000);
    EXPECT_EQ(statePicture(c()), 150);
    owned.reset();
    control->setChannelNumber(-4);
    control->SetCurrentValue(1500, true);
    EXPECT_EQ(caption(c()), QStringLiteral("channel -4: TI-101"));
    EXPECT_EQ(statePicture(c()), 0);
    EXPECT_EQ(valueText(c()), QStringLiteral("1,500"));
    control->show();
    control->resize(900, 200);
    EXPECT_EQ(child(c(), "fraChannelObservation")->geometry(), QRect(0, 0, 900, 200));
}

// The way back from a number in the unit shown, or a gauge position, to a raw value.
TEST(ChannelScalingTest, NumbersAndGaugePositionsGiveRawValuesHalvesToEven) {
    EXPECT_EQ(qt27::RawFromNumber(-30, qt27::ScalingFor(37, 0, 3)), -800);
    EXPECT_EQ(qt27::RawFromNumber(50, qt27::ScalingFor(54, 0, 3)), 3000);
    EXPECT_EQ(qt27::RawFromPermille(1000.0F, qt27::ScalingFor(54, 1, 2)), 6000);
    const qt27::Scaling identity{1.0F, 1.0F, 0.0F};
    const std::pair<double, int> ties[] = {{0.5, 0}, {1.5, 2},         {2.5, 2},          {-2.5, -2},
                                           {2.6, 3}, {32766.5, 32766}, {-32768.5, -32768}};
    for (const auto& [value, raw] : ties) {
        EXPECT_EQ(qt27::RawFromNumber(value, identity), raw) << value;
        EXPECT_EQ(qt27::RawFromPermille(static_cast<float>(value), identity), raw) << value;
    }
    for (double value : {32767.5, -32768.6, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(qt27::RawFromNumber(value, identity), rmox::Error) << value;
    }
    EXPECT_THROW(qt27::RawFromNumber(1, qt27::ScalingFor(36, 0, 0)), rmox::Error);
    EXPECT_THROW(qt27::RawFromPermille(1, qt27::ScalingFor(37, 2, 0)), rmox::Error);
}

/// Forced mask 05; 12000 valid, 5000 invalid, 6000 invalid, 20000 valid.
const QByteArray kTelegram = QByteArray::fromHex("052EE0938897704E20");

/// The Observation page of a type 37 module with the ranges 4..20 mA, 0..10 V, 2..10 V,
/// 0..20 mA (the bits around the range bits set on some channels), online after Init.
struct ObservationPage {
    explicit ObservationPage(const char* type = "37",
                             const QByteArray& bytes = QByteArray::fromHex("0CF3F70B00"),
                             int failingChannel = -1)
        : session(module(type, bytes)) {
        session.dtm.channels.channels[failingChannel < 0 ? 0 : failingChannel]->fail = failingChannel >= 0;
        EXPECT_TRUE(session.init(page));
        testsupport::runQueue();
        session.comm.answerConnect();
        testsupport::runQueue();
    }
    static testsupport::FakeModule module(const char* type, const QByteArray& bytes) {
        testsupport::FakeModule module;
        module.typeCode = QLatin1String(type);
        module.parameters = bytes;
        module.tags.removeLast();
        return module;
    }
    const QWidget* channel(int index) const { return page.channelObservation(index); }

    testsupport::PageSession session;
    qt27::Observation page;
};

// The range of channel i comes from bits 2-3 of byte i, the tag from the host's channel i;
// what the page cannot read stays at the default.
TEST(ObservationTest, InitConfiguresEveryChannelFromItsByteAndTag) {
    ObservationPage open;
    const char* units37[] = {"mA", "V", "V", "mA"};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(units(open.channel(index))->itemText(1), QLatin1String(units37[index])) << index;
        EXPECT_EQ(caption(open.channel(index)),
                  index < 3 ? QStringLiteral("Channel %1: TI-10%1").arg(index + 1) : "Channel 4: ");
    }
    EXPECT_EQ(child<QLabel>(&open.page, "lblSlotNumber")->text(), QStringLiteral("07"));
    EXPECT_EQ(child<QLabel>(&open.page, "lblSlotNumberLabel")->text(), open.session.commonText(6002));
    ObservationPage shorter("54", QByteArray::fromHex("0C08"), 1);
    const double scales[] = {6, 6, 12, 12};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(gauge(shorter.channel(index))->ScaleMax(), scales[index]) << index;
    }
    EXPECT_EQ(caption(shorter.channel(1)), QStringLiteral("Channel 2: "));
}

// The flags of the telegram choose the pictures; a refused connect or an abort takes
// them away and the values stay. A type code that is no number leaves the displays at
// type 37; a number without scaling tables shows unknown values.
TEST(ObservationTest, ValuesAndPicturesFollowTheSession) {
    ObservationPage open;
    open.session.comm.answerRead(kTelegram);
    const QStringList first = {"12.000 153", "5.000 152", "6.000 155", "20.000 150"};
    EXPECT_EQ(testsupport::channelsShow(&open.page), first);
    open.session.comm.abort();
    EXPECT_EQ(testsupport::channelsShow(&open.page),
              QStringList({"12.000 0", "5.000 0", "6.000 0", "20.000 0"}));
    open.page.ctlButtons_PageButton();
    testsupport::runQueue();
    open.session.comm.answerConnect();
    testsupport::runQueue();
    open.session.comm.answerRead(kTelegram);
    EXPECT_EQ(testsupport::channelsShow(&open.page), first);
    open.page.ctlButtons_PageButton();
    open.page.timCyclic_Timer();
    testsupport::runQueue();
    open.session.comm.answerRead(kTelegram);
    testsupport::runQueue();
    open.session.comm.answerDisconnect();
    open.session.comm.refuseNext(testsupport::FakeCommunication::Kind::Connect);
    open.page.ctlButtons_PageButton();
    testsupport::runQueue();
    EXPECT_EQ(testsupport::channelsShow(&open.page),
              QStringList({"12.000 0", "5.000 0", "6.000 0", "20.000 0"}));
    for (const auto& [type, text] : {std::pair{"QT", "12.000 153"}, std::pair{"12", "-/- 153"}}) {
        ObservationPage other(type);
        other.session.comm.answerRead(kTelegram);
        EXPECT_EQ(testsupport::channelsShow(&other.page).value(0), QLatin1String(text)) << type;
    }
}

}  // namespace
