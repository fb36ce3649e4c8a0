#pragma once

// The frame on the simulated station (FrameFixture) with loop checks run fast on
// its first module: reads every few milliseconds, a settling time of two read periods.

#include <QApplication>
#include <memory>

#include "frame/LoopCheckRun.h"
#include "frame/LoopCheckWindow.h"
#include "support/FrameFixture.h"

namespace testsupport {

class LoopCheckStation : public FrameFixture {
protected:
    static constexpr int kReadPeriodMs = 5;

    int slot() const { return station.modules().first().slot; }
    /// A plan over @p channels (1 to 4) of slot() with the default points and tolerance.
    frame::LoopCheckPlan plan(const QList<int>& channels) const {
        frame::LoopCheckPlan plan;
        const auto all = frame::LoopCheckRun::channelsOf(station, slot(), false);
        for (int channel : channels) {
            plan.channels.append(all.at(channel - 1));
        }
        plan.settleMs = 2 * kReadPeriodMs;
        plan.readsPerPoint = 2;
        plan.user = QStringLiteral("tester");
        return plan;
    }
    /// A run of @p plan on slot(), with the station setting the inputs when @p unattended.
    std::unique_ptr<frame::LoopCheckRun> makeRun(const frame::LoopCheckPlan& plan, bool unattended = true) {
        auto run = std::make_unique<frame::LoopCheckRun>(station, slot(), plan);
        run->setReadPeriod(kReadPeriodMs);
        if (unattended) {
            run->setSignalSource(&simulation);
        }
        return run;
    }
    /// The loop-check window of slot() opened from the menu, set up to run fast with
    /// the station setting the inputs.
    frame::LoopCheckWindow* fastWindow() {
        triggerMenu(QStringLiteral("Loop check…"), slot());
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* check = qobject_cast<frame::LoopCheckWindow*>(widget);
            if (check != nullptr && check->slot() == slot() && check->isVisible()) {
                check->setReadPeriod(kReadPeriodMs);
                check->setSettleMs(2 * kReadPeriodMs);
                check->setReadsPerPoint(1);
                check->setStationSetsInput(true);
                return check;
            }
        }
        return nullptr;
    }
};

}  // namespace testsupport
