// The session against the simulated host: the host's request builder, its
// communication service on a simulated station and the response reader together.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "QT27Controls/common/DebugHelper.h"
#include "SessionHarness.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"

namespace sessiontest {
namespace {

constexpr int kSlot = 3;

class SessionEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml"))));
        const host::ModuleRecord* module = station.moduleRecord(kSlot);
        ASSERT_NE(module, nullptr);
        simulated.setBusAddress(station.busAddress());
        simulated.addModule(kSlot, module->typeCode.toInt());
        service.setLatency(0);
        dtm = station.dtmForSlot(kSlot);
        dtm->setCommunicationObjects({&service});
    }

    /// Lets the event loop deliver answers and queued calls until @p done holds; a
    /// bounded number of passes, no waiting.
    static bool settle(const std::function<bool()>& done) {
        for (int pass = 0; pass < 200 && !done(); ++pass) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        return done();
    }

    QTemporaryDir dir;
    host::Station station;
    host::SimulatedStation simulated{12};
    host::CommunicationService service{&simulated};
    host::QT27Dtm* dtm = nullptr;
};

TEST_F(SessionEndToEndTest, ReadCyclePageConnectsReadsAndClosesAfterItsDisconnect) {
    ObservationLikePage page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-E2E"), QString(), dtm);
    ASSERT_TRUE(
        settle([&] { return page.channelCalls.filter(QStringLiteral("SetCurrentValue")).size() >= 4; }));
    EXPECT_TRUE(page.isOnline());
    EXPECT_TRUE(page.cycleTimer()->isActive());

    page.ctlButtons_Clos();
    ASSERT_TRUE(settle([&] { return !page.isOnline(); }));
    EXPECT_FALSE(page.buttons()->isOnline());
}

TEST_F(SessionEndToEndTest, OneShotPageReadsOnceAndDisconnects) {
    OneShotPage page(SessionVariant::Diagnosis);
    page.IDtmActiveXControl_Init(QStringLiteral("INV-E2E"), QString(), dtm);
    ASSERT_TRUE(settle(
        [&] { return !page.telegrams.isEmpty() && !page.isOnline() && page.onlineInvokeId().isEmpty(); }));
    EXPECT_EQ(page.telegrams.size(), 1);
    EXPECT_FALSE(page.telegrams.first().isEmpty());
}

TEST_F(SessionEndToEndTest, ReleaseWhileReadingEndsWithUiReleased) {
    ObservationLikePage page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-E2E"), QString(), dtm);
    ASSERT_TRUE(settle([&] { return page.isOnline(); }));
    page.IDtmActiveXControl_PrepareToRelease();
    ASSERT_TRUE(settle([&] { return page.isReleased(); }));
    EXPECT_FALSE(page.isOnline());
}

}  // namespace
}  // namespace sessiontest
