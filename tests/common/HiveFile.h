#pragma once

// Hive files for the registry tests: the text of a .reg export in the encodings and
// line ends that regedit and hand editing produce.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace commontest {

enum class HiveEncoding { Utf16LeBom, Utf8Bom, Utf8 };

/// @p text uses "\n" line ends; @p crlf turns them into CR LF.
inline QByteArray EncodeHive(QString text, HiveEncoding encoding, bool crlf) {
    if (crlf) {
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    }
    switch (encoding) {
        case HiveEncoding::Utf16LeBom: {
            QByteArray bytes("\xFF\xFE", 2);
            for (const QChar c : text) {
                bytes.append(static_cast<char>(c.unicode() & 0xFF));
                bytes.append(static_cast<char>(c.unicode() >> 8));
            }
            return bytes;
        }
        case HiveEncoding::Utf8Bom:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case HiveEncoding::Utf8:
            return text.toUtf8();
    }
    return {};
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// A Version 5.00 export of the debug switches' key holding @p values (lines).
inline QString DebugKeyHive(const QString& values) {
    return QStringLiteral(
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n") +
           values + QStringLiteral("\n");
}

}  // namespace commontest
