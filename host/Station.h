#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include "host/AuditTrail.h"
#include "host/StationProject.h"

namespace host {

class QT27Dtm;

/// The simulated rimox station as the frame sees it: owns the station project
/// (one XML file) and one host DTM per module, each with its base DTM and
/// parameter manager, looked up by slot.
///
/// Typical use by the frame:
/// ```
/// host::Station station;
/// station.open(host::defaultProjectPath());   // writes the built-in station on first run
/// for (const auto& module : station.modules()) { ... station.dtmForSlot(module.slot) ... }
/// station.setLanguage("de");
/// station.dtmForSlot(3)->baseDtm()->lockDataSetAs("operator");  // lock operations live on each base DTM
/// station.reloadFromDisk();
/// ```
///
/// The file is protected: a file that cannot be read is never overwritten. After
/// such a failure (at open or reload) the station keeps what it has in memory and
/// refuses to write until a reload succeeds. A write is also refused when the file
/// was changed by someone else since it was read. Every load or write problem is
/// reported with projectError().
class Station : public QObject {
    Q_OBJECT

public:
    /// What the frame lists for a module.
    struct ModuleInfo {
        int slot = 0;
        QString typeCode;
        QString typeName;
        QStringList tags;
    };

    explicit Station(QObject* parent = nullptr);
    ~Station() override;

    /// Opens the project file @p path, writing the built-in station there first
    /// when no file exists (createdNewProject() then tells so). When the file cannot
    /// be read the built-in station is used in memory, the file is left untouched
    /// and false is answered. Copies left behind by a killed save are removed.
    /// The audit trail beside the file is opened and checked as well.
    bool open(const QString& path);
    /// The audit trail beside the project file, opened (and checked) by open().
    AuditTrail* auditTrail() const { return m_audit; }
    /// True when the last open() found no file and wrote the built-in station.
    bool createdNewProject() const { return m_createdNew; }
    /// Reads the project file again. Each module whose data changed emits
    /// ParameterChanged from its parameter manager and its base DTM; modules that
    /// appeared or vanished emit modulesChanged(). When the file cannot be read the
    /// data in memory stay, false is answered and projectError() tells why.
    /// Changes in memory that were never written are replaced.
    bool reloadFromDisk();
    /// Writes the project from memory (e.g. after a failed write). Answers false and
    /// emits projectError() when it cannot.
    bool save();
    /// True while memory holds changes that are not in the file.
    bool hasUnsavedChanges() const { return m_unsaved; }

    QString projectPath() const { return m_path; }
    const StationProject& project() const { return m_project; }
    QString stationName() const { return m_project.stationName; }
    int busAddress() const { return m_project.busAddress; }
    /// The modules in the order of the project file.
    QList<ModuleInfo> modules() const;
    /// The host DTM of the module in @p slot, or nullptr.
    QT27Dtm* dtmForSlot(int slot) const { return m_dtms.value(slot); }
    /// The message of the last load or write problem; empty when there was none.
    QString lastError() const { return m_lastError; }

    QString language() const { return m_language; }
    /// The language of every base DTM's resource manager ("en", "de").
    void setLanguage(const QString& language);
    QString userName() const { return m_userName; }
    /// The own user name of every base DTM (the one whose lock lets it edit).
    void setUserName(const QString& userName);

    /// The current data of the module in @p slot, or nullptr. Valid until the next change.
    const ModuleRecord* moduleRecord(int slot) const { return m_project.module(slot); }
    /// Replaces the data of the module in @p record.slot and writes the project.
    /// When the write fails the change stays in memory (written with the next
    /// successful write), @p errorText gets the reason and false is answered.
    bool storeModule(const ModuleRecord& record, QString* errorText = nullptr);

signals:
    /// A load or write problem, naming the file and the reason.
    void projectError(const QString& message);
    /// Modules were added to or removed from the station.
    void modulesChanged();

private:
    bool openProject(const QString& path);
    void adopt(const StationProject& project);
    bool writeProject(QString* errorText);
    void report(const QString& message);

    QString m_path;
    AuditTrail* m_audit;  // child
    StationProject m_project;
    QMap<int, QT27Dtm*> m_dtms;  // children; DTMs of vanished modules stay children too
    QByteArray m_diskContent;    // the file as last read or written
    bool m_diskContentKnown = false;
    QString m_blockedReason;  // non-empty: the file could not be read, so it is not written
    bool m_unsaved = false;
    bool m_createdNew = false;
    QString m_lastError;
    QString m_language = QStringLiteral("en");
    QString m_userName;
};

}  // namespace host
