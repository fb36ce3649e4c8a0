// The About page and the routine that localises controls tagged with resource ids.
#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include "QT27Controls/about/About.h"
#include "QT27Controls/framework/Localisation.h"
#include "support/PageSession.h"

namespace {

using testsupport::child;

TEST(AboutTest, ShowsNameRevisionsAndPicturesClosesOnOkAndReleases) {
    testsupport::FakeDtm dtm;
    qt27::About page;
    ASSERT_TRUE(page.IDtmActiveXControl_Init(QStringLiteral("INV-A"), QString(), &dtm));
    const QStringList shown = {child<QLabel>(&page, "lblDtmName")->text(),
                               child<QLabel>(&page, "lblTextDtmRevision")->text(),
                               child<QLabel>(&page, "lblTextFdtRevision")->text()};
    EXPECT_EQ(shown, QStringList({"rimox QT27 DTM", "1.0.3", "1.2"}));
    EXPECT_FALSE(child<QLabel>(&page, "Image1")->pixmap().isNull());
    EXPECT_FALSE(child<QLabel>(&page, "Picture1")->pixmap().isNull());
    child<QPushButton>(&page, "cmdOK")->click();
    EXPECT_TRUE(page.IDtmActiveXControl_PrepareToRelease());
    EXPECT_EQ(dtm.log, QStringList({"UiOpened(INV-A)", "CloseUi(INV-A)", "UiReleased(INV-A)"}));
    qt27::About unreadable;
    dtm.base.dtmInformation = QStringLiteral("<FDT><DtmInformation name=\"x\"");
    EXPECT_TRUE(unreadable.IDtmActiveXControl_Init(QStringLiteral("INV-B"), QString(), &dtm));
    EXPECT_EQ(child<QLabel>(&unreadable, "lblDtmName")->text(), QStringLiteral("Device DTM"));
    EXPECT_TRUE(unreadable.IDtmActiveXControl_Init(QStringLiteral("INV-C"), QString(), nullptr));
}

// Texts that tell their folder: tags below 5000 come from the manager's own folder, the
// others and every menu, tab, tool and list header text from the common folder; other
// tags and texts without an entry stay.
TEST(LocalisationTest, TaggedControlsTakeTheTextsOfTheirFolder) {
    QTemporaryDir dir;
    for (const char* folder : {"common", "device"}) {
        QDir(dir.path()).mkpath(QLatin1String(folder));
        QFile file(dir.filePath(QStringLiteral("%1/strings.en.txt").arg(folder)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int id : {1002, 4999, 5000, 6002}) {
            file.write(QStringLiteral("%1=%2 %1\n").arg(id).arg(QLatin1String(folder)).toUtf8());
        }
    }
    rmox::ResourceManager manager;
    manager.setLanguage(QStringLiteral("en"));
    manager.setResourceFolder(dir.filePath(QStringLiteral("device")));
    QWidget root;
    const QStringList tags = {"1002", "4999", "5000", " 6002 ", "abc", "", "4711"};
    for (const QString& tag : tags) {
        (new QLabel(QStringLiteral("design"), &root))->setProperty("Tag", tag);
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

    qt27::LocaliseControls(&root, manager, dir.filePath(QStringLiteral("common")));

    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        texts << label->text();
    }
    texts << group->title() << button->text() << menu->title() << entry->text() << tabs->tabText(0)
          << tabs->tabText(1) << tool->toolTip() << list->headerItem()->text(0)
          << list->headerItem()->text(1);
    EXPECT_EQ(texts,
              QStringList({"device 1002", "device 4999", "common 5000", "common 6002", "design", "design",
                           "design", "device 1002", "common 5000", "common 6002", "common 1002",
                           "common 1002", "plain", "common 5000", "common 4999", "other"}));
}

}  // namespace
