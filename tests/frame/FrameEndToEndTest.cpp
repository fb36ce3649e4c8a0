// The frame application end to end on the simulated station: forcing seen on Observation
// and in the tree, the release handshake in every state of the session and the
// screenshots. Every wait is bounded and ends as soon as its condition holds.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QPushButton>

#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "QT27Controls/simulation/ChannelSimulation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "frame/OpenPage.h"
#include "frame/PageWindows.h"
#include "frame/Screenshots.h"
#include "host/StationProject.h"
#include "support/FrameFixture.h"
#include "support/PageSession.h"

namespace {

using Fault = host::CommunicationService::Fault;
using RequestKind = host::CommunicationService::RequestKind;
constexpr auto kOneShot = host::CommunicationService::FaultMode::OneShot;

// The built-in station's slot 3: type 37, bytes 5C 01 26 8B, i.e. 4..20 mA, 0..10 V, 2..10 V
// and 0..20 mA; its signals at 50, 25, 75 and 100 %, channel 1 shown in percent.
constexpr int kSlot = 3;
const QStringList kShown = {"12.000 150", "25.0 150", "8.000 150", "20.000 150"};
// A cycle far longer than any test: ticks come only when a test asks for them.
constexpr int kIdleCycleMs = 600000;

using testsupport::waitFor;

class FrameTest : public testsupport::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        const double percent[] = {50, 25, 75, 100};
        for (int channel = 0; channel < 4; ++channel) {
            setSignal(channel, percent[channel]);
        }
        host::BaseDtm* baseDtm = station.dtmForSlot(kSlot)->baseDtm();
        QObject::connect(baseDtm, &host::BaseDtm::uiReleased, &context, [this] { events << "UiReleased"; });
        QObject::connect(baseDtm, &host::BaseDtm::closeUiRequested, &context,
                         [this] { events << "CloseUi"; });
        for (auto signal :
             {&host::CommunicationService::requestReceived, &host::CommunicationService::answerSent}) {
            QObject::connect(&service, signal, &context, [this, signal](RequestKind kind) {
                events << (signal == &host::CommunicationService::answerSent ? "answer " : "request ") +
                              QVariant::fromValue(kind).toString();
            });
        }
    }
    void setSignal(int channel, double percent) {
        host::ChannelSignal constant;
        constant.offsetPercent = percent;
        simulation.setChannelSignal(kSlot, channel, constant);
    }
    void openWindow() {
        subWindow = window->openPage(kSlot, QStringLiteral("Observation"));
        page = qobject_cast<qt27::Observation*>(frame::pageIn(subWindow));
        page->cycleTimer()->setInterval(kIdleCycleMs);
        testsupport::child<QComboBox>(page->channelObservation(1), "cmbUnit")->setCurrentIndex(0);
        QObject::connect(subWindow.data(), &QObject::destroyed, &context, [this] { events << "closed"; });
    }
    /// Opens Observation for slot 3 and waits until it shows the station's values with
    /// nothing outstanding; its cycle then waits for the test.
    void openObservation() {
        openWindow();
        ASSERT_TRUE(waitFor([this] { return shown() == kShown && idle(); }));
    }
    /// Online, the last read answered and the next one waiting for the timer.
    bool idle() const { return page->cycleTimer()->isActive() && service.outstandingAnswers() == 0; }
    QStringList shown() const { return testsupport::channelsShow(page); }

    QObject context;
    QPointer<QMdiSubWindow> subWindow;
    QPointer<qt27::Observation> page;
    QStringList events;
};

// Channel 1 (4..20 mA, live 8 mA) forced to 12 mA on Simulation: Observation of the module
// shows it forced and the tree marks the module; switched off, the live value and the plain
// tree return. A Simulation closed while the module forces says so in the error panel.
TEST_F(FrameTest, ForcingShowsOnObservationInTheTreeAndAtClose) {
    setSignal(0, 25.0);
    openWindow();
    page->cycleTimer()->setInterval(20);
    auto* simulation = qobject_cast<qt27::Simulation*>(frame::pageIn(window->openPage(kSlot, "Simulation")));
    qt27::ChannelSimulation* editor = simulation->channelSimulation(0);
    ASSERT_TRUE(waitFor([&] { return simulation->isOnline() && shown().value(0) == "8.000 150"; }));
    auto* forcing = testsupport::child<QCheckBox>(editor, "chkForcingActivated");
    testsupport::child<QLineEdit>(editor, "txtForceValue")->setText("12");
    editor->CommitForceValue();
    forcing->click();
    EXPECT_TRUE(waitFor([&] { return shown().value(0) == "12.000 153" && window->isMarkedForced(kSlot); }));
    EXPECT_EQ(testsupport::statePicture(editor), 153);
    forcing->click();
    EXPECT_TRUE(waitFor([&] { return shown().value(0) == "8.000 150" && !window->isMarkedForced(kSlot); }));
    forcing->click();
    ASSERT_TRUE(waitFor([&] { return window->isMarkedForced(kSlot); }));
    window->openPages().last()->requestRelease();
    ASSERT_TRUE(waitFor([&] { return window->openPages().size() == 1; }));
    EXPECT_TRUE(window->errors().join('\n').contains("stays forced"))
        << window->errors().join('\n').toStdString();
    EXPECT_TRUE(window->isMarkedForced(kSlot));
    window->openPage(kSlot, "Simulation");  // a new page does not show the old forcing
    EXPECT_TRUE(window->errors().last().contains("still forced by an earlier Simulation page"));
}

