#include "Station.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "rmox/Error.h"

namespace host {

namespace {

QString describeFile(const QString& path) {
    return QCoreApplication::translate("host::Station", "Station project file \"%1\"")
        .arg(QDir::toNativeSeparators(path));
}

}  // namespace

Station::Station(QObject* parent)
    : QObject(parent), m_audit(new AuditTrail(this)), m_userName(BaseDtm::kDefaultUserName) {}

Station::~Station() = default;

bool Station::open(const QString& path) {
    const bool opened = openProject(path);
    m_audit->open(AuditTrail::pathBeside(path), m_project.stationName);
    return opened;
}

bool Station::openProject(const QString& path) {
    m_path = path;
    m_blockedReason.clear();
    m_diskContent.clear();
    m_diskContentKnown = false;
    m_unsaved = false;
    m_lastError.clear();
    m_createdNew = false;

    // A save that was killed before it put its file in place left a copy behind.
    removeLeftoverSaveFiles(path);
    QString error;
    if (!ensureBuiltInProject(path, &error, &m_createdNew)) {
        adopt(StationProject::builtIn());
        report(error);
        return false;
    }
    QByteArray content;
    try {
        const StationProject project = StationProject::load(path, &content);
        m_diskContent = content;
        m_diskContentKnown = true;
        adopt(project);
        return true;
    } catch (const rmox::Error& loadError) {
        if (QFileInfo::exists(path)) {
            m_blockedReason = loadError.description();
        }
        adopt(StationProject::builtIn());
        report(loadError.description());
        return false;
    }
}

bool Station::reloadFromDisk() {
    QByteArray content;
    StationProject project;
    try {
        project = StationProject::load(m_path, &content);
    } catch (const rmox::Error& loadError) {
        if (QFileInfo::exists(m_path)) {
            m_blockedReason = loadError.description();
        }
        report(loadError.description());
        return false;
    }
    m_blockedReason.clear();
    m_diskContent = content;
    m_diskContentKnown = true;
    m_unsaved = false;
    adopt(project);
    return true;
}

bool Station::save() {
    return writeProject(nullptr);
}

QList<Station::ModuleInfo> Station::modules() const {
    QList<ModuleInfo> result;
    for (const ModuleRecord& record : m_project.modules) {
        result.append({record.slot, record.typeCode, record.typeName, record.channelTags});
    }
    return result;
}

void Station::setLanguage(const QString& language) {
    m_language = language;
    for (QT27Dtm* dtm : findChildren<QT27Dtm*>(QString(), Qt::FindDirectChildrenOnly)) {
        dtm->baseDtm()->setLanguage(language);
    }
}

void Station::setUserName(const QString& userName) {
    m_userName = userName;
    for (QT27Dtm* dtm : findChildren<QT27Dtm*>(QString(), Qt::FindDirectChildrenOnly)) {
        dtm->baseDtm()->setUserName(userName);
    }
}

bool Station::storeModule(const ModuleRecord& record, QString* errorText) {
    ModuleRecord* current = m_project.module(record.slot);
    if (current == nullptr) {
        if (errorText != nullptr) {
            *errorText = QCoreApplication::translate("host::Station", "%1 has no module in slot %2")
                             .arg(describeFile(m_path))
                             .arg(record.slot);
        }
        return false;
    }
    if (*current == record && !m_unsaved) {
        return true;
    }
    *current = record;
    m_unsaved = true;
    return writeProject(errorText);
}

void Station::adopt(const StationProject& project) {
    bool moduleSetChanged = false;
    for (auto it = m_dtms.begin(); it != m_dtms.end();) {
        if (project.module(it.key()) == nullptr) {
            it.value()->detach();  // keeps the data it has now
            it = m_dtms.erase(it);
            moduleSetChanged = true;
        } else {
            ++it;
        }
    }

    const StationProject previous = m_project;
    m_project = project;

    QList<int> changedSlots;
    for (const ModuleRecord& record : m_project.modules) {
        if (!m_dtms.contains(record.slot)) {
            auto* dtm = new QT27Dtm(*this, record.slot, this);
            dtm->baseDtm()->setLanguage(m_language);
            dtm->baseDtm()->setUserName(m_userName);
            m_dtms.insert(record.slot, dtm);
            moduleSetChanged = true;
        } else if (const ModuleRecord* before = previous.module(record.slot);
                   before == nullptr || *before != record) {
            changedSlots.append(record.slot);
        }
    }

    const QPointer<Station> self(this);
    for (int slot : changedSlots) {
        if (QT27Dtm* dtm = m_dtms.value(slot)) {
            dtm->notifyDataReplaced();
        }
        if (!self) {
            return;
        }
    }
    if (moduleSetChanged) {
        emit modulesChanged();
    }
}

bool Station::writeProject(QString* errorText) {
    const auto refuse = [&](const QString& reason) {
        if (errorText != nullptr) {
            *errorText = reason;
        }
        report(reason);
        return false;
    };
    if (m_path.isEmpty()) {
        return refuse(QCoreApplication::translate(
            "host::Station", "The station project was not written: no project file is open."));
    }
    if (!m_blockedReason.isEmpty()) {
        return refuse(QCoreApplication::translate(
                          "host::Station",
                          "%1 was not written: it could not be read and stays untouched until it is "
                          "reloaded (%2)")
                          .arg(describeFile(m_path), m_blockedReason));
    }
    QFile current(m_path);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) {
            return refuse(QCoreApplication::translate(
                              "host::Station", "%1 was not written: it cannot be read to check it first: %2")
                              .arg(describeFile(m_path), current.errorString()));
        }
        if (!m_diskContentKnown || current.readAll() != m_diskContent) {
            return refuse(QCoreApplication::translate(
                              "host::Station",
                              "%1 was not written: it was changed by someone else since it was read. "
                              "Reload it; the changes made here are kept in memory until then.")
                              .arg(describeFile(m_path)));
        }
    }
    QString reason;
    QByteArray written;
    if (!m_project.save(m_path, &reason, &written)) {
        return refuse(reason);
    }
    m_diskContent = written;
    m_diskContentKnown = true;
    m_unsaved = false;
    return true;
}

void Station::report(const QString& message) {
    m_lastError = message;
    emit projectError(message);
}

}  // namespace host
