// The shipped resource folders: every id the pages ask for is there in English and
// German, and every picture can be drawn.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

using rmox::ResourceManager;

QList<int> range(int first, int last) {
    QList<int> ids;
    for (int id = first; id <= last; ++id) {
        ids.append(id);
    }
    return ids;
}

const QList<int>& commonTextIds() {
    static const QList<int> ids = [] {
        QList<int> list = {5000, 6001, 6002, 6003, 6005, 6007, 6008, 6009, 6010, 6014, 6018,
                           6019, 6501, 6011, 6101, 6102, 6103, 4001, 4002, 115,  1127, 1128};
        list += range(5010, 5017);
        list += range(7001, 7017);
        list += range(1051, 1053);
        list += range(1101, 1106);
        return list;
    }();
    return ids;
}

const QList<int>& deviceTextIds() {
    static const QList<int> ids = {1001, 1002, 1003, 1127, 2002, 2003, 2004, 115, 4001, 4002};
    return ids;
}

const QList<int>& commonPictureIds() {
    static const QList<int> ids = [] {
        QList<int> list = {150, 152, 153, 155, 601, 609};
        list += range(400, 407);
        list += range(420, 423);
        list += range(440, 443);
        return list;
    }();
    return ids;
}

const QList<int>& devicePictureIds() {
    static const QList<int> ids = {113, 126, 131, 132};
    return ids;
}

// Texts that read the same in both languages.
const QSet<int>& sameInGerman() {
    static const QSet<int> ids = {5010, 5015, 5016, 7007, 7008, 2004};
    return ids;
}

// Messages and text boxes; everything else sits in a label, a frame caption or a button.
const QSet<int>& longTexts() {
    static const QSet<int> ids = {6501, 1127, 2002, 2003, 2004};
    return ids;
}

QString commonFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath("rmoxResourceData");
}
QString deviceFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath("QT27ResourceData");
}

struct Folder {
    const char* name;
    QString (*path)();
    const QList<int>& (*texts)();
    const QList<int>& (*pictures)();
};

void PrintTo(const Folder& folder, std::ostream* out) {
    *out << folder.name;
}

class ResourceFolder : public testing::TestWithParam<Folder> {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(GetParam().path()).isDir())
            << "resource folder missing beside the test program: " << GetParam().path().toStdString();
    }
};

// A folder holding only the file of one language, so that a missing German text
// cannot be hidden by the fallback to English.
std::unique_ptr<QTemporaryDir> singleLanguageCopy(const QString& folder, const QString& language) {
    auto copy = std::make_unique<QTemporaryDir>();
    const QString name = QStringLiteral("strings.%1.txt").arg(language);
    if (!copy->isValid() || !QFile::copy(QDir(folder).filePath(name), copy->filePath(name))) {
        return nullptr;
    }
    return copy;
}

TEST_P(ResourceFolder, EveryTextExistsInEnglishAndGermanAndFitsItsPlace) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        auto copy = singleLanguageCopy(GetParam().path(), language);
        ASSERT_TRUE(copy) << "no strings." << language.toStdString() << ".txt";
        ResourceManager manager;
        manager.setLanguage(language);
        manager.setResourceFolder(copy->path());
        for (int id : GetParam().texts()) {
            SCOPED_TRACE(testing::Message() << language.toStdString() << " id " << id);
            QString text;
            try {
                text = manager.GetString(id);
            } catch (const rmox::Error& error) {
                ADD_FAILURE() << error.what();
                continue;
            }
            EXPECT_FALSE(text.trimmed().isEmpty());
            EXPECT_EQ(text, text.trimmed()) << "the pages add their own blanks";
            EXPECT_FALSE(text.contains(u'\n') || text.contains(u'\r') || text.contains(u'\t'));
            EXPECT_LE(text.size(), longTexts().contains(id) ? 80 : 48) << text.toStdString();
        }
    }
}

TEST_P(ResourceFolder, GermanTextsAreTranslated) {
    ResourceManager english;
    english.setResourceFolder(GetParam().path());
    ResourceManager german;
    german.ConfigureFrom(english);
    german.setLanguage(QStringLiteral("de"));
    for (int id : GetParam().texts()) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        if (sameInGerman().contains(id)) {
            EXPECT_EQ(german.GetString(id), english.GetString(id));
        } else {
            EXPECT_NE(german.GetString(id), english.GetString(id));
        }
    }
    EXPECT_EQ(english.GetString(4002), QStringLiteral("."));
    EXPECT_EQ(german.GetString(4002), QStringLiteral(","));
}

