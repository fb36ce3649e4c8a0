// Registry hive files and queries, telegram words, help windows; the pages and the frame show the rest.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QThread>

#include "HiveFile.h"
#include "QT27Controls/about/About.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/common/HelpUtilities.h"
#include "QT27Controls/common/NumberFunctions.h"
#include "QT27Controls/common/RegManagement.h"
#include "QT27Controls/common/RegistryHive.h"
#include "rmox/Error.h"
#include "support/ScopedEnv.h"

using commontest::HiveEncoding;
using namespace qt27;
using namespace qt27::RegistryHive;

namespace {

const QString kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP";
const QString kV5 = "Windows Registry Editor Version 5.00\n\n[" + kKey + "]\n";

Hive ParseV5(const QString& body) {
    return Parse((kV5 + body).toUtf8());
}

/// The shown value of @p name: its text for text types, else its type and bytes in hex.
QString Shown(const Hive& hive, const QString& name) {
    const Value* value = hive.value(kKey, name);
    if (value == nullptr) {
        return "missing";
    }
    return ValueText(*value).isNull() ? QString::number(value->type) + ":" + value->data.toHex()
                                      : ValueText(*value);
}

class RegistryHiveValue : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(RegistryHiveValue, IsReadWithItsTypeAndData) {
    const Hive hive = ParseV5(QString::fromUtf8(GetParam().first) + "\n\"next\"=dword:1");
    EXPECT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    EXPECT_EQ(Shown(hive, "v"), QString::fromUtf8(GetParam().second));
    EXPECT_EQ(Shown(hive, "next"), "4:01000000");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(AllForms, RegistryHiveValue, testing::Values(
    std::pair{"\"v\"=\"C:\\\\Temp\\\\\"", "C:\\Temp\\"},  // a closing backslash continues nothing
    std::pair{"\"v\"=\"C:\\Temp\"", "C:\\Temp"},            std::pair{"\"v\"=\"say \\\"hi\\\"\"", "say \"hi\""},
    std::pair{"\"V\"=\"Grüße €\" ; comment", "Grüße €"},  std::pair{"\"v\"=\"x;y\"", "x;y"},
    std::pair{"\"v\"=dword:1234abCD", "4:cdab3412"},      std::pair{"\"v\"=DWORD:7 ; short", "4:07000000"},
    std::pair{"\"v\" = hex:01,ff,10", "3:01ff10"},        std::pair{"\"v\"=hex:", "3:"},
    std::pair{"\"v\"=hex(4):03,00,00,00", "4:03000000"},  std::pair{"\"v\"=hex(2):25,00,54,00,00,00", "%T"},
    std::pair{"\"v\"=hex(b):01,00,00,00,00,00,00,00", "11:0100000000000000"},
    std::pair{"\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00", "a"},
    std::pair{"\"v\"=hex(0):", "0:"},                      std::pair{"\"v\"=hex(1):41,00,00,00", "A"},
    std::pair{"\"v\"=hex:01,02,\\\n  03,04,\\\n  05", "3:0102030405"}));
// clang-format on

TEST(RegistryHive, MalformedLinesAreSkippedWithAWarningAndTheRestIsRead) {
    const Hive hive =
        Parse(("Windows Registry Editor Version 5.00\n\"orphan\"=dword:1\n[" + kKey +
               "]\n\"a\"=dword:xyz\n\"b\"=dword:123456789\n\"c\"=hex:1,234\n\"d\"=\"unterminated\n"
               "\"e\" dword:1\n\"f\"=qword:1\n\"g\"=\"text\" garbage\n\"h\"=hex(zz):00\n\"i\"=hex(2)00\n"
               "just words\n\"unnamed=1\n\"ok\"=dword:5\n[HKEY_NOWHERE\\x]\n\"lost\"=dword:1\n[HKEY_X\n")
                  .toUtf8());
    EXPECT_EQ(hive.warnings.size(), 15) << hive.warnings.join(u'\n').toStdString();
    EXPECT_TRUE(hive.warnings.first().startsWith("line 2: "));
    EXPECT_EQ(hive.key(kKey)->values.size(), 1);
    EXPECT_EQ(Shown(hive, "ok"), "4:05000000");
}

TEST(RegistryHive, KeysIgnoreCaseHaveTheirParentsAndLaterLinesReplaceOrDelete) {
    const Hive hive = ParseV5("@=\"default\"\n\"a\"=dword:1\n\"b\"=dword:1\n[" + kKey +
                              "\\Sub]\n\"s\"=dword:1\n" + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n[" +
                              kKey.toLower() + "]\n\"A\"=dword:2\n" + "\"b\"=-\n[-" + kKey + "\\SUB]\n");
    EXPECT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    EXPECT_EQ(
        QStringList({Shown(hive, ""), Shown(hive, "a"), Shown(hive, "b"), hive.key(kKey.toUpper())->path}),
        QStringList({"default", "4:02000000", "missing", kKey}));
    EXPECT_TRUE(!hive.key(kKey + "\\Sub") && !hive.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM"));
    EXPECT_TRUE(hive.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\OMVEX") &&
                hive.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other"));
}

TEST(RegistryHive, EightBitExportsKeepTheirTextsAsUtf16) {
    const Hive ansi = Parse("REGEDIT4\r\n\r\n[" + kKey.toLatin1() +
                            "]\r\n\"s\"=\"M\xFCnchen\"\r\n\"h\"=hex(2):25,54,00\r\n");
    EXPECT_EQ(Shown(ansi, "s"), "München");
    EXPECT_EQ(ansi.value(kKey, "h")->data, QByteArray("%\0T\0\0\0", 6));
}

/// A hive file in a temporary folder that the registry queries read for the test's duration.
class RegistryFile : public testing::Test {
protected:
    void write(const QString& text, HiveEncoding encoding = HiveEncoding::Utf16LeBom, bool crlf = true) {
        ASSERT_TRUE(commontest::WriteFile(path, commontest::EncodeHive(text, encoding, crlf)));
    }
    static QVariant query(const QString& name, const QString& subKey = QString(),
                          const QString& keyPath = "SOFTWARE\\Omvex\\DTM rimox-DP") {
        return qt27::QueryRegistryValue(subKey, name, keyPath);
    }
    static bool failed(const QVariant& value) {
        return value.typeId() == QMetaType::Short && value.toInt() == 0;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("registry.reg");
    testsupport::ScopedEnv env{"RIMOX_REGISTRY", path.toLocal8Bit()};
};

// Mode 0 takes the sinks from the registry switches (Debug 1 or 3: debugger, DebugFile 1:
// file), 1 the debugger only, 2 both, anything else none; a file record goes to TEMP.
TEST_F(RegistryFile, DebugModesChooseTheSinksAndFileRecordsGoToTemp) {
    testsupport::ScopedEnv temp("TEMP", dir.path().toLocal8Bit());
    QStringList sinks;
    for (const auto& [debug, mode] : {std::pair{3, 0}, {2, 0}, {0, 1}, {0, 2}, {0, 7}}) {
        write(kV5 + QStringLiteral("\"Debug\"=dword:%1\n\"DebugFile\"=dword:1\n").arg(debug));
        ReadDebugSettings(static_cast<qint16>(mode));
        sinks << QStringLiteral("%1%2").arg(DebugHelper::DebugToDebugger()).arg(DebugHelper::DebugToFile());
    }
    EXPECT_EQ(sinks, QStringList({"11", "01", "10", "11", "00"}));
    ReadDebugSettings(2);
    testing::internal::CaptureStderr();
    QString logFile = DebugHelper::kLogFileName;
    WriteDebugLog("Source", "message", logFile);
    const QString debugger = QString::fromStdString(testing::internal::GetCapturedStderr());
    ReadDebugSettings(-1);
    EXPECT_EQ(logFile, dir.filePath("rimox.log"));
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Source"));
    EXPECT_TRUE(debugger.contains("Source")) << debugger.toStdString();
}

// The switches as a page created after each step finds them. A rewrite of the same size
// right after a read, a rewrite after the file has stood still, removing the file and
// writing something that is no registry file: the next page follows each.
TEST_F(RegistryFile, APageCreatedAfterTheFileChangedFollowsItsDebugSwitches) {
    struct Step {
        const char* values;  // nullptr: remove the file
        bool standStill;     // leave the file unchanged for a while before creating the page
        const char* sinks;   // debugger, file
    };
    const QString switches = QStringLiteral("\"Debug\"=dword:%1\n\"DebugFile\"=dword:%2\n");
    // clang-format off
    const std::vector<Step> steps = {
        {"00000000 00000000", true, "00"}, {nullptr, false, "00"}, {"00000001 00000000", false, "10"},
        {"00000001 00000000", true, "10"}, {"00000003 00000001", false, "11"}, {"00000002 00000001", false, "01"},
        {"00000002 00000001", true, "01"}, {nullptr, false, "00"}, {"", false, "00"}, {"00000001 00000000", true, "10"},
    };
    // clang-format on
    QStringList expected;
    QStringList seen;
    for (const Step& step : steps) {
        if (step.values == nullptr) {
            ASSERT_TRUE(QFile::remove(path) || !QFile::exists(path));
        } else if (*step.values == '\0') {
            write(QStringLiteral("[") + kKey + "]\n\"Debug\"=dword:1\n");  // no header line
        } else {
            const QStringList numbers = QString::fromLatin1(step.values).split(' ');
            write(kV5 + switches.arg(numbers.at(0), numbers.at(1)));
        }
        for (int page = 0; page < 2; ++page) {
            if (step.standStill) {
                QThread::msleep(150);
            }
            { About opened; }
            seen
                << QStringLiteral("%1%2").arg(DebugHelper::DebugToDebugger()).arg(DebugHelper::DebugToFile());
            expected << QLatin1String(step.sinks);
        }
    }
    ReadDebugSettings(-1);
    EXPECT_EQ(seen.join(' ').toStdString(), expected.join(' ').toStdString());
}

class RegistryQuery : public RegistryFile,
                      public testing::WithParamInterface<std::tuple<HiveEncoding, bool>> {};

TEST_P(RegistryQuery, AnswersTextsAndDwordsOfTheMachineKeyAndZeroForWhatIsMissing) {
    write(kV5 + "@=\"Omvex rimox DTM\"\n\"Debug\"=dword:00000003\n\"Negative\"=dword:ffffffff\n" +
              "\"Folder\"=\"C:\\\\Program Files\\\\Omvex\"\n\"Empty\"=\"\"\n\"Umlaut\"=\"Größe\"\n" +
              "\"Blob\"=hex:01,02\n\"Expand\"=hex(2):25,00,00,00\n\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n" +
              "\"Short\"=hex(4):05\n[" + kKey + "\\Channels]\n\"Count\"=dword:4\n" +
              "[HKEY_CURRENT_USER\\SOFTWARE\\Omvex\\DTM rimox-DP]\n\"User\"=dword:1\n",
          std::get<0>(GetParam()), std::get<1>(GetParam()));
    const QVariant zero = QVariant::fromValue<qint16>(0);
    // clang-format off
    const QVariantList answers = {
        query("Folder"), query("Umlaut"), query(QString()), query("Empty"), query("debug"), query("Negative"),
        query("Short"), query("Count", "Channels"), query("Count", "", "SOFTWARE\\Omvex\\DTM rimox-DP\\channels"),
        query("Blob"), query("Expand"), query("Quad"), query("Nothing"), query("Debug", "Nowhere"), query("User")};
    EXPECT_EQ(answers, QVariantList({"C:\\Program Files\\Omvex", "Größe", "Omvex rimox DTM", "", 3, -1,
                                     5, 4, 4,
                                     QVariant(), QVariant(), QVariant(), zero, zero, zero}));
    // clang-format on
}

INSTANTIATE_TEST_SUITE_P(AllFiles, RegistryQuery,
                         testing::Combine(testing::Values(HiveEncoding::Utf16LeBom, HiveEncoding::Utf8Bom,
                                                          HiveEncoding::Utf8),
                                          testing::Bool()));

TEST(NumberFunctions, WordsGoInAndOutInTheAskedByteOrderAndBadIndexesRaise) {
    QByteArray array(4, '\0');
    IntegerToBytes(-2, array, 0, true);
    IntegerToBytes(0x1234, array, 2, false);
    qint16 high = 0, low = 0;
    BytesToInteger(QByteArray::fromHex("008001"), high, 1, true);
    BytesToInteger(QByteArray::fromHex("008001"), low, 1, false);
    EXPECT_EQ(array.toHex() + " " + QByteArray::number(high) + " " + QByteArray::number(low),
              "fffe3412 -32767 384");
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
    // Reading the last byte as the first of a word would read past the array.
    for (const quint8 index : {quint8(2), quint8(3)}) {
        qint16 value = 7;
        EXPECT_THROW(BytesToInteger(QByteArray::fromHex("008001"), value, index, true), rmox::Error) << int(index);
        EXPECT_EQ(value, 7);
    }
}

TEST(HelpUtilities, OneWindowServesTheHelpFileUntilClosedAndAMissingTopicRaises) {
    const quintptr handle = HelpUtilities::ShowHelp(nullptr, 21500);
    EXPECT_EQ(HelpUtilities::ShowHelp(nullptr, 21400), handle);
    HelpUtilities::CloseAllHelp();
    EXPECT_EQ(HelpUtilities::OpenHelpWindowCount(), 0);
    EXPECT_THROW(HelpUtilities::ShowHelp(nullptr, 12345), rmox::Error);
}

// The topic is shown in the language of the default locale where it is translated.
TEST(HelpUtilities, TopicInTheUsersLanguage) {
    for (const auto& [locale, folder] :
         {std::pair{"de_AT", "/rimox/de/"}, std::pair{"en_GB", "/rimox/"}, std::pair{"fr_FR", "/rimox/"}}) {
        QLocale::setDefault(QLocale(QLatin1String(locale)));
        const QString topic = QDir::fromNativeSeparators(HelpUtilities::TopicPath(21500));
        EXPECT_TRUE(topic.endsWith(QLatin1String(folder) + "21500.html") && QFileInfo::exists(topic))
            << locale;
    }
}

}  // namespace
