#include "ValueBox.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>

namespace qt27 {

ValueBox::ValueBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void ValueBox::setValueText(const QString& text) {
    if (text == this->text()) {
        return;
    }
    // Only an unobscured box is pictured: a window lying over it (another page in
    // the frame) is no part of what lies behind it.
    if (m_background.isNull() && isVisible() && visibleRegion() == QRegion(rect())) {
        keepBackground();
    }
    setText(text);
}

void ValueBox::setValueState(ValueState state) {
    if (m_stateShown && state == m_state) {
        return;
    }
    // The box's own text colour does not change what lies behind it.
    m_settingOwnPalette = true;
    if (state == ValueState::Current) {
        // An empty palette inherits every colour again.
        setPalette(QPalette());
    } else {
        QPalette greyed;
        greyed.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
        setPalette(greyed);
    }
    m_settingOwnPalette = false;
    m_state = state;
    m_stateShown = true;
}

bool ValueBox::changesBackground(QEvent::Type type) {
    switch (type) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ParentChange:
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::EnabledChange:
        case QEvent::FontChange:
        case QEvent::ScreenChangeInternal:
        case QEvent::ActivationChange:
        case QEvent::ZOrderChange:
            return true;
        default:
            return false;
    }
}

bool ValueBox::event(QEvent* event) {
    if (changesBackground(event->type()) && !(event->type() == QEvent::PaletteChange && m_settingOwnPalette)) {
        dropBackground();
    }
    return QLineEdit::event(event);
}

bool ValueBox::eventFilter(QObject* watched, QEvent* event) {
    if (changesBackground(event->type())) {
        dropBackground();
    }
    return QLineEdit::eventFilter(watched, event);
}

void ValueBox::keepBackground() {
    QWidget* top = window();
    const QRect area(mapTo(top, QPoint(0, 0)), size());
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(area.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    // The box itself draws nothing meanwhile, so the picture shows what is behind it.
    m_rendering = true;
    top->render(&picture, QPoint(), QRegion(area), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    m_rendering = false;
    m_background = picture;
    for (QWidget* ancestor = parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        ancestor->installEventFilter(this);
        m_watched.append(ancestor);
        if (ancestor == top) {
            break;
        }
    }
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void ValueBox::dropBackground() {
    if (m_background.isNull()) {
        return;
    }
    m_background = QPixmap();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    for (const QPointer<QWidget>& ancestor : std::as_const(m_watched)) {
        if (ancestor) {
            ancestor->removeEventFilter(this);
        }
    }
    m_watched.clear();
}

void ValueBox::paintEvent(QPaintEvent* event) {
    if (m_rendering) {
        return;
    }
    if (!m_background.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_background);
    }
    QLineEdit::paintEvent(event);
}

}  // namespace qt27
