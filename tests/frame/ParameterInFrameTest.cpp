// The Parameter page run by the frame's own pieces on the simulated station: the
// debug log switched on through a hive file, and the release handshake while the
// page asks the user about unsaved changes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "common/HiveFile.h"
#include "frame/FrameWindow.h"
#include "frame/OpenPage.h"
#include "frame/PageRegistry.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/MessageService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "host/StationProject.h"
#include "support/ScopedEnv.h"

using testsupport::ScopedEnv;

namespace {

constexpr int kSlot = 3;

class ParameterInFrame : public testing::Test {
protected:
    void SetUp() override {
        qt27::ReadDebugSettings(-1);
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("station.xml"))));
        ASSERT_NE(station.moduleRecord(kSlot), nullptr);
    }
    void TearDown() override { qt27::ReadDebugSettings(-1); }

    const frame::PageType& parameterType() const {
        const frame::PageType* type = registry.find(QStringLiteral("Parameter"));
        EXPECT_NE(type, nullptr);
        return *type;
    }
    host::BaseDtm* baseDtm() const { return station.dtmForSlot(kSlot)->baseDtm(); }

    QTemporaryDir dir;
    host::Station station;
    const frame::PageRegistry registry = frame::PageRegistry::withLibraryPages();
};

/// What follows "QT27Controls::" in each record of @p lines.
QStringList records(const QStringList& lines, const QString& marker) {
    QStringList result;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(marker);
        if (at >= 0) {
            result.append(line.mid(at + marker.size()));
        }
    }
    return result;
}

TEST_F(ParameterInFrame, HiveSwitchesSendTheInitRecordsToRimoxLogInTempAndToStandardError) {
    ASSERT_EQ(station.moduleRecord(kSlot)->parameters, QByteArray::fromHex("5C01268B00"))
        << "the expected records follow the built-in station";
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("temp")));
    const QString hive = dir.filePath(QStringLiteral("registry.reg"));
    ASSERT_TRUE(commontest::WriteFile(
        hive, commontest::EncodeHive(commontest::DebugKeyHive(QStringLiteral(
                                         "\"DebugFile\"=dword:00000001\n\"Debug\"=dword:00000003")),
                                     commontest::HiveEncoding::Utf16LeBom, true)));
    ScopedEnv registryEnv("RIMOX_REGISTRY", hive.toLocal8Bit());
    ScopedEnv tempEnv("TEMP", dir.filePath(QStringLiteral("temp")).toLocal8Bit());

    testing::internal::CaptureStderr();
    {
        frame::OpenPage page(parameterType(), station.dtmForSlot(kSlot), QStringLiteral("Parameter-03-1"));
        EXPECT_TRUE(page.init());
        page.requestRelease();
        EXPECT_TRUE(page.isReleased());
    }
    const QString standardError = QString::fromLocal8Bit(testing::internal::GetCapturedStderr());
    qt27::ReadDebugSettings(-1);

    const QStringList expected = {
        "Parameter: IDtmActiveXControl_Init",
        "Parameter.IDtmActiveXControl_Init: ",
        "Parameter: GetAllValues",
        "Parameter: aDataSet0:0x5C",
        "Parameter: aDataSet1:0x1",
        "Parameter: aDataSet2:0x26",
        "Parameter: aDataSet3:0x8B",
        "Parameter: aDataSet4:0x0",
        "Parameter: IDtmActiveXControl_Init: finished",
    };

    QFile log(dir.filePath(QStringLiteral("temp/rimox.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << "rimox.log was not written to TEMP";
    const QString content = QString::fromLocal8Bit(log.readAll());
    EXPECT_TRUE(content.endsWith(QStringLiteral("\r\n")));
    const QStringList fileLines = content.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // "<date>, <time>: QT27Controls::<source>: <message>"
    for (const QString& line : fileLines) {
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^\\S.*, \\S.*: QT27Controls::")).match(line).hasMatch())
            << line.toStdString();
    }
    EXPECT_EQ(records(fileLines, QStringLiteral("QT27Controls::")), expected);

    QStringList debuggerLines = standardError.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    debuggerLines = debuggerLines.filter(QStringLiteral("rimox::QT27Controls::"));
    for (const QString& line : debuggerLines) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("rimox::QT27Controls::"))) << line.toStdString();
    }
    EXPECT_EQ(records(debuggerLines, QStringLiteral("rimox::QT27Controls::")), expected);
}

