#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace qt27 {

/// A registry hive read from the text that regedit exports
/// ("Windows Registry Editor Version 5.00" or "REGEDIT4"). Where there is no
/// Windows registry, such a file stands in for HKEY_LOCAL_MACHINE and the other roots.
///
/// Accepted: UTF-16LE with BOM, UTF-8 with or without BOM (an 8-bit file that is
/// not valid UTF-8 is read as Latin-1), CR LF or LF line ends, blank lines,
/// ";" comments, key sections "[ROOT\path]" (key paths and value names are
/// case-insensitive), key deletions "[-ROOT\path]", values "Name"="text" with \\ and \"
/// escapes, @= for the default value, dword:, hex:, hex(n): with continuation lines
/// ending in a backslash, and value deletions "Name"=-.
namespace RegistryHive {

/// Value types, numbered as the registry numbers them.
enum ValueType : quint32 {
    TypeNone = 0,
    TypeString = 1,
    TypeExpandString = 2,
    TypeBinary = 3,
    TypeDword = 4,
    TypeDwordBigEndian = 5,
    TypeLink = 6,
    TypeMultiString = 7,
    TypeQword = 11,
};

struct Value {
    /// As spelt in the file; empty for the default value (@).
    QString name;
    quint32 type = TypeNone;
    /// The data as the registry keeps it: texts (string types) in UTF-16LE with their
    /// terminating zero, a DWORD as four bytes low byte first, hex data byte for byte.
    QByteArray data;
};

struct Key {
    /// Full path as spelt in the file, root included ("HKEY_LOCAL_MACHINE\SOFTWARE").
    QString path;
    /// By case-folded value name.
    QHash<QString, Value> values;
};

struct Hive {
    /// False when the text is not a registry file (no header line).
    bool valid = false;
    /// Why the hive is not valid.
    QString error;
    /// One entry per skipped line: "line <n>: <reason>".
    QStringList warnings;
    /// By case-folded path. The parents of every key exist as keys too.
    QHash<QString, Key> keys;

    /// The key at @p path (root included), or nullptr.
    const Key* key(const QString& path) const;
    /// The value @p name ("" for the default value) of the key at @p keyPath, or nullptr.
    const Value* value(const QString& keyPath, const QString& name) const;
};

/// Reads a hive from the bytes of a file. Never fails: malformed lines are skipped
/// and listed in Hive::warnings; a text without header gives an invalid, empty hive.
Hive Parse(const QByteArray& bytes);

/// @p data (UTF-16LE, as the registry keeps texts) as a text, zero characters included.
QString Utf16Text(const QByteArray& data);

/// The text of a string-typed value up to its first zero character; a null
/// QString for the other types.
QString ValueText(const Value& value);

}  // namespace RegistryHive
}  // namespace qt27
