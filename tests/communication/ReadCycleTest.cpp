// The read cycle of the read-cycle pages: timer, request, answer handling, the
// disconnect the user asks for, and what aborts and the release do to the cycle.
#include <gtest/gtest.h>

#include "QT27Controls/common/DebugHelper.h"
#include "SessionHarness.h"
#include "support/DebugLogCapture.h"

namespace sessiontest {
namespace {

using testsupport::DebugLogCapture;
using testsupport::FakeCommunication;

class ReadCycleTest : public testing::Test {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }

    ObservationLikePage* page() const { return static_cast<ObservationLikePage*>(h.page.get()); }
    QTimer* timer() const { return h.timer(); }
    int reads() const { return h.comm.count(Kind::Transaction); }

    Harness h{SessionVariant::Observation};
};

TEST_F(ReadCycleTest, TimerIsOffAtCreationWithAnIntervalOf500ms) {
    ASSERT_NE(timer(), nullptr);
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(timer()->interval(), 500);
    EXPECT_EQ(timer()->objectName(), QStringLiteral("timCyclic"));
}

TEST_F(ReadCycleTest, TimerNeverFiresBeforeItsInterval) {
    // A coarse timer may fire up to 5 % early, which would bring reads closer than
    // 500 ms after the answer.
    EXPECT_EQ(timer()->timerType(), Qt::PreciseTimer);
}

TEST_F(ReadCycleTest, TickSwitchesTheTimerOffAndReadsFromTheQueue) {
    h.reachOnline();
    ASSERT_TRUE(timer()->isActive());
    h.clearBarLog();
    DebugLogCapture log;
    page()->timCyclic_Timer();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(h.barLog(), QStringList{QStringLiteral("BeginOperation()")});
    EXPECT_EQ(reads(), 1);

    runQueue();
    ASSERT_EQ(reads(), 2);
    const FakeCommunication::Request read = h.comm.last(Kind::Transaction);
    EXPECT_EQ(read.document, h.dtm.base.parameterManager.ValuesReadRequest(h.comm.reference));
    EXPECT_EQ(read.reference, h.comm.reference);
    EXPECT_EQ(h.page->onlineInvokeId(), read.invokeId);
    const QString tag = h.page->className();
    EXPECT_EQ(
        log.linesFrom(tag),
        (QStringList{tag + QStringLiteral(": StartReading"),
                     tag + QStringLiteral(".CallReadValues: invokeId               = ") + read.invokeId}));
}

TEST_F(ReadCycleTest, AnswerWithDataShowsEveryChannelThenSwitchesTheTimerOn) {
    h.reachBusy();
    h.clearChannelCalls();
    EXPECT_FALSE(timer()->isActive());
    h.comm.answerRead(QByteArray::fromHex("05800000647FFF0000"));
    EXPECT_EQ(
        h.channelCalls(),
        (QStringList{QStringLiteral("HasConnection(0,1)"), QStringLiteral("SetCurrentValue(0,0,1,1)"),
                     QStringLiteral("HasConnection(1,1)"), QStringLiteral("SetCurrentValue(1,100,0,0)"),
                     QStringLiteral("HasConnection(2,1)"), QStringLiteral("SetCurrentValue(2,32767,0,1)"),
                     QStringLiteral("HasConnection(3,1)"), QStringLiteral("SetCurrentValue(3,0,0,0)")}));
    EXPECT_TRUE(timer()->isActive());
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_TRUE(h.errors().isEmpty());
}

TEST_F(ReadCycleTest, ShortTelegramStillSetsEveryChannel) {
    h.reachBusy();
    h.clearChannelCalls();
    h.comm.answerRead(QByteArray::fromHex("030064"));
    EXPECT_EQ(
        h.channelCalls(),
        (QStringList{QStringLiteral("HasConnection(0,1)"), QStringLiteral("SetCurrentValue(0,100,0,1)"),
                     QStringLiteral("HasConnection(1,1)"), QStringLiteral("SetCurrentValue(1,0,1,1)"),
                     QStringLiteral("HasConnection(2,1)"), QStringLiteral("SetCurrentValue(2,0,1,0)"),
                     QStringLiteral("HasConnection(3,1)"), QStringLiteral("SetCurrentValue(3,0,1,0)")}));
    EXPECT_TRUE(timer()->isActive());
}

TEST_F(ReadCycleTest, AnswerOfAnotherRequestLeavesTheTimerOffUntilTheRightAnswer) {
    h.reachBusy();
    const QString outstanding = h.page->onlineInvokeId();
    h.clearChannelCalls();
    h.comm.answerRead(someValues(), QStringLiteral("FOREIGN-3"));
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(h.page->onlineInvokeId(), outstanding);
    EXPECT_TRUE(h.channelCalls().isEmpty());

    h.comm.answerRead(someValues(), outstanding);
    EXPECT_TRUE(timer()->isActive());
}

TEST_F(ReadCycleTest, RefusedReadReportsTransactionFailedAndEndsTheCycle) {
    h.reachConnecting();
    h.comm.answerConnect();
    h.comm.refuseNext(Kind::Transaction);
    runQueue();
    EXPECT_EQ(reads(), 1);
    EXPECT_EQ(h.errors(), QStringList{QStringLiteral("Transaction failed")});
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_FALSE(timer()->isActive());
    EXPECT_TRUE(h.page->isOnline());
}

struct KeepCyclingCase {
    const char* name;
    void (*answer)(FakeCommunication&);
    const char* reported;
};

class ReadAnswerWithoutDataTest : public ReadCycleTest,
                                  public testing::WithParamInterface<KeepCyclingCase> {};

TEST_P(ReadAnswerWithoutDataTest, IsReportedAndTheCycleGoesOn) {
    h.reachBusy();
    h.clearChannelCalls();
    GetParam().answer(h.comm);
    EXPECT_EQ(h.errors(), QStringList{QString::fromLatin1(GetParam().reported)});
    EXPECT_TRUE(h.channelCalls().isEmpty());
    EXPECT_TRUE(timer()->isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadAnswerWithoutDataTest,
    testing::Values(KeepCyclingCase{"ErrorPart",
                                    [](FakeCommunication& c) {
                                        c.answerReadError(QStringLiteral("Bad index"));
                                    },
                                    "Bad index"},
                    KeepCyclingCase{"NoPart", [](FakeCommunication& c) { c.answerReadWithoutParts(); },
                                    "No data read and no communcation error ..."}),
    [](const testing::TestParamInfo<KeepCyclingCase>& info) { return std::string(info.param.name); });

TEST_F(ReadCycleTest, UnreadableAnswerReportsAndEndsTheCycle) {
    h.reachBusy();
    h.clearBarLog();
    h.comm.answerReadUnreadable();
    EXPECT_EQ(h.barLog(),
              (QStringList{QStringLiteral("EndOperation()"), QStringLiteral("RefreshButtons()")}));
    ASSERT_EQ(h.errors().size(), 1);
    EXPECT_FALSE(h.errors().first().isEmpty());
    EXPECT_FALSE(timer()->isActive());
    EXPECT_TRUE(h.page->isOnline());
    runQueue();
    EXPECT_EQ(reads(), 1);
}

TEST_F(ReadCycleTest, ConnectButtonBetweenTwoReadsDisconnectsAtOnce) {
    h.reachOnline();
    h.clearBarLog();
    DebugLogCapture log;
    h.page->ctlButtons_PageButton();
    EXPECT_EQ(h.barLog(), QStringList{QStringLiteral("AcknowledgeButton()")});
    EXPECT_TRUE(h.page->isDisconnectRequested());
    // No read is outstanding whose answer could ask for the disconnect.
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(log.lines().last(),
              h.page->className() + QStringLiteral(".ctlButtons_PageButton: Triggering CallDisconnect"));
    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Disconnect), 1);
    EXPECT_EQ(h.comm.requests.size(), 3);  // connect, read, disconnect

