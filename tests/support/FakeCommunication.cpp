#include "FakeCommunication.h"

#include <QXmlStreamWriter>
#include <functional>

namespace testsupport {

namespace {

QString fdt(const std::function<void(QXmlStreamWriter&)>& body) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    body(xml);
    xml.writeEndElement();
    return text;
}

void readResponseStart(QXmlStreamWriter& xml, const QString& reference, const QString& errorCode) {
    xml.writeStartElement(QStringLiteral("ReadResponse"));
    xml.writeAttribute(QStringLiteral("slot"), QStringLiteral("3"));
    xml.writeAttribute(QStringLiteral("index"), QStringLiteral("16"));
    xml.writeAttribute(QStringLiteral("communicationReference"), reference);
    xml.writeAttribute(QStringLiteral("errorCode"), errorCode);
}

}  // namespace

FakeCommunication::FakeCommunication(QStringList* log) : m_log(log) {}

bool FakeCommunication::record(Request request, qt27::IBaseCommunicationCallback* callback,
                               const QString& logEntry) {
    int& refusals = m_refusals[request.kind];
    request.accepted = refusals == 0;
    if (refusals > 0) {
        --refusals;
    }
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
    Request entry;
    entry.kind = Kind::Connect;
    entry.invokeId = invokeId;
    entry.document = request;
    entry.documentKey = documentKey;
    entry.communicationObject = communicationObject;
    return record(entry, callback, QStringLiteral("Connect(%1)").arg(invokeId));
}

bool FakeCommunication::Disconnect(const QString& communicationReference,
                                   qt27::IBaseCommunicationCallback* callback, const QString& invokeId) {
    Request entry;
    entry.kind = Kind::Disconnect;
    entry.invokeId = invokeId;
    entry.reference = communicationReference;
    return record(entry, callback, QStringLiteral("Disconnect(%1)").arg(invokeId));
}

bool FakeCommunication::TransactionRequest(const QString& communicationReference,
                                           qt27::IBaseCommunicationCallback* callback,
                                           const QString& invokeId, const QString& request) {
    Request entry;
    entry.kind = Kind::Transaction;
    entry.invokeId = invokeId;
    entry.reference = communicationReference;
    entry.document = request;
    return record(entry, callback, QStringLiteral("TransactionRequest(%1)").arg(invokeId));
}

bool FakeCommunication::VerifyConnection(bool verify) {
    ++verifications;
    Request entry;
    entry.kind = Kind::VerifyConnection;
    return record(entry, nullptr, QStringLiteral("VerifyConnection(%1)").arg(verify ? 1 : 0));
}

void FakeCommunication::refuseNext(Kind kind, int count) {
    m_refusals[kind] += count;
}

QList<FakeCommunication::Request> FakeCommunication::requestsOf(Kind kind) const {
    QList<Request> result;
    for (const Request& request : requests) {
        if (request.kind == kind) {
            result.append(request);
        }
    }
    return result;
}

FakeCommunication::Request FakeCommunication::last(Kind kind) const {
    const QList<Request> matching = requestsOf(kind);
    return matching.isEmpty() ? Request() : matching.last();
}

qt27::IBaseCommunicationCallback* FakeCommunication::target() const {
    // An answer never reaches a destroyed page.
    return m_callbackObject.isNull() ? nullptr : m_callback;
}

QString FakeCommunication::idFor(Kind kind, const QString& invokeId) {
    const QString id = invokeId.isNull() ? last(kind).invokeId : invokeId;
    m_answered.insert(id);
    return id;
}

QList<FakeCommunication::Request> FakeCommunication::outstanding() const {
    QList<Request> result;
    for (const Request& request : requests) {
        if (request.accepted && request.kind != Kind::VerifyConnection &&
            !m_answered.contains(request.invokeId)) {
            result.append(request);
        }
    }
    return result;
}

bool FakeCommunication::answerOldestOutstanding() {
    const QList<Request> open = outstanding();
    if (open.isEmpty()) {
        return false;
    }
    const Request& oldest = open.first();
    switch (oldest.kind) {
        case Kind::Connect:
            answerConnect(ConnectAnswer::Connected, oldest.invokeId);
            break;
        case Kind::Disconnect:
            answerDisconnect(oldest.invokeId);
            break;
        case Kind::Transaction:
            answerRead(QByteArray::fromHex("000001000200030004"), oldest.invokeId);
            break;
        case Kind::VerifyConnection:
            break;
    }
    return true;
}

