#include "QT27Dtm.h"

#include "QT27Controls/communication/CommunicationService.h"
#include "host/BaseDtm.h"
#include "host/FdtChannels.h"
#include "host/ParameterManager.h"

namespace host {

QT27Dtm::QT27Dtm(Station& station, int slot, QObject* parent)
    : qt27::QT27Dtm(parent),
      m_slot(slot),
      m_baseDtm(new host::BaseDtm(station, slot, this)),
      m_channels(std::make_unique<FdtChannels>(*m_baseDtm->parameterManager())) {}

QT27Dtm::~QT27Dtm() = default;

qt27::BaseDtm* QT27Dtm::BaseDtm() {
    return m_baseDtm;
}

QList<qt27::CommunicationService*> QT27Dtm::CommunicationObjects() {
    QList<qt27::CommunicationService*> services;
    for (const QPointer<qt27::CommunicationService>& service : m_communication) {
        if (service) {
            services.append(service.data());
        }
    }
    return services;
}

QString QT27Dtm::DocumentKey() {
    return m_baseDtm->parameterManager()->record().documentKey;
}

qt27::FdtChannels* QT27Dtm::Channels() {
    return m_channels.get();
}

void QT27Dtm::setCommunicationObjects(const QList<qt27::CommunicationService*>& services) {
    m_communication.clear();
    for (qt27::CommunicationService* service : services) {
        m_communication.append(service);
    }
}

void QT27Dtm::notifyDataReplaced() {
    const QPointer<host::BaseDtm> base = m_baseDtm;
    emit base->parameterManager()->ParameterChanged();
    if (base) {
        emit base->ParameterChanged();
    }
}

void QT27Dtm::detach() {
    m_baseDtm->parameterManager()->detach();
}

}  // namespace host
