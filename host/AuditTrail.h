#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace host {

/// The audit trail of a station: every change the pages report, stored in an
/// SQLite database beside the project file (Qt SQL's SQLite driver).
///
/// Each entry carries the time (UTC), the system user name, the station, slot and
/// channel, a language-neutral code with its arguments, the hash of the entry
/// before it and a SHA-256 over all of that. An entry is appended inside an
/// IMMEDIATE transaction that reads the last hash, and committed before append()
/// answers, so two frames on one project keep one unbroken chain (they share the
/// write lock; a waiting writer retries for up to five seconds) and a change that
/// counts as done survives a killed process.
///
/// open() checks the whole chain. A changed entry, a removed entry, a broken link
/// or a file that is no trail gives a warning (warnings(), signal warning()). The
/// damaged part is kept as it is: nothing is ever rewritten or dropped. When the
/// damage is not yet marked, a break entry (code "trail.break", the findings as
/// arguments) is appended, and new entries continue after it. A file that is no
/// trail is left alone and the entries go to the first free or valid trail file
/// named after it with ".1", ".2", ...
class AuditTrail : public QObject {
    Q_OBJECT

public:
    struct Entry {
        qint64 sequence = 0;
        QDateTime timeUtc;
        QString user;
        QString station;
        int slot = 0;
        int channel = 0;
        QString code;
        QStringList arguments;
    };

    /// What entries() answers; an empty field selects everything.
    struct Filter {
        int slot = -1;
        int channel = -1;
        QDateTime from;
        QDateTime to;
    };

    /// A finding of the chain check: its kind ("changed", "removed", "broken",
    /// "removedAtEnd") and the first and last entry number it concerns.
    struct Finding {
        QString kind;
        qint64 first = 0;
        qint64 last = 0;
        bool marked = false;  ///< a break entry after it records it already
    };

    explicit AuditTrail(QObject* parent = nullptr);
    ~AuditTrail() override;

    /// The trail file of the project file @p projectPath.
    static QString pathBeside(const QString& projectPath);
    /// The login name of the user running the frame.
    static QString systemUserName();

    /// Opens (or creates) the trail at @p path for the station @p stationName and
    /// checks it. Answers false when no trail could be opened (warnings() tells why).
    bool open(const QString& path, const QString& stationName);
    void close();
    bool isOpen() const;
    /// The file the entries go to (differs from the path given when that file is no trail).
    QString path() const { return m_path; }
    void setStationName(const QString& stationName) { m_station = stationName; }
    /// The warnings of the last open() and of failed appends.
    QStringList warnings() const { return m_warnings; }

    /// Appends one entry and commits it. Answers false (and @p errorText) when it
    /// could not be stored.
    bool append(int slot, int channel, const QString& code, const QStringList& arguments,
                QString* errorText = nullptr);
    /// The entries that match @p filter, newest first.
    QList<Entry> entries(const Filter& filter) const;
    QList<Entry> entries() const;
    /// Checks the whole chain as stored now.
    QList<Finding> verify() const;
    /// With the flush (default) a commit waits until the file is on the disk;
    /// without, it is handed to the system only (still safe when the process dies).
    void setFlush(bool flush);

signals:
    void warning(const QString& text);
    /// An entry was appended by this instance.
    void appended();
    /// open() has finished (whether or not a trail could be opened).
    void opened();

private:
    /// @p foreign: the file is something else than a trail this version can write.
    bool openDatabase(const QString& path, QString* why, bool* foreign);
    bool appendLocked(int slot, int channel, const QString& code, const QStringList& arguments, QString* why);
    void addWarning(const QString& text);

    QString m_connection;
    QString m_path;
    QString m_station;
    QString m_user;
    QStringList m_warnings;
};

/// The text of @p finding for the error panel and the audit window.
QString describeFinding(const AuditTrail::Finding& finding);

}  // namespace host
