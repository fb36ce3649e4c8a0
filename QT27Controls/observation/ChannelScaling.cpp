#include "ChannelScaling.h"

#include <cmath>
#include <limits>

#include "QT27Controls/common/NumberFunctions.h"
#include "rmox/Error.h"

namespace qt27 {

namespace {

bool IsKnownType(int moduleType) {
    return moduleType == ModuleType37 || moduleType == ModuleType54;
}

bool IsKnownRange(int range) {
    return range >= 0 && range <= 3;
}

bool IsKnownUnitEntry(int unitEntry) {
    return unitEntry == UnitEntryPercent || unitEntry == UnitEntryPhysical;
}

// Zone boundaries in permille. Type 37 has always used the rounded constants;
// type 54 computes the same boundaries from the scale of the unit shown.
struct ZoneBounds {
    float liveZero;
    float rangeEnd;
};

ZoneBounds ZoneBoundsFor(int moduleType, int unitEntry, int range) {
    if (moduleType == ModuleType37) {
        return {166.7F, 833.3F};
    }
    if (!HasLiveZero(range)) {
        return {0.0F, static_cast<float>(1000.0 * 100 / 120)};
    }
    if (unitEntry == UnitEntryPercent) {
        return {static_cast<float>(1000.0 * 25 / 150), static_cast<float>(1000.0 * 125 / 150)};
    }
    return {static_cast<float>(1000.0 * 20 / 120), static_cast<float>(1000.0 * 100 / 120)};
}

rmox::Error NoScalingError() {
    return rmox::Error(rmox::Error::InvalidProcedureCall,
                       QStringLiteral("No scaling for this module type, unit and range"));
}

qint16 ToRaw(double value) {
    if (!std::isfinite(value)) {
        throw rmox::Error(rmox::Error::Overflow, QStringLiteral("Overflow"));
    }
    const double rounded = RoundHalfToEven(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max()) {
        throw rmox::Error(rmox::Error::Overflow, QStringLiteral("Overflow"));
    }
    return static_cast<qint16>(rounded);
}

}  // namespace

bool HasLiveZero(int range) {
    return range == 1 || range == 3;
}

QString PhysicalUnitOfRange(int moduleType, int range) {
    if (!IsKnownType(moduleType) || !IsKnownRange(range)) {
        return QString();
    }
    if (moduleType == ModuleType37 && range >= 2) {
        return QStringLiteral("mA");
    }
    return QStringLiteral("V");
}

UnitConfiguration UnitConfigurationFor(int moduleType, int unitEntry, int range) {
    UnitConfiguration configuration;
    if (!IsKnownType(moduleType) || !IsKnownUnitEntry(unitEntry) || !IsKnownRange(range)) {
        return configuration;
    }
    configuration.valid = true;
    configuration.scaleDivisions = 5;
    configuration.physicalUnit = PhysicalUnitOfRange(moduleType, range);
    if (unitEntry == UnitEntryPercent) {
        configuration.formatText = QStringLiteral("0.0");
        configuration.scaleStep = 25;
        configuration.scaleMin = HasLiveZero(range) ? -25 : 0;
        configuration.scaleMax = HasLiveZero(range) ? 125 : 120;
    } else {
        configuration.formatText = QStringLiteral("0.000");
        const bool upperRanges = range >= 2;
        if (moduleType == ModuleType37) {
            configuration.scaleStep = 2;
            configuration.scaleMax = upperRanges ? 24 : 12;
        } else {
            configuration.scaleStep = upperRanges ? 1 : 2;
            configuration.scaleMax = upperRanges ? 6 : 12;
        }
        configuration.scaleMin = 0;
    }
    const ZoneBounds bounds = ZoneBoundsFor(moduleType, unitEntry, range);
    if (HasLiveZero(range)) {
        configuration.zones = {GaugeZone{bounds.liveZero, bounds.rangeEnd},
                               GaugeZone{bounds.rangeEnd, 1000.0F}, GaugeZone{0.0F, bounds.liveZero}};
    } else {
        configuration.zones = {GaugeZone{0.0F, bounds.rangeEnd}, GaugeZone{bounds.rangeEnd, 1000.0F},
                               GaugeZone{0.0F, 0.0F}};
    }
    return configuration;
}

Scaling ScalingFor(int moduleType, int unitEntry, int range) {
    Scaling scaling;
    if (!IsKnownType(moduleType) || !IsKnownUnitEntry(unitEntry) || !IsKnownRange(range)) {
        return scaling;
    }
    const auto single = [](double value) { return static_cast<float>(value); };
    if (unitEntry == UnitEntryPhysical) {
        // Millivolts or microamperes into volts or milliamperes.
        scaling.factor = single(1.0 / 1000);
        if (range <= 1) {
            scaling.divisor = 12;
        } else {
            scaling.divisor = moduleType == ModuleType37 ? 24 : 6;
        }
        return scaling;
    }
    // Percent of the measuring range: 100 % is the end of the range, 0 % its live zero.
    switch (range) {
        case 0:  // 0..10 V
            scaling = {12, single(1.0 / 100), 0};
            break;
        case 1:  // 2..10 V
            scaling = {12, single(1.0 / 80), -2000};
            break;
        case 2:
            scaling = moduleType == ModuleType37 ? Scaling{24, single(1.0 / 200), 0}  // 0..20 mA
                                                 : Scaling{6, single(1.0 / 50), 0};   // 0..5 V
            break;
        case 3:
            scaling = moduleType == ModuleType37 ? Scaling{24, single(1.0 / 160), -4000}  // 4..20 mA
                                                 : Scaling{6, single(1.0 / 40), -1000};   // 1..5 V
            break;
        default:
            break;
    }
    return scaling;
}

float ScaledValue(int raw, const Scaling& scaling) {
    if (!scaling.IsDefined()) {
        return 0.0F;
    }
    return static_cast<float>((static_cast<double>(raw) + static_cast<double>(scaling.offset)) *
                              static_cast<double>(scaling.factor));
}

QString WithDecimalSeparator(const QString& textWithPoint, const QString& decimalSeparator) {
    if (decimalSeparator.isEmpty() || decimalSeparator == QLatin1String(".")) {
        return textWithPoint;
    }
    QString text = textWithPoint;
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

QString ValueText(int raw, const Scaling& scaling, const QString& formatText,
                  const QString& decimalSeparator) {
    if (!scaling.IsDefined()) {
        return UnknownValueText;
    }
    const float displayed = ScaledValue(raw, scaling);
    return WithDecimalSeparator(FormatWithPoint(static_cast<double>(displayed), formatText),
                                decimalSeparator);
}

float PermilleOfRaw(int raw, const Scaling& scaling) {
    if (scaling.divisor == 0.0F) {
        return 0.0F;
    }
    return static_cast<float>(raw) / scaling.divisor;
}

qint16 RawFromNumber(double number, const Scaling& scaling) {
    if (!scaling.IsDefined()) {
        throw NoScalingError();
    }
    return ToRaw(number / static_cast<double>(scaling.factor) - static_cast<double>(scaling.offset));
}

qint16 RawFromPermille(float permille, const Scaling& scaling) {
    if (!scaling.IsDefined()) {
        throw NoScalingError();
    }
    return ToRaw(static_cast<double>(permille * scaling.divisor));
}

double RoundHalfToEven(double value) {
    const double rounded = std::round(value);
    if (std::abs(value - rounded) == 0.5) {
        return 2.0 * std::round(value / 2.0);
    }
    return rounded;
}

}  // namespace qt27
