// The Observation page in the frame: a page the frame gives up on loses its
// connection; a project that cannot be used is never passed over in silence; the
// renderings leave the project and its trail alone. Refusals, error answers and
// aborts in each state of the session are the session table's.
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/observation/Observation.h"
#include "frame/OpenPage.h"
#include "frame/PageWindows.h"
#include "host/AuditTrail.h"
#include "support/FrameFixture.h"

namespace {

using Fault = host::CommunicationService::Fault;
constexpr auto OneShot = host::CommunicationService::FaultMode::OneShot;
using testsupport::waitFor;

class SessionInFrameTest : public testsupport::FrameFixture {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        FrameFixture::SetUp();
        subWindow = window->openPage(3, QStringLiteral("Observation"));
        page = qobject_cast<qt27::Observation*>(frame::pageIn(subWindow));
        page->cycleTimer()->setInterval(600000);  // ticks come only from the test
        ASSERT_TRUE(waitFor([this] { return page->isOnline() && page->cycleTimer()->isActive(); }));
    }

    QPointer<QMdiSubWindow> subWindow;
    QPointer<qt27::Observation> page;
};

TEST_F(SessionInFrameTest, PageGivenUpOnLosesItsConnectionAtOnce) {
    window->openPages().value(0)->setGracePeriod(100);
    int openWhenGivenUp = -1;
    QObject::connect(window->openPages().value(0), &frame::OpenPage::releaseTimedOut, page,
                     [&] { openWhenGivenUp = static_cast<int>(service.openConnections().size()); });
    service.setFault(Fault::RefuseRequest, OneShot);  // the release's Disconnect: it never releases
    subWindow->close();
    ASSERT_TRUE(waitFor([this] { return subWindow.isNull(); }));
    EXPECT_EQ(openWhenGivenUp, 0);
    EXPECT_EQ(window->errors().filter(QStringLiteral("did not release")).size(), 1);
}

TEST(BadSetupTest, UnusableProjectIsNamedOnScreenAndOnTheCommandLine) {
    QTemporaryDir dir;
    host::SimulatedStation simulation{12};
    host::CommunicationService service{&simulation};
    host::Station station;
    ASSERT_FALSE(station.open(dir.path()));
    frame::FrameWindow window(station, simulation, service, frame::PageRegistry::withLibraryPages());
    EXPECT_EQ(window.errors().filter(dir.path()).size(), 1);

    const QString shots = dir.filePath(QStringLiteral("shots"));
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/qt27frame");
    QProcess frame;
    frame.start(program, {QStringLiteral("--project"), dir.path(), QStringLiteral("--screenshot"), shots});
    ASSERT_TRUE(frame.waitForFinished(60000));
    const QString failure = QString::fromLocal8Bit(frame.readAllStandardError());
    EXPECT_EQ(frame.exitCode(), 1) << failure.toStdString();
    EXPECT_TRUE(failure.contains(dir.path()) && !QDir(shots).exists()) << failure.toStdString();
    // A project that did not exist is named, while the frame runs, as the built-in one is written there.
    const QString created = dir.filePath(QStringLiteral("new.xml"));
    frame.start(program, {QStringLiteral("--project"), created});
    QString notice;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (notice += frame.readAllStandardError()).contains(created); }, 30000))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("did not exist")) && QFile::exists(created));
    frame.kill();
    frame.waitForFinished();
}

// The renderings connect, force, and read diagnoses: on a copy, so the engineer's
// project and its audit trail stay as they were.
TEST(RenderingTest, ScreenshotsLeaveTheProjectAndItsTrailAsTheyWere) {
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("station.xml"));
    qsizetype entriesBefore = 0;
    {
        host::Station station;
        ASSERT_TRUE(station.open(project));
        entriesBefore = station.auditTrail()->entries().size();
    }
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const QString shots = dir.filePath(QStringLiteral("shots"));
    QProcess frame;
    frame.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qt27frame"),
                {QStringLiteral("--project"), project, QStringLiteral("--screenshot"), shots});
    ASSERT_TRUE(frame.waitForFinished(120000));
    EXPECT_EQ(frame.exitCode(), 0) << frame.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(shots + QStringLiteral("/loopcheck.png")));

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == before) << "the project file was changed";
    host::Station station;
    ASSERT_TRUE(station.open(project));
    EXPECT_EQ(station.auditTrail()->entries().size(), entriesBefore);
}

}  // namespace
