#pragma once

#include <QByteArray>
#include <QString>

namespace qt27 {

/// Formats @p value with a numeric pattern such as "0.0" or "0.000" under the
/// current locale, then turns every "," into "." so the text always carries a point.
QString FormatWithPoint(double value, const QString& format);

/// The number at the start of @p text, read with "." as the decimal point: blanks are
/// skipped, a sign and an exponent ("e" or "E", with its own sign) are allowed, and
/// reading stops at the first character that cannot continue the number. A text
/// without a leading number gives 0; a number too large for a double gives infinity.
double LeadingNumber(const QString& text);

/// Writes the two bytes of @p value at @p index (high byte first when asked).
/// Raises rmox::Error 9 when index or index + 1 lies outside the array and
/// rmox::Error 6 when index + 1 exceeds 32767; the array is then unchanged.
void IntegerToBytes(qint16 value, QByteArray& array, qint16 index, bool highByteFirst);

/// Reads two bytes at @p index as a 16-bit two's-complement integer.
/// Raises rmox::Error 9 when index or index + 1 lies outside the array; @p value is
/// then unchanged.
void BytesToInteger(const QByteArray& array, qint16& value, quint8 index, bool highByteFirst);

}  // namespace qt27