TEST_F(ParameterInFrame, WithoutTheSwitchesNothingIsLogged) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("temp")));
    ScopedEnv registryEnv("RIMOX_REGISTRY", dir.filePath(QStringLiteral("missing.reg")).toLocal8Bit());
    ScopedEnv tempEnv("TEMP", dir.filePath(QStringLiteral("temp")).toLocal8Bit());
    testing::internal::CaptureStderr();
    {
        frame::OpenPage page(parameterType(), station.dtmForSlot(kSlot), QStringLiteral("Parameter-03-1"));
        page.init();
        page.requestRelease();
    }
    EXPECT_FALSE(QString::fromLocal8Bit(testing::internal::GetCapturedStderr())
                     .contains(QStringLiteral("rimox::QT27Controls::")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("temp/rimox.log"))));
}

// The user may take longer than the grace period to answer the release question:
// the page is still releasing, not stuck.
TEST_F(ParameterInFrame, ReleaseQuestionAnsweredAfterTheGracePeriodIsNoTimeout) {
    frame::OpenPage page(parameterType(), station.dtmForSlot(kSlot), QStringLiteral("Parameter-03-1"));
    page.setGracePeriod(1);
    ASSERT_TRUE(page.init());
    auto* parameter = qobject_cast<qt27::Parameter*>(page.widget());
    ASSERT_NE(parameter, nullptr);
    QComboBox* damping = parameter->channelParameter(0)->findChild<QComboBox*>(QStringLiteral("cboDamping"));
    damping->setCurrentIndex((damping->currentIndex() + 1) % damping->count());
    ASSERT_TRUE(parameter->isDirty());

    QSignalSpy timedOut(&page, &frame::OpenPage::releaseTimedOut);
    QSignalSpy released(&page, &frame::OpenPage::released);
    baseDtm()->messageService()->setAnswerFunction([](const QString&, const QString&, int) {
        // The user reads the question while the event loop runs on.
        QEventLoop reading;
        QTimer::singleShot(50, &reading, &QEventLoop::quit);
        reading.exec();
        return int(qt27::MessageService::AnswerYes);
    });
    page.requestRelease();

    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(timedOut.count(), 0);
    EXPECT_EQ(host::StationProject::load(station.projectPath()).module(kSlot)->parameters,
              parameter->dataSet());
}

TEST_F(ParameterInFrame, FrameKeepsTheWindowOpenWhileTheReleaseQuestionIsAsked) {
    host::SimulatedStation simulation(station.busAddress());
    host::CommunicationService service(&simulation);
    frame::FrameWindow window(station, simulation, service, registry);
    QMdiSubWindow* sub = window.openPage(kSlot, QStringLiteral("Parameter"));
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(window.openPages().size(), 1);
    window.openPages().first()->setGracePeriod(1);
    QPointer<qt27::Parameter> parameter = qobject_cast<qt27::Parameter*>(sub->widget());
    ASSERT_NE(parameter, nullptr);
    QComboBox* range = parameter->channelParameter(1)->findChild<QComboBox*>(QStringLiteral("cboRange"));
    range->setCurrentIndex((range->currentIndex() + 1) % range->count());
    const QByteArray edited = parameter->dataSet();

    bool pageAliveAfterAnswer = false;
    baseDtm()->messageService()->setAnswerFunction([&](const QString&, const QString&, int) {
        QEventLoop reading;
        QTimer::singleShot(50, &reading, &QEventLoop::quit);
        reading.exec();
        pageAliveAfterAnswer = !parameter.isNull();
        return int(qt27::MessageService::AnswerYes);
    });
    QPointer<QMdiSubWindow> closing = sub;
    sub->close();
    for (int pass = 0; pass < 20 && !closing.isNull(); ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    EXPECT_TRUE(pageAliveAfterAnswer);
    EXPECT_TRUE(closing.isNull()) << "the window closes once the page has released";
    EXPECT_TRUE(window.errors().isEmpty()) << window.errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(host::StationProject::load(station.projectPath()).module(kSlot)->parameters, edited);
}

}  // namespace
