#pragma once

// A scripted fake of the host's services for page tests. Every call a page makes
// on the host is appended to one shared log, so a test can check the order in
// which the host saw them.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <memory>
#include <tuple>
#include <vector>

#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/CommunicationService.h"
#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/DtmEvents.h"
#include "QT27Controls/framework/FdtChannel.h"
#include "QT27Controls/framework/MessageService.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "host/HostDocuments.h"
#include "host/StationProject.h"
#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace testsupport {

/// What a fake module looks like in its documents.
struct FakeModule {
    QString typeCode = QStringLiteral("37");
    QString typeName = QStringLiteral("QT27Ex");
    int slot = 7;
    QByteArray parameters = QByteArray::fromHex("0000000000");
    QStringList tags = {QStringLiteral("TI-101"), QStringLiteral("TI-102"), QStringLiteral("TI-103"),
                        QStringLiteral("TI-104")};
    QString comment;
};

/// The fake module in the form the host's document writers take.
inline host::ModuleRecord moduleRecord(const FakeModule& module) {
    host::ModuleRecord record;
    std::tie(record.slot, record.typeCode, record.typeName, record.parameters, record.comment) =
        std::tie(module.slot, module.typeCode, module.typeName, module.parameters, module.comment);
    return record;
}
inline QString dataSetDocument(const FakeModule& module) {
    return host::documents::dataSetDocument(moduleRecord(module));
}
inline QString moduleDocument(const FakeModule& module) {
    return host::documents::moduleDocument(moduleRecord(module));
}
inline QString channelDocument(int number, const QString& tag) {
    return host::documents::channelDocument(number, tag);
}

class FakeChannel : public qt27::FdtChannel {
public:
    explicit FakeChannel(QString document) : document(std::move(document)) {}
    QString RequestDocument(const QString& /*tag*/, const QString& /*documentKey*/) override {
        return fail ? throw rmox::Error(rmox::Error::ObjectNotSet,
                                        QStringLiteral("channel document not available"))
                    : document;
    }
    QString document;
    bool fail = false;
};

class FakeChannels : public qt27::FdtChannels {
public:
    int Count() const override { return static_cast<int>(channels.size()); }
    qt27::FdtChannel* Item(int position) override {
        if (position < 1 || position > Count()) {
            throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        }
        return channels[static_cast<size_t>(position - 1)].get();
    }
    std::vector<std::unique_ptr<FakeChannel>> channels;
};

class FakeMessageService : public qt27::MessageService {
public:
    explicit FakeMessageService(QStringList* log) : m_log(log) {}
    int AskUser(const QString& text, const QString& title, int buttons) override {
        questions.append({text, title, QString::number(buttons)});
        *m_log << "AskUser(" + title + ")";
        return answer;
    }
    int answer = AnswerYes;
    QList<QStringList> questions;  ///< text, title, buttons
    QStringList* m_log;
};

class FakeDtmEvents : public qt27::DtmEvents {
public:
    explicit FakeDtmEvents(QStringList* log) : m_log(log) {}
    void OnErrorMessage(const QString& systemTag, const QString& errorText) override {
        errors.append({systemTag, errorText});
        *m_log << "OnErrorMessage(" + errorText + ")";
    }
    QList<QPair<QString, QString>> errors;
    QStringList* m_log;
};

/// The request documents name their kind and reference, e.g.
/// <FDT><ReadRequest kind="values" communicationReference="..."/></FDT>.
class FakeParameterManager : public qt27::ParameterManager {
    Q_OBJECT
public:
    FakeParameterManager(FakeModule* module, QStringList* log) : m_module(module), m_log(log) {}

    QString RequestDocument(const QString& tag, const QString& /*documentKey*/) override {
        *m_log << "RequestDocument(" + tag + ")";
        return failDocument
                   ? throw rmox::Error(rmox::Error::ObjectNotSet, QStringLiteral("data set not available"))
                   : dataSetDocument(*m_module);
    }
    bool ReadParameters(QByteArray& parameters) override {
        *m_log << "ReadParameters";
        parameters = m_module->parameters;
        return true;
    }
    bool WriteParameters(const QByteArray& parameters) override {
        *m_log << "WriteParameters(" + parameters.toHex().toUpper() + ")";
        written = parameters;
        return true;
    }
    bool CommitParameters() override {
        *m_log << "CommitParameters";
        ++commits;
        m_module->parameters = written;
        return true;
    }
    QString Comment() override { return m_module->comment; }
    void SetComment(const QString& comment) override {
        *m_log << "SetComment(" + comment + ")";
        m_module->comment = comment;
    }
    QByteArray StoredQsData() override { return qsData; }
    void SetStoredQsData(const QByteArray& data) override {
        *m_log << "SetStoredQsData";
        qsData = data;
    }
    QString ConnectRequest(bool withBusAddress) override {
        return QStringLiteral("<FDT><ConnectRequest withBusAddress=\"%1\"/></FDT>")
            .arg(withBusAddress ? 1 : 0);
    }
    QString ValuesReadRequest(const QString& ref) override { return doc("Read", "values", ref); }
    QString OutputValuesReadRequest(const QString& ref) override { return doc("Read", "outputValues", ref); }
    QString OutputValuesWriteRequest(const QString& ref, const QByteArray& forceTelegram) override {
        return doc("Write", "outputValues", ref, " byteArray=\"" + forceTelegram.toHex().toUpper() + "\"");
    }
    QString ForcingEnableRequest(const QString& ref) override { return doc("Write", "enable", ref); }
    QString DiagnosisReadRequest(const QString& ref) override { return doc("Read", "diagnosis", ref); }
    QString QsDataReadRequest(const QString& ref) override { return doc("Read", "qsData", ref); }
    QString SystemTag() override { return QStringLiteral("QT27 slot 7"); }

