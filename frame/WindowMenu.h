#pragma once

class QMdiArea;
class QMenu;

namespace frame {

/// Fills @p menu as the Window menu of @p area: Close (Ctrl+F4), Next (Ctrl+Tab)
/// and Previous (Ctrl+Shift+Tab) window, Tile, Cascade and, below them, one
/// entry per open window (the active one checked; choosing one brings it forward).
/// The list is rebuilt each time the menu opens.
void buildWindowMenu(QMenu* menu, QMdiArea* area);

}  // namespace frame
