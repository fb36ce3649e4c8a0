#include "AuditTrail.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace host {

namespace {

const QString kFormatName = QStringLiteral("qt27-audit-trail");
constexpr int kFormatVersion = 1;
constexpr int kBusyTimeoutMs = 5000;
constexpr int kMaxAlternatives = 20;
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'");
const QString kBreakCode = QStringLiteral("trail.break");

std::atomic<int> g_connectionCount{0};

QString argumentsText(const QStringList& arguments) {
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact));
}

QStringList argumentsFromText(const QString& text) {
    QStringList arguments;
    for (const auto& value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        arguments.append(value.toString());
    }
    return arguments;
}

/// The stored form of an entry as a row, for the hash.
struct Row {
    qint64 sequence = 0;
    QString time;
    QString user;
    QString station;
    int slot = 0;
    int channel = 0;
    QString code;
    QString arguments;
    QString previousHash;
    QString hash;
};

QString hashOf(const Row& row) {
    const QChar separator(0x1F);
    const QString content = QStringList{QString::number(row.sequence), row.time, row.user, row.station,
                                        QString::number(row.slot), QString::number(row.channel), row.code,
                                        row.arguments, row.previousHash}
                                .join(separator);
    return QString::fromLatin1(QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool run(QSqlQuery& query, const QString& statement, QString* why) {
    if (query.exec(statement)) {
        return true;
    }
    if (why != nullptr) {
        *why = query.lastError().text();
    }
    return false;
}

/// The rolled-back end of a transaction that did not reach COMMIT.
class Transaction {
public:
    explicit Transaction(QSqlDatabase& db) : m_db(db) {}
    ~Transaction() {
        if (m_open) {
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        }
    }
    bool begin(QString* why) {
        QSqlQuery query(m_db);
        m_open = run(query, QStringLiteral("BEGIN IMMEDIATE"), why);
        return m_open;
    }
    bool commit(QString* why) {
        QSqlQuery query(m_db);
        if (!run(query, QStringLiteral("COMMIT"), why)) {
            return false;
        }
        m_open = false;
        return true;
    }

private:
    QSqlDatabase& m_db;
    bool m_open = false;
};

/// True when @p path holds something that is not an SQLite database at all.
bool isForeignFile(const QString& path) {
    QFile file(path);
    if (!file.exists() || file.size() == 0) {
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return false;  // SQLite will say why it cannot open it
    }
    return file.read(16) != QByteArray("SQLite format 3\0", 16);
}

}  // namespace

QString describeFinding(const AuditTrail::Finding& finding) {
    // Whole sentences for one entry and for a range, so that each can be translated.
    const bool one = finding.first == finding.last;
    const char* text = nullptr;
    if (finding.kind == QLatin1String("changed")) {
        text =
            one ? QT_TRANSLATE_NOOP("host::AuditTrail", "entry %1 was changed after it was written")
                : QT_TRANSLATE_NOOP("host::AuditTrail", "entries %1 to %2 was changed after it was written");
    } else if (finding.kind == QLatin1String("removed")) {
        text = one ? QT_TRANSLATE_NOOP("host::AuditTrail", "entry %1 was removed")
                   : QT_TRANSLATE_NOOP("host::AuditTrail", "entries %1 to %2 were removed");
    } else if (finding.kind == QLatin1String("removedAtEnd")) {
        text = one ? QT_TRANSLATE_NOOP("host::AuditTrail", "the last entry %1 was removed")
                   : QT_TRANSLATE_NOOP("host::AuditTrail", "the last entries %1 to %2 were removed");
    } else {
        return QCoreApplication::translate("host::AuditTrail", "the chain is broken before entry %1")
            .arg(finding.first);
    }
    const QString translated = QCoreApplication::translate("host::AuditTrail", text);
    return one ? translated.arg(finding.first) : translated.arg(finding.first).arg(finding.last);
}

AuditTrail::AuditTrail(QObject* parent)
    : QObject(parent),
      m_connection(QStringLiteral("qt27-audit-%1").arg(++g_connectionCount)),
      m_user(systemUserName()) {}

AuditTrail::~AuditTrail() {
    close();
}

QString AuditTrail::pathBeside(const QString& projectPath) {
    const QFileInfo info(projectPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".audit.sqlite"));
}

