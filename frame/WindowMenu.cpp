#include "WindowMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace frame {

void buildWindowMenu(QMenu* menu, QMdiArea* area) {
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, area] {
        menu->clear();
        QAction* close = menu->addAction(QCoreApplication::translate("frame::FrameWindow", "&Close window"),
                                         area, &QMdiArea::closeActiveSubWindow);
        close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
        QAction* next = menu->addAction(QCoreApplication::translate("frame::FrameWindow", "&Next window"),
                                        area, &QMdiArea::activateNextSubWindow);
        next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
        QAction* previous =
            menu->addAction(QCoreApplication::translate("frame::FrameWindow", "&Previous window"), area,
                            &QMdiArea::activatePreviousSubWindow);
        previous->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
        menu->addSeparator();
        menu->addAction(QCoreApplication::translate("frame::FrameWindow", "&Tile windows"), area,
                        &QMdiArea::tileSubWindows);
        menu->addAction(QCoreApplication::translate("frame::FrameWindow", "C&ascade windows"), area,
                        &QMdiArea::cascadeSubWindows);
        const QList<QMdiSubWindow*> windows = area->subWindowList();
        if (!windows.isEmpty()) {
            menu->addSeparator();
        }
        for (qsizetype index = 0; index < windows.size(); ++index) {
            QMdiSubWindow* window = windows[index];
            const QString caption = index < 9
                                        ? QStringLiteral("&%1 %2").arg(index + 1).arg(window->windowTitle())
                                        : window->windowTitle();
            QAction* entry =
                menu->addAction(caption, area, [area, window] { area->setActiveSubWindow(window); });
            entry->setCheckable(true);
            entry->setChecked(window == area->activeSubWindow());
        }
    });
    // The shortcuts work while the menu is closed: the first build happens now.
    emit menu->aboutToShow();
}

}  // namespace frame
