#pragma once

#include "QT27Controls/observation/ChannelObservation.h"

class QCheckBox;

namespace qt27 {

/// The force-value editor of one analog channel on the Simulation page: the value
/// display of ChannelObservation (process value, unit list, gauge pointer, state
/// picture; the same scaling) plus the forcing part.
///
/// The user enters a force value in `txtForceValue` (committed with Enter or when the
/// box loses the focus) or drags the gauge's slider, switches forcing on with
/// `chkForcingActivated` and marks the forced value invalid with `chkForcedInvalid`.
/// The control converts between the unit shown and the raw value (millivolts or
/// microamperes, any signed 16-bit number) and reports every change as an event; it
/// never talks to the device. The page decides what is sent.
///
/// Committing a text: "," counts as ".", the leading number is read ("abc" gives 0),
/// the raw value is (number / factor) - offset rounded half to even. A raw value
/// that does not fit 16 bits restores the previous force value and reports it again.
/// Without a scaling (unknown module type or range) a commit and a slider move do
/// nothing, so nothing is divided by zero.
///
/// Losing the connection (`HasConnection` False) unchecks and disables the forcing
/// switch without ForceActivatedChanged (muted); the force value and the invalid
/// switch stay. ShowForcingActivated checks it again the same muted way, for a page
/// that still forces the channel once the connection is back.
///
/// Deliberate choices: the force value box commits when the focus moves to another
/// control of the frame, not when another window or a menu takes it, so a value half
/// typed is not forced by switching windows. The connection coming back (and every
/// read answer, which reports it) enables the forcing switch only while the editor is
/// not locked, so a page locked by the data-set lock of another user stays locked.
/// Unlocking enables the switch also without a connection; the page then stores what
/// the user does and sends it when the connection returns.
class ChannelSimulation : public ChannelObservation {
    Q_OBJECT
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked)

public:
    /// An editor with force value 0 and both switches off, on the display of
    /// ChannelObservation.
    explicit ChannelSimulation(QWidget* parent = nullptr);
    ~ChannelSimulation() override;

    /// Also loads the texts of the four labels of the forcing part (7014 to 7017).
    void setResourceManager(rmox::ResourceManager* manager) override;
    /// The state picture follows the forcing switch; @p isForced is not used.
    void SetCurrentValue(qint16 iCurrentValue, bool isInValid = false, bool isForced = false) override;
    /// True enables the forcing switch; False unchecks it muted and disables it.
    void setHasConnection(bool hasConnection) override;

    /// Locked disables the force value, both switches and the slider; the unit list
    /// stays usable.
    bool Locked() const { return m_locked; }
    /// Locks or unlocks the forcing part.
    void setLocked(bool locked);

    /// The raw force value last committed, dragged or restored.
    qint16 ForceValue() const { return m_forceValue; }
    /// True while the forcing switch is checked.
    bool ForcingActivated() const;
    /// True while the force-invalid switch is checked.
    bool ForcedInvalid() const;
    /// The force value as the editor shows it, with its unit.
    QString ForceValueText() const;
    /// Sets the forcing switch without ForceActivatedChanged.
    void ShowForcingActivated(bool activated);

    /// Commits the text of txtForceValue (what Enter and the loss of focus do).
    void CommitForceValue();

    /// The design size; the inner layout is fixed.
    QSize sizeHint() const override;

signals:
    /// A force value was committed, dragged or restored (raw value).
    void ForceValueChanged(qint16 ForceValue);
    /// The user switched forcing on or off.
    void ForceActivatedChanged(bool ForcingActivated);
    /// The user marked the forced value invalid or valid.
    void ForceInvalidChanged(bool Invalid);

protected:
    /// Commits the force value on Enter and when the focus moves to another control.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void unitConfigured() override;

private:
    void PlaceElements();
    /// The commit; @p showTyped shows the number as typed, else the force value.
    /// @p restoreOnOverflow: an overflow restores the previous value.
    void Commit(bool showTyped, bool restoreOnOverflow);
    void SliderMoved(float value);
    void RefreshForceValueDisplay();
    void chkForcingActivated_Click(bool checked);

    QLineEdit* txtForceValue = nullptr;
    QCheckBox* chkForcingActivated = nullptr;
    QCheckBox* chkForcedInvalid = nullptr;
    QLabel* lblForcingActivated = nullptr;
    QLabel* lblForceInvalid = nullptr;
    QLabel* lblProcessValue = nullptr;
    QLabel* lblForcedValue = nullptr;

    qint16 m_forceValue = 0;
    bool m_locked = false;
    bool m_muted = false;
};

}  // namespace qt27