// Closing the window in each state of the session (or pressing Close) ends in exactly
// one UiReleased after the disconnect answer; the window goes and nothing stays open. A
// page whose Disconnect is refused does not release: the window goes after the grace period.
class FrameReleaseTest : public FrameTest, public testing::WithParamInterface<const char*> {};

TEST_P(FrameReleaseTest, EndsInOneUiReleasedAfterTheDisconnect) {
    const QString state = QLatin1String(GetParam());
    service.setFaultDelay(200);
    window->setGracePeriod(state == "Refused" ? 150 : 5000);  // the refused page is given up on
    if (state == "Connecting") {
        service.setFault(Fault::DelayAnswer, kOneShot);
        openWindow();
    } else {
        openObservation();
    }
    // A read, or the user's disconnect that follows the next read, whose answer is late.
    QObject::connect(&service, &host::CommunicationService::requestReceived, &context, [&](RequestKind kind) {
        if ((kind == RequestKind::Transaction && state == "Busy") ||
            (kind == RequestKind::Disconnect && state == "Disconnecting"))
            service.setFault(Fault::DelayAnswer, kOneShot);
    });
    if (state == "Disconnecting") {
        page->ctlButtons_PageButton();
    }
    if (state == "Busy" || state == "Disconnecting") {
        page->timCyclic_Timer();
    }
    ASSERT_TRUE(waitFor([&] {
        return state == "Connecting" ? page->isConnecting()
               : state == "Busy"     ? !page->onlineInvokeId().isEmpty()
                                     : state != "Disconnecting" || page->isDisconnecting();
    }));
    events.clear();
    service.setFault(Fault::RefuseRequest,
                     state == "Refused" ? kOneShot : host::CommunicationService::FaultMode::Off);
    if (state == "Close")
        page->buttons()->closeButton()->click();
    else
        subWindow->close();
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull() && service.outstandingAnswers() == 0; }));
    EXPECT_EQ(events.count("UiReleased"), state == "Refused" ? 0 : 1);
    EXPECT_LT(events.indexOf("UiReleased"), events.indexOf("closed"));
    if (state != "Connecting" && state != "Refused") {
        EXPECT_LT(events.lastIndexOf("answer Disconnect"),
                  events.indexOf(state == "Close" ? "CloseUi" : "UiReleased"));
    }
    EXPECT_TRUE(window->openPages().isEmpty());
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_EQ(window->errors().size(), state == "Refused" ? 1 : 0)
        << window->errors().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(States, FrameReleaseTest,
                         testing::Values("Connecting", "Online", "Busy", "Disconnecting", "Close",
                                         "Refused"));

// Every page of slot 3 rendered after it has shown the station's values (About its name,
// revisions and pictures); each page is released on the way.
TEST_F(FrameTest, ScreenshotsRenderEveryPageWithLiveValues) {
    host::StationProject project = host::StationProject::builtIn();
    project.modules.removeIf([](const host::ModuleRecord& module) { return module.slot != kSlot; });
    ASSERT_TRUE(project.save(dir.filePath(QStringLiteral("slot3.xml"))));
    host::Station slot3;
    ASSERT_TRUE(slot3.open(dir.filePath(QStringLiteral("slot3.xml"))));
    const QString folder = dir.filePath(QStringLiteral("shots"));
    QStringList errors;
    QStringList rendered;
    const QStringList files =
        frame::renderAllPages(slot3, service, registry, folder, &errors, [&](const frame::OpenPage& open) {
            QStringList shows = testsupport::channelsShow(open.widget());
            for (const char* name : {"lblDtmName", "lblTextDtmRevision", "lblTextFdtRevision", "Image1",
                                     "Picture1", "imgDevice"}) {
                if (const auto* label = open.widget()->findChild<QLabel*>(QLatin1String(name))) {
                    shows << (label->pixmap().isNull() ? label->text() : QStringLiteral("picture"));
                }
            }
            rendered << open.type().name + ": " + shows.join(' ');
        });
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(rendered, QStringList({"Parameter: ", "Observation: 12.000 150 2.500 150 8.000 150 20.000 150",
                                     "Simulation: ", "Diagnosis: picture", "Identification: picture",
                                     "About: rimox QT27 DTM 1.0.0 1.2 picture picture"}));
    ASSERT_EQ(files.size(), 6);
    EXPECT_TRUE(files.contains(QDir(folder).filePath(QStringLiteral("03-Observation.png"))));
    for (const QString& file : files) {
        EXPECT_GT(QImage(file).width(), 100) << file.toStdString();
    }
    EXPECT_TRUE(service.openConnections().isEmpty());
}

}  // namespace
