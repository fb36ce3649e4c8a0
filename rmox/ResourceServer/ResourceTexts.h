#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace rmox {

/// A resource text file larger than this is read only up to here (1 MiB; the
/// library's files hold a few hundred lines).
constexpr qint64 kMaximumTextFileSize = 1024 * 1024;

/// Parses the content of a resource text file (`strings.<language>.txt`): UTF-8
/// lines `id=text` with LF or CR LF ends; blank lines, lines starting with `#` and
/// lines whose id is not a whole number are skipped; in the text `\n`, `\r`, `\t`
/// and `\\` are escapes, any other backslash stays as it is. A later line with the
/// same id wins.
QHash<int, QString> ParseResourceTexts(const QByteArray& content);

}  // namespace rmox
