// The loop check and the last diagnosis in the frame: the menu opens one window per
// module, the window runs a check on the simulated station, closing it during a
// check disconnects first; a diagnosis read by the Diagnosis page is kept in the project.
#include <QMdiSubWindow>
#include <QTableWidget>

#include "support/LoopCheckFixture.h"

namespace {

using LoopCheckInFrame = testsupport::LoopCheckStation;
using testsupport::waitFor;

TEST_F(LoopCheckInFrame, TheMenuOpensOneWindowPerModuleThatShowsEachVerdict) {
    frame::LoopCheckWindow* check = fastWindow();
    ASSERT_NE(check, nullptr);
    triggerMenu(QStringLiteral("Loop check…"), slot());
    EXPECT_EQ(window->openLoopCheck(slot()), check);  // brought forward, not opened twice
    check->setChannelChosen(1, false);
    check->setChannelChosen(3, false);
    check->setPointsText(QStringLiteral("20; 80"));
    simulation.setInputError(slot(), 3, -1.0);
    ASSERT_TRUE(check->startCheck());
    ASSERT_TRUE(waitFor([&] { return check->run()->isFinished(); }));

    QStringList verdicts;
    for (int row = 0; row < check->resultsTable()->rowCount(); ++row) {
        verdicts << check->resultsTable()->item(row, 5)->text();
    }
    EXPECT_EQ(verdicts, (QStringList{frame::loopCheckVerdictText({}), frame::loopCheckVerdictText({}),
                                     frame::loopCheckVerdictText("deviation"), frame::loopCheckVerdictText("deviation")}));
    EXPECT_EQ(station.moduleRecord(slot())->loopChecks.size(), 2);
    EXPECT_TRUE(service.openConnections().isEmpty());
}

class ClosingDuringACheck : public LoopCheckInFrame, public testing::WithParamInterface<bool> {};

TEST_P(ClosingDuringACheck, DisconnectsBeforeTheWindowGoes) {
    const bool quitFrame = GetParam();
    frame::LoopCheckWindow* check = fastWindow();
    ASSERT_NE(check, nullptr);
    check->setSettleMs(60000);  // the check waits in its first settling time
    ASSERT_TRUE(check->startCheck());
    ASSERT_TRUE(waitFor([&] { return !service.openConnections().isEmpty(); }));
    QPointer<frame::LoopCheckWindow> guard(check);
    quitFrame ? static_cast<void>(window->close()) : static_cast<void>(check->close());
    EXPECT_TRUE(window->isVisible());  // nothing goes before the session is down
    ASSERT_TRUE(waitFor([&] { return guard == nullptr && window->isVisible() != quitFrame; }));
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_TRUE(station.moduleRecord(slot())->loopChecks.isEmpty());
    EXPECT_EQ(simulation.channelSignal(slot(), 0).offsetPercent, host::ChannelSignal().offsetPercent);
}

INSTANTIATE_TEST_SUITE_P(WindowOrFrame, ClosingDuringACheck, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "frame" : "window"; });

TEST_F(LoopCheckInFrame, TestPointsOutsideTheSpanStartNoCheck) {
    frame::LoopCheckWindow* check = fastWindow();
    ASSERT_NE(check, nullptr);
    check->setPointsText(QStringLiteral("0; 120"));
    EXPECT_FALSE(check->startCheck());
    EXPECT_TRUE(check->statusText().contains(QStringLiteral("120")));
    EXPECT_EQ(service.requestCount(host::CommunicationService::RequestKind::Connect), 0);
}

TEST_F(LoopCheckInFrame, TheDiagnosisAPageReadsIsKeptWithItsTime) {
    simulation.setOpenLine(slot(), 1, true);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    ASSERT_NE(window->openPage(slot(), QStringLiteral("Diagnosis")), nullptr);
    ASSERT_TRUE(waitFor([&] { return !station.moduleRecord(slot())->lastDiagnosis.isEmpty(); }));
    const host::DiagnosisRecord kept = station.moduleRecord(slot())->lastDiagnosis;
    EXPECT_GE(kept.timeUtc, before.addMSecs(-1000));
    // Channel 2 with an open line is in the telegram kept.
    EXPECT_TRUE(kept.telegram.contains(static_cast<char>(0x22))) << kept.telegram.toHex().toStdString();
    host::Station reopened;
    ASSERT_TRUE(reopened.open(station.projectPath()));
    EXPECT_EQ(reopened.moduleRecord(slot())->lastDiagnosis, kept);
}

}  // namespace
