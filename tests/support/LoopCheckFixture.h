#pragma once

// The built-in station in a temporary folder on the simulated station, every
// module's host DTM on the communication service, and loop checks run on it fast:
// reads every few milliseconds, a settling time of two read periods.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "frame/FrameWindow.h"
#include "frame/LoopCheckRun.h"
#include "frame/LoopCheckSession.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace testsupport {

class LoopCheckStation : public testing::Test {
protected:
    static constexpr int kReadPeriodMs = 5;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(station.open(path()));
        simulation.setBusAddress(station.busAddress());
        simulation.setParameterProvider([this](int slot) { return station.moduleRecord(slot)->parameters; });
        for (const host::Station::ModuleInfo& module : station.modules()) {
            frame::addToSimulation(simulation, module.slot, module.typeCode);
            station.dtmForSlot(module.slot)->setCommunicationObjects({&service});
        }
        service.setLatency(1);
    }
    QString path() const { return dir.filePath(QStringLiteral("station.xml")); }
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
        run->setReleaseGrace(2000);
        if (unattended) {
            run->setSignalSource(&simulation);
        }
        return run;
    }
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 20000) {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    QTemporaryDir dir;
    host::Station station;
    host::SimulatedStation simulation{12};
    host::CommunicationService service{&simulation};
};

}  // namespace testsupport
