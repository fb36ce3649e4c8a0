#pragma once

#include <QLocale>
#include <QSize>
#include <QString>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace frame {

/// A sub-window for @p page: the page sits in a scroll area, keeps at least its own
/// size (its controls are laid out at fixed places and would overlap when squeezed)
/// and scrolls when the window is smaller; it grows with a larger window, so its
/// button bar stays at the bottom edge.
QMdiSubWindow* makePageWindow(QWidget* page);

/// On a page with OK and Cancel, Enter presses OK and Escape closes the window the
/// careful way (the frame asks about an unsaved edit instead of dropping it, as the
/// page's Cancel would).
void bindDialogKeys(QMdiSubWindow* window);

/// Sets the entries of @p window's system menu (Restore, Move, ...) in the language
/// installed now; the first call learns which entry is which.
void retranslateSystemMenu(QMdiSubWindow* window);

/// The page shown in @p window; nullptr when the window holds none.
QWidget* pageIn(const QMdiSubWindow* window);

/// Shows @p window in @p area at its page's size, fully inside the visible part of
/// the area and offset from the windows already open. Where the page does not fit,
/// the window takes the visible width or height and the page scrolls in it.
void placePageWindow(QMdiArea* area, QMdiSubWindow* window);

/// The frame's size when it opens on a screen with @p available room: 1280 x 820
/// where that fits, else the available room less a margin for the window border,
/// so that the frame never opens larger than the screen (at 150 % a screen of
/// 1920 x 1080 pixels has 1280 x 720 room).
QSize defaultFrameSize(const QSize& available);

/// The language the frame starts in without --language: "de" for a German system
/// locale (LANG=de_DE.UTF-8, de_AT, ...), else "en".
QString defaultLanguage(const QLocale& system);

}  // namespace frame
