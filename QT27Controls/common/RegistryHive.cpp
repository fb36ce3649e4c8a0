#include "RegistryHive.h"

#include <QStringDecoder>

namespace qt27::RegistryHive {

namespace {

const QString kHeaderUnicode = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeaderAnsi = QStringLiteral("REGEDIT4");

QString DecodeFileText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder(bytes.mid(2));
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder(body);
    if (!decoder.hasError()) {
        return text;
    }
    // An export of REGEDIT4 in a Western 8-bit code page.
    return QString::fromLatin1(body);
}

QByteArray Utf16LE(const QString& text) {
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        data.append(static_cast<char>(c.unicode() & 0xFF));
        data.append(static_cast<char>(c.unicode() >> 8));
    }
    return data;
}

bool IsStringType(quint32 type) {
    return type == TypeString || type == TypeExpandString || type == TypeMultiString;
}

bool IsKnownRoot(const QString& root) {
    static const QStringList roots = {
        QStringLiteral("HKEY_LOCAL_MACHINE"),  QStringLiteral("HKEY_CURRENT_USER"),
        QStringLiteral("HKEY_CLASSES_ROOT"),   QStringLiteral("HKEY_USERS"),
        QStringLiteral("HKEY_CURRENT_CONFIG"),
    };
    return roots.contains(root, Qt::CaseInsensitive);
}

/// Reads a quoted text starting at @p pos (on the opening quote). \\ and \" are
/// escapes; any other backslash stays as it is. Answers false when the closing quote
/// is missing; @p pos then ends behind the closing quote.
bool ReadQuoted(const QString& line, qsizetype& pos, QString& text) {
    ++pos;
    text.clear();
    while (pos < line.size()) {
        const QChar c = line.at(pos);
        if (c == u'\\' && pos + 1 < line.size() && (line.at(pos + 1) == u'\\' || line.at(pos + 1) == u'"')) {
            text.append(line.at(pos + 1));
            pos += 2;
        } else if (c == u'"') {
            ++pos;
            return true;
        } else {
            text.append(c);
            ++pos;
        }
    }
    return false;
}

void SkipBlanks(const QString& line, qsizetype& pos) {
    while (pos < line.size() && (line.at(pos) == u' ' || line.at(pos) == u'\t')) {
        ++pos;
    }
}

/// True when nothing but blanks or a comment follows @p pos.
bool OnlyCommentFollows(const QString& line, qsizetype pos) {
    SkipBlanks(line, pos);
    return pos >= line.size() || line.at(pos) == u';';
}

/// The text before a ";" comment, without surrounding blanks.
QString WithoutComment(const QString& text) {
    const qsizetype comment = text.indexOf(u';');
    return (comment < 0 ? text : text.left(comment)).trimmed();
}

bool ParseHexNumber(const QString& digits, int maxDigits, quint32& number) {
    if (digits.isEmpty() || digits.size() > maxDigits) {
        return false;
    }
    bool ok = false;
    number = digits.toUInt(&ok, 16);
    return ok;
}

bool ParseHexBytes(const QString& text, QByteArray& data) {
    const QString body = WithoutComment(text);
    if (body.isEmpty()) {
        return true;
    }
    const QStringList items = body.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString item = items.at(i).trimmed();
        if (item.isEmpty() && i == items.size() - 1) {
            break;  // a trailing comma
        }
        quint32 byte = 0;
        if (!ParseHexNumber(item, 2, byte)) {
            return false;
        }
        data.append(static_cast<char>(byte));
    }
    return true;
}

class Parser {
public:
    explicit Parser(const QByteArray& bytes) {
        m_lines = DecodeFileText(bytes).split(u'\n');
        for (QString& line : m_lines) {
            if (line.endsWith(u'\r')) {
                line.chop(1);
            }
        }
    }

    Hive run() {
        qsizetype index = 0;
        while (index < m_lines.size() && m_lines.at(index).trimmed().isEmpty()) {
            ++index;
        }
        const QString header = index < m_lines.size() ? m_lines.at(index).trimmed() : QString();
        if (header == kHeaderUnicode) {
            m_ansi = false;
        } else if (header == kHeaderAnsi) {
            m_ansi = true;
        } else {
            m_hive.error = QStringLiteral("Not a registry file: the first line is neither \"%1\" nor \"%2\"")
                               .arg(kHeaderUnicode, kHeaderAnsi);
            return std::move(m_hive);
        }
        m_hive.valid = true;
        for (m_index = index + 1; m_index < m_lines.size(); ++m_index) {
            const QString line = m_lines.at(m_index).trimmed();
            if (line.isEmpty() || line.startsWith(u';')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                section(line);
            } else if (line.startsWith(u'"') || line.startsWith(u'@')) {
                value(line);
            } else {
                warn(QStringLiteral("neither a key nor a value"));
            }
        }
        return std::move(m_hive);
    }

private:
    void warn(const QString& reason) {
        m_hive.warnings.append(QStringLiteral("line %1: %2").arg(m_index + 1).arg(reason));
    }

