#pragma once

// A scripted fake of the host's communication service. It records every request,
// accepts or refuses each one as the test scripted it, and answers only when the test
// says so, with response documents in the format of rmox/Communication/DOCUMENTS.md.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <functional>

#include "QT27Controls/communication/CommunicationService.h"
#include "QT27Controls/communication/IBaseCommunicationCallback.h"

namespace testsupport {

class FakeCommunication : public qt27::CommunicationService {
    Q_OBJECT

public:
    enum class Kind { Connect, Disconnect, Transaction, VerifyConnection };
    struct Request {
        Kind kind = Kind::Connect;
        QString invokeId;
        QString reference;                       ///< communication reference (Disconnect, Transaction)
        QString document;                        ///< request document (Connect, Transaction)
        QString documentKey;                     ///< Connect
        QObject* communicationObject = nullptr;  ///< Connect
        bool accepted = true;
    };
    enum class ConnectAnswer { Connected, NoConnectPart, Unreadable };

    /// Every request is also appended to @p log (e.g. "Connect(ID)"), when given.
    explicit FakeCommunication(QStringList* log = nullptr) : m_log(log) {}

    bool Connect(QObject* communicationObject, qt27::IBaseCommunicationCallback* callback,
                 const QString& invokeId, const QString& documentKey, const QString& request) override {
        return record({Kind::Connect, invokeId, {}, request, documentKey, communicationObject, true},
                      callback);
    }
    bool Disconnect(const QString& communicationReference, qt27::IBaseCommunicationCallback* callback,
                    const QString& invokeId) override {
        return record({Kind::Disconnect, invokeId, communicationReference, {}, {}, nullptr, true}, callback);
    }
    bool TransactionRequest(const QString& communicationReference, qt27::IBaseCommunicationCallback* callback,
                            const QString& invokeId, const QString& request) override {
        return record({Kind::Transaction, invokeId, communicationReference, request, {}, nullptr, true},
                      callback);
    }
    bool VerifyConnection(bool verify) override {
        ++verifications;
        return record({Kind::VerifyConnection, verify ? "1" : "0", {}, {}, {}, nullptr, true}, nullptr);
    }

    /// The next @p count requests of @p kind are refused.
    void refuseNext(Kind kind, int count = 1) { m_refusals[kind] += count; }

    // What the pages asked for.
    QList<Request> requests;
    QList<Request> requestsOf(Kind kind) const {
        QList<Request> result = requests;
        result.removeIf([kind](const Request& request) { return request.kind != kind; });
        return result;
    }
    int count(Kind kind) const { return static_cast<int>(requestsOf(kind).size()); }
    /// The last request of @p kind; a default request when there is none.
    Request last(Kind kind) const { return requestsOf(kind).value(requestsOf(kind).size() - 1); }

    // Answers; a null @p invokeId answers the last request of that kind, an empty but
    // non-null one sends an empty id. Answers go to the callback of the last request and
    // are dropped when it is destroyed.
    void answerConnect(ConnectAnswer how = ConnectAnswer::Connected, const QString& invokeId = QString()) {
        deliver(Kind::Connect, invokeId, [&](const QString& id) {
            m_callback->OnConnectResponse(id, connectResponse(how, reference));
        });
    }
    void answerDisconnect(const QString& invokeId = QString()) {
        deliver(Kind::Disconnect, invokeId, [&](const QString& id) {
            m_callback->OnDisconnectResponse(id, disconnectResponse(reference));
        });
    }
    void answerRead(const QByteArray& data, const QString& invokeId = QString()) {
        answerTransaction(readResponse(data, reference), invokeId);
    }
    void answerReadError(const QString& errorText = QStringLiteral("Read of an invalid index"),
                         const QString& invokeId = QString()) {
        answerTransaction(readErrorResponse(errorText, reference), invokeId);
    }
    void answerReadWithoutParts(const QString& invokeId = QString()) {
        answerTransaction(readResponseWithoutParts(reference), invokeId);
    }
    void answerReadUnreadable(const QString& invokeId = QString()) {
        answerTransaction(unreadableResponse(), invokeId);
    }
    void answerTransaction(const QString& response, const QString& invokeId = QString()) {
        deliver(Kind::Transaction, invokeId,
                [&](const QString& id) { m_callback->OnTransactionResponse(id, response); });
    }
    /// OnAbort to the last callback; nothing outstanding is answered afterwards.
    void abort() {
        for (const Request& request : requests) {
            m_answered.insert(request.invokeId);
        }
        if (m_callbackObject) {
            m_callback->OnAbort(reference);
        }
    }
    void requestVerification(const QString& invokeId) {
        if (m_callbackObject) {
            m_callback->VerifyConnectionRequest(invokeId, QStringLiteral("<FDT><VerifyConnection/></FDT>"));
        }
    }

