#include "ChannelUnitDisplay.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>

#include "QT27Controls/observation/ValueBox.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace qt27 {

void SetUpChannelGauge(rmox::GaugeCtl& gauge, bool sliderVisible) {
    gauge.setSliderVisible(sliderVisible);
    gauge.setZoneColor(0, ZoneColorGreen);
    gauge.setZoneColor(1, ZoneColorRed);
    gauge.setZoneColor(2, ZoneColorRed);
}

void FillUnitList(QComboBox& cmbUnit) {
    cmbUnit.clear();
    cmbUnit.addItem(QStringLiteral("%"));
    cmbUnit.addItem(QStringLiteral("mA"));
}

void ApplyUnitConfiguration(const UnitConfiguration& configuration, rmox::GaugeCtl& gauge,
                            QComboBox& cmbUnit) {
    if (!configuration.valid) {
        return;
    }
    gauge.setScaleStep(configuration.scaleStep);
    gauge.setScaleMin(configuration.scaleMin);
    gauge.setScaleMax(configuration.scaleMax);
    gauge.setScaleDivisions(configuration.scaleDivisions);
    for (int index = 0; index < rmox::GaugeCtl::ZoneCount; ++index) {
        const GaugeZone& zone = configuration.zones[static_cast<std::size_t>(index)];
        gauge.setZoneStart(index, zone.start);
        gauge.setZoneEnd(index, zone.end);
    }
    if (cmbUnit.count() > UnitEntryPhysical) {
        cmbUnit.setItemText(UnitEntryPhysical, configuration.physicalUnit);
    }
}

bool RunUnitConfiguration(int moduleType, int range, rmox::GaugeCtl& gauge, QComboBox& cmbUnit,
                          QString& formatText) {
    const UnitConfiguration configuration = UnitConfigurationFor(moduleType, cmbUnit.currentIndex(), range);
    if (!configuration.valid) {
        return false;
    }
    ApplyUnitConfiguration(configuration, gauge, cmbUnit);
    formatText = configuration.formatText;
    return true;
}

QString ChannelValueText(ValueState state, int raw, const Scaling& scaling, const QString& formatText,
                         const QString& decimalSeparator) {
    return state == ValueState::None ? UnknownValueText
                                     : ValueText(raw, scaling, formatText, decimalSeparator);
}

void ShowValueState(ValueState state, QLineEdit& txtValue, rmox::GaugeCtl& gauge) {
    if (auto* box = qobject_cast<ValueBox*>(&txtValue)) {
        box->setValueState(state);
    } else if (state == ValueState::Current) {
        // An empty palette inherits every colour again.
        txtValue.setPalette(QPalette());
    } else {
        QPalette greyed;
        greyed.setColor(QPalette::Text, txtValue.palette().color(QPalette::Disabled, QPalette::Text));
        txtValue.setPalette(greyed);
    }
    gauge.setPointerStyle(state == ValueState::Current    ? rmox::GaugeCtl::PointerCurrent
                          : state == ValueState::Outdated ? rmox::GaugeCtl::PointerOutdated
                                                          : rmox::GaugeCtl::PointerHidden);
}

}  // namespace qt27
