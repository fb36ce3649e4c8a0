// The Observation page on the scripted host: how Init configures the four channel
// displays from the data set, and what they show through the session.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <memory>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;
using testsupport::FakeModule;
using testsupport::runQueue;

/// Forced mask 05 (channels 0 and 2); 12000 valid, 5000 invalid, 6000 invalid, 20000 valid.
const QByteArray kTelegram = QByteArray::fromHex("052EE0938897704E20");

/// Type 37 with the ranges 4..20 mA, 0..10 V, 2..10 V and 0..20 mA; the bits around the
/// range bits are set on some channels.
FakeModule mixedRanges() {
    FakeModule module;
    module.parameters = QByteArray::fromHex("0CF3F70B00");
    return module;
}

class ObservationTest : public testing::Test {
protected:
    void open(const FakeModule& module = mixedRanges(), int failingChannel = -1) {
        page.reset();
        session = std::make_unique<testsupport::PageSession>(module);
        if (failingChannel >= 0) {
            session->dtm.channels.channels[failingChannel]->fail = true;
        }
        page = std::make_unique<qt27::Observation>();
        ASSERT_TRUE(session->init(*page));
    }
    qt27::ChannelObservation* channel(int index) const { return page->channelObservation(index); }
    rmox::GaugeCtl* gauge(int index) const { return child<rmox::GaugeCtl>(channel(index), "ctlGauge"); }
    QString units(int index) const { return child<QComboBox>(channel(index), "cmbUnit")->itemText(1); }
    QString caption(int index) const {
        return child<QGroupBox>(channel(index), "fraChannelObservation")->title();
    }
    QStringList texts() const {
        QStringList result;
        for (int index = 0; index < 4; ++index) {
            result.append(testsupport::valueText(channel(index)));
        }
        return result;
    }
    QList<int> pictures() const {
        QList<int> result;
        for (int index = 0; index < 4; ++index) {
            result.append(testsupport::statePicture(channel(index)));
        }
        return result;
    }
    QString connectCaption() const { return page->buttons()->pageButton()->text(); }

    std::unique_ptr<testsupport::PageSession> session;
    std::unique_ptr<qt27::Observation> page;
};

TEST_F(ObservationTest, InitConfiguresEveryChannelFromBitsTwoAndThreeOfItsByte) {
    open();
    const char* units37[] = {"mA", "V", "V", "mA"};
    const double scales[] = {24, 12, 12, 24};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(channel(index)->Typ(), 37);
        EXPECT_FALSE(channel(index)->IsInitializing());
        EXPECT_EQ(units(index), QLatin1String(units37[index]));
        EXPECT_EQ(gauge(index)->ScaleMax(), scales[index]);
        EXPECT_EQ(caption(index), QStringLiteral("Channel %1: TI-10%1").arg(index + 1));
    }
    EXPECT_EQ(gauge(0)->ScaleMin(), 0);
    child<QComboBox>(channel(0), "cmbUnit")->setCurrentIndex(0);  // 4..20 mA in percent
    EXPECT_EQ(gauge(0)->ScaleMin(), -25);
    EXPECT_EQ(gauge(0)->ScaleMax(), 125);
    EXPECT_EQ(child<QLabel>(page.get(), "lblSlotNumber")->text(), QStringLiteral("07"));
    EXPECT_EQ(child<QLabel>(page.get(), "lblSlotNumberLabel")->text(), session->commonText(6002));
    EXPECT_EQ(session->host(), QStringLiteral("UiOpened"));
}

