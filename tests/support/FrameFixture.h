#pragma once

// The frame on the simulated station of the built-in project, as the application
// builds it, in a temporary folder. Every wait is bounded and ends as soon as its
// condition holds.

#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "frame/FrameWindow.h"
#include "frame/PageRegistry.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace testsupport {

inline bool waitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 5000);
}

class FrameFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml"))));
        simulation.setBusAddress(station.busAddress());
        simulation.setParameterProvider([this](int slot) { return station.moduleRecord(slot)->parameters; });
        for (const host::Station::ModuleInfo& module : station.modules()) {
            frame::addToSimulation(simulation, module.slot, module.typeCode);
        }
        service.setLatency(2);
        window = std::make_unique<frame::FrameWindow>(station, simulation, service, registry);
        window->show();
    }
    host::BaseDtm* baseDtmOf(int slot) const { return station.dtmForSlot(slot)->baseDtm(); }
    /// Triggers the menu entry with @p text (its mnemonic left out) for the module in @p slot.
    void triggerMenu(const QString& text, int slot) {
        window->selectSlot(slot);
        for (QAction* action : window->findChildren<QAction*>()) {
            if (action->text().remove(QLatin1Char('&')) == text) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }

    QTemporaryDir dir;
    host::Station station;
    host::SimulatedStation simulation{12};
    host::CommunicationService service{&simulation};
    const frame::PageRegistry registry = frame::PageRegistry::withLibraryPages();
    std::unique_ptr<frame::FrameWindow> window;
};

}  // namespace testsupport
