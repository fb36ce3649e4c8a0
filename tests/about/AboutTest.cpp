// The About page and the routine that localises controls tagged with resource ids.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include "QT27Controls/about/About.h"
#include "QT27Controls/framework/Localisation.h"
#include "support/FakeHost.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;

TEST(AboutTest, ShowsNameRevisionsAndPicturesClosesOnOkAndReleases) {
    testsupport::FakeDtm dtm;
    qt27::About page;
    ASSERT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), &dtm));
    EXPECT_EQ(child<QLabel>(&page, "lblDtmName")->text(), QStringLiteral("rimox QT27 DTM"));
    EXPECT_EQ(child<QLabel>(&page, "lblTextDtmRevision")->text(), QStringLiteral("1.0.3"));
    EXPECT_EQ(child<QLabel>(&page, "lblTextFdtRevision")->text(), QStringLiteral("1.2"));
    EXPECT_FALSE(child<QLabel>(&page, "Image1")->pixmap().isNull());
    EXPECT_FALSE(child<QLabel>(&page, "Picture1")->pixmap().isNull());
    EXPECT_EQ(child<QPushButton>(&page, "cmdOK")->text(), QStringLiteral("OK"));
    child<QPushButton>(&page, "cmdOK")->click();
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(dtm.log, QStringList({"UiOpened(INV-A)", "CloseUi(INV-A)", "UiReleased(INV-A)"}));

    qt27::About unreadable;
    dtm.base.dtmInformation = QStringLiteral("<FDT><DtmInformation name=\"x\"");
    ASSERT_TRUE(unreadable.IDtmActiveXControl_Init(QStringLiteral("INV-B"), QString(), &dtm));
    EXPECT_EQ(child<QLabel>(&unreadable, "lblDtmName")->text(), QStringLiteral("Device DTM"));
    qt27::About alone;
    EXPECT_TRUE(alone.IDtmActiveXControl_Init(QStringLiteral("INV-C"), QString(), nullptr));
    EXPECT_TRUE(alone.IDtmActiveXControl_PrepareToRelease());
}

// Two resource folders whose texts tell where they came from: tags below 5000 come
// from the manager's own folder, the others and every menu, tab, tool and list
// header text from the common folder. Other tags keep their text.
TEST(LocalisationTest, TaggedControlsTakeTheTextsOfTheirFolder) {
    QTemporaryDir dir;
    const QString common = dir.filePath(QStringLiteral("common"));
    const QString device = dir.filePath(QStringLiteral("device"));
    for (const auto& [folder, prefix] : {std::pair{common, "common"}, std::pair{device, "device"}}) {
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(QStringLiteral("strings.en.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int id : {1002, 4999, 5000, 6002}) {
            file.write(QStringLiteral("%1=%2 %1\n").arg(id).arg(QLatin1String(prefix)).toUtf8());
        }
    }
    rmox::ResourceManager manager;
    manager.setLanguage(QStringLiteral("en"));
    manager.setResourceFolder(device);
    QWidget root;
    QStringList tags = {"1002", "4999", "5000", " 6002 ", "abc", "", "4711"};
    QList<QLabel*> labels;
    for (const QString& tag : tags) {
        labels.append(new QLabel(QStringLiteral("design"), &root));
        labels.last()->setProperty("Tag", tag);
    }
    auto* group = new QGroupBox(QStringLiteral("design"), &root);
    group->setProperty("Tag", QStringLiteral("1002"));
    auto* button = new QPushButton(QStringLiteral("design"), &root);
    button->setProperty("Tag", QStringLiteral("5000"));
    QMenu* menu = (new QMenuBar(&root))->addMenu(QStringLiteral("6002"));
    QAction* entry = menu->addAction(QStringLiteral("1002"));
    auto* tabs = new QTabBar(&root);
    tabs->addTab(QStringLiteral("design"));
    tabs->setTabData(0, QStringLiteral("1002"));
    tabs->addTab(QStringLiteral("plain"));
    QAction* tool = (new QToolBar(&root))->addAction(QStringLiteral("tool"));
    tool->setProperty("Tag", QStringLiteral("5000"));
    auto* list = new QTreeWidget(&root);
    list->setHeaderLabels({QStringLiteral("design"), QStringLiteral("other")});
    list->headerItem()->setData(0, Qt::UserRole, QStringLiteral("4999"));

    qt27::LocaliseControls(&root, manager, common);

    const QStringList shown = {"device 1002", "device 4999", "common 5000", "common 6002",
                               "design",      "design",      "design"};
    for (int i = 0; i < tags.size(); ++i) {
        EXPECT_EQ(labels[i]->text(), shown[i]) << tags[i].toStdString();
    }
    EXPECT_EQ(group->title(), QStringLiteral("device 1002"));
    EXPECT_EQ(button->text(), QStringLiteral("common 5000"));
    EXPECT_EQ(menu->title(), QStringLiteral("common 6002"));
    EXPECT_EQ(entry->text(), QStringLiteral("common 1002"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("common 1002"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("plain"));
    EXPECT_EQ(tool->toolTip(), QStringLiteral("common 5000"));
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("common 4999"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("other"));
}

}  // namespace
