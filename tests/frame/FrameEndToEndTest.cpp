// The frame application end to end: Observation opened in the frame's window on
// the simulated station through the host's communication service, the release
// handshake of the frame in every state of the session, and the screenshot path.
// Every wait is bounded and ends as soon as its condition holds.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/Observation.h"
#include "frame/FrameWindow.h"
#include "frame/OpenPage.h"
#include "frame/PageRegistry.h"
#include "frame/Screenshots.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "host/StationProject.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using Fault = host::CommunicationService::Fault;
using FaultMode = host::CommunicationService::FaultMode;
using RequestKind = host::CommunicationService::RequestKind;

// The built-in station's slot 3: type 37, channel bytes 5C 01 26 8B, i.e. the
// ranges 4..20 mA, 0..10 V, 2..10 V and 0..20 mA.
constexpr int kSlot = 3;
constexpr int kWaitMs = 5000;
// A cycle far longer than any test: ticks come only when a test asks for them.
constexpr int kIdleCycleMs = 600000;

/// Processes events until @p condition holds, at most @p timeoutMs.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

QString kindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::Connect:
            return QStringLiteral("Connect");
        case RequestKind::Disconnect:
            return QStringLiteral("Disconnect");
        case RequestKind::Transaction:
            return QStringLiteral("Transaction");
        case RequestKind::VerifyConnection:
            return QStringLiteral("VerifyConnection");
    }
    return {};
}

/// A station project in a temporary folder, the simulated station with the
/// project's parameter bytes and the communication service on it.
class SimulatedPlant : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        ASSERT_TRUE(dir.isValid());
        writeProject();
        ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml"))));
        simulation.setBusAddress(station.busAddress());
        simulation.setParameterProvider([this](int slot) {
            const host::ModuleRecord* record = station.moduleRecord(slot);
            return record != nullptr ? record->parameters : QByteArray();
        });
        for (const host::Station::ModuleInfo& module : station.modules()) {
            frame::addToSimulation(simulation, module.slot, module.typeCode);
        }
        // 50 %, 25 %, 75 % and 100 % of each channel's range.
        const double offsets[] = {50.0, 25.0, 75.0, 100.0};
        for (int channel = 0; channel < 4; ++channel) {
            setSignal(channel, offsets[channel]);
        }
        service.setLatency(2);
    }

    /// The project file the station opens; the built-in station unless replaced.
    virtual void writeProject() {}

    void setSignal(int channel, double offsetPercent) {
        host::ChannelSignal signal;
        signal.shape = host::SignalShape::Constant;
        signal.offsetPercent = offsetPercent;
        signal.amplitudePercent = 0.0;
        simulation.setChannelSignal(kSlot, channel, signal);
    }

    QTemporaryDir dir;
    host::Station station;
    host::SimulatedStation simulation{12};
    host::CommunicationService service{&simulation};
};

/// What a page shows.
QStringList valueTexts(const qt27::Observation& page) {
    QStringList texts;
    for (int index = 0; index < 4; ++index) {
        texts.append(
            page.channelObservation(index)->findChild<QLineEdit*>(QStringLiteral("txtValue"))->text());
    }
    return texts;
}

int picturesShown(const qt27::Observation& page) {
    int shown = 0;
    for (int index = 0; index < 4; ++index) {
        const QLabel* picture =
            page.channelObservation(index)->findChild<QLabel*>(QStringLiteral("imgState"));
        shown += picture->pixmap().isNull() ? 0 : 1;
    }
    return shown;
}

/// The values of the station's signals as slot 3 shows them, channel 1 in percent.
const QStringList kStationValues = {QStringLiteral("12.000"), QStringLiteral("25.0"), QStringLiteral("8.000"),
                                    QStringLiteral("20.000")};

