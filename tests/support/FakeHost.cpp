#include "FakeHost.h"

#include "QT27Controls/common/ApplicationFolder.h"
#include "host/HostDocuments.h"
#include "host/StationProject.h"
#include "rmox/Error.h"

namespace testsupport {

namespace {

// The fake module in the form the host's document writers take.
host::ModuleRecord record(const FakeModule& module) {
    host::ModuleRecord result;
    result.slot = module.slot;
    result.typeCode = module.typeCode;
    result.typeName = module.typeName;
    result.parameters = module.parameters;
    result.comment = module.comment;
    return result;
}

}  // namespace

QString dataSetDocument(const FakeModule& module) {
    return host::documents::dataSetDocument(record(module));
}

QString moduleDocument(const FakeModule& module) {
    return host::documents::moduleDocument(record(module));
}

QString channelDocument(int number, const QString& tag) {
    return host::documents::channelDocument(number, tag);
}

QString FakeChannel::RequestDocument(const QString& /*tag*/, const QString& /*documentKey*/) {
    if (fail) {
        throw rmox::Error(rmox::Error::ObjectNotSet, QStringLiteral("channel document not available"));
    }
    return document;
}

qt27::FdtChannel* FakeChannels::Item(int position) {
    if (position < 1 || position > Count()) {
        throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return channels[static_cast<size_t>(position - 1)].get();
}

int FakeMessageService::AskUser(const QString& text, const QString& title, int buttons) {
    questions.append({text, title, QString::number(buttons)});
    m_log->append(QStringLiteral("AskUser(%1)").arg(title));
    return answer;
}

void FakeDtmEvents::OnErrorMessage(const QString& systemTag, const QString& errorText) {
    errors.append({systemTag, errorText});
    m_log->append(QStringLiteral("OnErrorMessage(%1)").arg(errorText));
}

QString FakeParameterManager::RequestDocument(const QString& tag, const QString& /*documentKey*/) {
    m_log->append(QStringLiteral("RequestDocument(%1)").arg(tag));
    if (failDocument) {
        throw rmox::Error(rmox::Error::ObjectNotSet, QStringLiteral("data set not available"));
    }
    return dataSetDocument(*m_module);
}

bool FakeParameterManager::ReadParameters(QByteArray& parameters) {
    m_log->append(QStringLiteral("ReadParameters"));
    parameters = m_module->parameters;
    return true;
}

bool FakeParameterManager::WriteParameters(const QByteArray& parameters) {
    m_log->append(
        QStringLiteral("WriteParameters(%1)").arg(QString::fromLatin1(parameters.toHex().toUpper())));
    written = parameters;
    return true;
}

bool FakeParameterManager::CommitParameters() {
    m_log->append(QStringLiteral("CommitParameters"));
    ++commits;
    m_module->parameters = written;
    return true;
}

QString FakeParameterManager::Comment() {
    return m_module->comment;
}

void FakeParameterManager::SetComment(const QString& comment) {
    m_log->append(QStringLiteral("SetComment(%1)").arg(comment));
    m_module->comment = comment;
}

QByteArray FakeParameterManager::StoredQsData() {
    return qsData;
}

void FakeParameterManager::SetStoredQsData(const QByteArray& data) {
    m_log->append(QStringLiteral("SetStoredQsData"));
    qsData = data;
}

QString FakeParameterManager::ConnectRequest(bool /*withBusAddress*/) {
    return QStringLiteral("<FDT><ConnectRequest/></FDT>");
}

QString FakeParameterManager::ValuesReadRequest(const QString& communicationReference) {
    return QStringLiteral("<FDT><ReadRequest kind=\"values\" communicationReference=\"%1\"/></FDT>")
        .arg(communicationReference);
}

QString FakeParameterManager::OutputValuesReadRequest(const QString& communicationReference) {
    return QStringLiteral("<FDT><ReadRequest kind=\"outputValues\" communicationReference=\"%1\"/></FDT>")
        .arg(communicationReference);
}

QString FakeParameterManager::OutputValuesWriteRequest(const QString& communicationReference,
                                                       const QByteArray& forceTelegram) {
    return QStringLiteral("<FDT><WriteRequest communicationReference=\"%1\" byteArray=\"%2\"/></FDT>")
        .arg(communicationReference, QString::fromLatin1(forceTelegram.toHex().toUpper()));
}

QString FakeParameterManager::ForcingEnableRequest(const QString& communicationReference) {
    return QStringLiteral("<FDT><WriteRequest kind=\"enable\" communicationReference=\"%1\"/></FDT>")
        .arg(communicationReference);
}

QString FakeParameterManager::DiagnosisReadRequest(const QString& communicationReference) {
    return QStringLiteral("<FDT><ReadRequest kind=\"diagnosis\" communicationReference=\"%1\"/></FDT>")
        .arg(communicationReference);
}

QString FakeParameterManager::QsDataReadRequest(const QString& communicationReference) {
    return QStringLiteral("<FDT><ReadRequest kind=\"qsData\" communicationReference=\"%1\"/></FDT>")
        .arg(communicationReference);
}

FakeBaseDtm::FakeBaseDtm(FakeModule* module, QStringList* log)
    : parameterManager(module, log), messages(log), events(log), m_module(module), m_log(log) {
    resources.setLanguage(QStringLiteral("en"));
    resources.setResourceFolder(qt27::DeviceResourceFolder());
    dtmInformation = QStringLiteral(
        "<FDT><DtmInformation name=\"rimox QT27 DTM\" revision=\"1.0.3\">"
        "<FdtVersion major=\"1\" minor=\"2\"/></DtmInformation></FDT>");
}

QString FakeBaseDtm::ModuleDocument() {
    return moduleDocument(*m_module);
}

bool FakeBaseDtm::HoldsLock() {
    m_log->append(QStringLiteral("HoldsLock"));
    return holdsLock;
}

bool FakeBaseDtm::MayEdit() {
    m_log->append(QStringLiteral("MayEdit"));
    return mayEdit;
}

bool FakeBaseDtm::UiOpened(const QString& invokeId) {
    m_log->append(QStringLiteral("UiOpened(%1)").arg(invokeId));
    return true;
}

bool FakeBaseDtm::CloseUi(const QString& invokeId) {
    m_log->append(QStringLiteral("CloseUi(%1)").arg(invokeId));
    return true;
}

bool FakeBaseDtm::UiReleased(const QString& invokeId) {
    m_log->append(QStringLiteral("UiReleased(%1)").arg(invokeId));
    ++uiReleasedCount;
    return true;
}

bool FakeBaseDtm::NotifyDataChanged() {
    m_log->append(QStringLiteral("NotifyDataChanged"));
    return true;
}

bool FakeBaseDtm::EndEditing() {
    m_log->append(QStringLiteral("EndEditing"));
    return true;
}

FakeDtm::FakeDtm(const FakeModule& moduleIn) : module(moduleIn), base(&module, &log) {
    rebuildChannels();
}

void FakeDtm::rebuildChannels() {
    channels.channels.clear();
    for (int i = 0; i < module.tags.size(); ++i) {
        channels.channels.push_back(std::make_unique<FakeChannel>(channelDocument(i + 1, module.tags[i])));
    }
}

QStringList FakeDtm::calls(const QString& prefix) const {
    QStringList result;
    for (const QString& entry : log) {
        if (entry.startsWith(prefix)) {
            result.append(entry);
        }
    }
    return result;
}

}  // namespace testsupport