    /// Accepted requests that have not been answered yet (nor aborted).
    QList<Request> outstanding() const {
        QList<Request> result = requests;
        result.removeIf([this](const Request& request) {
            return !request.accepted || request.kind == Kind::VerifyConnection ||
                   m_answered.contains(request.invokeId);
        });
        return result;
    }

    // Response documents.
    static QString connectResponse(ConnectAnswer how, const QString& reference) {
        const QString parts =
            how == ConnectAnswer::Connected
                ? QStringLiteral("communicationReference=\"%1\" connectStatus=\"deviceInDataExchange\"")
                      .arg(reference.toHtmlEscaped())
                : QStringLiteral("errorCode=\"1\" errorText=\"%1\"").arg(connectErrorText());
        return how == ConnectAnswer::Unreadable
                   ? unreadableResponse()
                   : "<FDT><ConnectResponse busAddress=\"12\" " + parts + "/></FDT>";
    }
    static QString disconnectResponse(const QString& reference) {
        return "<FDT><DisconnectResponse communicationReference=\"" + reference.toHtmlEscaped() +
               "\"/></FDT>";
    }
    static QString readResponse(const QByteArray& data, const QString& reference) {
        return readResponseOf(
            reference, "0",
            "><CommunicationData byteArray=\"" + data.toHex().toUpper() + "\"/></ReadResponse>");
    }
    static QString readErrorResponse(const QString& errorText, const QString& reference) {
        return readResponseOf(reference, "DE80B0", " errorText=\"" + errorText.toHtmlEscaped() + "\"/>");
    }
    static QString readResponseWithoutParts(const QString& reference) {
        return readResponseOf(reference, "0", "/>");
    }
    static QString unreadableResponse() {
        return QStringLiteral("<FDT><ReadResponse slot=\"3\" communicationRef");
    }

    /// The reference that a successful connect hands out.
    QString reference = QStringLiteral("C2137DD1-7842-11D4-A3C9-005004DC410F");
    /// Error text of a connect answer without connection.
    static QString connectErrorText() { return QStringLiteral("Station 12 does not answer"); }
    int verifications = 0;

private:
    static QString readResponseOf(const QString& reference, const QString& errorCode, const QString& rest) {
        return QStringLiteral(
                   "<FDT><ReadResponse slot=\"3\" index=\"16\" communicationReference=\"%1\" "
                   "errorCode=\"%2\"%3</FDT>")
            .arg(reference.toHtmlEscaped(), errorCode, rest);
    }
    /// Notes @p request, accepted unless a refusal is scripted, and keeps its callback.
    bool record(Request request, qt27::IBaseCommunicationCallback* callback) {
        int& refusals = m_refusals[request.kind];
        request.accepted = refusals == 0;
        refusals = qMax(0, refusals - 1);
        if (callback != nullptr) {
            m_callback = callback;
            m_callbackObject = dynamic_cast<QObject*>(callback);
        }
        static const char* const names[] = {"Connect", "Disconnect", "TransactionRequest",
                                            "VerifyConnection"};
        if (m_log != nullptr) {
            *m_log << QStringLiteral("%1(%2)%3")
                          .arg(names[int(request.kind)], request.invokeId,
                               request.accepted ? "" : " refused");
        }
        requests.append(request);
        requests.last().invokeId = request.kind == Kind::VerifyConnection ? QString() : request.invokeId;
        return request.accepted;
    }
    /// Hands an answer to the last callback unless it is destroyed; the id is answered then.
    void deliver(Kind kind, const QString& invokeId, const std::function<void(const QString& id)>& answer) {
        if (m_callbackObject) {
            const QString id = invokeId.isNull() ? last(kind).invokeId : invokeId;
            m_answered.insert(id);
            answer(id);
        }
    }

    QStringList* m_log;
    QMap<Kind, int> m_refusals;
    QSet<QString> m_answered;
    qt27::IBaseCommunicationCallback* m_callback = nullptr;
    QPointer<QObject> m_callbackObject;
};

}  // namespace testsupport
