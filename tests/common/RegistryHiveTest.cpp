#include <gtest/gtest.h>

#include "HiveFile.h"
#include "QT27Controls/common/RegistryHive.h"

using namespace qt27::RegistryHive;
using commontest::EncodeHive;
using commontest::HiveEncoding;

namespace {

const QString kKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP");

Hive ParseText(const QString& text) {
    return Parse(text.toUtf8());
}

Hive ParseV5(const QString& body) {
    return ParseText(QStringLiteral("Windows Registry Editor Version 5.00\n\n") + body);
}

QByteArray Utf16(const QString& text) {
    return EncodeHive(text, HiveEncoding::Utf16LeBom, false).mid(2);
}

TEST(RegistryHive, TextWithoutHeaderIsNotAHive) {
    const Hive hive = ParseText(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"a\"=dword:00000001\n"));
    EXPECT_FALSE(hive.valid);
    EXPECT_TRUE(hive.error.contains(QStringLiteral("REGEDIT4")));
    EXPECT_TRUE(hive.keys.isEmpty());
    EXPECT_FALSE(Parse(QByteArray()).valid);
}

TEST(RegistryHive, BothHeadersAreAccepted) {
    EXPECT_TRUE(ParseText(QStringLiteral("REGEDIT4\n")).valid);
    EXPECT_TRUE(ParseText(QStringLiteral("\n  Windows Registry Editor Version 5.00  \n")).valid);
}

TEST(RegistryHive, KeyPathsAndValueNamesIgnoreCase) {
    const Hive hive =
        ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                               "\"DebugFile\"=dword:00000001\n"));
    ASSERT_NE(hive.value(QStringLiteral("hkey_local_machine\\software\\OMVEX\\dtm RIMOX-dp"),
                         QStringLiteral("debugfile")),
              nullptr);
    EXPECT_EQ(hive.key(kKey.toUpper())->path, kKey);
}

TEST(RegistryHive, ParentsOfAKeyExist) {
    const Hive hive = ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"));
    EXPECT_NE(hive.key(QStringLiteral("HKEY_LOCAL_MACHINE")), nullptr);
    EXPECT_NE(hive.key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex")), nullptr);
    EXPECT_EQ(hive.key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM")), nullptr);
}

TEST(RegistryHive, StringsKeepTheirEscapesAndLoneBackslashes) {
    const Hive hive =
        ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                               "\"Path\"=\"C:\\\\Temp\\\\\"\n"
                               "\"Quote \\\"q\\\"\"=\"say \\\"hi\\\"\"\n"
                               "\"Hand\"=\"C:\\Temp\"\n"
                               "\"Unicode\"=\"Grüße €\"\n"
                               "\"Next\"=dword:00000002\n"));
    ASSERT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    // The backslash at the end of a text does not continue it on the next line.
    const Value* path = hive.value(kKey, QStringLiteral("Path"));
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->type, TypeString);
    EXPECT_EQ(ValueText(*path), QStringLiteral("C:\\Temp\\"));
    EXPECT_EQ(path->data, Utf16(QStringLiteral("C:\\Temp\\")) + QByteArray(2, '\0'));
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("Quote \"q\""))), QStringLiteral("say \"hi\""));
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("Hand"))), QStringLiteral("C:\\Temp"));
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("Unicode"))), QStringLiteral("Grüße €"));
    EXPECT_NE(hive.value(kKey, QStringLiteral("Next")), nullptr);
}

TEST(RegistryHive, DefaultValueHasAnEmptyName) {
    const Hive hive =
        ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                               "@=\"default\"\n"));
    const Value* value = hive.value(kKey, QString());
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(ValueText(*value), QStringLiteral("default"));
}

struct TypedValueCase {
    const char* line;
    quint32 type;
    QByteArray data;
};

class RegistryHiveTypes : public testing::TestWithParam<TypedValueCase> {};

TEST_P(RegistryHiveTypes, ValueKeepsTypeAndBytes) {
    const TypedValueCase& c = GetParam();
    const Hive hive = ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n") +
                              QString::fromUtf8(c.line));
    ASSERT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    const Value* value = hive.value(kKey, QStringLiteral("v"));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data.toHex(), c.data.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    AllForms, RegistryHiveTypes,
    testing::Values(TypedValueCase{"\"v\"=dword:00000003", TypeDword, QByteArray::fromHex("03000000")},
                    TypedValueCase{"\"v\"=DWORD:1234abCD", TypeDword, QByteArray::fromHex("cdab3412")},
                    TypedValueCase{"\"v\"=dword:7 ; short form", TypeDword, QByteArray::fromHex("07000000")},
                    TypedValueCase{"\"v\"=hex:01,ff,10", TypeBinary, QByteArray::fromHex("01ff10")},
                    TypedValueCase{"\"v\"=hex:", TypeBinary, QByteArray()},
                    TypedValueCase{"\"v\" = hex(4):03,00,00,00", TypeDword, QByteArray::fromHex("03000000")},
                    TypedValueCase{"\"v\"=hex(2):25,00,54,00,00,00", TypeExpandString,
                                   QByteArray::fromHex("250054000000")},
                    TypedValueCase{"\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00", TypeMultiString,
                                   QByteArray::fromHex("61000000620000000000")},
                    TypedValueCase{"\"v\"=hex(b):01,00,00,00,00,00,00,00", TypeQword,
                                   QByteArray::fromHex("0100000000000000")},
                    TypedValueCase{"\"v\"=hex(0):", TypeNone, QByteArray()},
                    TypedValueCase{"\"v\"=hex(1):41,00,00,00", TypeString, QByteArray::fromHex("41000000")},
                    // Continuation lines, as regedit wraps long hex data.
                    TypedValueCase{"\"v\"=hex:01,02,\\\n  03,04,\\\n  05", TypeBinary,
                                   QByteArray::fromHex("0102030405")}));

