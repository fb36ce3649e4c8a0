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
    /// A service with the QObject @p parent (Qt ownership).
    using QObject::QObject;

    /// Opens a connection to the module for @p callback. @p communicationObject is
    /// BaseDtm::CommunicationObject(), @p documentKey QT27Dtm::DocumentKey() and
    /// @p request ParameterManager::ConnectRequest(). True: OnConnectResponse with
    /// @p invokeId follows, carrying the communication reference of the connection.
    virtual bool Connect(QObject* communicationObject, IBaseCommunicationCallback* callback,
                         const QString& invokeId, const QString& documentKey, const QString& request) = 0;
    /// Closes the connection @p communicationReference. True: OnDisconnectResponse
    /// with @p invokeId follows.
    virtual bool Disconnect(const QString& communicationReference, IBaseCommunicationCallback* callback,
                            const QString& invokeId) = 0;
    /// Sends the request document @p request (built by the ParameterManager) over
    /// the connection. True: OnTransactionResponse with @p invokeId follows.
    virtual bool TransactionRequest(const QString& communicationReference,
                                    IBaseCommunicationCallback* callback, const QString& invokeId,
                                    const QString& request) = 0;
    /// The page's answer to VerifyConnectionRequest: the connection is still wanted
    /// (the pages pass true). Nothing follows.
    virtual bool VerifyConnection(bool verify) = 0;
};

}  // namespace qt27
