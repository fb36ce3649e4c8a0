#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace qt27 {

class BaseDtm;
class CommunicationService;
class FdtChannels;

/// The host DTM: the `dtm` argument of IDtmActiveXControl_Init. A host implements
/// it once per module; every page of the module is initialised with it.
class QT27Dtm : public QObject {
    Q_OBJECT

public:
    /// A host DTM with the QObject @p parent (Qt ownership).
    using QObject::QObject;

    /// The base DTM of the module: documents, data set, lock and page notifications.
    virtual qt27::BaseDtm* BaseDtm() = 0;
    /// The communication objects; online pages use the first.
    virtual QList<qt27::CommunicationService*> CommunicationObjects() = 0;
    /// Passed with the tag "FDT" to every document request, and to Connect.
    virtual QString DocumentKey() = 0;
    /// The module's FDT channel objects; each answers its channel document (number
    /// and tag of the channel).
    virtual qt27::FdtChannels* Channels() = 0;
};

}  // namespace qt27
