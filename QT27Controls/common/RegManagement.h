#pragma once

#include <QString>
#include <QVariant>

namespace qt27 {

/// Reads a value under HKEY_LOCAL_MACHINE\keyPath (\subKey when not empty).
///
/// REG_SZ: the text (a value that does not fit 256 bytes counts as a failed read);
/// REG_DWORD: the 32-bit integer (QVariant of int); any other type: an empty
/// (invalid) QVariant; a key that cannot be opened or a value that cannot be read:
/// the 16-bit integer 0 (QVariant of qint16).
///
/// On Windows this is the registry itself. Elsewhere it is a hive file in the
/// text format that regedit exports (UTF-16LE with BOM or UTF-8, CR LF or LF),
/// named by the environment variable RIMOX_REGISTRY, by default
/// /etc/rimox/registry.reg. A file that cannot be read (a folder, not a registry
/// file, larger than 4 MiB, or missing although RIMOX_REGISTRY names it) reads as
/// an empty registry and is named on standard error once per process, so a user
/// who set up the debug switches learns why they have no effect. The file's parsed
/// content is kept for the process and read again when the file changes on disk
/// (another size, inode or modification or change time; a file changed moments ago
/// is compared byte for byte), so a switch changed in the file takes effect for the
/// next page.
QVariant QueryRegistryValue(const QString& subKey, const QString& valueName, const QString& keyPath);

/// The hive file that QueryRegistryValue reads where there is no Windows registry.
QString RegistryHivePath();

}  // namespace qt27