void FakeCommunication::answerConnect(ConnectAnswer how, const QString& invokeId) {
    if (auto* callback = target()) {
        callback->OnConnectResponse(idFor(Kind::Connect, invokeId), connectResponse(how, reference));
    }
}

void FakeCommunication::answerDisconnect(const QString& invokeId) {
    if (auto* callback = target()) {
        callback->OnDisconnectResponse(idFor(Kind::Disconnect, invokeId), disconnectResponse(reference));
    }
}

void FakeCommunication::answerTransaction(const QString& response, const QString& invokeId) {
    if (auto* callback = target()) {
        callback->OnTransactionResponse(idFor(Kind::Transaction, invokeId), response);
    }
}

void FakeCommunication::answerRead(const QByteArray& data, const QString& invokeId) {
    answerTransaction(readResponse(data, reference), invokeId);
}

void FakeCommunication::answerReadError(const QString& errorText, const QString& invokeId) {
    answerTransaction(readErrorResponse(errorText, reference), invokeId);
}

void FakeCommunication::answerReadWithoutParts(const QString& invokeId) {
    answerTransaction(readResponseWithoutParts(reference), invokeId);
}

void FakeCommunication::answerReadUnreadable(const QString& invokeId) {
    answerTransaction(unreadableResponse(), invokeId);
}

void FakeCommunication::abort() {
    for (const Request& request : requests) {
        m_answered.insert(request.invokeId);
    }
    if (auto* callback = target()) {
        callback->OnAbort(reference);
    }
}

void FakeCommunication::requestVerification(const QString& invokeId) {
    if (auto* callback = target()) {
        callback->VerifyConnectionRequest(invokeId, QStringLiteral("<FDT><VerifyConnection/></FDT>"));
    }
}

QString FakeCommunication::connectResponse(ConnectAnswer how, const QString& reference) {
    if (how == ConnectAnswer::Unreadable) {
        return unreadableResponse();
    }
    return fdt([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(QStringLiteral("ConnectResponse"));
        xml.writeAttribute(QStringLiteral("busAddress"), QStringLiteral("12"));
        if (how == ConnectAnswer::Connected) {
            xml.writeAttribute(QStringLiteral("communicationReference"), reference);
            xml.writeAttribute(QStringLiteral("connectStatus"), QStringLiteral("deviceInDataExchange"));
        } else {
            xml.writeAttribute(QStringLiteral("errorCode"), QStringLiteral("1"));
            xml.writeAttribute(QStringLiteral("errorText"), connectErrorText());
        }
        xml.writeEndElement();
    });
}

QString FakeCommunication::disconnectResponse(const QString& reference) {
    return fdt([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(QStringLiteral("DisconnectResponse"));
        xml.writeAttribute(QStringLiteral("communicationReference"), reference);
        xml.writeEndElement();
    });
}

QString FakeCommunication::readResponse(const QByteArray& data, const QString& reference) {
    return fdt([&](QXmlStreamWriter& xml) {
        readResponseStart(xml, reference, QStringLiteral("0"));
        xml.writeStartElement(QStringLiteral("CommunicationData"));
        xml.writeAttribute(QStringLiteral("byteArray"), QString::fromLatin1(data.toHex().toUpper()));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QString FakeCommunication::readErrorResponse(const QString& errorText, const QString& reference) {
    return fdt([&](QXmlStreamWriter& xml) {
        readResponseStart(xml, reference, QStringLiteral("DE80B0"));
        xml.writeAttribute(QStringLiteral("errorText"), errorText);
        xml.writeEndElement();
    });
}

QString FakeCommunication::readResponseWithoutParts(const QString& reference) {
    return fdt([&](QXmlStreamWriter& xml) {
        readResponseStart(xml, reference, QStringLiteral("0"));
        xml.writeEndElement();
    });
}

QString FakeCommunication::unreadableResponse() {
    return QStringLiteral("<FDT><ReadResponse slot=\"3\" communicationRef");
}

}  // namespace testsupport
