// The steps of a loop check fed by a fake read source: only reads taken after the
// signal was applied and settled count, the mean of them is judged, cancel ends everything.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "frame/LoopCheckSequence.h"

namespace {

using frame::LoopCheckReading;
using Stage = frame::LoopCheckSequence::Stage;

frame::LoopCheckPlan planFor(const QList<int>& channels, const QList<double>& points) {
    frame::LoopCheckPlan plan;
    for (int channel : channels) {
        plan.channels.append({channel, QStringLiteral("T%1").arg(channel), frame::ChannelSpan::of(37, 0, false)});
    }
    plan.points = points;
    plan.settleMs = 0;
    plan.readsPerPoint = 2;
    return plan;
}

/// A value telegram in which channel @p channel reads @p raw and the others 0.
QList<LoopCheckReading> telegram(int channel, int raw) {
    QList<LoopCheckReading> readings(4);
    readings[channel - 1].raw = raw;
    return readings;
}

TEST(LoopCheckSequence, CountsOnlyReadsAfterTheSignalSettled) {
    frame::LoopCheckSequence sequence(planFor({2}, {0, 100}));
    QSignalSpy wanted(&sequence, &frame::LoopCheckSequence::signalWanted);
    QSignalSpy completed(&sequence, &frame::LoopCheckSequence::completed);
    sequence.start();
    ASSERT_EQ(wanted.size(), 1);
    EXPECT_DOUBLE_EQ(wanted.at(0).at(2).toDouble(), 0.0);
    sequence.addReadings(telegram(2, 9999));  // before the signal: not used
    sequence.confirmSignal();
    EXPECT_EQ(sequence.stage(), Stage::Settling);
    sequence.addReadings(telegram(2, 9999));  // while settling: not used
    QCoreApplication::processEvents();  // the settling time ends
    ASSERT_EQ(sequence.stage(), Stage::Reading);
    sequence.addReadings(telegram(2, 10));
    sequence.addReadings(telegram(2, 30));
    ASSERT_EQ(wanted.size(), 2);
    EXPECT_DOUBLE_EQ(wanted.at(1).at(2).toDouble(), 10.0);  // 100 % of 0..10 V
    sequence.confirmSignal();
    QCoreApplication::processEvents();  // the settling time ends
    sequence.addReadings(telegram(2, 10100));
    sequence.addReadings(telegram(2, 10100));

    ASSERT_EQ(completed.size(), 1);
    const auto results = completed.at(0).at(0).value<QList<host::LoopCheckResult>>();
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].channel, 2);
    ASSERT_EQ(results[0].points.size(), 2);
    EXPECT_NEAR(results[0].points[0].measured, 0.02, 1e-12);  // the mean of 10 and 30 mV
    EXPECT_TRUE(results[0].points[0].passed());
    EXPECT_EQ(results[0].points[1].reason, QStringLiteral("overrange"));
    EXPECT_FALSE(results[0].passed());
    EXPECT_EQ(sequence.stage(), Stage::Completed);
}

TEST(LoopCheckSequence, CancelWhileSettlingJudgesNothingMore) {
    frame::LoopCheckSequence sequence(planFor({1}, {0, 50}));
    QSignalSpy wanted(&sequence, &frame::LoopCheckSequence::signalWanted);
    QSignalSpy judged(&sequence, &frame::LoopCheckSequence::pointJudged);
    QSignalSpy completed(&sequence, &frame::LoopCheckSequence::completed);
    sequence.start();
    sequence.confirmSignal();
    sequence.cancel();
    QCoreApplication::processEvents();  // the settling time ends
    sequence.addReadings(telegram(1, 0));
    sequence.addReadings(telegram(1, 0));
    sequence.confirmSignal();
    EXPECT_EQ(sequence.stage(), Stage::Cancelled);
    EXPECT_EQ(wanted.size(), 1);
    EXPECT_TRUE(judged.isEmpty());
    EXPECT_TRUE(completed.isEmpty());
}

}  // namespace