    h.clearBarLog();
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_FALSE(h.page->isDisconnectRequested());
    EXPECT_EQ(h.bar()->pageButton()->text(), h.commonText(7011));
    // The state pictures stay: no channel loses its connection on a user disconnect.
    EXPECT_FALSE(h.channelCalls().contains(QStringLiteral("HasConnection(0,0)")));
    EXPECT_EQ(h.closeUi(), 0);
}

TEST_F(ReadCycleTest, ConnectButtonWhileAReadIsOutstandingDisconnectsInsteadOfRestartingTheTimer) {
    h.reachBusy();
    h.page->ctlButtons_PageButton();
    h.comm.answerRead(someValues());
    EXPECT_FALSE(timer()->isActive());
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
}

TEST_F(ReadCycleTest, AbortWhileTheTimerRunsConnectsAgainAtTheNextTick) {
    h.reachOnline();
    h.comm.abort();
    EXPECT_TRUE(timer()->isActive());
    page()->timCyclic_Timer();
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Connect), 2);
    EXPECT_TRUE(h.page->isConnecting());
}

TEST_F(ReadCycleTest, AbortWhileAReadIsOutstandingEndsTheCycle) {
    h.reachBusy();
    h.comm.abort();
    EXPECT_FALSE(timer()->isActive());
    runQueue();
    EXPECT_EQ(h.comm.requests.size(), 2);
}

