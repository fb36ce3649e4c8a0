#include "ValueBox.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionFrame>

namespace qt27 {

namespace {

/// The application's style, except that a value box draws its frame and face from
/// its kept picture. One for all boxes, living as long as the application.
class KeptPanelStyle : public QProxyStyle {
public:
    KeptPanelStyle() : QProxyStyle(QApplication::style()->name()) { setParent(qApp); }

    static KeptPanelStyle* instance() {
        static QPointer<KeptPanelStyle> style;
        if (style == nullptr && qApp != nullptr) {
            style = new KeptPanelStyle;
        }
        return style;
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        auto* box = const_cast<ValueBox*>(qobject_cast<const ValueBox*>(widget));
        if (element == PE_PanelLineEdit && box != nullptr && option != nullptr && painter != nullptr &&
            box->paintKeptPanel(*option, *painter, *baseStyle())) {
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

ValueBox::ValueBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only where the application's style is not one of its own (a style sheet).
    if (KeptPanelStyle* style = KeptPanelStyle::instance();
        style != nullptr && QApplication::style()->inherits("QStyleSheetStyle") == false) {
        setStyle(style);
    }
}

bool ValueBox::paintKeptPanel(const QStyleOption& option, QPainter& painter, const QStyle& style) {
    if (m_background.isNull() || option.rect != rect()) {
        return false;
    }
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(&option);
    const QString key = QStringLiteral("%1 %2 %3 %4 %5")
                            .arg(static_cast<int>(option.state))
                            .arg(option.palette.cacheKey())
                            .arg(static_cast<int>(option.direction))
                            .arg(frame != nullptr ? frame->lineWidth : -1)
                            .arg(frame != nullptr ? static_cast<int>(frame->features) : -1);
    if (m_panel.isNull() || key != m_panelKey) {
        m_panel = m_background.copy();
        QPainter onPanel(&m_panel);
        style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &onPanel, this);
        m_panelKey = key;
    }
    painter.drawPixmap(0, 0, m_panel);
    return true;
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
    m_panel = QPixmap();
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
