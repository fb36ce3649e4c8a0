// A value that is not current looks it, on the channel display and on the
// Observation page; a module type that does not fit a byte is refused.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/Error.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "support/FakeCommunication.h"
#include "support/FakeHost.h"

namespace {

using qt27::ChannelObservation;
using Kind = testsupport::FakeCommunication::Kind;
using Pointer = rmox::GaugeCtl::PointerStyle;

/// What a channel display shows: "text|greyed|pointer style|picture".
QString lookOf(const ChannelObservation& channel) {
    const auto* text = channel.findChild<QLineEdit*>(QStringLiteral("txtValue"));
    const bool greyed =
        text->palette().color(QPalette::Text) == text->palette().color(QPalette::Disabled, QPalette::Text);
    return QStringLiteral("%1|%2|%3|%4")
        .arg(text->text())
        .arg(greyed ? "greyed" : "normal")
        .arg(channel.findChild<rmox::GaugeCtl*>(QStringLiteral("ctlGauge"))->pointerStyle())
        .arg(channel.findChild<QLabel*>(QStringLiteral("imgState"))->pixmap().isNull() ? "-" : "picture");
}

QString look(const char* text, bool greyed, Pointer pointer, bool picture) {
    return QStringLiteral("%1|%2|%3|%4")
        .arg(QLatin1String(text), greyed ? "greyed" : "normal")
        .arg(pointer)
        .arg(picture ? "picture" : "-");
}

TEST(ChannelValueStateTest, LooksCurrentOnlyFromAValueUntilItsConnectionIsGone) {
    testsupport::FakeDtm dtm;
    ChannelObservation channel;
    channel.setResourceManager(&dtm.base.resources);
    channel.setIsInitializing(false);
    EXPECT_EQ(lookOf(channel), look("-/-", true, Pointer::PointerHidden, false)) << "no value yet";
    channel.SetCurrentValue(5000);
    EXPECT_EQ(lookOf(channel), look("5.000", false, Pointer::PointerCurrent, true));
    channel.setHasConnection(false);
    EXPECT_EQ(lookOf(channel), look("5.000", true, Pointer::PointerOutdated, false));
    channel.setHasConnection(true);  // brings no value by itself
    EXPECT_EQ(lookOf(channel), look("5.000", true, Pointer::PointerOutdated, false));
    channel.SetCurrentValue(6000);
    channel.MarkValueOutdated();
    EXPECT_EQ(lookOf(channel), look("6.000", true, Pointer::PointerOutdated, false));
}

TEST(ChannelValueStateTest, TypOutsideAByteRaisesOverflowAndKeepsTheType) {
    ChannelObservation channel;
    channel.setTyp(54);
    for (const qint16 typ : {qint16(-1), qint16(256), qint16(300)}) {
        try {
            channel.setTyp(typ);
            ADD_FAILURE() << typ << " was taken";
        } catch (const rmox::Error& error) {
            EXPECT_EQ(error.number(), rmox::Error::Overflow) << typ;
        }
        EXPECT_EQ(channel.Typ(), 54) << typ;
    }
}

// How the values of a reading Observation page stop being current.
enum class End { UserDisconnect, Abort, ErrorPart, NoPart, Unreadable, RefusedRead };

class ObservationValueStateTest : public testing::TestWithParam<End> {};

TEST_P(ObservationValueStateTest, LastValuesStayButLookOutdated) {
    qt27::ReadDebugSettings(-1);
    testsupport::FakeDtm dtm;
    testsupport::FakeCommunication comm(&dtm.log);
    dtm.communication.append(&comm);
    qt27::Observation page;
    const auto runQueue = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); };
    page.IDtmActiveXControl_Init(QStringLiteral("INV"), QString(), &dtm);
    runQueue();
    comm.answerConnect();
    runQueue();
    EXPECT_TRUE(lookOf(*page.channelObservation(0)).startsWith(QStringLiteral("-/-|"))) << "nothing read yet";
    comm.answerRead(QByteArray::fromHex("0013880FA00BB80FA0"));
    const QString text =
        page.channelObservation(0)->findChild<QLineEdit*>(QStringLiteral("txtValue"))->text();

    const End end = GetParam();
    if (end == End::RefusedRead) {
        comm.refuseNext(Kind::Transaction);
    }
    end == End::UserDisconnect ? page.ctlButtons_PageButton()
    : end == End::Abort        ? comm.abort()
                               : page.timCyclic_Timer();
    runQueue();
    if (end == End::UserDisconnect) {
        comm.answerDisconnect();
    } else if (end == End::ErrorPart) {
        comm.answerReadError();
    } else if (end == End::NoPart) {
        comm.answerReadWithoutParts();
    } else if (end == End::Unreadable) {
        comm.answerReadUnreadable();
    }
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(page.channelObservation(index)->valueState(), qt27::ValueState::Outdated) << index;
        EXPECT_TRUE(lookOf(*page.channelObservation(index)).endsWith(QStringLiteral("|-"))) << index;
    }
    EXPECT_TRUE(lookOf(*page.channelObservation(0)).startsWith(text + QStringLiteral("|greyed|")));
}

INSTANTIATE_TEST_SUITE_P(Ends, ObservationValueStateTest,
                         testing::Values(End::UserDisconnect, End::Abort, End::ErrorPart, End::NoPart,
                                         End::Unreadable, End::RefusedRead));

}  // namespace
