#include "PropertyBag.h"

#include <QtEndian>

#include "rmox/Error.h"

namespace rmox {

namespace {

const QByteArray kMagic = QByteArrayLiteral("RPB");

Error bagError(const QString& text) {
    return Error(Error::InvalidArgument, QStringLiteral("Property bag: ") + text);
}

// What the bag holds under each type letter.
char typeOf(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::QString:
            return 'S';
        case QMetaType::Int:
            return 'I';
        case QMetaType::QDate:
            return 'D';
        default:
            return value.metaType() == QMetaType::fromType<PropertyBag>() ? 'O' : '\0';
    }
}

void appendNumber(QByteArray& out, quint32 value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

void appendBlock(QByteArray& out, const QByteArray& block) {
    appendNumber(out, static_cast<quint32>(block.size()), 4);
    out.append(block);
}

/// Reads the contents front to back; every read checks that the bytes are there.
class Cursor {
public:
    explicit Cursor(const QByteArray& bytes) : m_bytes(bytes) {}

    quint32 number(int bytes) {
        need(bytes);
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = (value << 8) | static_cast<quint8>(m_bytes[m_position++]);
        }
        return value;
    }
    QByteArray take(qint64 length) {
        need(length);
        const QByteArray part = m_bytes.mid(m_position, static_cast<qsizetype>(length));
        m_position += static_cast<qsizetype>(length);
        return part;
    }
    QByteArray block() { return take(number(4)); }
    bool atEnd() const { return m_position == m_bytes.size(); }
    qsizetype position() const { return m_position; }

private:
    void need(qint64 length) const {
        if (length > m_bytes.size() - m_position) {
            throw bagError(QStringLiteral("cut short at byte %1").arg(m_position));
        }
    }
    const QByteArray& m_bytes;
    qsizetype m_position = 0;
};

}  // namespace

void PropertyBag::WriteProperty(const QString& name, const QVariant& value) {
    if (name.toUtf8().size() > 255) {
        throw bagError(QStringLiteral("the name \"%1\" is longer than 255 bytes").arg(name.left(20)));
    }
    if (typeOf(value) == '\0') {
        throw bagError(QStringLiteral("\"%1\" cannot hold a value of type %2").arg(name, value.typeName()));
    }
    for (auto& entry : m_values) {
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    }
    m_values.append({name, value});
}

void PropertyBag::WriteObject(const QString& name, const PropertyBag& object) {
    WriteProperty(name, QVariant::fromValue(object));
}

QVariant PropertyBag::ReadProperty(const QString& name) const {
    for (const auto& entry : m_values) {
        if (entry.first == name) {
            return entry.second;
        }
    }
    throw bagError(QStringLiteral("no property \"%1\"").arg(name));
}

PropertyBag PropertyBag::ReadObject(const QString& name) const {
    const QVariant value = ReadProperty(name);
    if (typeOf(value) != 'O') {
        throw bagError(QStringLiteral("\"%1\" holds no object").arg(name));
    }
    return value.value<PropertyBag>();
}

bool PropertyBag::Contains(const QString& name) const {
    for (const auto& entry : m_values) {
        if (entry.first == name) {
            return true;
        }
    }
    return false;
}

QByteArray PropertyBag::Contents() const {
    QByteArray out = kMagic;
    out.append(kFormatVersion);
    appendNumber(out, static_cast<quint32>(m_values.size()), 2);
    for (const auto& [name, value] : m_values) {
        const QByteArray utf8 = name.toUtf8();
        out.append(static_cast<char>(utf8.size()));
        out.append(utf8);
        const char type = typeOf(value);
        out.append(type);
        if (type == 'S') {
            appendBlock(out, value.toString().toUtf8());
        } else if (type == 'I') {
            appendNumber(out, static_cast<quint32>(value.toInt()), 4);
        } else if (type == 'D') {
            const QDate date = value.toDate();
            const bool known = date.isValid() && date.year() >= 1 && date.year() <= 0xFFFF;
            appendNumber(out, known ? static_cast<quint32>(date.year()) : 0, 2);
            out.append(static_cast<char>(known ? date.month() : 0));
            out.append(static_cast<char>(known ? date.day() : 0));
        } else {
            appendBlock(out, value.value<PropertyBag>().Contents());
        }
    }
    return out;
}

void PropertyBag::SetContents(const QByteArray& contents) {
    Cursor cursor(contents);
    if (cursor.take(kMagic.size()) != kMagic) {
        throw bagError(QStringLiteral("no property bag header"));
    }
    const quint32 version = cursor.number(1);
    if (version != static_cast<quint32>(kFormatVersion)) {
        throw bagError(QStringLiteral("unknown format version %1").arg(version));
    }
    PropertyBag read;
    const quint32 count = cursor.number(2);
    for (quint32 index = 0; index < count; ++index) {
        const QString name = QString::fromUtf8(cursor.take(cursor.number(1)));
        if (read.Contains(name)) {
            throw bagError(QStringLiteral("\"%1\" stands twice").arg(name));
        }
        const char type = static_cast<char>(cursor.number(1));
        QVariant value;
        if (type == 'S') {
            value = QString::fromUtf8(cursor.block());
        } else if (type == 'I') {
            value = static_cast<int>(cursor.number(4));
        } else if (type == 'D') {
            const int year = static_cast<int>(cursor.number(2));
            const int month = static_cast<int>(cursor.number(1));
            const int day = static_cast<int>(cursor.number(1));
            const QDate date(year, month, day);
            if (!date.isValid() && (year | month | day) != 0) {
                throw bagError(QStringLiteral("\"%1\" holds no date").arg(name));
            }
            value = date;
        } else if (type == 'O') {
            PropertyBag object;
            object.SetContents(cursor.block());
            value = QVariant::fromValue(object);
        } else {
            throw bagError(
                QStringLiteral("unknown type of \"%1\" at byte %2").arg(name).arg(cursor.position() - 1));
        }
        read.m_values.append({name, value});
    }
    if (!cursor.atEnd()) {
        throw bagError(QStringLiteral("%1 bytes left over").arg(contents.size() - cursor.position()));
    }
    m_values = std::move(read.m_values);
}

}  // namespace rmox
