#include "QsData.h"

#include "rmox/Error.h"
#include "rmox/QsData/PropertyBag.h"

namespace rmox {

namespace {

struct Field {
    int offset;
    int length;
    const char* name;
};
constexpr Field kFields[] = {{0, 10, "charge code"},
                             {10, 12, "serial number"},
                             {22, 4, "software revision"},
                             {26, 4, "hardware revision"}};
constexpr int kDateOffset = 30;

Error decodeError(const QString& text) {
    return Error(Error::InvalidArgument, QStringLiteral("Production data: ") + text);
}

QString field(const QByteArray& telegram, const Field& field) {
    QByteArray bytes = telegram.mid(field.offset, field.length);
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\0')) {
        bytes.chop(1);
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<quint8>(bytes[i]);
        if (byte < 0x20 || byte > 0x7E) {
            throw decodeError(
                QStringLiteral("byte %1 of the %2 is 0x%3, not a printable character")
                    .arg(field.offset + i)
                    .arg(QLatin1String(field.name))
                    .arg(QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
        }
    }
    return QString::fromLatin1(bytes);
}

}  // namespace

void QsData::Decode(const QByteArray& telegram) {
    if (telegram.size() != kTelegramSize) {
        throw decodeError(
            QStringLiteral("the telegram has %1 bytes, %2 expected").arg(telegram.size()).arg(kTelegramSize));
    }
    QString texts[4];
    for (int index = 0; index < 4; ++index) {
        texts[index] = field(telegram, kFields[index]);
    }
    const int year = static_cast<quint8>(telegram[kDateOffset]);
    const int month = static_cast<quint8>(telegram[kDateOffset + 1]);
    const int day = static_cast<quint8>(telegram[kDateOffset + 2]);
    QDate date;
    if ((year | month | day) != 0) {
        date = QDate(2000 + year, month, day);
        if (!date.isValid()) {
            throw decodeError(
                QStringLiteral("the date of the last refresh (year %1, month %2, day %3) does not exist")
                    .arg(2000 + year)
                    .arg(month)
                    .arg(day));
        }
    }
    ChargeCode = texts[0];
    SerialNumber = texts[1];
    SoftwareRevision = texts[2];
    HardwareRevision = texts[3];
    DateOfLastRefresh = date;
}

void QsData::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("FormatVersion"), kFormatVersion);
    bag.WriteProperty(QStringLiteral("ChargeCode"), ChargeCode);
    bag.WriteProperty(QStringLiteral("SerialNumber"), SerialNumber);
    bag.WriteProperty(QStringLiteral("SoftwareRevision"), SoftwareRevision);
    bag.WriteProperty(QStringLiteral("HardwareRevision"), HardwareRevision);
    bag.WriteProperty(QStringLiteral("DateOfLastRefresh"), DateOfLastRefresh);
}

void QsData::ReadProperties(const PropertyBag& bag) {
    const auto read = [&](const char* name, QMetaType::Type type) {
        const QVariant value = bag.ReadProperty(QLatin1String(name));
        if (value.metaType().id() != type) {
            throw Error(Error::TypeMismatch, QStringLiteral("Production data: \"%1\" is of type %2")
                                                 .arg(QLatin1String(name), value.typeName()));
        }
        return value;
    };
    const int version = read("FormatVersion", QMetaType::Int).toInt();
    if (version < kFormatVersion) {
        throw Error(Error::InvalidArgument,
                    QStringLiteral("Production data: unknown format version %1").arg(version));
    }
    QsData data;
    data.ChargeCode = read("ChargeCode", QMetaType::QString).toString();
    data.SerialNumber = read("SerialNumber", QMetaType::QString).toString();
    data.SoftwareRevision = read("SoftwareRevision", QMetaType::QString).toString();
    data.HardwareRevision = read("HardwareRevision", QMetaType::QString).toString();
    data.DateOfLastRefresh = read("DateOfLastRefresh", QMetaType::QDate).toDate();
    *this = data;
}

}  // namespace rmox