TEST(RegistryHive, AnsiExportKeepsTextsAsUtf16) {
    const Hive hive =
        ParseText(QStringLiteral("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                                 "\"s\"=\"abc\"\n"
                                 "\"h\"=hex(2):25,54,00\n"));
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("s"))), QStringLiteral("abc"));
    const Value* expand = hive.value(kKey, QStringLiteral("h"));
    ASSERT_NE(expand, nullptr);
    EXPECT_EQ(expand->data, Utf16(QStringLiteral("%T")) + QByteArray(2, '\0'));
}

TEST(RegistryHive, Latin1ExportIsReadWhenNotUtf8) {
    QByteArray bytes(
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\r\n\"s\"=\"M\xFC"
        "nchen\"\r\n");
    const Hive hive = Parse(bytes);
    ASSERT_NE(hive.value(kKey, QStringLiteral("s")), nullptr);
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("s"))), QStringLiteral("München"));
}

TEST(RegistryHive, MalformedLinesAreSkippedAndTheRestIsRead) {
    const Hive hive =
        ParseV5(QStringLiteral("\"orphan\"=dword:00000001\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                               "\"a\"=dword:xyz\n"
                               "\"b\"=dword:123456789\n"
                               "\"c\"=hex:1,234\n"
                               "\"d\"=\"unterminated\n"
                               "\"e\" dword:00000001\n"
                               "\"f\"=qword:1\n"
                               "\"g\"=\"text\" garbage\n"
                               "\"h\"=hex(zz):00\n"
                               "just words\n"
                               "\"ok\"=dword:00000005\n"
                               "[HKEY_NOWHERE\\x]\n"
                               "\"lost\"=dword:00000001\n"
                               "[HKEY_LOCAL_MACHINE\\broken\n"));
    EXPECT_EQ(hive.warnings.size(), 13) << hive.warnings.join(u'\n').toStdString();
    EXPECT_TRUE(hive.warnings.first().startsWith(QStringLiteral("line 3: ")));
    const Key* key = hive.key(kKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 1);
    EXPECT_NE(hive.value(kKey, QStringLiteral("ok")), nullptr);
}

TEST(RegistryHive, CommentsAndBlankLinesAreIgnored) {
    const Hive hive =
        ParseV5(QStringLiteral("; exported for the test bench\n\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP] ; the DTM\n"
                               "   ; indented comment\n"
                               "\"a\"=\"x;y\" ; a text may hold a semicolon\n"));
    EXPECT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    EXPECT_EQ(ValueText(*hive.value(kKey, QStringLiteral("a"))), QStringLiteral("x;y"));
}

TEST(RegistryHive, LaterDefinitionsReplaceAndDeleteEarlierOnes) {
    const Hive hive =
        ParseV5(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n"
                               "\"a\"=dword:00000001\n"
                               "\"b\"=dword:00000001\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP\\Sub]\n"
                               "\"s\"=dword:00000001\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                               "[hkey_local_machine\\software\\omvex\\dtm rimox-dp]\n"
                               "\"A\"=dword:00000002\n"
                               "\"b\"=-\n"
                               "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP\\Sub]\n"));
    EXPECT_TRUE(hive.warnings.isEmpty()) << hive.warnings.join(u'\n').toStdString();
    const Value* a = hive.value(kKey, QStringLiteral("a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->data, QByteArray::fromHex("02000000"));
    EXPECT_EQ(hive.value(kKey, QStringLiteral("b")), nullptr);
    EXPECT_EQ(hive.key(kKey + QStringLiteral("\\Sub")), nullptr);
    EXPECT_NE(hive.key(kKey), nullptr);
    EXPECT_NE(hive.key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other")), nullptr);
}

TEST(RegistryHive, ValueTextIsNullForNonTextTypes) {
    EXPECT_TRUE(ValueText(Value{QStringLiteral("d"), TypeDword, QByteArray(4, '\0')}).isNull());
    EXPECT_FALSE(ValueText(Value{QStringLiteral("s"), TypeString, QByteArray(2, '\0')}).isNull());
}

}  // namespace
