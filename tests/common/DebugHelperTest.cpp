#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <optional>

#include "HiveFile.h"
#include "QT27Controls/common/DebugHelper.h"
#include "support/ScopedEnv.h"

using namespace qt27;
using testsupport::ScopedEnv;

namespace {

/// Switches both sinks off around each test: the switches are shared by the process.
class DebugSwitches : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        DebugHelper::setDebugToFile(false);
        DebugHelper::setDebugToDebugger(false);
    }
};

/// A registry hive and a TEMP folder of the test's own, read through the real
/// hive reader and written through the real file sink.
class DebugLog : public DebugSwitches {
protected:
    void SetUp() override {
        DebugSwitches::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("temp")));
        m_registry.emplace("RIMOX_REGISTRY", hivePath().toLocal8Bit());
        m_temp.emplace("TEMP", tempFolder().toLocal8Bit());
    }
    void TearDown() override {
        m_temp.reset();
        m_registry.reset();
        DebugSwitches::TearDown();
    }

    QString hivePath() const { return m_dir.filePath(QStringLiteral("registry.reg")); }
    QString tempFolder() const { return m_dir.filePath(QStringLiteral("temp")); }
    QString logPath() const { return tempFolder() + QStringLiteral("/rimox.log"); }

    void writeHive(const QString& values) {
        ASSERT_TRUE(commontest::WriteFile(
            hivePath(), commontest::EncodeHive(commontest::DebugKeyHive(values),
                                               commontest::HiveEncoding::Utf16LeBom, true)));
    }

    QByteArray logContents() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// Runs @p write and answers what it sent to standard error.
    template <typename Write>
    static QString StderrOf(Write&& write) {
        testing::internal::CaptureStderr();
        write();
        return QString::fromLocal8Bit(testing::internal::GetCapturedStderr());
    }

private:
    QTemporaryDir m_dir;
    std::optional<ScopedEnv> m_registry;
    std::optional<ScopedEnv> m_temp;
};

TEST_F(DebugLog, FileRecordKeepsCrLfAndDebuggerGetsOneStringPerPiece) {
    writeHive(QStringLiteral("\"Debug\"=dword:00000003\n\"DebugFile\"=dword:00000001"));
    ReadDebugSettings(0);
    ASSERT_TRUE(DebugHelper::DebugToFile());
    ASSERT_TRUE(DebugHelper::DebugToDebugger());

    QString logFile = DebugHelper::kLogFileName;
    const QString dayBefore = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString debugger = StderrOf([&] {
        WriteDebugLog(QStringLiteral("Observation.OnConnectResponse"), QStringLiteral("a\r\nb"), logFile);
    });
    const QString dayAfter = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);

    EXPECT_EQ(logFile, logPath());
    EXPECT_EQ(debugger, QStringLiteral("rimox::QT27Controls::Observation.OnConnectResponse: a\n"
                                       "rimox::QT27Controls::Observation.OnConnectResponse: b\n"));

    const QString record = QString::fromLocal8Bit(logContents());
    const QString tail = QStringLiteral(": QT27Controls::Observation.OnConnectResponse: a\r\nb\r\n");
    ASSERT_TRUE(record.endsWith(tail)) << record.toStdString();
    const QString stamp = record.chopped(tail.size());
    EXPECT_TRUE(stamp.startsWith(dayBefore + QStringLiteral(", ")) ||
                stamp.startsWith(dayAfter + QStringLiteral(", ")))
        << stamp.toStdString();
    EXPECT_FALSE(stamp.contains(u'\n'));
}

TEST_F(DebugLog, RecordsAreAppendedAndTheFullPathIsKept) {
    writeHive(QStringLiteral("\"DebugFile\"=dword:00000001"));
    ReadDebugSettings(0);
    QString logFile = DebugHelper::kLogFileName;
    WriteDebugLog(QStringLiteral("Parameter"), QStringLiteral("first"), logFile);
    const QString first = logFile;
    {
        // A full path is not rewritten, even when TEMP has changed meanwhile.
        ScopedEnv elsewhere("TEMP", QDir::tempPath().toLocal8Bit() + "/qt27-nowhere");
        WriteDebugLog(QStringLiteral("Parameter"), QStringLiteral("second"), logFile);
    }
    EXPECT_EQ(logFile, first);
    const QList<QByteArray> lines = logContents().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.at(0).endsWith(": QT27Controls::Parameter: first\r"));
    EXPECT_TRUE(lines.at(1).endsWith(": QT27Controls::Parameter: second\r"));
    EXPECT_TRUE(lines.at(2).isEmpty());
}