class FrameEndToEndTest : public SimulatedPlant {
protected:
    void SetUp() override {
        SimulatedPlant::SetUp();
        window = std::make_unique<frame::FrameWindow>(station, simulation, service,
                                                      frame::PageRegistry::withLibraryPages());
        window->show();
        dtm = station.dtmForSlot(kSlot);
        ASSERT_NE(dtm, nullptr);
        QObject::connect(dtm->baseDtm(), &host::BaseDtm::uiReleased, &context,
                         [this](const QString& invokeId) { log(QStringLiteral("UiReleased ") + invokeId); });
        QObject::connect(dtm->baseDtm(), &host::BaseDtm::closeUiRequested, &context,
                         [this](const QString& invokeId) { log(QStringLiteral("CloseUi ") + invokeId); });
        QObject::connect(&service, &host::CommunicationService::requestReceived, &context,
                         [this](RequestKind kind) { log(QStringLiteral("request ") + kindName(kind)); });
        QObject::connect(&service, &host::CommunicationService::answerSent, &context,
                         [this](RequestKind kind) { log(QStringLiteral("answer ") + kindName(kind)); });
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::processEvents();
    }

    void log(const QString& event) { events.append(event); }

    /// Opens Observation for slot 3; its cycle runs every @p cycleMs.
    qt27::Observation* openObservation(int cycleMs = 10) {
        subWindow = window->openPage(kSlot, QStringLiteral("Observation"));
        if (subWindow == nullptr) {
            ADD_FAILURE() << "no window";
            return nullptr;
        }
        invokeId = subWindow->property("invokeId").toString();
        observation = qobject_cast<qt27::Observation*>(subWindow->widget());
        observation->cycleTimer()->setInterval(cycleMs);
        QObject::connect(subWindow.data(), &QObject::destroyed, &context,
                         [this] { log(QStringLiteral("window closed")); });
        // Channel 1 shows percent of its range.
        observation->channelObservation(1)
            ->findChild<QComboBox*>(QStringLiteral("cmbUnit"))
            ->setCurrentIndex(0);
        return observation;
    }
    /// Online, the station's values shown and nothing outstanding; with an idle cycle
    /// the timer then waits for the test.
    bool reachIdle() {
        return waitFor([this] {
            return observation->isOnline() && valueTexts(*observation) == kStationValues &&
                   observation->onlineInvokeId().isEmpty() && service.outstandingAnswers() == 0;
        });
    }
    /// A read is outstanding whose answer comes only after @p delayMs.
    bool reachBusy(int delayMs) {
        service.setFaultDelay(delayMs);
        service.setFault(Fault::DelayAnswer, FaultMode::OneShot);
        observation->timCyclic_Timer();
        return waitFor([this] { return !observation->onlineInvokeId().isEmpty(); });
    }
    int uiReleased() const {
        return static_cast<int>(events.count(QStringLiteral("UiReleased ") + invokeId));
    }
    QString text(int id, bool common = true) const {
        return dtm->baseDtm()->resourceManager()->GetString(
            id, common ? qt27::CommonResourceFolder() : qt27::DeviceResourceFolder());
    }
    QString connectCaption() const { return observation->buttons()->pageButton()->text(); }
    qsizetype at(const QString& event) const { return events.indexOf(event); }

    QObject context;
    std::unique_ptr<frame::FrameWindow> window;
    host::QT27Dtm* dtm = nullptr;
    QPointer<QMdiSubWindow> subWindow;
    QPointer<qt27::Observation> observation;
    QString invokeId;
    QStringList events;
};

TEST_F(FrameEndToEndTest, ShowsTheStationsSignalsInTheSelectedUnits) {
    openObservation();
    ASSERT_TRUE(waitFor([this] { return valueTexts(*observation) == kStationValues; }))
        << valueTexts(*observation).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(picturesShown(*observation), 4);
    EXPECT_EQ(connectCaption(), text(7012));
    EXPECT_TRUE(observation->buttons()->isOnline());

    // The cycle goes on: a new signal shows up by itself.
    setSignal(0, 25.0);
    EXPECT_TRUE(waitFor([this] { return valueTexts(*observation).value(0) == QStringLiteral("8.000"); }));
    EXPECT_TRUE(window->errors().isEmpty()) << window->errors().join(QLatin1Char('\n')).toStdString();
}

