#pragma once

#include <QObject>
#include <QString>

namespace qt27 {

class IBaseCommunicationCallback;

/// The communication service of the host. Every request answers at once whether it
/// was accepted; an accepted request is answered later through the callback with
/// the same invoke id.
class CommunicationService : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool Connect(QObject* communicationObject, IBaseCommunicationCallback* callback,
                         const QString& invokeId, const QString& documentKey, const QString& request) = 0;
    virtual bool Disconnect(const QString& communicationReference, IBaseCommunicationCallback* callback,
                            const QString& invokeId) = 0;
    virtual bool TransactionRequest(const QString& communicationReference,
                                    IBaseCommunicationCallback* callback, const QString& invokeId,
                                    const QString& request) = 0;
    virtual bool VerifyConnection(bool verify) = 0;
};

}  // namespace qt27
