#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "HiveFile.h"
#include "QT27Controls/common/RegManagement.h"
#include "support/ScopedEnv.h"

using commontest::EncodeHive;
using commontest::HiveEncoding;
using testsupport::ScopedEnv;

namespace {

const QString kKeyPath = QStringLiteral("SOFTWARE\\Omvex\\DTM rimox-DP");

bool IsFailedRead(const QVariant& value) {
    return value.typeId() == QMetaType::Short && value.value<qint16>() == 0;
}

/// A hive file in a temporary folder that QueryRegistryValue reads for the test's duration.
class RegistryFile {
public:
    RegistryFile()
        : m_path(m_dir.filePath(QStringLiteral("registry.reg"))),
          m_env("RIMOX_REGISTRY", m_path.toLocal8Bit()) {}

    bool write(const QString& text, HiveEncoding encoding = HiveEncoding::Utf8, bool crlf = false) {
        return m_dir.isValid() && commontest::WriteFile(m_path, EncodeHive(text, encoding, crlf));
    }
    const QString& path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    ScopedEnv m_env;
};

const QString kHive = QStringLiteral(
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
    "@=\"Omvex rimox DTM\"\n"
    "\"Debug\"=dword:00000003\n"
    "\"Negative\"=dword:ffffffff\n"
    "\"Folder\"=\"C:\\\\Program Files\\\\Omvex\"\n"
    "\"Empty\"=\"\"\n"
    "\"Umlaut\"=\"Größe\"\n"
    "\"Blob\"=hex:01,02,03\n"
    "\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,\\\n"
    "  50,00,25,00,00,00\n"
    "\"Multi\"=hex(7):61,00,00,00,00,00\n"
    "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"ShortDword\"=hex(4):05\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP\\Channels]\n"
    "\"Count\"=dword:00000004\n"
    "\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
    "\"UserOnly\"=dword:00000001\n");

class RegistryQuery : public testing::TestWithParam<std::tuple<HiveEncoding, bool>> {
protected:
    void SetUp() override {
        const auto [encoding, crlf] = GetParam();
        ASSERT_TRUE(file.write(kHive, encoding, crlf));
    }
    RegistryFile file;
};

TEST_P(RegistryQuery, TextsAnswerTheirText) {
    EXPECT_EQ(qt27::QueryRegistryValue(QString(), QStringLiteral("Folder"), kKeyPath),
              QVariant(QStringLiteral("C:\\Program Files\\Omvex")));
    EXPECT_EQ(qt27::QueryRegistryValue(QString(), QStringLiteral("Umlaut"), kKeyPath),
              QVariant(QStringLiteral("Größe")));
    EXPECT_EQ(qt27::QueryRegistryValue(QString(), QString(), kKeyPath),
              QVariant(QStringLiteral("Omvex rimox DTM")));
    const QVariant empty = qt27::QueryRegistryValue(QString(), QStringLiteral("Empty"), kKeyPath);
    EXPECT_EQ(empty.typeId(), QMetaType::QString);
    EXPECT_TRUE(empty.toString().isEmpty());
}

TEST_P(RegistryQuery, DwordsAnswerAnInt) {
    const QVariant debug = qt27::QueryRegistryValue(QString(), QStringLiteral("debug"), kKeyPath);
    EXPECT_EQ(debug.typeId(), QMetaType::Int);
    EXPECT_EQ(debug.toInt(), 3);
    EXPECT_EQ(qt27::QueryRegistryValue(QString(), QStringLiteral("Negative"), kKeyPath), QVariant(-1));
    EXPECT_EQ(qt27::QueryRegistryValue(QString(), QStringLiteral("ShortDword"), kKeyPath), QVariant(5));
}

TEST_P(RegistryQuery, OtherTypesAnswerAnEmptyVariant) {
    for (const char* name : {"Blob", "Expand", "Multi", "Quad"}) {
        EXPECT_FALSE(qt27::QueryRegistryValue(QString(), QString::fromLatin1(name), kKeyPath).isValid())
            << name;
    }
}

TEST_P(RegistryQuery, SubKeyIsAppendedToTheKeyPath) {
    EXPECT_EQ(qt27::QueryRegistryValue(QStringLiteral("Channels"), QStringLiteral("Count"), kKeyPath),
              QVariant(4));
    EXPECT_EQ(
        qt27::QueryRegistryValue(QString(), QStringLiteral("Count"), kKeyPath + QStringLiteral("\\channels")),
        QVariant(4));
}

TEST_P(RegistryQuery, MissingKeysAndValuesAnswerZero) {
    EXPECT_TRUE(IsFailedRead(qt27::QueryRegistryValue(QString(), QStringLiteral("Nothing"), kKeyPath)));
    EXPECT_TRUE(
        IsFailedRead(qt27::QueryRegistryValue(QStringLiteral("Nowhere"), QStringLiteral("Debug"), kKeyPath)));
    EXPECT_TRUE(IsFailedRead(
        qt27::QueryRegistryValue(QString(), QStringLiteral("Debug"), QStringLiteral("SOFTWARE\\Other"))));
    // Only HKEY_LOCAL_MACHINE is searched.
    EXPECT_TRUE(IsFailedRead(qt27::QueryRegistryValue(QString(), QStringLiteral("UserOnly"), kKeyPath)));
}

INSTANTIATE_TEST_SUITE_P(AllFiles, RegistryQuery,
                         testing::Combine(testing::Values(HiveEncoding::Utf16LeBom, HiveEncoding::Utf8Bom,
                                                          HiveEncoding::Utf8),
                                          testing::Bool()));

TEST(RegistryQueryFile, MissingFileAnswersZero) {
    QTemporaryDir dir;
    ScopedEnv env("RIMOX_REGISTRY", dir.filePath(QStringLiteral("absent.reg")).toLocal8Bit());
    EXPECT_TRUE(IsFailedRead(qt27::QueryRegistryValue(QString(), QStringLiteral("Debug"), kKeyPath)));
}

TEST(RegistryQueryFile, FileWithoutHeaderAnswersZero) {
    RegistryFile file;
    ASSERT_TRUE(
        file.write(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                                  "\"Debug\"=dword:00000001\n")));
    EXPECT_TRUE(IsFailedRead(qt27::QueryRegistryValue(QString(), QStringLiteral("Debug"), kKeyPath)));
}

