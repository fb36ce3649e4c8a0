#include "ParameterManager.h"

#include <QCoreApplication>
#include <QXmlStreamWriter>

#include "QT27Controls/framework/DtmEvents.h"
#include "host/BaseDtm.h"
#include "host/HostDocuments.h"
#include "host/Station.h"
#include "rmox/Error.h"

namespace host {

namespace {

// <FDT><ReadRequest slot=".." index=".." [length=".."] communicationReference=".."/></FDT>
QString readRequest(int slot, int index, int length, const QString& communicationReference) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeEmptyElement(QStringLiteral("ReadRequest"));
    xml.writeAttribute(QStringLiteral("slot"), QString::number(slot));
    xml.writeAttribute(QStringLiteral("index"), QString::number(index));
    if (length > 0) {
        xml.writeAttribute(QStringLiteral("length"), QString::number(length));
    }
    xml.writeAttribute(QStringLiteral("communicationReference"), communicationReference);
    xml.writeEndElement();
    return text;
}

// <FDT><WriteRequest slot=".." index=".." communicationReference=".."><CommunicationData byteArray=".."/>...
QString writeRequest(int slot, int index, const QString& communicationReference, const QByteArray& data) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeStartElement(QStringLiteral("WriteRequest"));
    xml.writeAttribute(QStringLiteral("slot"), QString::number(slot));
    xml.writeAttribute(QStringLiteral("index"), QString::number(index));
    xml.writeAttribute(QStringLiteral("communicationReference"), communicationReference);
    xml.writeEmptyElement(QStringLiteral("CommunicationData"));
    xml.writeAttribute(QStringLiteral("byteArray"), documents::hexText(data));
    xml.writeEndElement();
    xml.writeEndElement();
    return text;
}

}  // namespace

ParameterManager::ParameterManager(Station& station, int slot, BaseDtm& baseDtm, QObject* parent)
    : qt27::ParameterManager(parent), m_station(station), m_slot(slot), m_baseDtm(baseDtm) {
    if (const ModuleRecord* current = station.moduleRecord(slot)) {
        m_lastKnown = *current;
    } else {
        m_lastKnown.slot = slot;
    }
}

ModuleRecord ParameterManager::record() const {
    if (!m_detached) {
        if (const ModuleRecord* current = m_station.moduleRecord(m_slot)) {
            m_lastKnown = *current;
        }
    }
    return m_lastKnown;
}

void ParameterManager::detach() {
    record();  // keep the data as they are now
    m_detached = true;
}

QString ParameterManager::RequestDocument(const QString& tag, const QString& /*documentKey*/) {
    if (tag != QLatin1String("FDT")) {
        throw rmox::Error(
            rmox::Error::InvalidArgument,
            QCoreApplication::translate("host::ParameterManager", "No data set document for tag \"%1\"")
                .arg(tag));
    }
    return documents::dataSetDocument(record());
}

bool ParameterManager::ReadParameters(QByteArray& parameters) {
    parameters = record().parameters;
    return true;
}

bool ParameterManager::WriteParameters(const QByteArray& parameters) {
    if (parameters.isEmpty()) {
        return false;
    }
    m_staged = parameters;
    return true;
}

bool ParameterManager::CommitParameters() {
    if (!m_staged) {
        return true;
    }
    const QByteArray staged = *m_staged;
    m_staged.reset();
    ModuleRecord updated = record();
    const bool changed = updated.parameters != staged;
    updated.parameters = staged;
    const bool stored = store(updated);
    if (changed && record().parameters == staged) {
        emit ParameterChanged();
    }
    return stored;
}

QString ParameterManager::Comment() {
    return record().comment;
}

void ParameterManager::SetComment(const QString& comment) {
    ModuleRecord updated = record();
    updated.comment = xmlSafeText(comment);
    store(updated);
}

QByteArray ParameterManager::StoredQsData() {
    return record().qsData;
}

void ParameterManager::SetStoredQsData(const QByteArray& data) {
    ModuleRecord updated = record();
    updated.qsData = data;
    store(updated);
}

bool ParameterManager::store(const ModuleRecord& updated) {
    if (updated == record()) {
        return true;  // nothing changed, nothing to refuse
    }
    if (m_detached) {
        report(QCoreApplication::translate(
                   "host::ParameterManager",
                   "Not stored: the module in slot %1 is no longer in the station project \"%2\".")
                   .arg(m_slot)
                   .arg(m_station.projectPath()));
        return false;
    }
    if (!m_baseDtm.MayEdit()) {
        report(
            QCoreApplication::translate("host::ParameterManager", "Not stored: the data set is locked by %1.")
                .arg(m_baseDtm.lockOwner()));
        return false;
    }
    QString reason;
    if (!m_station.storeModule(updated, &reason)) {
        report(reason);
        return false;
    }
    return true;
}

void ParameterManager::report(const QString& text) {
    m_baseDtm.DtmEvents()->OnErrorMessage(SystemTag(), text);
    emit storeFailed(text);
}

QString ParameterManager::ConnectRequest(bool withBusAddress) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeEmptyElement(QStringLiteral("ConnectRequest"));
    xml.writeAttribute(QStringLiteral("api"), QStringLiteral("0"));
    if (withBusAddress) {
        xml.writeAttribute(QStringLiteral("busAddress"), QString::number(m_station.busAddress()));
    }
    xml.writeAttribute(QStringLiteral("slot"), QString::number(m_slot));
    xml.writeEndElement();
    return text;
}

QString ParameterManager::ValuesReadRequest(const QString& communicationReference) {
    return readRequest(m_slot, ValuesIndex, kValuesLength, communicationReference);
}

QString ParameterManager::OutputValuesReadRequest(const QString& communicationReference) {
    return readRequest(m_slot, OutputValuesIndex, kOutputValuesLength, communicationReference);
}

QString ParameterManager::OutputValuesWriteRequest(const QString& communicationReference,
                                                   const QByteArray& forceTelegram) {
    return writeRequest(m_slot, OutputValuesWriteIndex, communicationReference, forceTelegram);
}

QString ParameterManager::ForcingEnableRequest(const QString& communicationReference) {
    return writeRequest(m_slot, ForcingEnableIndex, communicationReference, QByteArray(1, '\x01'));
}

QString ParameterManager::DiagnosisReadRequest(const QString& communicationReference) {
    return readRequest(m_slot, DiagnosisIndex, 0, communicationReference);
}

QString ParameterManager::QsDataReadRequest(const QString& communicationReference) {
    return readRequest(m_slot, QsDataIndex, 0, communicationReference);
}

QString ParameterManager::SystemTag() {
    const QString firstTag = record().channelTags.value(0);
    const QString tag = QStringLiteral("QT27 slot %1").arg(m_slot, 2, 10, QLatin1Char('0'));
    return firstTag.isEmpty() ? tag : tag + QLatin1Char(' ') + firstTag;
}

}  // namespace host
