// The Observation page against the scripted host: how Init configures the four
// channel displays, what the page shows through the session (connect, read answers,
// abort, the user's disconnect) and its help topic.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/DebugLogCapture.h"
#include "support/FakeCommunication.h"
#include "support/FakeHost.h"

namespace {

using qt27::ChannelObservation;
using testsupport::FakeCommunication;
using testsupport::FakeModule;
using Kind = FakeCommunication::Kind;
using ConnectAnswer = FakeCommunication::ConnectAnswer;

/// Runs the calls queued so far.
void runQueue() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

/// Type 37 with one range per channel: 4..20 mA, 0..10 V, 2..10 V, 0..20 mA. The
/// bits around the range bits are set on some channels; only bits 2-3 count.
FakeModule mixedRanges() {
    FakeModule module;
    module.parameters = QByteArray::fromHex("0CF3F70B00");
    return module;
}

/// Forced mask 05 (channels 0 and 2); 12000 valid, 5000 invalid, 6000 invalid,
/// 20000 valid.
const QByteArray kTelegram = QByteArray::fromHex("052EE0938897704E20");

class ObservationTest : public testing::Test {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    void TearDown() override { qt27::HelpUtilities::CloseAllHelp(); }

    /// Creates the page and a host for @p module.
    void create(const FakeModule& module = mixedRanges()) {
        dtm = std::make_unique<testsupport::FakeDtm>(module);
        comm = std::make_unique<FakeCommunication>(&dtm->log);
        dtm->communication.append(comm.get());
        page = std::make_unique<qt27::Observation>();
    }
    void init() {
        ASSERT_TRUE(page->IDtmActiveXControl_Init(QStringLiteral("INV-OBS"), QString(), dtm.get()));
    }
    /// Creates the page for @p module and runs Init; the connect stays queued.
    void open(const FakeModule& module = mixedRanges()) {
        create(module);
        init();
    }
    /// Online with the first read outstanding.
    void reachBusy() {
        runQueue();
        comm->answerConnect();
        runQueue();
        ASSERT_EQ(comm->count(Kind::Transaction), 1);
    }
    /// Online and idle after one read answer with kTelegram; the timer runs.
    void reachReading() {
        reachBusy();
        comm->answerRead(kTelegram);
    }

