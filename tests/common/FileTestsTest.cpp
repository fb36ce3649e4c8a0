#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "HiveFile.h"
#include "QT27Controls/common/FileTests.h"

using namespace qt27;

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct AppendCase {
    bool existsBefore;
    bool append;
    bool createIfMissing;
    bool existsAfter;
    QByteArray contents;
};

class AppendTextLineCases : public testing::TestWithParam<AppendCase> {};

TEST_P(AppendTextLineCases, WritesTheLineWithCrLf) {
    const AppendCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rimox.log"));
    if (c.existsBefore) {
        ASSERT_TRUE(commontest::WriteFile(path, "old\r\n"));
    }
    AppendTextLine(path, QStringLiteral("new"), c.append, c.createIfMissing);
    EXPECT_EQ(QFile::exists(path), c.existsAfter);
    EXPECT_EQ(Contents(path), c.contents);
}

INSTANTIATE_TEST_SUITE_P(AllFlags, AppendTextLineCases,
                         testing::Values(AppendCase{true, true, true, true, "old\r\nnew\r\n"},
                                         AppendCase{true, true, false, true, "old\r\nnew\r\n"},
                                         AppendCase{true, false, true, true, "new\r\n"},
                                         AppendCase{true, false, false, true, "new\r\n"},
                                         AppendCase{false, true, true, true, "new\r\n"},
                                         AppendCase{false, false, true, true, "new\r\n"},
                                         AppendCase{false, true, false, false, ""},
                                         AppendCase{false, false, false, false, ""}));

TEST(AppendTextLine, TextWithCrLfStaysOneWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    AppendTextLine(path, QStringLiteral("a\r\nb"), true, true);
    AppendTextLine(path, QStringLiteral("Größe"), true, true);
    EXPECT_EQ(Contents(path), QByteArray("a\r\nb\r\n") + QStringLiteral("Größe").toLocal8Bit() + "\r\n");
}

TEST(AppendTextLine, UnwritablePathsAreIgnored) {
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(QStringLiteral("missing/log.txt"));
    AppendTextLine(missingFolder, QStringLiteral("x"), true, true);
    AppendTextLine(missingFolder, QStringLiteral("x"), false, true);
    EXPECT_FALSE(QFile::exists(missingFolder));
    // A folder in place of the file.
    AppendTextLine(dir.path(), QStringLiteral("x"), true, true);
    AppendTextLine(dir.path(), QStringLiteral("x"), false, true);
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    AppendTextLine(QString(), QStringLiteral("x"), true, true);
}

TEST(FileExists, OnlyFilesExist) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.txt"));
    ASSERT_TRUE(commontest::WriteFile(file, ""));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("absent.txt"))));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(QString()));
}

}  // namespace
