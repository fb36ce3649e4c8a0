#include "FileTests.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qt27 {

void AppendTextLine(const QString& path, const QString& text, bool append, bool createIfMissing) {
    if (path.isEmpty() || (!createIfMissing && !FileExists(path))) {
        return;
    }
    const QByteArray line = text.toLocal8Bit() + QByteArrayLiteral("\r\n");
    if (append) {
        // One open-write-close per line, so that other writers and readers of the
        // same file see whole lines.
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write(line);
            file.close();
        }
        return;
    }
    // A rewritten file either holds the new line or keeps its old contents.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(line);
        file.commit();
    }
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

}  // namespace qt27