TEST_F(FrameEndToEndTest, ConnectButtonDisconnectsAfterTheCurrentReadAndConnectsAgain) {
    openObservation();
    ASSERT_TRUE(waitFor([this] { return valueTexts(*observation) == kStationValues; }));
    QPushButton* button = observation->buttons()->pageButton();
    ASSERT_TRUE(waitFor([button] { return button->isEnabled(); }));
    events.clear();
    button->click();
    ASSERT_TRUE(
        waitFor([this] { return !observation->isOnline() && observation->onlineInvokeId().isEmpty(); }));
    // The disconnect waited for the read outstanding, if any, and nothing was read after it.
    const qsizetype disconnect = at(QStringLiteral("request Disconnect"));
    ASSERT_GE(disconnect, 0) << events.join(QLatin1Char(',')).toStdString();
    EXPECT_LE(events.lastIndexOf(QStringLiteral("request Transaction"), disconnect),
              events.lastIndexOf(QStringLiteral("answer Transaction"), disconnect));
    EXPECT_EQ(events.indexOf(QStringLiteral("request Transaction"), disconnect), -1);
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_EQ(connectCaption(), text(7011));
    EXPECT_FALSE(observation->buttons()->isOnline());
    // A user disconnect keeps the values, shown as outdated without pictures.
    EXPECT_EQ(valueTexts(*observation), kStationValues);
    EXPECT_EQ(picturesShown(*observation), 0);

    setSignal(2, 50.0);
    ASSERT_TRUE(waitFor([button] { return button->isEnabled(); }));
    button->click();
    EXPECT_TRUE(waitFor([this] {
        return observation->isOnline() && valueTexts(*observation).value(2) == QStringLiteral("6.000");
    }));
    EXPECT_EQ(connectCaption(), text(7012));
    EXPECT_EQ(service.requestCount(RequestKind::Connect), 2);
}

TEST_F(FrameEndToEndTest, AbortKeepsTheValuesWithoutPicturesAndTheNextTickConnectsAgain) {
    openObservation(kIdleCycleMs);
    ASSERT_TRUE(reachIdle());
    ASSERT_TRUE(observation->cycleTimer()->isActive());
    service.abortConnections();
    ASSERT_TRUE(waitFor([this] { return !observation->isOnline(); }));
    EXPECT_EQ(valueTexts(*observation), kStationValues);
    EXPECT_EQ(picturesShown(*observation), 0);
    EXPECT_EQ(connectCaption(), text(7011));
    const QStringList errors = window->errors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().endsWith(text(1127, false))) << errors.first().toStdString();

    // The abort left the timer running: its tick connects again.
    ASSERT_TRUE(observation->cycleTimer()->isActive());
    observation->cycleTimer()->setInterval(0);
    EXPECT_TRUE(waitFor([this] { return observation->isOnline() && picturesShown(*observation) == 4; }));
    EXPECT_EQ(service.requestCount(RequestKind::Connect), 2);
    EXPECT_EQ(connectCaption(), text(7012));
}

TEST_F(FrameEndToEndTest, ClosingTheWindowDuringAReadDisconnectsBeforeTheWindowGoes) {
    openObservation(kIdleCycleMs);
    ASSERT_TRUE(reachIdle());
    ASSERT_TRUE(reachBusy(300));
    events.clear();
    subWindow->close();
    EXPECT_FALSE(subWindow.isNull());
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull(); }));
    ASSERT_GE(at(QStringLiteral("answer Disconnect")), 0) << events.join(QLatin1Char(',')).toStdString();
    EXPECT_LT(at(QStringLiteral("request Disconnect")), at(QStringLiteral("answer Disconnect")));
    EXPECT_LT(at(QStringLiteral("answer Disconnect")), at(QStringLiteral("UiReleased ") + invokeId));
    EXPECT_LT(at(QStringLiteral("UiReleased ") + invokeId), at(QStringLiteral("window closed")));
    EXPECT_EQ(uiReleased(), 1);
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_TRUE(window->openPages().isEmpty());
    EXPECT_TRUE(window->errors().isEmpty()) << window->errors().join(QLatin1Char('\n')).toStdString();
}