    ChannelObservation* channel(int index) const { return page->channelObservation(index); }
    template <typename T>
    T* element(int index, const char* name) const {
        T* found = channel(index)->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString valueText(int index) const { return element<QLineEdit>(index, "txtValue")->text(); }
    QComboBox* unitList(int index) const { return element<QComboBox>(index, "cmbUnit"); }
    rmox::GaugeCtl* gauge(int index) const { return element<rmox::GaugeCtl>(index, "ctlGauge"); }
    QPixmap statePicture(int index) const { return element<QLabel>(index, "imgState")->pixmap(); }
    QString connectCaption() const { return page->buttons()->pageButton()->text(); }
    QString commonText(int id) const {
        return dtm->base.resources.GetString(id, qt27::CommonResourceFolder());
    }
    QStringList errors() const {
        QStringList texts;
        for (const auto& error : dtm->base.events.errors) {
            texts.append(error.second);
        }
        return texts;
    }
    /// True when channel @p index shows the state picture @p pictureId.
    bool showsPicture(int index, int pictureId) const {
        const QPixmap shown = statePicture(index);
        const QPixmap expected = dtm->base.resources.GetPicture(pictureId, qt27::CommonResourceFolder());
        if (shown.isNull() || expected.isNull()) {
            return false;
        }
        const QImage want =
            (expected.size() == shown.size()
                 ? expected
                 : expected.scaled(shown.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation))
                .toImage()
                .convertToFormat(QImage::Format_ARGB32);
        return shown.toImage().convertToFormat(QImage::Format_ARGB32) == want;
    }
    /// Value texts of the four channels.
    QStringList valueTexts() const {
        QStringList texts;
        for (int index = 0; index < 4; ++index) {
            texts.append(valueText(index));
        }
        return texts;
    }

    std::unique_ptr<testsupport::FakeDtm> dtm;
    std::unique_ptr<FakeCommunication> comm;
    std::unique_ptr<qt27::Observation> page;
};

// --- Init ------------------------------------------------------------------------------

TEST_F(ObservationTest, InitConfiguresEveryChannelFromBitsTwoAndThreeOfItsByte) {
    open();
    const quint8 ranges[] = {3, 0, 1, 2};
    const char* units[] = {"mA", "V", "V", "mA"};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(channel(index)->ChannelNumber(), index + 1);
        EXPECT_FALSE(channel(index)->IsInitializing());
        EXPECT_EQ(channel(index)->Typ(), 37);
        EXPECT_EQ(channel(index)->ResourceManager(), page->deviceResourceManager());
        EXPECT_EQ(channel(index)->Range(), ranges[index]);
        EXPECT_EQ(unitList(index)->itemText(1), QString::fromLatin1(units[index]));
    }
}

// The first edge case of the page: bits 2-3 = 3 on type 37 is 4..20 mA.
TEST_F(ObservationTest, FourToTwentyMilliampereChannelScalesInMilliampereOrPercent) {
    open();
    EXPECT_EQ(unitList(0)->currentIndex(), 1);
    EXPECT_EQ(unitList(0)->currentText(), QStringLiteral("mA"));
    EXPECT_EQ(gauge(0)->ScaleMin(), 0.0);
    EXPECT_EQ(gauge(0)->ScaleMax(), 24.0);

    unitList(0)->setCurrentIndex(0);
    EXPECT_EQ(gauge(0)->ScaleMin(), -25.0);
    EXPECT_EQ(gauge(0)->ScaleMax(), 125.0);
    // The other channels keep their own unit.
    EXPECT_EQ(unitList(3)->currentIndex(), 1);
    EXPECT_EQ(gauge(3)->ScaleMax(), 24.0);
}

TEST_F(ObservationTest, TypeFiftyFourTakesItsOwnScales) {
    FakeModule module;
    module.typeCode = QStringLiteral("54");
    module.parameters = QByteArray::fromHex("0C08040000");
    open(module);
    EXPECT_EQ(channel(0)->Typ(), 54);
    for (int index : {0, 1}) {
        EXPECT_EQ(unitList(index)->itemText(1), QStringLiteral("V"));
        EXPECT_EQ(gauge(index)->ScaleMax(), 6.0) << index;
    }
    EXPECT_EQ(gauge(2)->ScaleMax(), 12.0);
}

TEST_F(ObservationTest, ChannelsCarryTheTagsOfTheHostsChannels) {
    FakeModule module = mixedRanges();
    module.tags = {QStringLiteral("FT-1"), QStringLiteral("FT-2"), QStringLiteral("FT-3")};
    open(module);
    const QString channelText = commonText(6003);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(channel(index)->ChannelTag(), module.tags[index]);
        EXPECT_EQ(element<QGroupBox>(index, "fraChannelObservation")->title(),
                  QStringLiteral("%1 %2: %3").arg(channelText).arg(index + 1).arg(module.tags[index]));
    }
    // The module has only three channel documents: the fourth display keeps no tag.
    EXPECT_EQ(channel(3)->ChannelTag(), QString());
}

TEST_F(ObservationTest, ChannelDocumentThatFailsLeavesTheOtherTags) {
    testsupport::FakeDtm host{mixedRanges()};
    host.channels.channels[1]->fail = true;
    FakeCommunication service(&host.log);
    host.communication.append(&service);
    qt27::Observation observation;
    observation.IDtmActiveXControl_Init(QStringLiteral("INV"), QString(), &host);
    EXPECT_EQ(observation.channelObservation(0)->ChannelTag(), QStringLiteral("TI-101"));
    EXPECT_EQ(observation.channelObservation(1)->ChannelTag(), QString());
    EXPECT_EQ(observation.channelObservation(2)->ChannelTag(), QStringLiteral("TI-103"));
    EXPECT_EQ(host.calls(QStringLiteral("UiOpened")).size(), 1);
}

class SlotNumberTest : public ObservationTest,
                       public testing::WithParamInterface<std::pair<int, const char*>> {};

TEST_P(SlotNumberTest, ShowsAtLeastTwoDigits) {
    FakeModule module = mixedRanges();
    module.slot = GetParam().first;
    open(module);
    EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("lblSlotNumber"))->text(),
              QString::fromLatin1(GetParam().second));
    EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("lblSlotNumberLabel"))->text(), commonText(6002));
}

INSTANTIATE_TEST_SUITE_P(Slots, SlotNumberTest,
                         testing::Values(std::pair{0, "00"}, std::pair{7, "07"}, std::pair{12, "12"},
                                         std::pair{123, "123"}));

