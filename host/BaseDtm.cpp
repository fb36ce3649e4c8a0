#include "BaseDtm.h"

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/framework/DtmEvents.h"
#include "host/AuditTrail.h"
#include "host/HostDocuments.h"
#include "host/MessageService.h"
#include "host/ParameterManager.h"
#include "host/Station.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace host {

class BaseDtm::ErrorInterface : public qt27::DtmEvents {
public:
    explicit ErrorInterface(BaseDtm& owner) : m_owner(owner) {}
    void OnErrorMessage(const QString& systemTag, const QString& errorText) override {
        emit m_owner.errorMessage(systemTag, errorText);
    }

private:
    BaseDtm& m_owner;
};

class BaseDtm::ModuleTrail : public qt27::AuditTrail {
public:
    ModuleTrail(Station& station, int slot) : m_station(station), m_slot(slot) {}
    bool RecordChange(const QString& code, const QStringList& arguments, int channel) override {
        return m_station.auditTrail()->append(m_slot, channel, code, arguments);
    }

private:
    Station& m_station;
    int m_slot;
};

BaseDtm::BaseDtm(Station& station, int slot, QObject* parent)
    : qt27::BaseDtm(parent),
      m_slot(slot),
      m_station(station),
      m_parameterManager(new host::ParameterManager(station, slot, *this, this)),
      m_resources(new rmox::ResourceManager(this)),
      m_communicationObject(new QObject(this)),
      m_schemaObject(new QObject(this)),
      m_messages(std::make_unique<host::MessageService>()),
      m_events(std::make_unique<ErrorInterface>(*this)),
      m_trail(std::make_unique<ModuleTrail>(station, slot)) {
    m_resources->setLanguage(QStringLiteral("en"));
    m_resources->setResourceFolder(qt27::DeviceResourceFolder());
    m_communicationObject->setObjectName(QStringLiteral("CommunicationObject"));
    m_schemaObject->setObjectName(QStringLiteral("SchemaObject"));
    m_schemaObject->setProperty("documentFormat", QStringLiteral("FDT"));
}

BaseDtm::~BaseDtm() = default;

QString BaseDtm::ModuleDocument() {
    return documents::moduleDocument(m_parameterManager->record());
}

rmox::ResourceManager* BaseDtm::ResourceManager() {
    return m_resources;
}

qt27::ParameterManager* BaseDtm::ParameterManager() {
    return m_parameterManager;
}

qt27::MessageService* BaseDtm::MessageService() {
    return m_messages.get();
}

QString BaseDtm::DtmInformation() {
    return documents::dtmInformationDocument();
}

QObject* BaseDtm::CommunicationObject() {
    m_communicationObject->setProperty("busAddress", m_station.busAddress());
    m_communicationObject->setProperty("slot", m_slot);
    return m_communicationObject;
}

QObject* BaseDtm::SchemaObject() {
    return m_schemaObject;
}

int BaseDtm::StateValue() {
    return m_parameterManager->record().stateValue;
}

bool BaseDtm::HoldsLock() {
    return !m_lockOwner.isEmpty() && m_lockOwner == m_userName;
}

bool BaseDtm::MayEdit() {
    return m_lockOwner.isEmpty() || m_lockOwner == m_userName;
}

bool BaseDtm::UiOpened(const QString& invokeId) {
    emit uiOpened(invokeId);
    return true;
}

bool BaseDtm::CloseUi(const QString& invokeId) {
    emit closeUiRequested(invokeId);
    return true;
}

bool BaseDtm::UiReleased(const QString& invokeId) {
    emit uiReleased(invokeId);
    return true;
}

bool BaseDtm::NotifyDataChanged() {
    emit dataChanged();
    return true;
}

bool BaseDtm::EndEditing() {
    emit editingEnded();
    return true;
}

qt27::DtmEvents* BaseDtm::DtmEvents() {
    return m_events.get();
}

qt27::AuditTrail* BaseDtm::AuditTrail() {
    return m_trail.get();
}

void BaseDtm::setLanguage(const QString& language) {
    m_resources->setLanguage(language);
}

bool BaseDtm::lockDataSetAs(const QString& userName) {
    if (userName.isEmpty() || (!m_lockOwner.isEmpty() && m_lockOwner != userName)) {
        return false;
    }
    if (m_lockOwner != userName) {
        m_trail->RecordChange(qt27::AuditCode::LockTaken, {userName}, 0);
    }
    m_lockOwner = userName;
    emit LockDataSet(userName);
    return true;
}

bool BaseDtm::takeOverLockAs(const QString& userName) {
    if (userName.isEmpty()) {
        return false;
    }
    const QString former = m_lockOwner;
    if (former.isEmpty() || former == userName) {
        return lockDataSetAs(userName);
    }
    m_trail->RecordChange(qt27::AuditCode::LockTakenOver, {former, userName}, 0);
    m_lockOwner.clear();
    emit UnlockDataSet(former);
    m_lockOwner = userName;
    emit LockDataSet(userName);
    return true;
}

bool BaseDtm::unlockDataSetAs(const QString& userName) {
    if (userName == kCompatibilityUser) {
        emit UnlockDataSet(userName);
        return true;
    }
    if (m_lockOwner.isEmpty() || m_lockOwner != userName) {
        return false;
    }
    m_trail->RecordChange(qt27::AuditCode::LockReleased, {userName}, 0);
    m_lockOwner.clear();
    emit UnlockDataSet(userName);
    return true;
}

}  // namespace host
