#include "ValueBox.h"

#include <QPalette>

namespace qt27 {

ValueBox::ValueBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void ValueBox::setValueText(const QString& text) {
    if (text != this->text()) {
        setText(text);
    }
}

void ValueBox::setValueState(ValueState state) {
    if (m_stateShown && state == m_state) {
        return;
    }
    if (state == ValueState::Current) {
        // An empty palette inherits every colour again.
        setPalette(QPalette());
    } else {
        QPalette greyed;
        greyed.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
        setPalette(greyed);
    }
    m_state = state;
    m_stateShown = true;
}

}  // namespace qt27
