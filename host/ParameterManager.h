#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "QT27Controls/framework/ParameterManager.h"
#include "host/StationProject.h"

namespace host {

class BaseDtm;
class Station;

/// The parameter manager of one module: its data set in the station project and
/// the request builder of the online pages.
///
/// Every change (committed parameters, comment, stored production data) is written
/// into the project file at once, atomically. A change that cannot be written is
/// reported through the base DTM's IDtmEvents with the file and the reason; it
/// stays in memory and goes into the file with the next successful write. Changes
/// are refused while another user holds the data-set lock.
class ParameterManager : public qt27::ParameterManager {
    Q_OBJECT

public:
    /// Request indexes of the QT27 (slot addressing comes from the module).
    enum Index {
        ValuesIndex = 16,
        OutputValuesIndex = 17,
        DiagnosisIndex = 18,
        QsDataIndex = 19,
        OutputValuesWriteIndex = 20,
        ForcingEnableIndex = 21,
    };
    static constexpr int kValuesLength = 9;
    static constexpr int kOutputValuesLength = 8;

    ParameterManager(Station& station, int slot, BaseDtm& baseDtm, QObject* parent = nullptr);

    QString RequestDocument(const QString& tag, const QString& documentKey) override;
    bool ReadParameters(QByteArray& parameters) override;
    /// Stages @p parameters for CommitParameters; an empty array is refused.
    bool WriteParameters(const QByteArray& parameters) override;
    /// Stores the staged parameters; emits ParameterChanged when they differ from
    /// the stored ones. Answers false when nothing could be written.
    bool CommitParameters() override;
    QString Comment() override;
    /// Stores @p comment at once; characters XML cannot carry are dropped.
    void SetComment(const QString& comment) override;
    QByteArray StoredQsData() override;
    void SetStoredQsData(const QByteArray& data) override;

    /// The connect request; the bus address is left out when @p withBusAddress is false.
    QString ConnectRequest(bool withBusAddress) override;
    QString ValuesReadRequest(const QString& communicationReference) override;
    QString OutputValuesReadRequest(const QString& communicationReference) override;
    QString OutputValuesWriteRequest(const QString& communicationReference,
                                     const QByteArray& forceTelegram) override;
    QString ForcingEnableRequest(const QString& communicationReference) override;
    QString DiagnosisReadRequest(const QString& communicationReference) override;
    QString QsDataReadRequest(const QString& communicationReference) override;
    /// "QT27 slot 03 TI-101": the slot in two digits and the first channel tag.
    QString SystemTag() override;

    int slot() const { return m_slot; }
    /// The module's data; after the module left the project, the last known data.
    ModuleRecord record() const;
    /// The module was removed from the project file: reads go on with the last
    /// known data, changes are refused.
    void detach();
    bool isDetached() const { return m_detached; }

signals:
    /// A change was refused or could not be written; @p reason is what was reported.
    void storeFailed(const QString& reason);

private:
    bool store(const ModuleRecord& updated);
    void report(const QString& text);

    Station& m_station;
    int m_slot;
    BaseDtm& m_baseDtm;
    mutable ModuleRecord m_lastKnown;
    bool m_detached = false;
    std::optional<QByteArray> m_staged;
};

}  // namespace host