QString AuditTrail::systemUserName() {
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        return QString::fromLocal8Bit(entry->pw_name);
    }
#endif
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            return name;
        }
    }
    return QStringLiteral("unknown");
}

bool AuditTrail::isOpen() const {
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

void AuditTrail::close() {
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
}

void AuditTrail::addWarning(const QString& text) {
    m_warnings.append(text);
    emit warning(text);
}

bool AuditTrail::open(const QString& path, const QString& stationName) {
    close();
    m_warnings.clear();
    m_station = stationName;
    QString candidate = path;
    for (int alternative = 1; alternative <= kMaxAlternatives; ++alternative) {
        QString why;
        bool foreign = false;
        if (openDatabase(candidate, &why, &foreign)) {
            break;
        }
        close();
        if (!foreign) {  // a folder that cannot be written, a driver missing: another name would not help
            addWarning(QCoreApplication::translate("host::AuditTrail",
                                                   "The audit trail \"%1\" cannot be opened (%2).")
                           .arg(candidate, why));
            break;
        }
        addWarning(
            QCoreApplication::translate("host::AuditTrail",
                                        "The audit trail \"%1\" cannot be used (%2). It is kept as it is; "
                                        "new entries go to \"%3\".")
                .arg(candidate, why, path + QStringLiteral(".%1").arg(alternative)));
        candidate = path + QStringLiteral(".%1").arg(alternative);
    }
    if (!isOpen()) {
        addWarning(
            QCoreApplication::translate(
                "host::AuditTrail", "No audit trail could be opened beside \"%1\"; changes are not recorded.")
                .arg(path));
        emit opened();
        return false;
    }
    m_path = candidate;

    const QList<Finding> findings = verify();
    bool unmarked = false;
    QStringList arguments;
    for (const Finding& finding : findings) {
        addWarning(QCoreApplication::translate("host::AuditTrail", "Audit trail \"%1\": %2.")
                       .arg(m_path, describeFinding(finding)));
        if (!finding.marked) {
            unmarked = true;
            arguments.append(QStringLiteral("%1:%2-%3").arg(finding.kind).arg(finding.first).arg(finding.last));
        }
    }
    if (unmarked) {
        QString why;
        if (appendLocked(0, 0, kBreakCode, arguments, &why)) {
            addWarning(
                QCoreApplication::translate("host::AuditTrail",
                                            "Audit trail \"%1\": the damaged part is kept as it is; new "
                                            "entries follow a marked break.")
                    .arg(m_path));
        } else {
            addWarning(QCoreApplication::translate("host::AuditTrail",
                                                   "Audit trail \"%1\": the break could not be marked (%2).")
                           .arg(m_path, why));
        }
    }
    emit opened();
    return true;
}

bool AuditTrail::openDatabase(const QString& path, QString* why, bool* foreign) {
    if (isForeignFile(path)) {
        *why = QCoreApplication::translate("host::AuditTrail", "not an audit trail file");
        *foreign = true;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        *why = QCoreApplication::translate("host::AuditTrail", "the SQLite driver of Qt SQL is missing");
        return false;
    }
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        *why = db.lastError().text();
        return false;
    }
    QSqlQuery query(db);
    // A database of something else is recognised before anything is written to it.
    if (!run(query, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name NOT IN "
                                   "('trail_format', 'entries', 'sqlite_sequence')"),
             why)) {
        *foreign = true;  // damaged beyond reading its tables: kept as it is
        return false;
    }
    if (!query.next() || query.value(0).toInt() > 0) {
        *why = QCoreApplication::translate("host::AuditTrail", "not an audit trail file");
        *foreign = true;
        return false;
    }
    query.finish();
    if (!run(query, QStringLiteral("PRAGMA journal_mode=WAL"), why) ||
        !run(query, QStringLiteral("PRAGMA synchronous=FULL"), why)) {
        return false;
    }
    Transaction transaction(db);
    if (!transaction.begin(why) ||
        !run(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"), why)) {
        return false;
    }
    QStringList tables;
    while (query.next()) {
        tables.append(query.value(0).toString());
    }
    if (tables.isEmpty()) {
        const char* const schema[] = {
            "CREATE TABLE trail_format (name TEXT NOT NULL, version INTEGER NOT NULL)",
            "CREATE TABLE entries (seq INTEGER PRIMARY KEY AUTOINCREMENT, time_utc TEXT NOT NULL, "
            "user TEXT NOT NULL, station TEXT NOT NULL, slot INTEGER NOT NULL, channel INTEGER NOT NULL, "
            "code TEXT NOT NULL, arguments TEXT NOT NULL, previous_hash TEXT NOT NULL, hash TEXT NOT NULL)",
            "CREATE INDEX entries_by_channel ON entries (slot, channel)",
        };
        for (const char* statement : schema) {
            if (!run(query, QString::fromLatin1(statement), why)) {
                return false;
            }
        }
        query.prepare(QStringLiteral("INSERT INTO trail_format (name, version) VALUES (?, ?)"));
        query.addBindValue(kFormatName);
        query.addBindValue(kFormatVersion);
        if (!query.exec()) {
            *why = query.lastError().text();
            return false;
        }
    } else {
        if (!tables.contains(QStringLiteral("trail_format")) || !tables.contains(QStringLiteral("entries")) ||
            !run(query, QStringLiteral("SELECT name, version FROM trail_format"), why) || !query.next() ||
            query.value(0).toString() != kFormatName) {
            *why = QCoreApplication::translate("host::AuditTrail", "not an audit trail file");
            *foreign = true;
            return false;
        }
        if (query.value(1).toInt() > kFormatVersion) {
            *why = QCoreApplication::translate("host::AuditTrail", "written by a newer version (format %1)")
                       .arg(query.value(1).toInt());
            *foreign = true;
            return false;
        }
    }
    query.finish();
    return transaction.commit(why);
}