TEST(RegistryQueryFile, HivePathComesFromTheEnvironment) {
    {
        ScopedEnv env("RIMOX_REGISTRY", "/srv/hive.reg");
        EXPECT_EQ(qt27::RegistryHivePath(), QStringLiteral("/srv/hive.reg"));
    }
    ScopedEnv unset("RIMOX_REGISTRY", QByteArray());
    EXPECT_EQ(qt27::RegistryHivePath(), QStringLiteral("/etc/rimox/registry.reg"));
}

struct LengthCase {
    QString text;
    bool fits;
};

class RegistryTextLength : public testing::TestWithParam<LengthCase> {};

// A text is read into a 256-byte buffer in the local 8-bit encoding, with its
// terminating zero; one that does not fit is a failed read.
TEST_P(RegistryTextLength, TextFitsTheBufferOrFails) {
    const LengthCase& c = GetParam();
    RegistryFile file;
    ASSERT_TRUE(file.write(QStringLiteral("Windows Registry Editor Version 5.00\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                                          "\"Long\"=\"%1\"\n")
                               .arg(c.text),
                           HiveEncoding::Utf16LeBom, true));
    const QVariant value = qt27::QueryRegistryValue(QString(), QStringLiteral("Long"), kKeyPath);
    if (c.fits) {
        EXPECT_EQ(value, QVariant(c.text));
    } else {
        EXPECT_TRUE(IsFailedRead(value)) << value.toString().size();
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, RegistryTextLength,
                         testing::Values(LengthCase{QString(255, u'x'), true},
                                         LengthCase{QString(256, u'x'), false},
                                         // Two bytes each in UTF-8: 254 + 1 + the zero fit exactly.
                                         LengthCase{QString(127, u'ä') + u'x', true},
                                         LengthCase{QString(128, u'ä'), false},
                                         LengthCase{QString(2000, u'x'), false}));

TEST(RegistryQueryFile, BinaryLongerThanTheBufferAnswersZero) {
    RegistryFile file;
    QString bytes;
    for (int i = 0; i < 257; ++i) {
        bytes += i == 0 ? QStringLiteral("00") : QStringLiteral(",00");
    }
    ASSERT_TRUE(file.write(QStringLiteral("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                                          "\"Fits\"=hex:%1\n\"TooLong\"=hex:%2\n")
                               .arg(bytes.left(256 * 3 - 1), bytes)));
    EXPECT_FALSE(qt27::QueryRegistryValue(QString(), QStringLiteral("Fits"), kKeyPath).isValid());
    EXPECT_TRUE(IsFailedRead(qt27::QueryRegistryValue(QString(), QStringLiteral("TooLong"), kKeyPath)));
}

}  // namespace
