#pragma once

#include <QString>

class QInputDialog;
class QWidget;

namespace frame {

/// The question for the user name that takes a module's data-set lock: its title
/// names the module ("Lock the data set of slot 03 (QT27 AI 4x ...)") and the
/// dialog is wide enough for the whole title.
QInputDialog* makeLockDialog(QWidget* parent, const QString& moduleName, const QString& userName);

}  // namespace frame