void AuditTrail::setFlush(bool flush) {
    if (isOpen()) {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.exec(flush ? QStringLiteral("PRAGMA synchronous=FULL") : QStringLiteral("PRAGMA synchronous=OFF"));
    }
}

bool AuditTrail::append(int slot, int channel, const QString& code, const QStringList& arguments,
                        QString* errorText) {
    QString why;
    if (!isOpen()) {
        why = QCoreApplication::translate("host::AuditTrail", "no audit trail is open");
    } else if (appendLocked(slot, channel, code, arguments, &why)) {
        emit appended();
        return true;
    }
    const QString text = QCoreApplication::translate(
                             "host::AuditTrail", "Audit trail \"%1\": the entry %2 could not be stored (%3).")
                             .arg(m_path, code, why);
    if (errorText != nullptr) {
        *errorText = text;
    }
    addWarning(text);
    return false;
}

bool AuditTrail::appendLocked(int slot, int channel, const QString& code, const QStringList& arguments,
                              QString* why) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    Transaction transaction(db);
    if (!transaction.begin(why)) {
        return false;
    }
    QSqlQuery query(db);
    Row row;
    // The number goes on after the highest ever given, so removed last entries stay a visible gap.
    if (!run(query,
             QStringLiteral("SELECT (SELECT seq FROM entries ORDER BY seq DESC LIMIT 1), "
                            "(SELECT hash FROM entries ORDER BY seq DESC LIMIT 1), "
                            "(SELECT seq FROM sqlite_sequence WHERE name = 'entries')"),
             why) ||
        !query.next()) {
        return false;
    }
    row.sequence = qMax(query.value(0).toLongLong(), query.value(2).toLongLong()) + 1;
    row.previousHash = query.value(1).toString();
    row.time = QDateTime::currentDateTimeUtc().toString(kTimeFormat);
    row.user = m_user;
    row.station = m_station;
    row.slot = slot;
    row.channel = channel;
    row.code = code;
    row.arguments = argumentsText(arguments);
    row.hash = hashOf(row);
    query.prepare(QStringLiteral("INSERT INTO entries (seq, time_utc, user, station, slot, channel, code, "
                                 "arguments, previous_hash, hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    // An empty text is stored as such, never as NULL (the first entry has no previous hash).
    const auto text = [](const QString& value) { return QVariant(value.isNull() ? QStringLiteral("") : value); };
    for (const QVariant& value :
         {QVariant(row.sequence), text(row.time), text(row.user), text(row.station), QVariant(row.slot),
          QVariant(row.channel), text(row.code), text(row.arguments), text(row.previousHash), text(row.hash)}) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        *why = query.lastError().text();
        return false;
    }
    return transaction.commit(why);
}

