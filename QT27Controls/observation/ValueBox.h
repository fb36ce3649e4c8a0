#pragma once

#include <QEvent>
#include <QLineEdit>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>

#include "QT27Controls/observation/ChannelUnitDisplay.h"

namespace qt27 {

/// The read-only box that shows a channel's value. A page that reads twice a
/// second hands it the same text and state again and again; the box changes only
/// what differs from what it shows.
///
/// A new value repaints the box alone, not the group box and the page behind it:
/// before its first new text the box keeps a picture of what lies behind it
/// (rendered once from its window, only while nothing covers the box) and from
/// then on paints that picture itself and counts as opaque. The picture is
/// dropped, and the box paints like any line edit until the next new text,
/// whenever the box or one of the widgets it lies on is moved, resized, shown,
/// hidden, raised or lowered, restyled, re-coloured, enabled or disabled. The
/// frame and face of the box (the same for every value) are drawn onto a copy of
/// that picture once and kept too, so a new value draws its text only.
class ValueBox : public QLineEdit {
    Q_OBJECT

public:
    explicit ValueBox(const QString& text, QWidget* parent = nullptr);

    /// Shows @p text unless it is already shown.
    void setValueText(const QString& text);
    /// A current value in the normal colours, any other greyed; nothing is done for
    /// the state already shown.
    void setValueState(ValueState state);

    /// Whether the box paints what lies behind it itself (a kept picture).
    bool paintsBackground() const { return !m_background.isNull(); }

    /// Paints the box's frame and face for @p option from a kept picture (made
    /// when the option changes); false while the box keeps no background.
    bool paintKeptPanel(const QStyleOption& option, QPainter& painter, const QStyle& style);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    /// Renders what lies behind the box from its window and keeps it.
    void keepBackground();
    void dropBackground();
    static bool changesBackground(QEvent::Type type);

    bool m_stateShown = false;
    ValueState m_state = ValueState::None;
    QPixmap m_background;
    QPixmap m_panel;     // the background with the frame and face drawn on it
    QString m_panelKey;  // what m_panel was drawn for
    bool m_rendering = false;
    bool m_settingOwnPalette = false;
    QList<QPointer<QWidget>> m_watched;
};

}  // namespace qt27
