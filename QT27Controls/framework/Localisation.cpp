#include "Localisation.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QToolBar>
#include <QTreeWidget>
#include <cmath>

#include "QT27Controls/common/ErrorHandling.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace qt27 {

namespace {

const char* const kTag = "Tag";

void setCaption(QWidget* widget, const QString& caption) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(caption);
    } else {
        widget->setWindowTitle(caption);
    }
}

void localiseMenu(const QList<QAction*>& actions, const rmox::ResourceManager& manager,
                  const QString& folder) {
    for (QAction* action : actions) {
        int id = 0;
        if (IsNumericTag(action->text(), &id)) {
            IgnoreErrors([&] { action->setText(manager.GetString(id, folder)); });
        }
        if (action->menu() != nullptr) {
            localiseMenu(action->menu()->actions(), manager, folder);
        }
    }
}

}  // namespace

bool IsNumericTag(const QString& tag, int* id) {
    bool ok = false;
    const double value = QLocale::c().toDouble(tag.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 2147483647.0) {
        return false;
    }
    if (id != nullptr) {
        *id = static_cast<int>(std::lround(value));
    }
    return true;
}

void LocaliseControls(QWidget* root, const rmox::ResourceManager& manager, const QString& commonFolder) {
    if (root == nullptr) {
        return;
    }
    const QList<QWidget*> controls = root->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        IgnoreErrors([&] {
            int id = 0;
            if (auto* menuBar = qobject_cast<QMenuBar*>(control)) {
                localiseMenu(menuBar->actions(), manager, commonFolder);
            } else if (auto* menu = qobject_cast<QMenu*>(control)) {
                localiseMenu(menu->actions(), manager, commonFolder);
            } else if (auto* tabs = qobject_cast<QTabBar*>(control)) {
                for (int tab = 0; tab < tabs->count(); ++tab) {
                    if (IsNumericTag(tabs->tabData(tab).toString(), &id)) {
                        IgnoreErrors([&] { tabs->setTabText(tab, manager.GetString(id, commonFolder)); });
                    }
                }
            } else if (auto* toolBar = qobject_cast<QToolBar*>(control)) {
                for (QAction* action : toolBar->actions()) {
                    if (IsNumericTag(action->property(kTag).toString(), &id)) {
                        IgnoreErrors([&] { action->setToolTip(manager.GetString(id, commonFolder)); });
                    }
                }
            } else if (auto* list = qobject_cast<QTreeWidget*>(control)) {
                QTreeWidgetItem* header = list->headerItem();
                for (int column = 0; header != nullptr && column < header->columnCount(); ++column) {
                    if (IsNumericTag(header->data(column, Qt::UserRole).toString(), &id)) {
                        IgnoreErrors([&] { header->setText(column, manager.GetString(id, commonFolder)); });
                    }
                }
            } else if (IsNumericTag(control->property(kTag).toString(), &id)) {
                setCaption(control, manager.GetString(id, id < 5000 ? QString() : commonFolder));
            }
        });
    }
}

}  // namespace qt27
