#include "NumberFunctions.h"

#include <QLocale>
#include <cmath>
#include <charconv>
#include <string>

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

double LeadingNumber(const QString& text) {
    // Collect the characters that continue a number, blanks left out.
    std::string number;
    bool digits = false, point = false, exponent = false, exponentDigits = false;
    for (const QChar c : text) {
        const char last = number.empty() ? '\0' : number.back();
        if (c == u' ' || c == u'\t') {
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            (exponent ? exponentDigits : digits) = true;
        } else if ((c == u'+' || c == u'-') && (number.empty() || last == 'e')) {
        } else if (c == u'.' && !point && !exponent) {
            point = true;
        } else if ((c == u'e' || c == u'E') && digits && !exponent) {
            exponent = true;
            number += 'e';
            continue;
        } else {
            break;
        }
        number += static_cast<char>(c.unicode());
    }
    if (!digits) {
        return 0.0;
    }
    if (exponent && !exponentDigits) {
        // "1e" and "1e-" read as 1: the exponent never started.
        number.erase(number.find('e'));
    }
    // from_chars reads with a point whatever the locale; a leading "+" it does not take.
    const char* first = number.c_str() + (number.front() == '+' ? 1 : 0);
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, number.c_str() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large: infinity; too small: zero.
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? 0.0 : (number.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    return value;
}

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
