#include "FakeCommunication.h"

namespace testsupport {

QString FakeCommunication::readResponseOf(const QString& reference, const QString& errorCode,
                                          const QString& rest) {
    return QStringLiteral(
               "<FDT><ReadResponse slot=\"3\" index=\"16\" communicationReference=\"%1\" "
               "errorCode=\"%2\"%3</FDT>")
        .arg(reference.toHtmlEscaped(), errorCode, rest);
}

bool FakeCommunication::record(Request request, qt27::IBaseCommunicationCallback* callback,
                               const QString& logEntry) {
    int& refusals = m_refusals[request.kind];
    request.accepted = refusals == 0;
    refusals = qMax(0, refusals - 1);
    if (callback != nullptr) {
        m_callback = callback;
        m_callbackObject = dynamic_cast<QObject*>(callback);
    }
    if (m_log != nullptr) {
        m_log->append(logEntry + (request.accepted ? QString() : QStringLiteral(" refused")));
    }
    requests.append(request);
    return request.accepted;
}

bool FakeCommunication::Connect(QObject* communicationObject, qt27::IBaseCommunicationCallback* callback,
                                const QString& invokeId, const QString& documentKey, const QString& request) {
    return record({Kind::Connect, invokeId, {}, request, documentKey, communicationObject, true}, callback,
                  QStringLiteral("Connect(%1)").arg(invokeId));
}

bool FakeCommunication::Disconnect(const QString& communicationReference,
                                   qt27::IBaseCommunicationCallback* callback, const QString& invokeId) {
    return record({Kind::Disconnect, invokeId, communicationReference, {}, {}, nullptr, true}, callback,
                  QStringLiteral("Disconnect(%1)").arg(invokeId));
}

bool FakeCommunication::TransactionRequest(const QString& communicationReference,
                                           qt27::IBaseCommunicationCallback* callback,
                                           const QString& invokeId, const QString& request) {
    return record({Kind::Transaction, invokeId, communicationReference, request, {}, nullptr, true}, callback,
                  QStringLiteral("TransactionRequest(%1)").arg(invokeId));
}

bool FakeCommunication::VerifyConnection(bool verify) {
    ++verifications;
    return record({Kind::VerifyConnection, {}, {}, {}, {}, nullptr, true}, nullptr,
                  QStringLiteral("VerifyConnection(%1)").arg(verify ? 1 : 0));
}

QList<FakeCommunication::Request> FakeCommunication::requestsOf(Kind kind) const {
    QList<Request> result;
    std::copy_if(requests.begin(), requests.end(), std::back_inserter(result),
                 [kind](const Request& request) { return request.kind == kind; });
    return result;
}

QList<FakeCommunication::Request> FakeCommunication::outstanding() const {
    QList<Request> result;
    std::copy_if(requests.begin(), requests.end(), std::back_inserter(result),
                 [this](const Request& request) {
                     return request.accepted && request.kind != Kind::VerifyConnection &&
                            !m_answered.contains(request.invokeId);
                 });
    return result;
}

bool FakeCommunication::answerOldestOutstanding() {
    const QList<Request> open = outstanding();
    if (open.isEmpty()) {
        return false;
    }
    const Request& oldest = open.first();
    if (oldest.kind == Kind::Connect) {
        answerConnect(ConnectAnswer::Connected, oldest.invokeId);
    } else if (oldest.kind == Kind::Disconnect) {
        answerDisconnect(oldest.invokeId);
    } else {
        answerRead(QByteArray::fromHex("000001000200030004"), oldest.invokeId);
    }
    return true;
}

void FakeCommunication::deliver(
    Kind kind, const QString& invokeId,
    const std::function<void(qt27::IBaseCommunicationCallback*, const QString&)>& answer) {
    if (m_callbackObject) {
        const QString id = invokeId.isNull() ? last(kind).invokeId : invokeId;
        m_answered.insert(id);
        answer(m_callback, id);
    }
}

void FakeCommunication::answerConnect(ConnectAnswer how, const QString& invokeId) {
    deliver(Kind::Connect, invokeId, [&](auto* callback, const QString& id) {
        callback->OnConnectResponse(id, connectResponse(how, reference));
    });
}

void FakeCommunication::answerDisconnect(const QString& invokeId) {
    deliver(Kind::Disconnect, invokeId, [&](auto* callback, const QString& id) {
        callback->OnDisconnectResponse(id, disconnectResponse(reference));
    });
}

void FakeCommunication::answerTransaction(const QString& response, const QString& invokeId) {
    deliver(Kind::Transaction, invokeId,
            [&](auto* callback, const QString& id) { callback->OnTransactionResponse(id, response); });
}

void FakeCommunication::abort() {
    for (const Request& request : requests) {
        m_answered.insert(request.invokeId);
    }
    if (m_callbackObject) {
        m_callback->OnAbort(reference);
    }
}

void FakeCommunication::requestVerification(const QString& invokeId) {
    if (m_callbackObject) {
        m_callback->VerifyConnectionRequest(invokeId, QStringLiteral("<FDT><VerifyConnection/></FDT>"));
    }
}

QString FakeCommunication::connectResponse(ConnectAnswer how, const QString& reference) {
    if (how == ConnectAnswer::Unreadable) {
        return unreadableResponse();
    }
    return QStringLiteral("<FDT><ConnectResponse busAddress=\"12\" %1/></FDT>")
        .arg(how == ConnectAnswer::Connected
                 ? QStringLiteral("communicationReference=\"%1\" connectStatus=\"deviceInDataExchange\"")
                       .arg(reference.toHtmlEscaped())
                 : QStringLiteral("errorCode=\"1\" errorText=\"%1\"").arg(connectErrorText()));
}

QString FakeCommunication::disconnectResponse(const QString& reference) {
    return QStringLiteral("<FDT><DisconnectResponse communicationReference=\"%1\"/></FDT>")
        .arg(reference.toHtmlEscaped());
}

QString FakeCommunication::readResponse(const QByteArray& data, const QString& reference) {
    return readResponseOf(reference, QStringLiteral("0"),
                          QStringLiteral("><CommunicationData byteArray=\"%1\"/></ReadResponse>")
                              .arg(QString::fromLatin1(data.toHex().toUpper())));
}

}  // namespace testsupport