TEST_F(ObservationTest, ParameterBytesMissingLeaveTheirChannelsOnRangeZero) {
    FakeModule module;
    module.parameters = QByteArray::fromHex("0C0C");
    open(module);
    EXPECT_EQ(channel(0)->Range(), 3);
    EXPECT_EQ(channel(1)->Range(), 3);
    EXPECT_EQ(channel(2)->Range(), 0);
    EXPECT_EQ(channel(3)->Range(), 0);
    EXPECT_FALSE(channel(3)->IsInitializing());
    EXPECT_EQ(dtm->calls(QStringLiteral("UiOpened")).size(), 1);
}

// --- Connect button captions ------------------------------------------------------------

TEST_F(ObservationTest, ConnectButtonSaysDisconnectFromTheEndOfInitBeforeTheConnection) {
    open();
    EXPECT_EQ(connectCaption(), commonText(7012));
    EXPECT_FALSE(page->buttons()->pageButton()->isHidden());
    EXPECT_EQ(comm->count(Kind::Connect), 0);
    EXPECT_EQ(dtm->calls(QStringLiteral("UiOpened")), QStringList{QStringLiteral("UiOpened(INV-OBS)")});

    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 1);
    EXPECT_EQ(connectCaption(), commonText(7012));
}

TEST_F(ObservationTest, ConnectAnswerWithoutConnectionSaysConnectAndWaitsForTheUser) {
    open();
    runQueue();
    comm->answerConnect(ConnectAnswer::NoConnectPart);
    runQueue();
    EXPECT_EQ(connectCaption(), commonText(7011));
    EXPECT_EQ(errors(), QStringList{FakeCommunication::connectErrorText()});
    EXPECT_EQ(comm->count(Kind::Connect), 1);
    EXPECT_FALSE(page->isOnline());

    page->ctlButtons_PageButton();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
}

TEST_F(ObservationTest, UnreadableConnectAnswerKeepsDisconnectAndConnectsAgain) {
    open();
    runQueue();
    comm->answerConnect(ConnectAnswer::Unreadable);
    EXPECT_EQ(connectCaption(), commonText(7012));
    EXPECT_EQ(errors().size(), 1);
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
    comm->answerConnect();
    EXPECT_TRUE(page->isOnline());
    EXPECT_EQ(connectCaption(), commonText(7012));
}

// --- Values -----------------------------------------------------------------------------

TEST_F(ObservationTest, ReadAnswerShowsEveryChannelWithItsStatePicture) {
    open();
    reachBusy();
    for (int index = 0; index < 4; ++index) {
        EXPECT_TRUE(channel(index)->HasConnection()) << index;
        EXPECT_TRUE(statePicture(index).isNull()) << index;
    }
    comm->answerRead(kTelegram);
    EXPECT_EQ(valueTexts(), (QStringList{QStringLiteral("12.000"), QStringLiteral("5.000"),
                                         QStringLiteral("6.000"), QStringLiteral("20.000")}));
    EXPECT_FLOAT_EQ(gauge(0)->Value(), 500.0F);
    EXPECT_TRUE(showsPicture(0, ChannelObservation::PictureValidForced));
    EXPECT_TRUE(showsPicture(1, ChannelObservation::PictureInvalid));
    EXPECT_TRUE(showsPicture(2, ChannelObservation::PictureInvalidForced));
    EXPECT_TRUE(showsPicture(3, ChannelObservation::PictureValid));
    for (int index = 0; index < 4; ++index) {
        EXPECT_TRUE(channel(index)->HasConnection()) << index;
    }
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_TRUE(page->cycleTimer()->isActive());
}

TEST_F(ObservationTest, NextCycleReplacesTheValuesAndPictures) {
    open();
    reachReading();
    page->timCyclic_Timer();
    runQueue();
    ASSERT_EQ(comm->count(Kind::Transaction), 2);
    comm->answerRead(QByteArray::fromHex("00BA98000000000000"));  // 0x3A98 = 15000, invalid
    EXPECT_EQ(valueTexts(), (QStringList{QStringLiteral("15.000"), QStringLiteral("0.000"),
                                         QStringLiteral("0.000"), QStringLiteral("0.000")}));
    EXPECT_TRUE(showsPicture(0, ChannelObservation::PictureInvalid));
    EXPECT_TRUE(showsPicture(1, ChannelObservation::PictureValid));
}

