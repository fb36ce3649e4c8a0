#pragma once

#include <QLineEdit>

#include "QT27Controls/observation/ChannelUnitDisplay.h"

namespace qt27 {

/// The read-only box that shows a channel's value. A page that reads twice a
/// second hands it the same text and state again and again; the box changes (and
/// repaints) only what differs from what it shows.
class ValueBox : public QLineEdit {
    Q_OBJECT

public:
    explicit ValueBox(const QString& text, QWidget* parent = nullptr);

    /// Shows @p text unless it is already shown.
    void setValueText(const QString& text);
    /// A current value in the normal colours, any other greyed; nothing is done for
    /// the state already shown.
    void setValueState(ValueState state);

private:
    bool m_stateShown = false;
    ValueState m_state = ValueState::None;
};

}  // namespace qt27