    QByteArray written;  ///< what WriteParameters received last
    int commits = 0;
    QByteArray qsData;
    bool failDocument = false;  ///< RequestDocument raises an error

private:
    static QString doc(const char* element, const char* kind, const QString& ref, const QString& more = {}) {
        return QStringLiteral("<FDT><%1Request kind=\"%2\" communicationReference=\"%3\"%4/></FDT>")
            .arg(QLatin1String(element), QLatin1String(kind), ref, more);
    }

    FakeModule* m_module;
    QStringList* m_log;
};

class FakeBaseDtm : public qt27::BaseDtm {
    Q_OBJECT
public:
    FakeBaseDtm(FakeModule* module, QStringList* log)
        : parameterManager(module, log), messages(log), events(log), m_module(module), m_log(log) {
        resources.setLanguage(QStringLiteral("en"));
        resources.setResourceFolder(qt27::DeviceResourceFolder());
    }

    QString ModuleDocument() override { return moduleDocument(*m_module); }
    rmox::ResourceManager* ResourceManager() override { return &resources; }
    qt27::ParameterManager* ParameterManager() override { return &parameterManager; }
    qt27::MessageService* MessageService() override { return &messages; }
    QString DtmInformation() override { return dtmInformation; }
    QObject* CommunicationObject() override { return this; }
    QObject* SchemaObject() override { return nullptr; }
    int StateValue() override { return stateValue; }
    bool HoldsLock() override { return note("HoldsLock", holdsLock); }
    bool MayEdit() override { return note("MayEdit", mayEdit); }
    bool UiOpened(const QString& invokeId) override { return note("UiOpened(" + invokeId + ")"); }
    bool CloseUi(const QString& invokeId) override { return note("CloseUi(" + invokeId + ")"); }
    bool UiReleased(const QString& invokeId) override {
        ++uiReleasedCount;
        return note("UiReleased(" + invokeId + ")");
    }
    bool NotifyDataChanged() override { return note("NotifyDataChanged"); }
    bool EndEditing() override { return note("EndEditing"); }
    qt27::DtmEvents* DtmEvents() override { return &events; }

    rmox::ResourceManager resources;
    FakeParameterManager parameterManager;
    FakeMessageService messages;
    FakeDtmEvents events;
    QString dtmInformation = QStringLiteral(
        "<FDT><DtmInformation name=\"rimox QT27 DTM\" revision=\"1.0.3\"><FdtVersion major=\"1\" "
        "minor=\"2\"/>"
        "</DtmInformation></FDT>");
    bool holdsLock = false;
    bool mayEdit = true;
    int stateValue = 6;
    int uiReleasedCount = 0;

private:
    bool note(const QString& entry, bool answer = true) {
        m_log->append(entry);
        return answer;
    }

    FakeModule* m_module;
    QStringList* m_log;
};

/// The host DTM with its base DTM, parameter manager, channels and message
/// service; `log` collects what the page called, e.g. "UiOpened(INV)".
class FakeDtm : public qt27::QT27Dtm {
    Q_OBJECT
public:
    explicit FakeDtm(const FakeModule& module = FakeModule()) : module(module), base(&this->module, &log) {
        rebuildChannels();
    }

    qt27::BaseDtm* BaseDtm() override { return &base; }
    QList<qt27::CommunicationService*> CommunicationObjects() override { return communication; }
    QString DocumentKey() override { return documentKey; }
    qt27::FdtChannels* Channels() override { return &channels; }

    /// Rebuilds the channel documents from module.tags.
    void rebuildChannels() {
        channels.channels.clear();
        for (int i = 0; i < module.tags.size(); ++i) {
            channels.channels.push_back(
                std::make_unique<FakeChannel>(channelDocument(i + 1, module.tags[i])));
        }
    }
    /// Entries of `log` that start with @p prefix.
    QStringList calls(const QString& prefix) const {
        QStringList result = log;
        result.removeIf([&](const QString& entry) { return !entry.startsWith(prefix); });
        return result;
    }

    FakeModule module;
    QStringList log;
    FakeBaseDtm base;
    FakeChannels channels;
    QList<qt27::CommunicationService*> communication;
    QString documentKey = QStringLiteral("2F6D9B04-1A83-4C5e-9E27-C45B80D16F3A");
};

}  // namespace testsupport
