#pragma once

#include <QString>

namespace qt27 {

/// Writes @p text followed by CR LF. With @p createIfMissing false and no file,
/// nothing is written. @p append false rewrites the file from empty. The file is
/// opened and closed for this one line; any error aborts silently.
void AppendTextLine(const QString& path, const QString& text, bool append, bool createIfMissing);

/// True when the file's length can be queried.
bool FileExists(const QString& path);

}  // namespace qt27
