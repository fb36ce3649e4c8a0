#pragma once

#include <QString>

namespace qt27 {

/// The callback interface of every online page. The communication service calls
/// it later, from the event loop, with the invoke id of the request it answers.
/// Implementations are QObjects; the service drops answers to a destroyed callback.
class IBaseCommunicationCallback {
public:
    virtual ~IBaseCommunicationCallback() = default;
    /// The answer to CommunicationService::Connect: the response document names the
    /// communication reference of the new connection or the error.
    virtual void OnConnectResponse(const QString& invokeID, const QString& response) = 0;
    /// The answer to CommunicationService::Disconnect.
    virtual void OnDisconnectResponse(const QString& invokeID, const QString& response) = 0;
    /// The answer to CommunicationService::TransactionRequest: the response document
    /// with the telegram read, or the error.
    virtual void OnTransactionResponse(const QString& invokeID, const QString& response) = 0;
    /// The connection @p communicationReference broke without a request; the page
    /// is offline from now on.
    virtual void OnAbort(const QString& communicationReference) = 0;
    /// The service asks whether the connection of the request @p invokeID is still
    /// wanted; the page answers with CommunicationService::VerifyConnection.
    virtual void VerifyConnectionRequest(const QString& invokeID, const QString& response) = 0;
};

}  // namespace qt27
