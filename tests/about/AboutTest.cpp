// The About page and the routine that localises controls tagged with resource ids.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include "QT27Controls/about/About.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/framework/Localisation.h"
#include "rmox/ResourceServer/ResourceManager.h"
#include "support/FakeHost.h"

using testsupport::FakeDtm;

namespace {

class AboutTest : public testing::Test {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    QLabel* label(const char* name) const { return page.findChild<QLabel*>(QString::fromLatin1(name)); }

    FakeDtm dtm;
    qt27::About page;
};

TEST_F(AboutTest, ShowsNameRevisionsAndBothPictures) {
    ASSERT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), &dtm));
    EXPECT_EQ(label("lblDtmName")->text(), QStringLiteral("rimox QT27 DTM"));
    EXPECT_EQ(label("lblTextDtmRevision")->text(), QStringLiteral("1.0.3"));
    EXPECT_EQ(label("lblTextFdtRevision")->text(), QStringLiteral("1.2"));
    EXPECT_FALSE(label("Image1")->pixmap().isNull());
    EXPECT_FALSE(label("Picture1")->pixmap().isNull());
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiOpened(INV-A)"));
}

TEST_F(AboutTest, UnreadableDtmInformationKeepsTheDesignCaptions) {
    dtm.base.dtmInformation = QStringLiteral("<FDT><DtmInformation name=\"x\"");
    ASSERT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), &dtm));
    EXPECT_EQ(label("lblDtmName")->text(), QStringLiteral("Device DTM"));
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiOpened(INV-A)"));
}

TEST_F(AboutTest, OkAsksTheBaseDtmToCloseAndReleaseReportsUiReleased) {
    page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), &dtm);
    page.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_EQ(dtm.log.last(), QStringLiteral("CloseUi(INV-A)"));
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(dtm.log.last(), QStringLiteral("UiReleased(INV-A)"));
    EXPECT_EQ(dtm.base.uiReleasedCount, 1);
}

TEST_F(AboutTest, InitWithoutHostStillAnswersTrue) {
    EXPECT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), nullptr));
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
}

// Two resource folders whose texts tell where they came from.
class LocalisationTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        common = dir.filePath(QStringLiteral("common"));
        device = dir.filePath(QStringLiteral("device"));
        write(common, "1002=common 1002\n5000=common 5000\n6002=common 6002\n7001=menu text\n");
        write(device, "1002=device 1002\n5000=device 5000\n6002=device 6002\n");
        manager.setLanguage(QStringLiteral("en"));
        manager.setResourceFolder(device);
    }

    static void write(const QString& folder, const char* content) {
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(QStringLiteral("strings.en.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QLabel* tagged(const QString& tag) {
        auto* label = new QLabel(QStringLiteral("design"), &root);
        label->setProperty("Tag", tag);
        return label;
    }

    QTemporaryDir dir;
    QString common;
    QString device;
    rmox::ResourceManager manager;
    QWidget root;
};

TEST_F(LocalisationTest, TagBelow5000ComesFromTheConfiguredFolderOthersFromTheCommonFolder) {
    QLabel* device1002 = tagged(QStringLiteral("1002"));
    QLabel* common5000 = tagged(QStringLiteral("5000"));
    QLabel* common6002 = tagged(QStringLiteral("6002"));
    QLabel* text = tagged(QStringLiteral("abc"));
    QLabel* none = new QLabel(QStringLiteral("untagged"), &root);
    QLabel* unknown = tagged(QStringLiteral("4711"));
    auto* group = new QGroupBox(QStringLiteral("design"), &root);
    group->setProperty("Tag", QStringLiteral("6002"));
    auto* button = new QPushButton(QStringLiteral("design"), &root);
    button->setProperty("Tag", QStringLiteral(" 5000 "));

    qt27::LocaliseControls(&root, manager, common);

    EXPECT_EQ(device1002->text(), QStringLiteral("device 1002"));
    EXPECT_EQ(common5000->text(), QStringLiteral("common 5000"));
    EXPECT_EQ(common6002->text(), QStringLiteral("common 6002"));
    EXPECT_EQ(text->text(), QStringLiteral("design"));
    EXPECT_EQ(none->text(), QStringLiteral("untagged"));
    EXPECT_EQ(unknown->text(), QStringLiteral("design"));  // an error skips only that control
    EXPECT_EQ(group->title(), QStringLiteral("common 6002"));
    EXPECT_EQ(button->text(), QStringLiteral("common 5000"));
}

TEST_F(LocalisationTest, MenusTabsToolBarsAndListHeadersTakeCommonTexts) {
    auto* menuBar = new QMenuBar(&root);
    QMenu* menu = menuBar->addMenu(QStringLiteral("7001"));
    QAction* entry = menu->addAction(QStringLiteral("1002"));
    auto* tabs = new QTabBar(&root);
    tabs->addTab(QStringLiteral("design"));
    tabs->setTabData(0, QStringLiteral("6002"));
    tabs->addTab(QStringLiteral("plain"));
    auto* toolBar = new QToolBar(&root);
    QAction* tool = toolBar->addAction(QStringLiteral("tool"));
    tool->setProperty("Tag", QStringLiteral("5000"));
    auto* list = new QTreeWidget(&root);
    list->setHeaderLabels({QStringLiteral("design"), QStringLiteral("other")});
    list->headerItem()->setData(0, Qt::UserRole, QStringLiteral("1002"));

    qt27::LocaliseControls(&root, manager, common);

    EXPECT_EQ(menu->title(), QStringLiteral("menu text"));
    EXPECT_EQ(entry->text(), QStringLiteral("common 1002"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("common 6002"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("plain"));
    EXPECT_EQ(tool->toolTip(), QStringLiteral("common 5000"));
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("common 1002"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("other"));
}

TEST(NumericTag, ReadsNumbersTheWayTheTagsAreWritten) {
    int id = 0;
    EXPECT_TRUE(qt27::IsNumericTag(QStringLiteral("6002"), &id));
    EXPECT_EQ(id, 6002);
    EXPECT_TRUE(qt27::IsNumericTag(QStringLiteral(" 12 "), &id));
    EXPECT_EQ(id, 12);
    EXPECT_FALSE(qt27::IsNumericTag(QStringLiteral(""), &id));
    EXPECT_FALSE(qt27::IsNumericTag(QStringLiteral("12a"), &id));
    EXPECT_FALSE(qt27::IsNumericTag(QStringLiteral("abc"), &id));
}

}  // namespace