QList<AuditTrail::Entry> AuditTrail::entries() const {
    return entries(Filter());
}

QList<AuditTrail::Entry> AuditTrail::entries(const Filter& filter) const {
    QList<Entry> result;
    if (!isOpen()) {
        return result;
    }
    QStringList conditions;
    QVariantList values;
    if (filter.slot >= 0) {
        conditions.append(QStringLiteral("slot = ?"));
        values.append(filter.slot);
    }
    if (filter.channel >= 0) {
        conditions.append(QStringLiteral("channel = ?"));
        values.append(filter.channel);
    }
    if (filter.from.isValid()) {
        conditions.append(QStringLiteral("time_utc >= ?"));
        values.append(filter.from.toUTC().toString(kTimeFormat));
    }
    if (filter.to.isValid()) {
        conditions.append(QStringLiteral("time_utc <= ?"));
        values.append(filter.to.toUTC().toString(kTimeFormat));
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT seq, time_utc, user, station, slot, channel, code, arguments "
                                 "FROM entries%1 ORDER BY seq DESC")
                      .arg(conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(" AND ")));
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        return result;
    }
    while (query.next()) {
        Entry entry;
        entry.sequence = query.value(0).toLongLong();
        entry.timeUtc = QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs).toUTC();
        entry.user = query.value(2).toString();
        entry.station = query.value(3).toString();
        entry.slot = query.value(4).toInt();
        entry.channel = query.value(5).toInt();
        entry.code = query.value(6).toString();
        entry.arguments = argumentsFromText(query.value(7).toString());
        result.append(entry);
    }
    return result;
}

QList<AuditTrail::Finding> AuditTrail::verify() const {
    QList<Finding> findings;
    if (!isOpen()) {
        return findings;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // One read transaction: the entries and the highest number ever given are seen as
    // of one moment, even while another frame appends.
    QSqlQuery(db).exec(QStringLiteral("BEGIN"));
    const auto endRead = qScopeGuard([&db] { QSqlQuery(db).exec(QStringLiteral("COMMIT")); });
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT seq, time_utc, user, station, slot, channel, code, arguments, "
                                   "previous_hash, hash FROM entries ORDER BY seq"))) {
        findings.append({QStringLiteral("broken"), 1, 1, false});
        return findings;
    }
    qint64 lastSequence = 0;
    QString lastHash;
    QList<qint64> breaks;
    while (query.next()) {
        Row row;
        row.sequence = query.value(0).toLongLong();
        row.time = query.value(1).toString();
        row.user = query.value(2).toString();
        row.station = query.value(3).toString();
        row.slot = query.value(4).toInt();
        row.channel = query.value(5).toInt();
        row.code = query.value(6).toString();
        row.arguments = query.value(7).toString();
        row.previousHash = query.value(8).toString();
        row.hash = query.value(9).toString();
        if (row.sequence != lastSequence + 1) {
            findings.append({QStringLiteral("removed"), lastSequence + 1, row.sequence - 1, false});
        } else if (row.previousHash != lastHash) {
            findings.append({QStringLiteral("broken"), row.sequence, row.sequence, false});
        }
        if (hashOf(row) != row.hash) {
            findings.append({QStringLiteral("changed"), row.sequence, row.sequence, false});
        } else if (row.code == kBreakCode) {
            breaks.append(row.sequence);
        }
        lastSequence = row.sequence;
        lastHash = row.hash;
    }
    QSqlQuery highest(db);
    if (highest.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'entries'")) && highest.next() &&
        highest.value(0).toLongLong() > lastSequence) {
        findings.append({QStringLiteral("removedAtEnd"), lastSequence + 1, highest.value(0).toLongLong(), false});
    }
    query.finish();
    highest.finish();
    for (Finding& finding : findings) {
        // A break entry written after the damage (and not itself the damaged entry) records it.
        finding.marked = std::any_of(breaks.begin(), breaks.end(),
                                     [&](qint64 breakSequence) { return breakSequence > finding.first; });
    }
    return findings;
}

}  // namespace host