bool hasVisiblePixels(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                return true;
            }
        }
    }
    return false;
}

TEST_P(ResourceFolder, EveryPictureDraws) {
    ResourceManager manager;
    manager.setResourceFolder(deviceFolder());
    for (int id : GetParam().pictures()) {
        SCOPED_TRACE(testing::Message() << "picture " << id);
        try {
            const QPixmap picture = manager.GetPicture(id, GetParam().path());
            EXPECT_FALSE(picture.isNull());
            EXPECT_TRUE(hasVisiblePixels(picture));
        } catch (const rmox::Error& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ResourceFolder,
                         testing::Values(Folder{"Common", commonFolder, commonTextIds, commonPictureIds},
                                         Folder{"Device", deviceFolder, deviceTextIds, devicePictureIds}),
                         [](const testing::TestParamInfo<Folder>& info) {
                             return std::string(info.param.name);
                         });

TEST(ResourceFiles, DeviceTextsAreFoundThroughAnEmptyFolder) {
    // The pages look up 115, 4001 and 4002 with an empty folder on a manager set up
    // for the device folder, and the common ids below 5000 with the common folder.
    ResourceManager manager;
    manager.setResourceFolder(deviceFolder());
    for (int id : {115, 1127, 4001, 4002}) {
        EXPECT_EQ(manager.GetString(id), manager.GetString(id, commonFolder())) << "id " << id;
    }
}

enum class Hue { Green, Amber, Red, Other };

// The hue most of the strongly coloured pixels have.
Hue dominantHue(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    int counts[4] = {};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() < 200 || colour.hsvSaturation() < 120 || colour.value() < 100) {
                continue;
            }
            const int hue = colour.hsvHue();
            const Hue kind = (hue >= 90 && hue <= 160)   ? Hue::Green
                             : (hue >= 30 && hue <= 60)  ? Hue::Amber
                             : (hue <= 15 || hue >= 340) ? Hue::Red
                                                         : Hue::Other;
            ++counts[static_cast<int>(kind)];
        }
    }
    return static_cast<Hue>(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts));
}

TEST(ResourceFiles, StatePicturesShowTheirStateByColourAndShareOneSize) {
    ResourceManager manager;
    const QString common = commonFolder();
    struct Family {
        QList<int> ids;
        Hue hue;
    };
    const Family families[] = {{{150, 153}, Hue::Green},
                               {{152, 155}, Hue::Red},
                               {range(400, 407), Hue::Green},
                               {range(420, 423), Hue::Amber},
                               {range(440, 443), Hue::Red}};
    const QSize stateSize = manager.GetPicture(150, common).size();
    const QSize terminalSize = manager.GetPicture(400, common).size();
    for (const Family& family : families) {
        for (int id : family.ids) {
            SCOPED_TRACE(testing::Message() << "picture " << id);
            const QPixmap picture = manager.GetPicture(id, common);
            EXPECT_EQ(dominantHue(picture), family.hue);
            EXPECT_EQ(picture.size(), id < 400 ? stateSize : terminalSize)
                << "pictures of one box swap in place";
        }
    }
}

TEST(ResourceFiles, DevicePicturesFitTheIdentificationArea) {
    // Identification scales the picture to 3915 twips high and centres it in 2745 twips.
    ResourceManager manager;
    for (int id : {601, 609}) {
        const QPixmap picture = manager.GetPicture(id, commonFolder());
        ASSERT_GT(picture.height(), 0);
        EXPECT_LE(picture.width() * 3915.0 / picture.height(), 2745.0) << "picture " << id;
    }
}

TEST(ResourceFiles, BothTerminalDrawingsHaveOneSize) {
    // The diagnosis page lays its terminal boxes over whichever drawing it shows.
    ResourceManager manager;
    EXPECT_EQ(manager.GetPicture(131, deviceFolder()).size(), manager.GetPicture(132, deviceFolder()).size());
}

}  // namespace
