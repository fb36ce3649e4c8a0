#pragma once

#include <QString>

class QDateTime;
class QLocale;

namespace qt27 {

/// The debug log: a trace with two independent sinks, a text file (normally
/// "rimox.log" in the folder named by TEMP) and the debugger output (standard
/// error where the platform has no debugger channel). Which sinks are on is read
/// from the registry by ReadDebugSettings and shared by every page of the process.
namespace DebugHelper {

/// The library's title, written into every record.
inline const QString kTitle = QStringLiteral("QT27Controls");
/// The default log file name.
inline const QString kLogFileName = QStringLiteral("rimox.log");
/// Registry key (under HKEY_LOCAL_MACHINE) of the two switches.
inline const QString kRegistryKey = QStringLiteral("SOFTWARE\\Omvex\\DTM rimox-DP");

bool DebugToFile();
bool DebugToDebugger();
void setDebugToFile(bool on);
void setDebugToDebugger(bool on);

/// "<date>, <time>" at the head of a file record: @p when in the short date format
/// of @p locale and its time format with seconds, without time zone.
QString RecordTimestamp(const QLocale& locale, const QDateTime& when);

}  // namespace DebugHelper

/// Mode 0 reads "Debug" and "DebugFile" from the registry; 1 debugger only;
/// 2 both sinks; any other mode switches both off.
void ReadDebugSettings(qint16 mode);

/// Writes one trace record. @p logFile is the caller's variable: "rimox.log" is
/// rewritten in place to the full path in TEMP while the file sink is on; with TEMP
/// unset or empty, in the system's temporary folder (not the root folder).
/// @p errorLine, when nonzero, is appended to each debugger string as "Line: n".
void WriteDebugLog(const QString& source, const QString& message, QString& logFile, long errorLine = 0);

/// WriteDebugLog with a fresh copy of "rimox.log", as the pages call it.
void WriteDebugLog(const QString& source, const QString& message);

}  // namespace qt27