TEST_F(FrameEndToEndTest, CloseOnTheButtonBarDisconnectsThenTheFrameReleases) {
    openObservation(kIdleCycleMs);
    ASSERT_TRUE(reachIdle());
    events.clear();
    observation->buttons()->closeButton()->click();
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull(); }));
    EXPECT_LT(at(QStringLiteral("answer Disconnect")), at(QStringLiteral("CloseUi ") + invokeId));
    EXPECT_LT(at(QStringLiteral("CloseUi ") + invokeId), at(QStringLiteral("UiReleased ") + invokeId));
    EXPECT_EQ(uiReleased(), 1);
    EXPECT_TRUE(service.openConnections().isEmpty());
}

// The frame releases the page in each state of the session; every release ends in
// exactly one UiReleased, the window goes, and no connection is left open.
enum class SessionState { Connecting, Online, Busy, Disconnecting };

class FrameReleaseTest : public FrameEndToEndTest, public testing::WithParamInterface<SessionState> {};

TEST_P(FrameReleaseTest, EndsInExactlyOneUiReleased) {
    switch (GetParam()) {
        case SessionState::Connecting:
            service.setFaultDelay(200);
            service.setFault(Fault::DelayAnswer, FaultMode::OneShot);
            openObservation(kIdleCycleMs);
            ASSERT_TRUE(waitFor([this] { return observation->isConnecting(); }));
            break;
        case SessionState::Online:
            openObservation(kIdleCycleMs);
            ASSERT_TRUE(reachIdle());
            break;
        case SessionState::Busy:
            openObservation(kIdleCycleMs);
            ASSERT_TRUE(reachIdle());
            ASSERT_TRUE(reachBusy(200));
            break;
        case SessionState::Disconnecting:
            openObservation(kIdleCycleMs);
            ASSERT_TRUE(reachIdle());
            // The user's disconnect goes out after the next read; its answer is late.
            QObject::connect(&service, &host::CommunicationService::requestReceived, &context,
                             [this](RequestKind kind) {
                                 if (kind == RequestKind::Disconnect) {
                                     service.setFaultDelay(200);
                                     service.setFault(Fault::DelayAnswer, FaultMode::OneShot);
                                 }
                             });
            observation->ctlButtons_PageButton();
            observation->timCyclic_Timer();
            ASSERT_TRUE(waitFor([this] { return observation->isDisconnecting(); }));
            break;
    }
    subWindow->close();
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull(); }));
    EXPECT_EQ(uiReleased(), 1);
    EXPECT_TRUE(window->openPages().isEmpty());
    // Late answers reach nobody, and nothing the page opened stays open.
    EXPECT_TRUE(waitFor([this] { return service.outstandingAnswers() == 0; }));
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_EQ(uiReleased(), 1);
    EXPECT_TRUE(window->errors().isEmpty()) << window->errors().join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(States, FrameReleaseTest,
                         testing::Values(SessionState::Connecting, SessionState::Online, SessionState::Busy,
                                         SessionState::Disconnecting),
                         [](const testing::TestParamInfo<SessionState>& info) {
                             switch (info.param) {
                                 case SessionState::Connecting:
                                     return "Connecting";
                                 case SessionState::Online:
                                     return "Online";
                                 case SessionState::Busy:
                                     return "Busy";
                                 case SessionState::Disconnecting:
                                     return "Disconnecting";
                             }
                             return "";
                         });