TEST_F(ObservationTest, ReadAnswersWithoutDataKeepTheLastValues) {
    open();
    reachReading();
    const QStringList shown = valueTexts();
    page->timCyclic_Timer();
    runQueue();
    comm->answerReadError();
    EXPECT_EQ(valueTexts(), shown);
    // They are no longer current: greyed, without state picture.
    EXPECT_TRUE(statePicture(3).isNull());
    EXPECT_EQ(channel(3)->valueState(), qt27::ValueState::Outdated);
    EXPECT_TRUE(page->cycleTimer()->isActive());
}

TEST_F(ObservationTest, AbortKeepsTheValuesButRemovesTheStatePictures) {
    open();
    reachReading();
    const QStringList shown = valueTexts();
    const float pointer = gauge(0)->Value();
    comm->abort();
    EXPECT_EQ(valueTexts(), shown);
    EXPECT_FLOAT_EQ(gauge(0)->Value(), pointer);
    for (int index = 0; index < 4; ++index) {
        EXPECT_FALSE(channel(index)->HasConnection()) << index;
        EXPECT_TRUE(statePicture(index).isNull()) << index;
    }
    EXPECT_EQ(connectCaption(), commonText(7011));
    EXPECT_FALSE(page->isOnline());
    EXPECT_EQ(errors().last(), dtm->base.resources.GetString(1127, qt27::DeviceResourceFolder()));

    // The timer was running: its next tick connects again.
    page->timCyclic_Timer();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
}

TEST_F(ObservationTest, UserDisconnectKeepsTheValuesAsOutdated) {
    open();
    reachReading();
    page->timCyclic_Timer();
    runQueue();
    ASSERT_EQ(comm->count(Kind::Transaction), 2);

    // Connect button while a read is outstanding: the answer queues the disconnect.
    page->ctlButtons_PageButton();
    EXPECT_EQ(comm->count(Kind::Disconnect), 0);
    comm->answerRead(kTelegram);
    EXPECT_FALSE(page->cycleTimer()->isActive());
    runQueue();
    ASSERT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_EQ(comm->last(Kind::Disconnect).reference, comm->reference);
    comm->answerDisconnect();

    EXPECT_FALSE(page->isOnline());
    EXPECT_EQ(connectCaption(), commonText(7011));
    EXPECT_EQ(valueTexts(), (QStringList{QStringLiteral("12.000"), QStringLiteral("5.000"),
                                         QStringLiteral("6.000"), QStringLiteral("20.000")}));
    EXPECT_TRUE(statePicture(0).isNull());
    EXPECT_EQ(channel(0)->valueState(), qt27::ValueState::Outdated);
    EXPECT_TRUE(channel(0)->HasConnection());
    EXPECT_TRUE(dtm->calls(QStringLiteral("CloseUi")).isEmpty());
    EXPECT_TRUE(dtm->calls(QStringLiteral("UiReleased")).isEmpty());

    // Pressed once more, the button connects again.
    page->ctlButtons_PageButton();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
    comm->answerConnect();
    EXPECT_EQ(connectCaption(), commonText(7012));
}

TEST_F(ObservationTest, RefusedConnectRemovesThePicturesOnly) {
    open();
    reachReading();
    comm->abort();
    comm->refuseNext(Kind::Connect);
    page->ctlButtons_PageButton();
    runQueue();
    EXPECT_FALSE(page->isOnline());
    EXPECT_EQ(valueText(0), QStringLiteral("12.000"));
    EXPECT_TRUE(statePicture(0).isNull());
    EXPECT_FALSE(channel(0)->HasConnection());
}

// --- Session corners ----------------------------------------------------------------------

// After an abort the running timer and the connect button both ask for a connect;
// a second Connect would leave a connection open that nobody takes down.
TEST_F(ObservationTest, ConnectButtonAndTickAfterAnAbortConnectOnce) {
    open();
    reachReading();
    comm->abort();
    ASSERT_TRUE(page->cycleTimer()->isActive());
    page->ctlButtons_PageButton();
    page->timCyclic_Timer();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
    EXPECT_EQ(comm->outstanding().size(), 1);
    comm->answerConnect();
    EXPECT_TRUE(page->isOnline());
    runQueue();
    EXPECT_EQ(comm->count(Kind::Connect), 2);
    EXPECT_EQ(comm->count(Kind::Transaction), 2);
}

