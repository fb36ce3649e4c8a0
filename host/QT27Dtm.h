#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <memory>

#include "QT27Controls/framework/QT27Dtm.h"

namespace host {

class BaseDtm;
class FdtChannels;
class Station;

/// The host DTM of one QT27 module: the `dtm` the frame passes to every page of
/// that module. Owns the module's base DTM (and through it the parameter manager)
/// and its four channels.
class QT27Dtm : public qt27::QT27Dtm {
    Q_OBJECT

public:
    QT27Dtm(Station& station, int slot, QObject* parent = nullptr);
    ~QT27Dtm() override;

    qt27::BaseDtm* BaseDtm() override;
    /// The services set with setCommunicationObjects that still exist.
    QList<qt27::CommunicationService*> CommunicationObjects() override;
    /// The module's document key from the station project.
    QString DocumentKey() override;
    qt27::FdtChannels* Channels() override;

    int slot() const { return m_slot; }
    host::BaseDtm* baseDtm() const { return m_baseDtm; }
    /// Filled by the frame once the communication service exists; not owned.
    void setCommunicationObjects(const QList<qt27::CommunicationService*>& services);

    /// The module's data were replaced from the project file: the parameter
    /// manager and then the base DTM emit ParameterChanged.
    void notifyDataReplaced();
    /// The module left the project file: its pages keep the last data, changes are refused.
    void detach();

private:
    int m_slot;
    host::BaseDtm* m_baseDtm;  // child
    std::unique_ptr<FdtChannels> m_channels;
    QList<QPointer<qt27::CommunicationService>> m_communication;
};

}  // namespace host
