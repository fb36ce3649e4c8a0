#pragma once

#include <QString>

class QWidget;

namespace rmox {
class ResourceManager;
}

namespace qt27 {

/// Localises every control below @p root whose tag is a resource id.
///
/// By kind of control:
/// - menu entries (QAction in a QMenu or QMenuBar) whose text is a number: text :=
///   that text from the common folder;
/// - tab bars: every tab whose data ("Tag") is a number: its text := that text
///   from the common folder;
/// - tool bars: every action whose "Tag" property is a number: its tool tip :=
///   that text from the common folder;
/// - list views (QTreeWidget): every header column whose Qt::UserRole data ("Tag")
///   is a number: its text := that text from the common folder;
/// - any other widget whose "Tag" property is a number: its caption (label or
///   button text, group box or window title) := the text, from the manager's own
///   configured folder when the id is below 5000, else from the common folder.
/// An error of one control leaves that control as it was and the next is done.
void LocaliseControls(QWidget* root, const rmox::ResourceManager& manager, const QString& commonFolder);

/// True when @p tag reads as a number; @p id then holds it rounded to a whole number.
bool IsNumericTag(const QString& tag, int* id);

}  // namespace qt27
