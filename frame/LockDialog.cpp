#include "LockDialog.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace frame {

QInputDialog* makeLockDialog(QWidget* parent, const QString& moduleName, const QString& userName) {
    auto* dialog = new QInputDialog(parent);
    dialog->setObjectName(QStringLiteral("dlgLock"));
    const QString title =
        QCoreApplication::translate("frame::FrameWindow", "Lock the data set of %1").arg(moduleName);
    dialog->setWindowTitle(title);
    dialog->setLabelText(QCoreApplication::translate("frame::FrameWindow", "User name:"));
    dialog->setTextValue(userName);
    // The window manager cuts a title that is wider than the window; room is left
    // for the icon and the title bar's buttons.
    QFont titleFont = dialog->font();
    titleFont.setBold(true);
    // The dialog's layout sets its size from its contents: the entry field carries the width.
    if (auto* entry = dialog->findChild<QLineEdit*>()) {
        entry->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(title) + 140);
    }
    return dialog;
}

}  // namespace frame