// The user asked for the disconnect while a read was outstanding, then the host asks
// for the release: the read answer and PrepareToRelease each queue CallDisconnect.
// The page sends one Disconnect, and its answer releases the page. (A second
// Disconnect would be refused by a service that closed the connection with the first
// one, and the first answer would then no longer be the page's own.)
TEST_F(ObservationTest, UserDisconnectAndReleaseDuringARead) {
    open();
    reachReading();
    page->timCyclic_Timer();
    runQueue();
    page->ctlButtons_PageButton();
    page->IDtmActiveXControl_PrepareToRelease();
    comm->answerRead(kTelegram);
    runQueue();
    EXPECT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_EQ(comm->outstanding().size(), 1);
    comm->answerDisconnect();
    EXPECT_EQ(dtm->calls(QStringLiteral("UiReleased")).size(), 1);
    EXPECT_FALSE(page->isOnline());
}

// The connection aborts after Close or PrepareToRelease queued the disconnect and
// before it ran: nothing is left to disconnect, and the page ends as an offline page
// would, without a Disconnect for a connection that is gone.
TEST_F(ObservationTest, CloseEndsWhenTheConnectionAbortsBeforeTheDisconnect) {
    open();
    reachReading();
    page->ctlButtons_Clos();
    comm->abort();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Disconnect), 0);
    EXPECT_EQ(dtm->calls(QStringLiteral("CloseUi")).size(), 1);
}

TEST_F(ObservationTest, ReleaseEndsWhenTheConnectionAbortsBeforeTheDisconnect) {
    open();
    reachBusy();
    page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_TRUE(dtm->calls(QStringLiteral("UiReleased")).isEmpty());
    comm->abort();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Disconnect), 0);
    EXPECT_EQ(dtm->calls(QStringLiteral("UiReleased")).size(), 1);
    EXPECT_TRUE(dtm->calls(QStringLiteral("CloseUi")).isEmpty());
}

// Close while a read is outstanding; the read answer comes before the queued
// disconnect has run and switches the timer on again. The next tick must not send a
// read beside the disconnect: that read would become the outstanding request, the
// disconnect answer would be taken for a foreign one and the page would never close.
TEST_F(ObservationTest, CloseDuringAReadEndsTheCycleForGood) {
    open();
    reachBusy();
    page->ctlButtons_Clos();
    comm->answerRead(kTelegram);
    runQueue();
    ASSERT_EQ(comm->count(Kind::Disconnect), 1);
    page->timCyclic_Timer();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Transaction), 1);
    comm->answerDisconnect();
    EXPECT_EQ(dtm->calls(QStringLiteral("CloseUi")).size(), 1);
}

TEST_F(ObservationTest, ReadQueuedBeforeCloseIsNotSent) {
    open();
    reachReading();
    page->timCyclic_Timer();
    page->ctlButtons_Clos();
    runQueue();
    EXPECT_EQ(comm->count(Kind::Transaction), 1);
    EXPECT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_EQ(comm->outstanding().size(), 1);
}

// The user's disconnect was refused: the page stays online, and a later release
// disconnects instead of waiting for the answer of a disconnect that never ran.
TEST_F(ObservationTest, ReleaseAfterARefusedUserDisconnectDisconnects) {
    open();
    reachBusy();
    page->ctlButtons_PageButton();
    comm->answerRead(kTelegram);
    comm->refuseNext(Kind::Disconnect);
    runQueue();
    ASSERT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_TRUE(page->isOnline());
    EXPECT_FALSE(page->isDisconnecting());

    page->IDtmActiveXControl_PrepareToRelease();
    runQueue();
    ASSERT_EQ(comm->count(Kind::Disconnect), 2);
    comm->answerDisconnect();
    EXPECT_EQ(dtm->calls(QStringLiteral("UiReleased")).size(), 1);
}

// The user asked for the disconnect, then the connection aborted. The next
// connection reads on instead of disconnecting after its first answer.
TEST_F(ObservationTest, DisconnectAskedForBeforeAnAbortDoesNotEndTheNextConnection) {
    open();
    reachBusy();
    page->ctlButtons_PageButton();
    comm->abort();
    page->ctlButtons_PageButton();
    runQueue();
    comm->answerConnect();
    EXPECT_FALSE(page->isDisconnectRequested());
    runQueue();
    comm->answerRead(kTelegram);
    runQueue();
    EXPECT_EQ(comm->count(Kind::Disconnect), 0);
    EXPECT_TRUE(page->cycleTimer()->isActive());
}

