// Texts and pictures by id: the resource file syntax, the language fallback, and the
// folders shipped beside the library.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ResourceManager;

void Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

TEST(ResourceManager, ReadsTextsByIdFallingBackToEnglishAndRaisesForUnknownIds) {
    QTemporaryDir root;
    const QString device = root.filePath("device"), common = root.filePath("common");
    Write(device + "/strings.en.txt",
          "# comment\r\n\r\n1=a\\nb\r\n2=\\t\\\\\n 3 =a=b\nfive=no\n#6=no\n7=\\q\n8=\n9=end\\");
    Write(device + "/strings.de.txt", "1=Eingang\n");
    Write(common + "/strings.en.txt", "1=Common\n");
    ResourceManager manager;
    manager.setResourceFolder(device);
    QStringList texts;
    for (int id : {1, 2, 3, 7, 8, 9}) {
        texts << manager.GetString(id);
    }
    EXPECT_EQ(texts, QStringList({"a\nb", "\t\\", "a=b", "\\q", "", "end\\"}));
    EXPECT_EQ(manager.GetString(1, common), "Common");
    manager.setLanguage(" DE ");
    ResourceManager copy;
    copy.ConfigureFrom(manager);
    EXPECT_EQ(copy.GetString(1) + manager.GetString(9, QString()), "Eingangend\\");
    manager.setLanguage("fr");
    EXPECT_EQ(manager.GetString(1), "a\nb") << "a language without a file reads English";
    try {
        manager.GetString(6);
        ADD_FAILURE() << "no error raised";
    } catch (const rmox::Error& error) {
        EXPECT_EQ(error.number(), rmox::Error::InvalidProcedureCall);
        EXPECT_TRUE(error.description().startsWith("Resource text 6 not found")) << error.what();
    }
    EXPECT_THROW(manager.GetString(9, common), rmox::Error);
    EXPECT_THROW(manager.GetString(1, root.filePath("missing")), rmox::Error);
}

TEST(ResourceManager, PicturesComeFromSvgOrPngAndUnreadableOnesRaise) {
    QTemporaryDir root;
    Write(root.filePath("pictures/1.svg"),
          "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
          "<rect width='20' height='10' fill='#ff0000'/></svg>");
    QImage png(6, 4, QImage::Format_ARGB32);
    png.fill(Qt::blue);
    ASSERT_TRUE(png.save(root.filePath("pictures/2.png")));
    Write(root.filePath("pictures/3.svg"), "not a picture");
    ResourceManager manager;
    manager.setResourceFolder(root.path());
    const QPixmap svg = manager.GetPicture(1);
    EXPECT_EQ(svg.size(), QSize(20, 10));
    EXPECT_EQ(svg.toImage().pixelColor(10, 5), QColor(Qt::red));
    EXPECT_EQ(ResourceManager().GetPicture(2, root.path()).toImage().pixelColor(3, 2), QColor(Qt::blue));
    EXPECT_THROW(manager.GetPicture(3), rmox::Error);
    EXPECT_THROW(manager.GetPicture(4), rmox::Error);
}

class ShippedFolder : public testing::TestWithParam<const char*> {};

// Every text the pages show exists in English and German, and every picture draws.
TEST_P(ShippedFolder, GermanHasEveryEnglishTextAndEveryPictureDraws) {
    const QDir folder(QCoreApplication::applicationDirPath() + "/" + GetParam());
    const auto ids = [&folder](const char* language) {
        QFile file(folder.filePath(QStringLiteral("strings.%1.txt").arg(language)));
        QList<int> found;
        for (const QByteArray& line :
             file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>()) {
            bool ok = false;
            const int id = line.left(line.indexOf('=')).trimmed().toInt(&ok);
            if (ok && line.contains('=')) {
                found << id;
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    ASSERT_GT(ids("en").size(), 5);
    EXPECT_EQ(ids("de"), ids("en"));
    ResourceManager german;
    german.setResourceFolder(folder.path());
    german.setLanguage("de");
    for (int id : ids("de")) {
        EXPECT_FALSE(german.GetString(id).trimmed().isEmpty()) << id;
    }
    for (const QString& picture : QDir(folder.filePath("pictures")).entryList(QDir::Files)) {
        const QImage image = german.GetPicture(picture.section('.', 0, 0).toInt()).toImage();
        bool visible = false;
        for (int y = 0; y < image.height() && !visible; ++y) {
            for (int x = 0; x < image.width() && !visible; ++x) {
                visible = image.pixelColor(x, y).alpha() > 0;
            }
        }
        EXPECT_TRUE(visible) << picture.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(BesideTheLibrary, ShippedFolder,
                         testing::Values("rmoxResourceData", "QT27ResourceData"));

}  // namespace
