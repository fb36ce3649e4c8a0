#pragma once

#include <QString>

#include "QT27Controls/observation/ChannelScaling.h"

class QComboBox;
class QLineEdit;

namespace rmox {
class GaugeCtl;
}

namespace qt27 {

/// The unit list and gauge set-up shared by the channel value controls
/// (ChannelObservation, ChannelSimulation): both carry a gauge `ctlGauge` and a unit
/// list `cmbUnit`, and both configure them from the same tables.

/// Zone colours, RGB colour values with red in the low byte.
constexpr int ZoneColorGreen = 65280;
constexpr int ZoneColorRed = 255;

/// Creation set-up of a channel gauge: the slider shown or hidden, zone 0 green,
/// zones 1 and 2 red.
void SetUpChannelGauge(rmox::GaugeCtl& gauge, bool sliderVisible);

/// Fills the unit list with its two entries, "%" and the physical unit ("mA"
/// until the first unit configuration names the unit of the range).
void FillUnitList(QComboBox& cmbUnit);

/// Writes @p configuration into the gauge (scale minimum, maximum, step, the second
/// scale setting, the three zones) and the physical unit into entry 1 of the unit
/// list. An invalid configuration changes nothing.
void ApplyUnitConfiguration(const UnitConfiguration& configuration, rmox::GaugeCtl& gauge,
                            QComboBox& cmbUnit);

/// The unit configuration of a channel control: the configuration of @p moduleType,
/// the entry selected in @p cmbUnit and @p range is applied to the gauge and the
/// unit list, and its format text is stored in @p formatText. Answers false, leaving
/// everything unchanged, when the combination has no configuration.
bool RunUnitConfiguration(int moduleType, int range, rmox::GaugeCtl& gauge, QComboBox& cmbUnit,
                          QString& formatText);

/// How current the value that a channel control shows is. A value that is not
/// current must look it, or a user reads an old number as a live measurement.
enum class ValueState {
    None,      ///< no value yet: the text is "-/-" and the gauge shows no pointer
    Current,   ///< the last value read on a live connection
    Outdated,  ///< the last value of a connection that ended or a read that failed
};

/// The value text of a channel control: "-/-" while there is no value, else the
/// scaled raw value (ValueText).
QString ChannelValueText(ValueState state, int raw, const Scaling& scaling, const QString& formatText,
                         const QString& decimalSeparator);

/// Shows @p state on the value text and the gauge pointer: a current value in the
/// normal colours, an outdated one greyed, no value greyed without pointer.
void ShowValueState(ValueState state, QLineEdit& txtValue, rmox::GaugeCtl& gauge);

}  // namespace qt27
