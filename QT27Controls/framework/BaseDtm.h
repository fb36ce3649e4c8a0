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

/// The base DTM (`rmoxBaseDtm`) as the pages use it: the module's documents, the
/// shared resource manager, parameter manager and message service, the data-set lock
/// and the notifications a page gives about its own life (opened, to be closed,
/// released). A host implements it once per module; the pages reach it through
/// QT27Dtm::BaseDtm() and hold it from Init until they are released.
class BaseDtm : public QObject {
    Q_OBJECT

public:
    /// A base DTM with the QObject @p parent (Qt ownership).
    using QObject::QObject;

    /// The module document (text) of the base DTM.
    virtual QString ModuleDocument() = 0;
    /// The resource manager the pages configure their own resource managers from
    /// (language and folders); the pages never change it.
    virtual rmox::ResourceManager* ResourceManager() = 0;
    /// The module's data set and the builder of every request document.
    virtual qt27::ParameterManager* ParameterManager() = 0;
    /// Asks the user questions on the pages' behalf (for example before storing
    /// production data).
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
    /// Called by a page at the end of its Init with the invoke id it was given.
    virtual bool UiOpened(const QString& invokeId) = 0;
    /// The page with @p invokeId asks to be closed (its Close button, after an
    /// online page's disconnect); the host closes the page's window. The answer is
    /// not evaluated.
    virtual bool CloseUi(const QString& invokeId) = 0;
    /// The page with @p invokeId has finished its release (the end of
    /// PrepareToRelease, after an online page's disconnect); the host may destroy it
    /// now. The answer is not evaluated.
    virtual bool UiReleased(const QString& invokeId) = 0;
    /// A page changed stored data (Identification: production data, comment). The
    /// answer is not evaluated.
    virtual bool NotifyDataChanged() = 0;
    /// A page ends its editing of the data set (Parameter at release, Identification
    /// at release and after storing production data). The answer is not evaluated.
    virtual bool EndEditing() = 0;
    /// The error interface `IDtmEvents`.
    virtual qt27::DtmEvents* DtmEvents() = 0;
    /// Where the pages report their changes; nullptr when the host keeps no trail.
    virtual qt27::AuditTrail* AuditTrail() { return nullptr; }

signals:
    /// @p userName took the data-set lock: the pages show it and become editable
    /// when HoldsLock() says this instance holds it, read-only otherwise.
    void LockDataSet(const QString& userName);
    /// @p userName released the data-set lock: the pages become read-only (a release
    /// by "COMPATIBILITY" is ignored).
    void UnlockDataSet(const QString& userName);
    /// The module's data changed outside the page; Parameter reads its values again.
    void ParameterChanged();
};

}  // namespace qt27
