#include "NumberFunctions.h"

#include <QLocale>
#include <cmath>

#include "rmox/Error.h"

namespace qt27 {

namespace {

/// Number of digit positions ("0") after the point of a pattern such as "0.000".
int DecimalsOf(const QString& format) {
    const qsizetype point = format.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(format.mid(point + 1).count(u'0'));
}

[[noreturn]] void RaiseSubscriptOutOfRange() {
    throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

}  // namespace

QString FormatWithPoint(double value, const QString& format) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const int decimals = DecimalsOf(format);
    QString text = locale.toString(value, 'f', decimals);
    if (std::signbit(value)) {
        // A negative value that rounds to zero is shown as zero, without a sign.
        const QString zero = locale.toString(0.0, 'f', decimals);
        if (locale.toString(-value, 'f', decimals) == zero) {
            text = zero;
        }
    }
    return text.replace(u',', u'.');
}

void IntegerToBytes(qint16 value, QByteArray& array, qint16 index, bool highByteFirst) {
    const int first = index;
    if (first + 1 > 32767) {
        throw rmox::Error(rmox::Error::Overflow, QStringLiteral("Overflow"));
    }
    if (first < 0 || first + 1 >= array.size()) {
        RaiseSubscriptOutOfRange();
    }
    const auto bits = static_cast<quint16>(value);
    const auto low = static_cast<char>(bits & 0xFF);
    const auto high = static_cast<char>(bits >> 8);
    array[first] = highByteFirst ? high : low;
    array[first + 1] = highByteFirst ? low : high;
}

void BytesToInteger(const QByteArray& array, qint16& value, quint8 index, bool highByteFirst) {
    const int first = index;
    if (first + 1 >= array.size()) {
        RaiseSubscriptOutOfRange();
    }
    const auto a = static_cast<quint8>(array.at(first));
    const auto b = static_cast<quint8>(array.at(first + 1));
    const quint8 high = highByteFirst ? a : b;
    const quint8 low = highByteFirst ? b : a;
    value = static_cast<qint16>(static_cast<quint16>(high * 256 + low));
}

}  // namespace qt27
