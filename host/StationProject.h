#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "host/LoopCheckRecord.h"

namespace host {

/// One QT27 module in a slot of the station, as the project file keeps it.
struct ModuleRecord {
    static constexpr int kChannelCount = 4;
    static constexpr int kDefaultStateValue = 6;

    int slot = 1;      ///< 1 and up; slot 0 is the station head
    QString typeCode;  ///< kept as text: "37", "54", or whatever the file says
    QString typeName;  ///< e.g. "QT27Ex 4AI"
    QString documentKey;
    int stateValue = kDefaultStateValue;
    QStringList channelTags = QStringList(kChannelCount, QString());  ///< always four, channel 1 first
    QByteArray parameters;                                            ///< one byte per channel and one more
    QString comment;
    QByteArray qsData;  ///< stored production data; empty when none
    QList<LoopCheckResult> loopChecks;  ///< the latest loop check of each checked channel
    DiagnosisRecord lastDiagnosis;      ///< the last diagnosis read from the module

    bool operator==(const ModuleRecord& other) const;
    bool operator!=(const ModuleRecord& other) const { return !(*this == other); }
};

/// The project file of one rimox station: its name, bus address and the QT27
/// modules in its slots. The file is XML:
///
/// ```xml
/// <Station name="Station 1" busAddress="12">
///   <Module slot="3" typeCode="37" typeName="QT27Ex 4AI" documentKey="..." stateValue="6">
///     <Channel number="1" tag="TI-101"/>  (one to four of them; missing tags are empty)
///     <Parameters byteArray="5C01268B00"/>
///     <Comment>free text</Comment>       (optional)
///     <QsData byteArray="..."/>          (optional)
///   </Module>
/// </Station>
/// ```
///
/// Reading is strict: anything the file holds must survive a save, so unknown
/// elements and attributes are refused rather than dropped.
class StationProject {
public:
    static constexpr int kDefaultBusAddress = 12;
    /// A project file larger than this is refused unread (16 MiB; a station of
    /// sixty-four modules takes a few dozen KiB).
    static constexpr qint64 kMaximumFileSize = 16 * 1024 * 1024;

    QString stationName;
    int busAddress = kDefaultBusAddress;
    QList<ModuleRecord> modules;  ///< in the order of the file

    bool operator==(const StationProject& other) const;
    bool operator!=(const StationProject& other) const { return !(*this == other); }

    /// The module in @p slot, or nullptr.
    const ModuleRecord* module(int slot) const;
    ModuleRecord* module(int slot);

    /// Reads the project file @p path. Raises rmox::Error with a message that names
    /// the file and the problem (missing file, a folder, larger than
    /// kMaximumFileSize, not well-formed with line and column, missing element or
    /// attribute, bad hexadecimal, duplicate slot, ...).
    /// @p content, when given, receives the bytes of the file.
    static StationProject load(const QString& path, QByteArray* content = nullptr);
    /// Parses @p content; @p fileName only names the file in error messages.
    static StationProject fromXml(const QByteArray& content, const QString& fileName);
    /// The file content. Raises rmox::Error when a text holds characters that XML
    /// cannot carry.
    QByteArray toXml() const;

    /// Writes the project to @p path atomically: either the whole new file is in
    /// place afterwards or the previous file is left as it was. Answers false and
    /// puts the reason, naming the file, into @p errorText when the write failed.
    /// A project that would not read back unchanged is not written. @p written,
    /// when given, receives the bytes written.
    bool save(const QString& path, QString* errorText = nullptr, QByteArray* written = nullptr) const;

    /// The station the frame starts with: modules of both type codes and all four
    /// device variants.
    static StationProject builtIn();
};

/// Where the station project lives by default: the user's data folder +
/// "/QT27Controls/station.xml".
QString defaultProjectPath();

/// Writes the built-in station to @p path when no file exists there (first run).
/// An existing file is never touched, readable or not. Answers false with the
/// reason in @p errorText when the file was missing and could not be written;
/// @p written tells whether the file was written now.
bool ensureBuiltInProject(const QString& path, QString* errorText = nullptr, bool* written = nullptr);

/// Removes the copies "<file name>.XXXXXX" (six letters or digits) beside @p path
/// that a save killed before it could put its file in place leaves behind, when
/// they are at least @p minimumAgeSeconds old (a younger one may belong to a save
/// that runs now). Answers the files removed.
QStringList removeLeftoverSaveFiles(const QString& path, qint64 minimumAgeSeconds = 60);

/// Removes the characters that an XML 1.0 document cannot carry (control
/// characters other than tab, line feed and carriage return, lone surrogates,
/// U+FFFE and U+FFFF).
QString xmlSafeText(const QString& text);

}  // namespace host