TEST_F(DebugLog, TempWithTrailingSeparatorGetsNoSecondOne) {
    DebugHelper::setDebugToFile(true);
    ScopedEnv temp("TEMP", (tempFolder() + QStringLiteral("/")).toLocal8Bit());
    QString logFile = DebugHelper::kLogFileName;
    WriteDebugLog(QStringLiteral("Diagnosis"), QStringLiteral("x"), logFile);
    EXPECT_EQ(logFile, logPath());
    EXPECT_FALSE(logContents().isEmpty());
}

TEST_F(DebugLog, OnlyTheExactDefaultNameIsRewritten) {
    DebugHelper::setDebugToFile(true);
    const QString own = tempFolder() + QStringLiteral("/own.log");
    QString logFile = own;
    WriteDebugLog(QStringLiteral("About"), QStringLiteral("x"), logFile);
    EXPECT_EQ(logFile, own);
    EXPECT_TRUE(QFile::exists(own));
}

TEST_F(DebugLog, DebuggerOnlyLeavesTheNameAndCreatesNoFile) {
    writeHive(QStringLiteral("\"Debug\"=dword:00000001"));
    ReadDebugSettings(0);
    QString logFile = DebugHelper::kLogFileName;
    const QString debugger =
        StderrOf([&] { WriteDebugLog(QStringLiteral("Simulation"), QStringLiteral("x"), logFile); });
    EXPECT_EQ(debugger, QStringLiteral("rimox::QT27Controls::Simulation: x\n"));
    EXPECT_EQ(logFile, DebugHelper::kLogFileName);
    EXPECT_FALSE(QFile::exists(logPath()));
}

TEST_F(DebugLog, DebugTwoSendsNothingToTheDebugger) {
    writeHive(QStringLiteral("\"Debug\"=dword:00000002\n\"DebugFile\"=dword:00000001"));
    ReadDebugSettings(0);
    const QString debugger =
        StderrOf([] { WriteDebugLog(QStringLiteral("Simulation"), QStringLiteral("x")); });
    EXPECT_TRUE(debugger.isEmpty()) << debugger.toStdString();
    EXPECT_FALSE(logContents().isEmpty());
}

TEST_F(DebugLog, UnwritableLogLosesTheLineSilently) {
    DebugHelper::setDebugToFile(true);
    DebugHelper::setDebugToDebugger(true);
    ScopedEnv temp("TEMP", (tempFolder() + QStringLiteral("/missing/folder")).toLocal8Bit());
    const QString debugger =
        StderrOf([] { WriteDebugLog(QStringLiteral("Identification"), QStringLiteral("x")); });
    EXPECT_EQ(debugger, QStringLiteral("rimox::QT27Controls::Identification: x\n"));
}

struct PiecesCase {
    QString message;
    long errorLine;
    QString expected;
};

class DebuggerPieces : public DebugSwitches, public testing::WithParamInterface<PiecesCase> {};

