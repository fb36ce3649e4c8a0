// The shared helpers of the pages: number texts and telegram words, the debug log and
// its file, help windows.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/FileTests.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/common/NumberFunctions.h"
#include "rmox/Error.h"
#include "support/ScopedEnv.h"

using namespace qt27;

namespace {

TEST(NumberFunctions, FormatWithPointWritesAPointNoGroupsAndNoNegativeZeroInEveryLocale) {
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::French), QLocale::c()}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(QStringList({FormatWithPoint(-2.25, "0.000"), FormatWithPoint(99.96, "0.0"),
                               FormatWithPoint(1234567.891, "0.0"), FormatWithPoint(-0.04, "0.0"),
                               FormatWithPoint(-0.06, "0.0"), FormatWithPoint(2.6, "0")}),
                  QStringList({"-2.250", "100.0", "1234567.9", "0.0", "-0.1", "3"}));
    }
}

TEST(NumberFunctions, WordsGoInAndOutInBothByteOrdersAndBadIndexesRaise) {
    for (const bool highFirst : {true, false}) {
        for (const int value : {-32768, -256, -1, 255, 0x1234, 32767}) {
            QByteArray array(4, '\x55');
            IntegerToBytes(static_cast<qint16>(value), array, 1, highFirst);
            qint16 back = 0;
            BytesToInteger(array, back, 1, highFirst);
            EXPECT_EQ(back, value) << highFirst;
            EXPECT_EQ(array[0] + array[3], 2 * 0x55);
        }
    }
    QByteArray array = QByteArray::fromHex("008001");
    IntegerToBytes(0x1234, array, 1, true);
    qint16 value = 0;
    BytesToInteger(QByteArray::fromHex("008001"), value, 1, false);
    EXPECT_EQ(array.toHex() + QByteArray::number(value, 16), "001234180");
    for (const auto& [size, index, error] : {std::tuple{4, 3, 9}, {4, -1, 9}, {1, 0, 9}, {40000, 32767, 6}}) {
        QByteArray bytes(size, '\x11');
        try {
            IntegerToBytes(0x1234, bytes, static_cast<qint16>(index), true);
            ADD_FAILURE() << "no error for " << index;
        } catch (const rmox::Error& raised) {
            EXPECT_EQ(raised.number(), error);
        }
        EXPECT_EQ(bytes, QByteArray(size, '\x11'));
    }
    EXPECT_THROW(BytesToInteger(QByteArray(9, '\0'), value, 8, true), rmox::Error);
}

TEST(DebugLog, RecordsGoToTheLogInTempAndOneDebuggerStringPerCrLfPiece) {
    QTemporaryDir dir;
    const testsupport::ScopedEnv temp("TEMP", dir.path().toLocal8Bit() + "/");
    ReadDebugSettings(2);
    QString logFile = DebugHelper::kLogFileName;
    testing::internal::CaptureStderr();
    WriteDebugLog("Observation", "a\r\n\r\nb\nc\r", logFile, 7);
    WriteDebugLog("About", "x", logFile);
    const QString debugger = QString::fromLocal8Bit(testing::internal::GetCapturedStderr());
    ReadDebugSettings(-1);
    const QString head = "rimox::QT27Controls::";
    EXPECT_EQ(debugger, head + "Observation: aLine: 7\n" + head + "Observation: Line: 7\n" + head +
                            "Observation: b\nc\rLine: 7\n" + head + "About: x\n");
    EXPECT_EQ(logFile, dir.filePath("rimox.log"))
        << "the name becomes the full path, without a second separator";
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(
        lines[0].startsWith(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toUtf8()));
    EXPECT_TRUE(lines[0].endsWith(": QT27Controls::Observation: a\r"));
    EXPECT_TRUE(lines[4].endsWith(": QT27Controls::About: x\r"));
    EXPECT_EQ(DebugHelper::RecordTimestamp(QLocale(QLocale::German, QLocale::Germany),
                                           QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))),
              "05.03.24, 14:07:09");
}

TEST(FileTests, AppendTextLineAddsOrRewritesOneCrLfLineOnlyWhereAllowed) {
    QTemporaryDir dir;
    const QString path = dir.filePath("f.txt");
    AppendTextLine(path, "x", true, false);
    EXPECT_FALSE(FileExists(path));
    AppendTextLine(path, "Größe", false, true);
    AppendTextLine(path, "b", true, false);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Größe\r\nb\r\n");
    AppendTextLine(path, "c", false, false);
    EXPECT_EQ(QFileInfo(path).size(), 3);
    EXPECT_FALSE(FileExists(dir.path()) || FileExists(QString()));
}

TEST(Help, OneWindowPerHelpFileShowsEachTopicAndAMissingTopicRaises) {
    const quintptr handle = HelpUtilities::ShowHelp(nullptr, 21500);
    EXPECT_EQ(HelpUtilities::ShowHelp(nullptr, 0), handle);
    EXPECT_EQ(HelpUtilities::OpenHelpWindowCount(), 1);
    HelpUtilities::CloseAllHelp();
    EXPECT_EQ(HelpUtilities::OpenHelpWindowCount(), 0);
    EXPECT_NE(HelpUtilities::ShowHelp(nullptr, 21400), handle) << "a new window, a new handle";
    HelpUtilities::CloseAllHelp();
    try {
        HelpUtilities::ShowHelp(nullptr, 12345);
        ADD_FAILURE() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::FileNotFound);
        EXPECT_TRUE(error.description().endsWith("/help/rimox/12345.html")) << error.what();
    }
    EXPECT_EQ(HelpUtilities::OpenHelpWindowCount(), 0);
}

}  // namespace
