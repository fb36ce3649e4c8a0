#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace rmox {

/// Named values in the order they were written, and their contents as one byte array
/// that reads back into the same bag. Values are texts, whole numbers, dates (a null
/// date included) and nested bags (an object written with its own properties).
///
/// Contents: "RPB" and the format version 1, the number of entries (2 bytes), then per
/// entry the name (1 byte length, UTF-8), a type letter and the value: 'S' text (4 byte
/// length, UTF-8), 'I' 32-bit integer, 'D' date (year 2 bytes, month, day; 0 0 0 none),
/// 'O' nested bag (4 byte length, its contents). Numbers high byte first. The same
/// writes in the same order always give the same bytes.
class PropertyBag {
public:
    static constexpr char kFormatVersion = 1;

    /// Adds @p name, or replaces its value where it stands. Raises rmox::Error for a
    /// name longer than 255 UTF-8 bytes or a value of another type.
    void WriteProperty(const QString& name, const QVariant& value);
    /// Writes @p object under @p name as a nested bag.
    void WriteObject(const QString& name, const PropertyBag& object);
    /// The value under @p name; raises rmox::Error when there is none.
    QVariant ReadProperty(const QString& name) const;
    /// The nested bag under @p name; raises rmox::Error when there is none or the value
    /// is no bag.
    PropertyBag ReadObject(const QString& name) const;
    bool Contains(const QString& name) const;

    QByteArray Contents() const;
    /// Replaces the bag by what @p contents hold; raises rmox::Error naming the problem
    /// (wrong header, unknown version or type, cut short, bytes left over) and leaves the
    /// bag as it was then.
    void SetContents(const QByteArray& contents);

private:
    QList<QPair<QString, QVariant>> m_values;
};

}  // namespace rmox
