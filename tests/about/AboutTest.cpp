// The routine that localises controls tagged with resource ids (About: frame screenshots).
#include <gtest/gtest.h>

#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>

#include "QT27Controls/framework/Localisation.h"
#include "support/PageSession.h"

// Texts that tell their folder: tags below 5000 come from the manager's own folder, the
// others and menu texts from the common folder; other tags and missing texts stay.
TEST(LocalisationTest, TaggedControlsTakeTheTextsOfTheirFolder) {
    QTemporaryDir dir;
    for (const char* folder : {"common", "device"}) {
        QDir(dir.path()).mkpath(QLatin1String(folder));
        QFile file(dir.filePath(QStringLiteral("%1/strings.en.txt").arg(folder)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("1002=%1 1002\n4999=%1 4999\n5000=%1 5000\n6002=%1 6002\n").arg(folder).toUtf8());
    }
    rmox::ResourceManager manager;
    manager.setLanguage(QStringLiteral("en"));
    manager.setResourceFolder(dir.filePath(QStringLiteral("device")));
    QWidget root;
    for (const char* tag : {"1002", "4999", "5000", " 6002 ", "abc", "", "4711"}) {
        (new QLabel(QStringLiteral("design"), &root))->setProperty("Tag", QLatin1String(tag));
    }
    (new QGroupBox(QStringLiteral("design"), &root))->setProperty("Tag", QStringLiteral("1002"));
    (new QPushButton(QStringLiteral("design"), &root))->setProperty("Tag", QStringLiteral("5000"));
    QMenu* menu = (new QMenuBar(&root))->addMenu(QStringLiteral("6002"));
    QAction* entry = menu->addAction(QStringLiteral("1002"));

    qt27::LocaliseControls(&root, manager, dir.filePath(QStringLiteral("common")));

    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        texts << label->text();
    }
    texts << root.findChild<QGroupBox*>()->title() << root.findChild<QPushButton*>()->text() << menu->title()
          << entry->text();
    EXPECT_EQ(texts,
              QStringList({"device 1002", "device 4999", "common 5000", "common 6002", "design", "design",
                           "design", "device 1002", "common 5000", "common 6002", "common 1002"}));
}
