#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ResourceManager;

class ResourceManagerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }

    QString folder(const QString& name) {
        const QString path = root.filePath(name);
        QDir().mkpath(path);
        return path;
    }
    static void write(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir root;
};

TEST_F(ResourceManagerTest, EmptyFolderMeansTheConfiguredFolder) {
    const QString device = folder(QStringLiteral("device"));
    const QString common = folder(QStringLiteral("common"));
    write(device + "/strings.en.txt", "1002=Range\n");
    write(common + "/strings.en.txt", "1002=Common range\n6002=Slot number\n");

    ResourceManager manager;
    manager.setResourceFolder(device);
    EXPECT_EQ(manager.GetString(1002), QStringLiteral("Range"));
    EXPECT_EQ(manager.GetString(1002, QString()), QStringLiteral("Range"));
    EXPECT_EQ(manager.GetString(1002, common), QStringLiteral("Common range"));
    EXPECT_EQ(manager.GetString(6002, common), QStringLiteral("Slot number"));
    EXPECT_THROW(manager.GetString(6002), rmox::Error) << "6002 is not in the configured folder";
}

TEST_F(ResourceManagerTest, UnknownIdRaisesAnErrorNamingTheId) {
    const QString device = folder(QStringLiteral("device"));
    write(device + "/strings.en.txt", "1001=Input\n");
    ResourceManager manager;
    manager.setResourceFolder(device);

    try {
        manager.GetString(4711);
        FAIL() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::InvalidProcedureCall);
        EXPECT_TRUE(error.description().contains(QStringLiteral("4711")));
    }
    EXPECT_THROW(manager.GetString(1001, root.filePath(QStringLiteral("missing"))), rmox::Error);
    EXPECT_THROW(manager.GetPicture(4711), rmox::Error);
}

TEST_F(ResourceManagerTest, GermanFallsBackToEnglishForAMissingId) {
    const QString device = folder(QStringLiteral("device"));
    write(device + "/strings.en.txt", "1001=Input\n1003=Damping\n");
    write(device + "/strings.de.txt", "1001=Eingang\n");
    ResourceManager manager;
    manager.setResourceFolder(device);
    manager.setLanguage(QStringLiteral("de"));

    EXPECT_EQ(manager.GetString(1001), QStringLiteral("Eingang"));
    EXPECT_EQ(manager.GetString(1003), QStringLiteral("Damping"));
    EXPECT_THROW(manager.GetString(1002), rmox::Error);

    manager.setLanguage(QStringLiteral("fr"));
    EXPECT_EQ(manager.GetString(1001), QStringLiteral("Input")) << "a language without a file reads English";
}

TEST_F(ResourceManagerTest, ConfigureFromCopiesLanguageAndFolder) {
    ResourceManager source;
    source.setLanguage(QStringLiteral(" DE "));
    source.setResourceFolder(QStringLiteral("/opt/rimox/QT27ResourceData"));

    ResourceManager copy;
    copy.ConfigureFrom(source);
    EXPECT_EQ(copy.Language(), QStringLiteral("de"));
    EXPECT_EQ(copy.ResourceFolder(), QStringLiteral("/opt/rimox/QT27ResourceData"));
    EXPECT_EQ(copy.property("Language").toString(), QStringLiteral("de"));
    EXPECT_EQ(copy.property("ResourceFolder").toString(), QStringLiteral("/opt/rimox/QT27ResourceData"));

    source.setLanguage(QStringLiteral("en"));
    EXPECT_EQ(copy.Language(), QStringLiteral("de")) << "a copy, not a link";
}

TEST_F(ResourceManagerTest, TextFileSyntax) {
    const QString device = folder(QStringLiteral("device"));
    write(device + "/strings.en.txt",
          "# comment line\r\n"
          "\r\n"
          "1=first\\nsecond\r\n"
          "2=tab\\there\n"
          "3=back\\\\slash\n"
          " 4 =a=b\n"
          "five=ignored\n"
          "#6=commented out\n"
          "7=\\q stays\n"
          "8=\n");
    ResourceManager manager;
    manager.setResourceFolder(device);
    EXPECT_EQ(manager.GetString(1), QStringLiteral("first\nsecond"));
    EXPECT_EQ(manager.GetString(2), QStringLiteral("tab\there"));
    EXPECT_EQ(manager.GetString(3), QStringLiteral("back\\slash"));
    EXPECT_EQ(manager.GetString(4), QStringLiteral("a=b"));
    EXPECT_THROW(manager.GetString(6), rmox::Error);
    EXPECT_EQ(manager.GetString(7), QStringLiteral("\\q stays"));
    EXPECT_EQ(manager.GetString(8), QString());
}

TEST_F(ResourceManagerTest, PicturesComeFromSvgOrPng) {
    const QString device = folder(QStringLiteral("device"));
    write(device + "/pictures/1.svg",
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
          "<rect width=\"20\" height=\"10\" fill=\"#ff0000\"/></svg>");
    QImage png(6, 4, QImage::Format_ARGB32);
    png.fill(Qt::blue);
    ASSERT_TRUE(png.save(device + "/pictures/2.png"));
    write(device + "/pictures/3.svg", "not a picture");

    ResourceManager manager;
    manager.setResourceFolder(device);
    const QPixmap svg = manager.GetPicture(1);
    EXPECT_EQ(svg.size(), QSize(20, 10));
    EXPECT_EQ(svg.toImage().pixelColor(10, 5), QColor(Qt::red));
    EXPECT_EQ(manager.GetPicture(2, device).size(), QSize(6, 4));
    EXPECT_THROW(manager.GetPicture(3), rmox::Error);
}

}  // namespace