TEST_P(DebuggerPieces, MessageIsCutAtEachCrLf) {
    DebugHelper::setDebugToDebugger(true);
    QString logFile = DebugHelper::kLogFileName;
    testing::internal::CaptureStderr();
    WriteDebugLog(QStringLiteral("Src"), GetParam().message, logFile, GetParam().errorLine);
    EXPECT_EQ(QString::fromLocal8Bit(testing::internal::GetCapturedStderr()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, DebuggerPieces,
    testing::Values(PiecesCase{QString(), 0, QStringLiteral("rimox::QT27Controls::Src: \n")},
                    PiecesCase{QStringLiteral("a\r\n"), 0, QStringLiteral("rimox::QT27Controls::Src: a\n")},
                    PiecesCase{QStringLiteral("a\r\n\r\nb"), 0,
                               QStringLiteral("rimox::QT27Controls::Src: a\nrimox::QT27Controls::Src: \n"
                                              "rimox::QT27Controls::Src: b\n")},
                    // A lone LF or CR does not cut the message.
                    PiecesCase{QStringLiteral("a\nb\rc"), 0,
                               QStringLiteral("rimox::QT27Controls::Src: a\nb\rc\n")},
                    PiecesCase{QStringLiteral("failed"), 42,
                               QStringLiteral("rimox::QT27Controls::Src: failedLine: 42\n")},
                    PiecesCase{QStringLiteral("a\r\nb"), 7,
                               QStringLiteral("rimox::QT27Controls::Src: aLine: 7\n"
                                              "rimox::QT27Controls::Src: bLine: 7\n")}));

struct RegistryCase {
    const char* values;
    bool debugger;
    bool file;
};

class DebugSettingsFromRegistry : public DebugLog, public testing::WithParamInterface<RegistryCase> {};

TEST_P(DebugSettingsFromRegistry, ModeZeroReadsBothSwitches) {
    // Start from the opposite of the expectation: mode 0 sets both switches either way.
    DebugHelper::setDebugToDebugger(!GetParam().debugger);
    DebugHelper::setDebugToFile(!GetParam().file);
    writeHive(QString::fromUtf8(GetParam().values));
    ReadDebugSettings(0);
    EXPECT_EQ(DebugHelper::DebugToDebugger(), GetParam().debugger);
    EXPECT_EQ(DebugHelper::DebugToFile(), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DebugSettingsFromRegistry,
    testing::Values(RegistryCase{"\"Debug\"=dword:00000001", true, false},
                    RegistryCase{"\"Debug\"=dword:00000002", false, false},
                    RegistryCase{"\"Debug\"=dword:00000003", true, false},
                    RegistryCase{"\"Debug\"=dword:00000000", false, false},
                    RegistryCase{"\"Debug\"=dword:00000004", false, false},
                    RegistryCase{"\"Debug\"=dword:00000101", false, false},
                    RegistryCase{"\"Debug\"=hex(4):03,00,00,00", true, false},
                    RegistryCase{"\"Debug\"=\"3\"", true, false},
                    RegistryCase{"\"Debug\"=\"on\"", false, false},
                    RegistryCase{"\"Debug\"=hex:01,00,00,00", false, false},
                    RegistryCase{"\"DebugFile\"=dword:00000001", false, true},
                    RegistryCase{"\"DebugFile\"=dword:00000003", false, false},
                    RegistryCase{"\"DebugFile\"=\" 1 \"", false, true},
                    RegistryCase{"\"Debug\"=dword:00000003\n\"DebugFile\"=dword:00000001", true, true},
                    RegistryCase{"", false, false}));

TEST_F(DebugLog, ModeZeroWithoutHiveSwitchesBothOff) {
    DebugHelper::setDebugToDebugger(true);
    DebugHelper::setDebugToFile(true);
    ReadDebugSettings(0);
    EXPECT_FALSE(DebugHelper::DebugToDebugger());
    EXPECT_FALSE(DebugHelper::DebugToFile());
}

struct ModeCase {
    qint16 mode;
    bool debugger;
    bool file;
};

class DebugSettingsModes : public DebugSwitches, public testing::WithParamInterface<ModeCase> {};

TEST_P(DebugSettingsModes, ModeSetsBothSwitches) {
    DebugHelper::setDebugToDebugger(!GetParam().debugger);
    DebugHelper::setDebugToFile(!GetParam().file);
    ReadDebugSettings(GetParam().mode);
    EXPECT_EQ(DebugHelper::DebugToDebugger(), GetParam().debugger);
    EXPECT_EQ(DebugHelper::DebugToFile(), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Modes, DebugSettingsModes,
                         testing::Values(ModeCase{1, true, false}, ModeCase{2, true, true},
                                         ModeCase{3, false, false}, ModeCase{-1, false, false},
                                         ModeCase{32767, false, false}));

TEST_F(DebugSwitches, NoSinkWritesNothing) {
    QString logFile = DebugHelper::kLogFileName;
    testing::internal::CaptureStderr();
    WriteDebugLog(QStringLiteral("Src"), QStringLiteral("x"), logFile, 3);
    EXPECT_TRUE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(logFile, DebugHelper::kLogFileName);
}

struct StampCase {
    QLocale locale;
    QString expected;
};

class RecordTimestamps : public testing::TestWithParam<StampCase> {};

TEST_P(RecordTimestamps, ShortDateAndTimeWithSecondsWithoutZone) {
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(DebugHelper::RecordTimestamp(GetParam().locale, when).toStdString(),
              GetParam().expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Locales, RecordTimestamps,
                         testing::Values(StampCase{QLocale(QLocale::German, QLocale::Germany),
                                                   QStringLiteral("05.03.24, 14:07:09")},
                                         StampCase{QLocale(QLocale::English, QLocale::UnitedStates),
                                                   QStringLiteral("3/5/24, 2:07:09 PM")},
                                         StampCase{QLocale(QLocale::Japanese, QLocale::Japan),
                                                   QStringLiteral("2024/03/05, 14時07分09秒")}));

}  // namespace
