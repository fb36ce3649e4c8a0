#pragma once

#include <QObject>
#include <QString>

namespace rmox {
class ResourceManager;
}

namespace qt27 {

class AuditTrail;
class DtmEvents;
class MessageService;
class ParameterManager;

/// The base DTM (`rmoxBaseDtm`) as the pages use it.
class BaseDtm : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// The module document (text) of the base DTM.
    virtual QString ModuleDocument() = 0;
    virtual rmox::ResourceManager* ResourceManager() = 0;
    virtual qt27::ParameterManager* ParameterManager() = 0;
    virtual qt27::MessageService* MessageService() = 0;
    /// The DTM information document (text).
    virtual QString DtmInformation() = 0;
    /// The object handed on as the first argument of Connect.
    virtual QObject* CommunicationObject() = 0;
    /// The object handed to the response reader with every response.
    virtual QObject* SchemaObject() = 0;
    /// The DTM's state value; 6 lets Identification connect at start.
    virtual int StateValue() = 0;
    /// True when this DTM instance holds the data-set lock.
    virtual bool HoldsLock() = 0;
    /// True when the user interface may edit.
    virtual bool MayEdit() = 0;
    virtual bool UiOpened(const QString& invokeId) = 0;
    virtual bool CloseUi(const QString& invokeId) = 0;
    virtual bool UiReleased(const QString& invokeId) = 0;
    virtual bool NotifyDataChanged() = 0;
    virtual bool EndEditing() = 0;
    /// The error interface `IDtmEvents`.
    virtual qt27::DtmEvents* DtmEvents() = 0;
    /// Where the pages report their changes; nullptr when the host keeps no trail.
    virtual qt27::AuditTrail* AuditTrail() { return nullptr; }

signals:
    void LockDataSet(const QString& userName);
    void UnlockDataSet(const QString& userName);
    void ParameterChanged();
};

}  // namespace qt27
