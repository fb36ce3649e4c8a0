#pragma once

#include <QString>
#include <memory>

#include "QT27Controls/framework/BaseDtm.h"

namespace rmox {
class ResourceManager;
}

namespace host {

class MessageService;
class ParameterManager;
class Station;

/// The base DTM of one module, shared by all pages of that module.
///
/// The calls of the pages come back out as Qt signals for the frame (uiOpened,
/// closeUiRequested, uiReleased, dataChanged, editingEnded), and so do the errors
/// sent through IDtmEvents (errorMessage).
///
/// Data-set lock: the DTM knows its own user name ("engineer" unless set) and the
/// current owner of the lock (nobody, its own user or another user). HoldsLock is
/// true while its own user holds the lock; MayEdit is true unless another user
/// holds it. Taking, releasing and taking over the lock go to the station's audit
/// trail (the frame changes the lock, so the host records it, once per change).
class BaseDtm : public qt27::BaseDtm {
    Q_OBJECT

public:
    /// The user name of an unlock that pages ignore.
    static inline const QString kCompatibilityUser = QStringLiteral("COMPATIBILITY");
    static inline const QString kDefaultUserName = QStringLiteral("engineer");

    BaseDtm(Station& station, int slot, QObject* parent = nullptr);
    ~BaseDtm() override;

    /// `<Module slot=".." typeCode=".." typeName=".."/>` of the current data.
    QString ModuleDocument() override;
    rmox::ResourceManager* ResourceManager() override;
    qt27::ParameterManager* ParameterManager() override;
    qt27::MessageService* MessageService() override;
    QString DtmInformation() override;
    /// Carries the properties "busAddress" and "slot" of the module.
    QObject* CommunicationObject() override;
    /// Carries the property "documentFormat" ("FDT").
    QObject* SchemaObject() override;
    int StateValue() override;
    bool HoldsLock() override;
    bool MayEdit() override;
    bool UiOpened(const QString& invokeId) override;
    bool CloseUi(const QString& invokeId) override;
    bool UiReleased(const QString& invokeId) override;
    bool NotifyDataChanged() override;
    bool EndEditing() override;
    qt27::DtmEvents* DtmEvents() override;
    /// Stores the pages' reports in the station's trail, under this module's slot.
    qt27::AuditTrail* AuditTrail() override;

    int slot() const { return m_slot; }
    host::ParameterManager* parameterManager() const { return m_parameterManager; }
    host::MessageService* messageService() const { return m_messages.get(); }
    rmox::ResourceManager* resourceManager() const { return m_resources; }
    /// The language of the resource manager ("en", "de").
    void setLanguage(const QString& language);

    QString userName() const { return m_userName; }
    void setUserName(const QString& userName) { m_userName = userName; }
    /// Who holds the data-set lock; empty when nobody does.
    QString lockOwner() const { return m_lockOwner; }

    /// @p userName takes the data-set lock and LockDataSet(userName) is emitted.
    /// Refused (false, nothing emitted) while another user holds the lock.
    bool lockDataSetAs(const QString& userName);
    /// @p userName gives the lock back and UnlockDataSet(userName) is emitted.
    /// "COMPATIBILITY" is always emitted and leaves the lock as it is; any other
    /// name is refused (false, nothing emitted) unless it holds the lock.
    bool unlockDataSetAs(const QString& userName);
    /// @p userName takes the lock away from whoever holds it: UnlockDataSet(owner)
    /// and LockDataSet(userName) are emitted. Refused (false) for an empty name.
    bool takeOverLockAs(const QString& userName);

signals:
    void uiOpened(const QString& invokeId);
    void closeUiRequested(const QString& invokeId);
    void uiReleased(const QString& invokeId);
    void dataChanged();
    void editingEnded();
    /// An error sent through IDtmEvents, for the frame's error panel.
    void errorMessage(const QString& systemTag, const QString& text);

private:
    class ErrorInterface;
    class ModuleTrail;

    int m_slot;
    Station& m_station;
    host::ParameterManager* m_parameterManager;  // child
    rmox::ResourceManager* m_resources;          // child
    QObject* m_communicationObject;              // child
    QObject* m_schemaObject;                     // child
    std::unique_ptr<host::MessageService> m_messages;
    std::unique_ptr<ErrorInterface> m_events;
    std::unique_ptr<ModuleTrail> m_trail;
    QString m_userName = kDefaultUserName;
    QString m_lockOwner;
};

}  // namespace host
