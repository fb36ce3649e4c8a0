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

QString FakeParameterManager::RequestDocument(const QString& tag, const QString& /*documentKey*/) {
    *m_log << "RequestDocument(" + tag + ")";
    if (failDocument) {
        throw rmox::Error(rmox::Error::ObjectNotSet, QStringLiteral("data set not available"));
    }
    return dataSetDocument(*m_module);
}

bool FakeParameterManager::ReadParameters(QByteArray& parameters) {
    *m_log << "ReadParameters";
    parameters = m_module->parameters;
    return true;
}

bool FakeParameterManager::WriteParameters(const QByteArray& parameters) {
    *m_log << "WriteParameters(" + parameters.toHex().toUpper() + ")";
    written = parameters;
    return true;
}

bool FakeParameterManager::CommitParameters() {
    *m_log << "CommitParameters";
    ++commits;
    m_module->parameters = written;
    return true;
}

void FakeParameterManager::SetComment(const QString& comment) {
    *m_log << "SetComment(" + comment + ")";
    m_module->comment = comment;
}

void FakeParameterManager::SetStoredQsData(const QByteArray& data) {
    *m_log << "SetStoredQsData";
    qsData = data;
}

QString FakeParameterManager::ConnectRequest(bool withBusAddress) {
    return QStringLiteral("<FDT><ConnectRequest withBusAddress=\"%1\"/></FDT>").arg(withBusAddress ? 1 : 0);
}

QString FakeParameterManager::OutputValuesWriteRequest(const QString& ref, const QByteArray& forceTelegram) {
    return doc("Write", "outputValues", ref,
               QStringLiteral(" byteArray=\"%1\"").arg(QString::fromLatin1(forceTelegram.toHex().toUpper())));
}

QString FakeParameterManager::doc(const char* element, const char* kind, const QString& ref,
                                  const QString& more) {
    return QStringLiteral("<FDT><%1Request kind=\"%2\" communicationReference=\"%3\"%4/></FDT>")
        .arg(QLatin1String(element), QLatin1String(kind), ref, more);
}

FakeBaseDtm::FakeBaseDtm(FakeModule* module, QStringList* log)
    : parameterManager(module, log), messages(log), events(log), m_module(module), m_log(log) {
    resources.setLanguage(QStringLiteral("en"));
    resources.setResourceFolder(qt27::DeviceResourceFolder());
    dtmInformation = QStringLiteral(
        "<FDT><DtmInformation name=\"rimox QT27 DTM\" revision=\"1.0.3\">"
        "<FdtVersion major=\"1\" minor=\"2\"/></DtmInformation></FDT>");
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
    QStringList result = log;
    result.removeIf([&](const QString& entry) { return !entry.startsWith(prefix); });
    return result;
}

}  // namespace testsupport
