#pragma once

#include <QString>

namespace qt27 {

/// The callback interface of every online page. The communication service calls
/// it later, from the event loop, with the invoke id of the request it answers.
/// Implementations are QObjects; the service drops answers to a destroyed callback.
class IBaseCommunicationCallback {
public:
    virtual ~IBaseCommunicationCallback() = default;
    virtual void OnConnectResponse(const QString& invokeID, const QString& response) = 0;
    virtual void OnDisconnectResponse(const QString& invokeID, const QString& response) = 0;
    virtual void OnTransactionResponse(const QString& invokeID, const QString& response) = 0;
    virtual void OnAbort(const QString& communicationReference) = 0;
    virtual void VerifyConnectionRequest(const QString& invokeID, const QString& response) = 0;
};

}  // namespace qt27
