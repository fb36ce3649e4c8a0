#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

namespace rmox {

class PropertyBag;

/// The production data of a module: decoded from its production-data telegram, and
/// persisted into a property bag and back.
///
/// The telegram has 33 bytes: charge code (bytes 0..9), serial number (10..21),
/// software revision (22..25) and hardware revision (26..29) in printable ASCII padded
/// with blanks, then the date of the last refresh as year - 2000, month and day; three
/// zero bytes mean no date. Trailing blanks (and zero bytes) of a field are dropped.
///
/// Persisted form: the properties "FormatVersion" (1), "ChargeCode", "SerialNumber",
/// "SoftwareRevision", "HardwareRevision" and "DateOfLastRefresh". A form written by a
/// later version is read as long as it carries these names.
class QsData {
public:
    static constexpr int kTelegramSize = 33;
    static constexpr int kFormatVersion = 1;

    /// Fills the properties from @p telegram. Raises rmox::Error (InvalidArgument) that
    /// says why when the telegram cannot be decoded: another length, a byte that is no
    /// printable ASCII inside a text field, a date that does not exist. The properties
    /// are left as they were then.
    void Decode(const QByteArray& telegram);

    void WriteProperties(PropertyBag& bag) const;
    /// Raises rmox::Error when a property is missing, of another type, or the format
    /// version is not 1 or later.
    void ReadProperties(const PropertyBag& bag);

    QString ChargeCode;
    QString SerialNumber;
    QString SoftwareRevision;
    QString HardwareRevision;
    /// Null when the module reports no date.
    QDate DateOfLastRefresh;
};

}  // namespace rmox
