#pragma once

// Hive files as regedit and hand editing write them: a .reg export in its encodings and line ends.

#include <QFile>
#include <QStringEncoder>

namespace commontest {

enum class HiveEncoding { Utf16LeBom, Utf8Bom, Utf8 };

/// @p text uses "\n" line ends; @p crlf turns them into CR LF.
inline QByteArray EncodeHive(QString text, HiveEncoding encoding, bool crlf) {
    if (crlf) {
        text.replace("\n", "\r\n");
    }
    if (encoding == HiveEncoding::Utf16LeBom) {
        QStringEncoder utf16(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(utf16(text));
    }
    return (encoding == HiveEncoding::Utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// A Version 5.00 export of the debug switches' key holding @p values (lines).
inline QString DebugKeyHive(const QString& values) {
    return "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Omvex\\DTM rimox-DP]\n" +
           values + "\n";
}

}  // namespace commontest