// Two parameter bytes, three channels of which the second cannot be read: the page
// comes up with what it could read.
TEST_F(ObservationTest, MissingBytesAndChannelsLeaveTheirDisplaysAtTheDefaults) {
    FakeModule module;
    module.typeCode = QStringLiteral("54");
    module.parameters = QByteArray::fromHex("0C08");
    module.tags.removeLast();
    open(module, 1);
    const double scales[] = {6, 6, 12, 12};
    const char* tags[] = {"TI-101", "", "TI-103", ""};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(channel(index)->Typ(), 54);
        EXPECT_EQ(gauge(index)->ScaleMax(), scales[index]) << index;
        EXPECT_EQ(channel(index)->ChannelTag(), QLatin1String(tags[index])) << index;
        EXPECT_FALSE(channel(index)->IsInitializing());
    }
    EXPECT_EQ(session->host(), QStringLiteral("UiOpened"));
}

TEST_F(ObservationTest, ValuesAndPicturesFollowTheSession) {
    open();
    EXPECT_EQ(connectCaption(), session->commonText(7012));
    runQueue();
    session->comm.answerConnect();
    runQueue();
    EXPECT_EQ(pictures(), QList<int>({0, 0, 0, 0}));
    session->comm.answerRead(kTelegram);
    EXPECT_EQ(texts(), QStringList({"12.000", "5.000", "6.000", "20.000"}));
    EXPECT_EQ(pictures(), QList<int>({153, 152, 155, 150}));
    EXPECT_FLOAT_EQ(gauge(0)->Value(), 500.0F);

    // The user disconnects after the next read: the last values keep their pictures.
    page->ctlButtons_PageButton();
    page->timCyclic_Timer();
    runQueue();
    session->comm.answerRead(QByteArray::fromHex("00BA98000000000000"));
    runQueue();
    session->comm.answerDisconnect();
    const QStringList lastTexts = {"15.000", "0.000", "0.000", "0.000"};
    EXPECT_EQ(texts(), lastTexts);
    EXPECT_EQ(pictures(), QList<int>({152, 150, 150, 150}));
    EXPECT_EQ(connectCaption(), session->commonText(7011));

    // A refused connect takes the pictures away, the values stay.
    session->comm.refuseNext(testsupport::FakeCommunication::Kind::Connect);
    page->ctlButtons_PageButton();
    runQueue();
    EXPECT_EQ(pictures(), QList<int>({0, 0, 0, 0}));
    EXPECT_EQ(texts(), lastTexts);

    page->ctlButtons_PageButton();
    runQueue();
    session->comm.answerConnect();
    EXPECT_EQ(connectCaption(), session->commonText(7012));
    runQueue();
    session->comm.answerRead(kTelegram);
    EXPECT_EQ(pictures(), QList<int>({153, 152, 155, 150}));

    // An abort takes the pictures away; values and gauges stay.
    session->comm.abort();
    EXPECT_EQ(pictures(), QList<int>({0, 0, 0, 0}));
    EXPECT_EQ(texts(), QStringList({"12.000", "5.000", "6.000", "20.000"}));
    EXPECT_FLOAT_EQ(gauge(0)->Value(), 500.0F);
    EXPECT_EQ(connectCaption(), session->commonText(7011));
    for (int index = 0; index < 4; ++index) {
        EXPECT_FALSE(channel(index)->HasConnection());
    }
}

// A type code that is no number fails the Typ step: the displays keep type 37. A
// number without scaling tables shows every value as unknown.
TEST_F(ObservationTest, TypeCodesWithoutScaling) {
    for (const auto& [code, text] : {std::pair{"QT", "12.000"}, std::pair{"12", "-/-"}}) {
        FakeModule module = mixedRanges();
        module.typeCode = QLatin1String(code);
        open(module);
        runQueue();
        session->comm.answerConnect();
        runQueue();
        session->comm.answerRead(kTelegram);
        EXPECT_EQ(testsupport::valueText(channel(0)), QLatin1String(text)) << code;
        EXPECT_EQ(testsupport::statePicture(channel(0)), 153);
    }
}

TEST_F(ObservationTest, HelpShowsTopic21400) {
    open();
    page->ctlButtons_Help();
    EXPECT_EQ(testsupport::helpTopicShown(page->helpWindowHandle()), QStringLiteral("21400.html"));
}

}  // namespace