TEST_F(ReadCycleTest, CloseStopsTheTimer) {
    h.reachOnline();
    h.page->ctlButtons_Clos();
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(ReadCycleTest, TickAfterPrepareToReleaseStartsNoCycle) {
    h.reachBusy();
    h.page->IDtmActiveXControl_PrepareToRelease();
    h.clearBarLog();
    page()->timCyclic_Timer();
    EXPECT_TRUE(h.barLog().isEmpty());
    runQueue();
    EXPECT_EQ(reads(), 1);
}

TEST_F(ReadCycleTest, ZeroIntervalTimerDrivesTheNextReadThroughTheEventLoop) {
    h.reachBusy();
    timer()->setInterval(0);
    h.comm.answerRead(someValues());
    ASSERT_TRUE(timer()->isActive());
    QCoreApplication::processEvents();
    EXPECT_FALSE(timer()->isActive());
    runQueue();
    EXPECT_EQ(reads(), 2);
}

TEST_F(ReadCycleTest, ReleasedWhileConnectingTakesALateConnectionDown) {
    h.reachConnecting();
    h.page->IDtmActiveXControl_PrepareToRelease();
    ASSERT_EQ(h.uiReleased(), 1);
    h.comm.answerConnect();
    runQueue();
    EXPECT_EQ(reads(), 0);
    ASSERT_EQ(h.comm.count(Kind::Disconnect), 1);
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_EQ(h.uiReleased(), 1);
}

// Simulation differs in the session where it has no id check and no BeginOperation
// per cycle, and its page button pauses reading.
class SimulationCycleTest : public testing::Test {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    SimulationLikePage* page() const { return static_cast<SimulationLikePage*>(h.page.get()); }
    Harness h{SessionVariant::Simulation};
};

TEST_F(SimulationCycleTest, TickStartsACycleWithoutBeginOperation) {
    h.reachOnline();
    h.clearBarLog();
    page()->timCyclic_Timer();
    EXPECT_TRUE(h.barLog().isEmpty());
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Transaction), 2);
}

TEST_F(SimulationCycleTest, DisconnectAnswerEndsThePause) {
    h.reachOnline();
    h.page->ctlButtons_PageButton();
    ASSERT_TRUE(page()->blnReadingPaused);
    EXPECT_FALSE(h.timer()->isActive());
    h.page->ctlButtons_Clos();
    runQueue();
    h.comm.answerDisconnect();
    EXPECT_FALSE(page()->blnReadingPaused);
    EXPECT_EQ(h.closeUi(), 1);
}

}  // namespace
}  // namespace sessiontest
