#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

namespace qt27 {

/// Scaling of a channel's raw value (millivolts on voltage ranges, microamperes on
/// current ranges) into the unit the user picked, and the gauge settings that go
/// with each unit. The channel value display and the force-value editor both use
/// these tables, so a raw value reads the same on both pages.
///
/// A combination is named by module type (37 or 54), unit entry (0 percent of the
/// measuring range, 1 the physical unit) and range index (0 to 3). Any other
/// combination has no scaling: its divisor and factor are 0 and every function
/// here refuses it instead of dividing by zero.

/// Module type codes that have scaling tables.
constexpr int ModuleType37 = 37;
constexpr int ModuleType54 = 54;

/// Entries of the unit list.
constexpr int UnitEntryPercent = 0;
constexpr int UnitEntryPhysical = 1;

/// The text shown for a value that cannot be scaled.
inline const QString UnknownValueText = QStringLiteral("-/-");

/// One zone of the gauge, in permille of the gauge span.
struct GaugeZone {
    float start = 0.0F;  ///< where the zone begins
    float end = 0.0F;    ///< where the zone ends
};

/// What the unit configuration sets for one combination.
struct UnitConfiguration {
    /// False when the combination has no configuration; nothing is then changed.
    bool valid = false;
    /// Number format of the value text: "0.0" (percent) or "0.000" (physical unit).
    QString formatText;
    double scaleStep = 0.0;  ///< the distance between two scale marks, in the unit shown
    double scaleMin = 0.0;   ///< the scale's lower end, in the unit shown
    double scaleMax = 0.0;   ///< the scale's upper end, in the unit shown
    /// The gauge's second scale setting.
    int scaleDivisions = 5;
    /// The text of unit entry 1: the physical unit of the range.
    QString physicalUnit;
    /// Zone 0 the measuring range (green), zone 1 the overrange (red), zone 2 the
    /// range below a live zero (red, empty on zero-based ranges).
    std::array<GaugeZone, 3> zones{};
};

/// Divisor, factor and offset of one combination, all single precision.
/// Displayed value = (raw + offset) * factor; gauge position = raw / divisor.
struct Scaling {
    float divisor = 0.0F;  ///< raw value of the gauge's full span
    float factor = 0.0F;   ///< from raw value (+ offset) to the unit shown
    float offset = 0.0F;   ///< added to the raw value before the factor (a live zero)

    /// False for a combination without scaling (divisor or factor 0).
    bool IsDefined() const { return divisor != 0.0F && factor != 0.0F; }
};

/// True for the ranges with a live zero ("2..10 V", "4..20 mA", "1..5 V").
bool HasLiveZero(int range);

/// The physical unit of a range: "mA" for ranges 2 and 3 of type 37, "V" for the
/// other ranges of both types; empty for an unknown type or range.
QString PhysicalUnitOfRange(int moduleType, int range);

UnitConfiguration UnitConfigurationFor(int moduleType, int unitEntry, int range);

Scaling ScalingFor(int moduleType, int unitEntry, int range);

/// (raw + offset) * factor, rounded to single precision. 0 without scaling.
float ScaledValue(int raw, const Scaling& scaling);

/// The value text of a raw value: the scaled value formatted with @p formatText
/// and a point, the point then replaced by @p decimalSeparator unless that is "."
/// or empty. "-/-" without scaling.
QString ValueText(int raw, const Scaling& scaling, const QString& formatText,
                  const QString& decimalSeparator);

/// @p textWithPoint with every "." replaced by @p decimalSeparator, unless that is
/// "." or empty.
QString WithDecimalSeparator(const QString& textWithPoint, const QString& decimalSeparator);

/// The gauge position of a raw value in permille: raw / divisor in single
/// precision. 0 without scaling.
float PermilleOfRaw(int raw, const Scaling& scaling);

/// The raw value of a number in the unit shown: (number / factor) - offset,
/// rounded to the nearest integer with halves to the even one.
/// Raises rmox::Error 6 (overflow) when the result lies outside -32768 to 32767 or
/// the number is not finite, and rmox::Error 5 without scaling.
qint16 RawFromNumber(double number, const Scaling& scaling);

/// The raw value of a gauge position in permille: permille * divisor, rounded to
/// the nearest integer with halves to the even one. Raises rmox::Error 6 when the
/// result does not fit 16 bits and rmox::Error 5 without scaling.
qint16 RawFromPermille(float permille, const Scaling& scaling);

/// Rounds to the nearest integer, halves to the even integer (2.5 -> 2, 3.5 -> 4).
double RoundHalfToEven(double value);

}  // namespace qt27
