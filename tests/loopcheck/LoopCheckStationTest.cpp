// Loop checks against the simulated station through the host's communication
// service: a channel whose input reads high fails and the others pass; results are
// kept in the project and the trail; cancel and a dropped connection leave nothing
// forced, nothing connected and nothing stored.
#include <QSignalSpy>

#include "QT27Controls/framework/AuditTrail.h"
#include "host/AuditTrail.h"
#include "support/LoopCheckFixture.h"

namespace {

using Outcome = frame::LoopCheckRun::Outcome;
using testsupport::LoopCheckStation;

class LoopCheckOnStation : public LoopCheckStation {
protected:
    /// The loop-check entries of slot() in the trail, oldest first, as "channel:verdict".
    QStringList loopCheckEntries() const {
        QStringList found;
        for (const auto& entry : station.auditTrail()->entries()) {
            if (entry.code == qt27::AuditCode::LoopCheckDone && entry.slot == slot()) {
                found.prepend(QStringLiteral("%1:%2").arg(entry.channel).arg(entry.arguments.value(0)));
            }
        }
        return found;
    }
};

TEST_F(LoopCheckOnStation, AChannelReadingBeyondTheToleranceFailsTheOthersPass) {
    simulation.setInputError(slot(), 1, 0.8);  // channel 2 reads 0.8 % of its span high
    const host::ChannelSignal before = simulation.channelSignal(slot(), 0);
    auto run = makeRun(plan({1, 2, 3, 4}));
    QSignalSpy finished(run.get(), &frame::LoopCheckRun::finished);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(testsupport::waitFor([&] { return !finished.isEmpty(); }));

    EXPECT_EQ(run->outcome(), Outcome::Completed);
    EXPECT_TRUE(run->message().isEmpty()) << run->message().toStdString();
    const host::ModuleRecord& record = *station.moduleRecord(slot());
    ASSERT_EQ(record.loopChecks.size(), 4);
    for (const host::LoopCheckResult& result : record.loopChecks) {
        EXPECT_EQ(result.passed(), result.channel != 2) << result.channel;
        EXPECT_EQ(result.points.size(), 5);
        EXPECT_EQ(result.user, QStringLiteral("tester"));
    }
    // At 100 % the high reading lies beyond the end of the range.
    for (const host::LoopCheckPoint& point : record.loopChecks[1].points) {
        EXPECT_EQ(point.reason.toStdString(), point.percent < 100 ? "deviation" : "overrange");
        EXPECT_NEAR(point.deviationPercent, 0.8, 0.02);
    }
    EXPECT_EQ(loopCheckEntries(), (QStringList{"1:passed", "2:failed", "3:passed", "4:passed"}));
    // The station's inputs are as they were, and the session is gone.
    EXPECT_DOUBLE_EQ(simulation.channelSignal(slot(), 0).offsetPercent, before.offsetPercent);
    EXPECT_TRUE(service.openConnections().isEmpty());
}

TEST_F(LoopCheckOnStation, ResultsSurviveReopeningTheProjectAndANewCheckReplacesOnlyItsChannels) {
    auto first = makeRun(plan({1, 3}));
    ASSERT_TRUE(first->start());
    ASSERT_TRUE(testsupport::waitFor([&] { return first->isFinished(); }));
    const QList<host::LoopCheckResult> stored = station.moduleRecord(slot())->loopChecks;
    ASSERT_EQ(stored.size(), 2);

    simulation.setInputError(slot(), 2, -3.0);
    auto second = makeRun(plan({3}));
    ASSERT_TRUE(second->start());
    ASSERT_TRUE(testsupport::waitFor([&] { return second->isFinished(); }));

    host::Station reopened;
    ASSERT_TRUE(reopened.open(station.projectPath()));
    const QList<host::LoopCheckResult> kept = reopened.moduleRecord(slot())->loopChecks;
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0], stored[0]);  // channel 1 from the first check
    EXPECT_EQ(kept[1], station.moduleRecord(slot())->loopChecks[1]);
    EXPECT_FALSE(kept[1].passed());  // channel 3 from the second
}

TEST_F(LoopCheckOnStation, TheEngineerAppliesEachSignalWhenTheStationDoesNot) {
    auto run = makeRun(plan({4}), false);
    QSignalSpy finished(run.get(), &frame::LoopCheckRun::finished);
    int asked = 0;
    QObject::connect(run.get(), &frame::LoopCheckRun::signalWanted,
                     [&](const frame::LoopCheckChannel& channel, double percent, double) {
                         ++asked;
                         host::ChannelSignal signal;
                         signal.offsetPercent = percent;
                         simulation.setChannelSignal(slot(), channel.channel - 1, signal);
                         run->confirmSignal();
                     });
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(testsupport::waitFor([&] { return !finished.isEmpty(); }));
    EXPECT_EQ(asked, 5);
    ASSERT_EQ(station.moduleRecord(slot())->loopChecks.size(), 1);
    EXPECT_TRUE(station.moduleRecord(slot())->loopChecks[0].passed());
}

enum class Interrupt { Cancel, DropConnection, StationSilent };

struct Interruption {
    const char* name;
    Interrupt how;
    int pointsBefore;  ///< points judged before the interruption
    Outcome outcome;
};

class InterruptedCheck : public LoopCheckOnStation, public testing::WithParamInterface<Interruption> {};

TEST_P(InterruptedCheck, SaysWhyAndLeavesNothingForcedConnectedOrStored) {
    const Interruption& row = GetParam();
    simulation.setAnswering(row.how != Interrupt::StationSilent);
    auto run = makeRun(plan({1, 2}));
    QSignalSpy judged(run.get(), &frame::LoopCheckRun::pointJudged);
    QSignalSpy finished(run.get(), &frame::LoopCheckRun::finished);
    ASSERT_TRUE(run->start());
    ASSERT_TRUE(testsupport::waitFor([&] { return judged.size() >= row.pointsBefore; }));
    if (row.how == Interrupt::DropConnection) {
        service.abortConnections();
    } else if (row.how == Interrupt::Cancel) {
        run->cancel();
    }
    ASSERT_TRUE(testsupport::waitFor([&] { return !finished.isEmpty(); }));

    EXPECT_EQ(run->outcome(), row.outcome);
    EXPECT_EQ(run->message().isEmpty(), row.how == Interrupt::Cancel) << run->message().toStdString();
    EXPECT_EQ(simulation.forcedMask(slot()), 0);
    EXPECT_TRUE(station.moduleRecord(slot())->loopChecks.isEmpty());
    // No connection is left, and none comes back afterwards.
    QTest::qWait(10 * kReadPeriodMs);
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_EQ(judged.size(), row.pointsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    CancelDropSilent, InterruptedCheck,
    testing::Values(Interruption{"cancel", Interrupt::Cancel, 2, Outcome::Cancelled},
                    Interruption{"connectionDropped", Interrupt::DropConnection, 2, Outcome::ConnectionLost},
                    Interruption{"stationSilent", Interrupt::StationSilent, 0, Outcome::ConnectFailed}),
    [](const testing::TestParamInfo<Interruption>& info) { return std::string(info.param.name); });

}  // namespace