    void section(const QString& line) {
        m_current.clear();
        const qsizetype close = line.lastIndexOf(u']');
        if (close < 0) {
            warn(QStringLiteral("key without closing bracket"));
            return;
        }
        QString path = line.mid(1, close - 1).trimmed();
        const bool remove = path.startsWith(u'-');
        if (remove) {
            path = path.mid(1);
        }
        if (!IsKnownRoot(path.section(u'\\', 0, 0))) {
            warn(QStringLiteral("unknown root key"));
            return;
        }
        const QString folded = path.toCaseFolded();
        if (remove) {
            const QString below = folded + u'\\';
            m_hive.keys.removeIf([&](const QHash<QString, Key>::iterator& it) {
                return it.key() == folded || it.key().startsWith(below);
            });
            return;
        }
        // A key's parents exist as well, as in the registry.
        for (qsizetype at = path.indexOf(u'\\'); at >= 0; at = path.indexOf(u'\\', at + 1)) {
            addKey(path.left(at));
        }
        addKey(path);
        m_current = folded;
    }

    void addKey(const QString& path) {
        const QString folded = path.toCaseFolded();
        if (!m_hive.keys.contains(folded)) {
            m_hive.keys.insert(folded, Key{path, {}});
        }
    }

    void value(const QString& line) {
        qsizetype pos = 0;
        QString name;
        if (line.at(0) == u'@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, name)) {
            warn(QStringLiteral("value name without closing quote"));
            return;
        }
        SkipBlanks(line, pos);
        if (pos >= line.size() || line.at(pos) != u'=') {
            warn(QStringLiteral("value without \"=\""));
            return;
        }
        ++pos;
        SkipBlanks(line, pos);
        if (m_current.isEmpty()) {
            warn(QStringLiteral("value outside a key"));
            return;
        }
        Key& key = m_hive.keys[m_current];
        const QString folded = name.toCaseFolded();
        const QString rest = line.mid(pos);

        if (rest.startsWith(u'"')) {
            qsizetype textPos = 0;
            QString text;
            if (!ReadQuoted(rest, textPos, text)) {
                warn(QStringLiteral("text without closing quote"));
                return;
            }
            if (!OnlyCommentFollows(rest, textPos)) {
                warn(QStringLiteral("unexpected text after the value"));
                return;
            }
            key.values.insert(folded, Value{name, TypeString, Utf16LE(text) + QByteArray(2, '\0')});
            return;
        }
        if (WithoutComment(rest) == QStringLiteral("-")) {
            key.values.remove(folded);
            return;
        }
        if (rest.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            quint32 number = 0;
            if (!ParseHexNumber(WithoutComment(rest.mid(6)), 8, number)) {
                warn(QStringLiteral("dword value is not a hexadecimal number of up to eight digits"));
                return;
            }
            QByteArray data;
            for (int shift = 0; shift < 32; shift += 8) {
                data.append(static_cast<char>((number >> shift) & 0xFF));
            }
            key.values.insert(folded, Value{name, TypeDword, data});
            return;
        }
        if (rest.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
            hexValue(key, name, rest.mid(3));
            return;
        }
        warn(QStringLiteral("unknown value type"));
    }

    /// @p rest follows "hex": ":" or "(n):" and the bytes, continued on the next
    /// lines while a line ends in a backslash.
    void hexValue(Key& key, const QString& name, QString rest) {
        quint32 type = TypeBinary;
        if (rest.startsWith(u'(')) {
            const qsizetype close = rest.indexOf(u')');
            if (close < 0 || !ParseHexNumber(rest.mid(1, close - 1), 8, type)) {
                warn(QStringLiteral("hex value with an unreadable type"));
                return;
            }
            rest = rest.mid(close + 1);
        }
        if (!rest.startsWith(u':')) {
            warn(QStringLiteral("hex value without \":\""));
            return;
        }
        QString bytes = rest.mid(1).trimmed();
        while (bytes.endsWith(u'\\') && m_index + 1 < m_lines.size()) {
            bytes.chop(1);
            ++m_index;
            bytes += m_lines.at(m_index).trimmed();
        }
        QByteArray data;
        if (!ParseHexBytes(bytes, data)) {
            warn(QStringLiteral("hex value with bytes that are not two hexadecimal digits"));
            return;
        }
        if (m_ansi && IsStringType(type)) {
            // REGEDIT4 writes texts in the 8-bit code page; the registry keeps UTF-16.
            data = Utf16LE(QString::fromLocal8Bit(data));
        }
        key.values.insert(name.toCaseFolded(), Value{name, type, data});
    }

    QStringList m_lines;
    qsizetype m_index = 0;
    bool m_ansi = false;
    QString m_current;  // case-folded path of the key that takes values; empty: none
    Hive m_hive;
};

}  // namespace

const Key* Hive::key(const QString& path) const {
    const auto it = keys.constFind(path.toCaseFolded());
    return it == keys.cend() ? nullptr : &it.value();
}

const Value* Hive::value(const QString& keyPath, const QString& name) const {
    const Key* found = key(keyPath);
    if (found == nullptr) {
        return nullptr;
    }
    const auto it = found->values.constFind(name.toCaseFolded());
    return it == found->values.cend() ? nullptr : &it.value();
}

Hive Parse(const QByteArray& bytes) {
    return Parser(bytes).run();
}

QString Utf16Text(const QByteArray& data) {
    QString text(data.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        text[i] = QChar(static_cast<char16_t>(static_cast<quint8>(data.at(2 * i)) |
                                              (static_cast<quint8>(data.at(2 * i + 1)) << 8)));
    }
    return text;
}

QString ValueText(const Value& value) {
    if (!IsStringType(value.type)) {
        return QString();
    }
    const QString text = Utf16Text(value.data);
    const qsizetype end = text.indexOf(QChar(u'\0'));
    return end < 0 ? text : text.left(end);
}

}  // namespace qt27::RegistryHive