// An abort does not stop a running timer. When the user connects again before its
// tick, the new connection starts the cycle afresh. A tick of the old timer during
// the first read would queue a second read that goes out after the first answer,
// beside the disconnect the user asked for meanwhile.
TEST_F(ObservationTest, ReconnectAfterAnAbortStartsTheCycleAfresh) {
    open();
    reachReading();
    page->cycleTimer()->setInterval(0);  // ticks whenever the event loop runs
    comm->abort();
    EXPECT_TRUE(page->cycleTimer()->isActive());
    page->ctlButtons_PageButton();
    runQueue();
    comm->answerConnect();
    EXPECT_FALSE(page->cycleTimer()->isActive());
    runQueue();
    ASSERT_EQ(comm->count(Kind::Transaction), 2);
    QCoreApplication::processEvents();
    page->ctlButtons_PageButton();
    comm->answerRead(kTelegram);
    runQueue();
    EXPECT_EQ(comm->count(Kind::Transaction), 2);
    EXPECT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_EQ(comm->outstanding().size(), 1);
}

// The release disconnects; the Disconnect is refused, so the page stays online and
// unreleased. When the connection then aborts, nothing is left to wait for.
TEST_F(ObservationTest, AbortAfterARefusedReleaseDisconnectReleases) {
    open();
    reachBusy();
    page->IDtmActiveXControl_PrepareToRelease();
    comm->refuseNext(Kind::Disconnect);
    runQueue();
    ASSERT_EQ(comm->count(Kind::Disconnect), 1);
    EXPECT_TRUE(page->isOnline());
    EXPECT_TRUE(dtm->calls(QStringLiteral("UiReleased")).isEmpty());
    comm->abort();
    EXPECT_EQ(dtm->calls(QStringLiteral("UiReleased")).size(), 1);
}

// The release waits for the user's disconnect; the connection aborts before its
// answer, which therefore never comes.
TEST_F(ObservationTest, AbortWhileTheReleaseWaitsForTheDisconnectReleases) {
    open();
    reachBusy();
    page->ctlButtons_PageButton();
    comm->answerRead(kTelegram);
    runQueue();
    ASSERT_TRUE(page->isDisconnecting());
    page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_TRUE(dtm->calls(QStringLiteral("UiReleased")).isEmpty());
    comm->abort();
    EXPECT_EQ(dtm->calls(QStringLiteral("UiReleased")).size(), 1);
}

// --- Module types ---------------------------------------------------------------------------

// A type code that is not a number fails the Typ step: the error is logged, the
// displays keep their default type 37 and the page runs as usual.
TEST_F(ObservationTest, TypeCodeThatIsNoNumberIsLoggedAndKeepsTheDefaultType) {
    FakeModule module = mixedRanges();
    module.typeCode = QStringLiteral("QT");
    create(module);
    testsupport::DebugLogCapture log;
    init();
    EXPECT_FALSE(log.linesFrom(QStringLiteral("Observation")).filter(QStringLiteral("\"QT\"")).isEmpty());
    reachReading();
    EXPECT_EQ(channel(0)->Typ(), 37);
    EXPECT_EQ(valueText(0), QStringLiteral("12.000"));
    EXPECT_EQ(dtm->calls(QStringLiteral("UiOpened")).size(), 1);
}

// A number without scaling tables shows every value as unknown.
TEST_F(ObservationTest, TypeWithoutScalingShowsUnknownValues) {
    FakeModule module = mixedRanges();
    module.typeCode = QStringLiteral("12");
    open(module);
    reachReading();
    EXPECT_EQ(channel(0)->Typ(), 12);
    EXPECT_EQ(valueTexts(), QStringList(4, QStringLiteral("-/-")));
    EXPECT_EQ(gauge(0)->Value(), 0.0F);
    EXPECT_TRUE(showsPicture(0, ChannelObservation::PictureValidForced));
}

// --- Help ---------------------------------------------------------------------------------

TEST_F(ObservationTest, HelpShowsTopic21400) {
    open();
    page->ctlButtons_Help();
    EXPECT_NE(page->helpWindowHandle(), 0u);
    QTextBrowser* help = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* browser = qobject_cast<QTextBrowser*>(widget); browser != nullptr && browser->isVisible()) {
            help = browser;
        }
    }
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(QDir::cleanPath(help->source().toLocalFile()),
              QDir::cleanPath(QDir::fromNativeSeparators(qt27::HelpUtilities::TopicPath(21400))));
}

}  // namespace
