// The online session never strands its page: a disconnect the user asks for always
// happens, a refused Disconnect leaves buttons that work, CloseUi goes out once, an
// idle page answers a verification request, and the busy mark shows only while the
// user waits.
#include <gtest/gtest.h>

#include "QT27Controls/common/DebugHelper.h"
#include "SessionHarness.h"

namespace sessiontest {
namespace {

/// No debug log, and no message box for errors reported without a host.
class QuietSession : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        previousBox = qt27::OnlinePage::setCriticalMessageBox([](QWidget*, const QString&) {});
    }
    void TearDown() override { qt27::OnlinePage::setCriticalMessageBox(previousBox); }
    qt27::OnlinePage::CriticalMessageBox previousBox;
};

class SessionGuardTest : public QuietSession, public testing::WithParamInterface<SessionVariant> {};

INSTANTIATE_TEST_SUITE_P(Variants, SessionGuardTest,
                         testing::Values(SessionVariant::Observation, SessionVariant::Simulation,
                                         SessionVariant::Diagnosis, SessionVariant::Identification),
                         [](const testing::TestParamInfo<SessionVariant>& info) {
                             return variantName(info.param);
                         });

// How the read cycle came to a stop, before or after the user pressed the connect button.
enum class CycleEnd { RefusedRead, UnreadableAnswer, UnreadableAnswerAfterThePress };

class ConnectButtonTest : public QuietSession, public testing::WithParamInterface<CycleEnd> {};

TEST_P(ConnectButtonTest, DisconnectsWhenTheCycleEndedAndFreesTheButtons) {
    Harness h(SessionVariant::Observation);
    h.reachConnecting();
    h.comm.answerConnect();
    if (GetParam() == CycleEnd::RefusedRead) {
        h.comm.refuseNext(Kind::Transaction);
    }
    runQueue();
    if (GetParam() == CycleEnd::UnreadableAnswer) {
        h.comm.answerReadUnreadable();
    }
    h.bar()->pageButton()->click();
    if (GetParam() == CycleEnd::UnreadableAnswerAfterThePress) {
        h.comm.answerReadUnreadable();
    }
    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Disconnect), 1);
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_TRUE(h.bar()->pageButton()->isEnabled());
    EXPECT_TRUE(h.bar()->closeButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Ends, ConnectButtonTest,
                         testing::Values(CycleEnd::RefusedRead, CycleEnd::UnreadableAnswer,
                                         CycleEnd::UnreadableAnswerAfterThePress));

TEST_P(SessionGuardTest, RefusedDisconnectAfterCloseLeavesAPageThatCanCloseAgain) {
    Harness h(GetParam());
    h.reachOnline();
    h.bar()->closeButton()->click();
    h.comm.refuseNext(Kind::Disconnect);
    runQueue();
    EXPECT_TRUE(h.page->isOnline());
    EXPECT_FALSE(h.page->isClosing());
    EXPECT_TRUE(h.bar()->closeButton()->isEnabled());
    EXPECT_TRUE(h.bar()->pageButton()->isEnabled());
    EXPECT_FALSE(h.bar()->isBusy());
    EXPECT_TRUE(!isReadCycle(GetParam()) || h.timer()->isActive()) << "reading goes on";

    h.bar()->closeButton()->click();
    h.serveUntilQuiet();
    EXPECT_EQ(h.comm.count(Kind::Disconnect), 2);
    EXPECT_EQ(h.closeUi(), 1);
}

TEST_P(SessionGuardTest, CloseWhileAReadIsOutstandingSendsCloseUiOnce) {
    Harness h(GetParam());
    h.reachBusy();
    h.bar()->closeButton()->click();
    runQueue();
    h.comm.answerRead(someValues());
    h.serveUntilQuiet();
    EXPECT_EQ(h.closeUi(), 1);
    h.bar()->closeButton()->click();  // the frame was asked already
    h.serveUntilQuiet();
    EXPECT_EQ(h.closeUi(), 1);
}

TEST_P(SessionGuardTest, VerificationRequestWithAnEmptyIdAsksAnIdlePage) {
    Harness h(GetParam());
    h.reachOnline();
    h.comm.requestVerification(QString(""));
    h.comm.requestVerification(QStringLiteral("FOREIGN"));
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::VerifyConnection), 1);
}

TEST_F(QuietSession, BusyMarkShowsOnlyWhileTheUserWaitsNotForTheReadCycle) {
    Harness h(SessionVariant::Observation);
    h.reachConnecting();
    EXPECT_TRUE(h.bar()->isBusy()) << "connecting";
    h.comm.answerConnect();
    runQueue();
    EXPECT_FALSE(h.bar()->isBusy()) << "a read of the cycle is outstanding";
    h.comm.answerRead(someValues());
    static_cast<qt27::ReadCyclePage*>(h.page.get())->timCyclic_Timer();
    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Transaction), 2);
    EXPECT_FALSE(h.bar()->isBusy()) << "the next cycle";
    h.bar()->pageButton()->click();
    EXPECT_TRUE(h.bar()->isBusy()) << "the user's disconnect waits for the read";
    h.comm.answerRead(someValues());
    runQueue();
    EXPECT_TRUE(h.bar()->isBusy()) << "the user's disconnect is outstanding";
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.bar()->isBusy());

    Harness diagnosis(SessionVariant::Diagnosis);  // reads for the user
    diagnosis.reachBusy();
    EXPECT_TRUE(diagnosis.bar()->isBusy());
}

}  // namespace
}  // namespace sessiontest