// A refused Disconnect during the release leaves the page online and unreleased.
// The frame closes the window after its grace period anyway and names the page.
TEST_F(FrameEndToEndTest, PageThatDoesNotReleaseIsClosedAfterTheGracePeriod) {
    window->setGracePeriod(150);
    openObservation(kIdleCycleMs);
    ASSERT_TRUE(reachIdle());
    service.setFault(Fault::RefuseRequest, FaultMode::OneShot);
    subWindow->close();
    ASSERT_TRUE(waitFor([this] { return service.requestCount(RequestKind::Disconnect) == 1; }));
    EXPECT_FALSE(subWindow.isNull());
    EXPECT_TRUE(observation->isOnline());
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull(); }));
    EXPECT_EQ(uiReleased(), 0);
    EXPECT_TRUE(window->openPages().isEmpty());
    const QStringList errors = window->errors();
    ASSERT_EQ(errors.size(), 1) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errors.first().contains(QStringLiteral("Observation of slot 03")))
        << errors.first().toStdString();
    EXPECT_TRUE(errors.first().contains(QStringLiteral("0.15 s"))) << errors.first().toStdString();
}

TEST_F(FrameEndToEndTest, QuittingTheFrameReleasesTheOpenPageFirst) {
    openObservation();
    ASSERT_TRUE(waitFor([this] { return valueTexts(*observation) == kStationValues; }));
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(waitFor([this] { return !window->isVisible(); }));
    EXPECT_EQ(uiReleased(), 1);
    EXPECT_TRUE(subWindow.isNull());
    EXPECT_TRUE(service.openConnections().isEmpty());
}

// --- Screenshots ------------------------------------------------------------------------

/// A station with the one module of slot 3, so that the rendering stays short.
class ScreenshotTest : public SimulatedPlant {
protected:
    void writeProject() override {
        host::StationProject project = host::StationProject::builtIn();
        project.modules.removeIf([](const host::ModuleRecord& module) { return module.slot != kSlot; });
        ASSERT_TRUE(project.save(dir.filePath(QStringLiteral("station.xml"))));
    }
};

TEST_F(ScreenshotTest, RendersObservationWithLiveValuesAndThePagesBeside) {
    const QString folder = dir.filePath(QStringLiteral("shots"));
    QStringList errors;
    QStringList shownBeforeCapture;
    int picturesBeforeCapture = -1;
    QStringList rendered;
    const QStringList files = frame::renderAllPages(
        station, service, frame::PageRegistry::withLibraryPages(), folder, &errors,
        [&](const frame::OpenPage& page) {
            rendered.append(page.type().name);
            if (const auto* observation = qobject_cast<const qt27::Observation*>(page.widget())) {
                shownBeforeCapture = valueTexts(*observation);
                picturesBeforeCapture = picturesShown(*observation);
            }
        });
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rendered, (QStringList{QStringLiteral("Parameter"), QStringLiteral("Observation"),
                                     QStringLiteral("About")}));
    // Channel 1 shows the physical unit here: 25 % of 0..10 V.
    EXPECT_EQ(shownBeforeCapture, (QStringList{QStringLiteral("12.000"), QStringLiteral("2.500"),
                                               QStringLiteral("8.000"), QStringLiteral("20.000")}));
    EXPECT_EQ(picturesBeforeCapture, 4);
    ASSERT_EQ(files.size(), 3);
    for (const QString& name : {QStringLiteral("03-Parameter.png"), QStringLiteral("03-Observation.png"),
                                QStringLiteral("03-About.png")}) {
        const QString path = QDir(folder).filePath(name);
        EXPECT_TRUE(files.contains(path)) << name.toStdString();
        const QImage image(path);
        EXPECT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(image.width(), 100) << name.toStdString();
    }
    // Every page was released on the way: the connection is closed again.
    EXPECT_TRUE(service.openConnections().isEmpty());
}

}  // namespace
