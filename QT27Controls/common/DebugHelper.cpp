#include "DebugHelper.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QStringList>
#include <QVariant>
#include <cstdio>

#include "FileTests.h"
#include "RegManagement.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace qt27 {

namespace {

// The two switches, shared by every page of the process. All pages run on the
// host's user-interface thread.
bool g_debugToFile = false;
bool g_debugToDebugger = false;

/// @p format without its time-zone fields (unquoted runs of "t") and the blanks
/// that separated them from the rest.
QString WithoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c == u't') {
            while (i + 1 < format.size() && format.at(i + 1) == u't') {
                ++i;
            }
            while (result.endsWith(u' ')) {
                result.chop(1);
            }
            continue;
        }
        result.append(c);
    }
    return result.trimmed();
}

/// Does @p variant, as the registry answered it, equal @p number? Texts holding a
/// number compare by that number.
bool RegistryValueIs(const QVariant& variant, int number) {
    switch (variant.typeId()) {
        case QMetaType::Int:
        case QMetaType::Short:
            return variant.toInt() == number;
        case QMetaType::QString: {
            bool ok = false;
            const double value = QLocale::c().toDouble(variant.toString().trimmed(), &ok);
            return ok && value == number;
        }
        default:
            return false;
    }
}

void SendToDebugger(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
#ifdef Q_OS_WIN
    OutputDebugStringA(bytes.constData());
#else
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
#endif
}

/// The message cut at each CR LF; a trailing CR LF gives no empty piece, an empty
/// message one empty piece.
QStringList DebuggerPieces(const QString& message) {
    QStringList pieces = message.split(QStringLiteral("\r\n"));
    if (pieces.size() > 1 && pieces.last().isEmpty()) {
        pieces.removeLast();
    }
    return pieces;
}

}  // namespace

namespace DebugHelper {

bool DebugToFile() {
    return g_debugToFile;
}

bool DebugToDebugger() {
    return g_debugToDebugger;
}

void setDebugToFile(bool on) {
    g_debugToFile = on;
}

void setDebugToDebugger(bool on) {
    g_debugToDebugger = on;
}

QString RecordTimestamp(const QLocale& locale, const QDateTime& when) {
    return locale.toString(when.date(), QLocale::ShortFormat) + QStringLiteral(", ") +
           locale.toString(when.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

}  // namespace DebugHelper

void ReadDebugSettings(qint16 mode) {
    switch (mode) {
        case 0: {
            const QVariant debug =
                QueryRegistryValue(QString(), QStringLiteral("Debug"), DebugHelper::kRegistryKey);
            if (RegistryValueIs(debug, 1)) {
                g_debugToDebugger = true;
            } else if (RegistryValueIs(debug, 2)) {
                g_debugToDebugger = false;
            } else if (RegistryValueIs(debug, 3)) {
                g_debugToDebugger = true;
            } else {
                g_debugToDebugger = false;
            }
            const QVariant debugFile =
                QueryRegistryValue(QString(), QStringLiteral("DebugFile"), DebugHelper::kRegistryKey);
            g_debugToFile = RegistryValueIs(debugFile, 1);
            break;
        }
        case 1:
            g_debugToDebugger = true;
            g_debugToFile = false;
            break;
        case 2:
            g_debugToDebugger = true;
            g_debugToFile = true;
            break;
        default:
            g_debugToDebugger = false;
            g_debugToFile = false;
            break;
    }
}

void WriteDebugLog(const QString& source, const QString& message, QString& logFile, long errorLine) {
    if (g_debugToFile && logFile == DebugHelper::kLogFileName) {
        const QString separator = QDir::separator();
        // Without TEMP the file would land in the root folder; the system's
        // temporary folder is where a user looks for it.
        QString folder = qEnvironmentVariable("TEMP");
        if (folder.isEmpty()) {
            folder = QDir::toNativeSeparators(QDir::tempPath());
        }
        if (!folder.endsWith(separator)) {
            folder += separator;
        }
        logFile = folder + DebugHelper::kLogFileName;
    }
    if (g_debugToFile) {
        const QString record = DebugHelper::RecordTimestamp(QLocale::system(), QDateTime::currentDateTime()) +
                               QStringLiteral(": ") + DebugHelper::kTitle + QStringLiteral("::") + source +
                               QStringLiteral(": ") + message;
        AppendTextLine(logFile, record, true, true);
    }
    if (g_debugToDebugger) {
        const QString head = QStringLiteral("rimox::") + DebugHelper::kTitle + QStringLiteral("::") + source +
                             QStringLiteral(": ");
        const QString tail =
            errorLine != 0 ? QStringLiteral("Line: ") + QString::number(errorLine) : QString();
        for (const QString& piece : DebuggerPieces(message)) {
            SendToDebugger(head + piece + tail);
        }
    }
}

void WriteDebugLog(const QString& source, const QString& message) {
    QString logFile = DebugHelper::kLogFileName;
    WriteDebugLog(source, message, logFile);
}

}  // namespace qt27
