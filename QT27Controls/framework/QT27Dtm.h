#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace qt27 {

class BaseDtm;
class CommunicationService;
class FdtChannels;

/// The host DTM: the `dtm` argument of IDtmActiveXControl_Init.
class QT27Dtm : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual qt27::BaseDtm* BaseDtm() = 0;
    /// The communication objects; online pages use the first.
    virtual QList<qt27::CommunicationService*> CommunicationObjects() = 0;
    /// Passed with the tag "FDT" to every document request, and to Connect.
    virtual QString DocumentKey() = 0;
    virtual qt27::FdtChannels* Channels() = 0;
};

}  // namespace qt27
