#include "CommunicationService.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUuid>
#include <QXmlStreamWriter>
#include <algorithm>
#include <exception>
#include <utility>

#include "QT27Controls/communication/IBaseCommunicationCallback.h"
#include "host/RequestDocument.h"
#include "host/SimulatedStation.h"
#include "rmox/Error.h"

namespace host {

namespace {

/// Reads a whole-number attribute; -1 when it is absent and not @p required.
bool numberAttribute(const RequestDocument& request, const char* name, bool required, int& value,
                     QString& why) {
    const QString key = QString::fromLatin1(name);
    value = -1;
    if (!request.attributes.hasAttribute(key)) {
        if (required) {
            why = QStringLiteral("%1 has no %2 attribute").arg(request.element, key);
        }
        return !required;
    }
    bool ok = false;
    value = request.attributes.value(key).trimmed().toInt(&ok);
    if (!ok || value < 0) {
        why = QStringLiteral("%1: %2 is not a whole number: \"%3\"")
                  .arg(request.element, key, request.attributes.value(key).toString());
        return false;
    }
    return true;
}

bool isHex(const QString& text) {
    if (text.size() % 2 != 0) {
        return false;
    }
    for (const QChar c : text) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F')))) {
            return false;
        }
    }
    return true;
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

/// Writes <FDT><element attributes...>[<CommunicationData byteArray/>]</element></FDT>.
QString responseDocument(const QString& element, const QList<std::pair<QString, QString>>& attributes,
                         const QByteArray* data = nullptr) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeStartElement(element);
    for (const auto& attribute : attributes) {
        xml.writeAttribute(attribute.first, attribute.second);
    }
    if (data != nullptr) {
        xml.writeEmptyElement(QStringLiteral("CommunicationData"));
        xml.writeAttribute(QStringLiteral("byteArray"), hex(*data));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    return text;
}

}  // namespace

CommunicationService::CommunicationService(SimulatedStation* station, QObject* parent)
    : qt27::CommunicationService(parent), m_station(station), m_expiryTimer(new QTimer(this)) {
    m_clock.start();
    m_expiryTimer->setSingleShot(true);
    m_expiryTimer->setTimerType(Qt::PreciseTimer);
    connect(m_expiryTimer, &QTimer::timeout, this, &CommunicationService::expireDue);
}

void CommunicationService::setLatency(int msecs) {
    m_latency = std::max(0, msecs);
}

void CommunicationService::setAnswerTimeout(int msecs) {
    m_answerTimeout = std::max(1, msecs);
}

// ---- faults

void CommunicationService::setFault(Fault fault, FaultMode mode) {
    if (faultMode(fault) == mode) {
        return;
    }
    m_faults[fault] = mode;
    emit faultsChanged();
}

CommunicationService::FaultMode CommunicationService::faultMode(Fault fault) const {
    const auto found = m_faults.find(fault);
    return found == m_faults.end() ? FaultMode::Off : found->second;
}

void CommunicationService::clearFaults() {
    m_faults.clear();
    emit faultsChanged();
}

void CommunicationService::setFaultDelay(int msecs) {
    m_faultDelay = std::max(0, msecs);
}

bool CommunicationService::consume(Fault fault) {
    const FaultMode mode = faultMode(fault);
    if (mode == FaultMode::OneShot) {
        m_faults[fault] = FaultMode::Off;
        emit faultsChanged();
    }
    return mode != FaultMode::Off;
}

bool CommunicationService::abortConnection(const QString& communicationReference) {
    const auto found = m_connections.find(communicationReference);
    if (found == m_connections.end()) {
        return false;
    }
    const Connection connection = found->second;
    m_connections.erase(found);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const Pending& pending = it->second;
        const bool drop = pending.dropOnAbort && pending.communicationReference == communicationReference;
        it = drop ? m_pending.erase(it) : std::next(it);
    }
    const QPointer<QObject> guard = connection.guard;
    qt27::IBaseCommunicationCallback* callback = connection.callback;
    QTimer::singleShot(0, this, [guard, callback, communicationReference] {
        if (guard) {
            callback->OnAbort(communicationReference);
        }
    });
    return true;
}

int CommunicationService::closeConnectionsOf(QObject* callback) {
    int closed = 0;
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (it->second.owner == callback) {
            it = m_connections.erase(it);
            ++closed;
        } else {
            ++it;
        }
    }
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        it = it->second.owner == callback ? m_pending.erase(it) : std::next(it);
    }
    return closed;
}

void CommunicationService::watch(QObject* owner) {
    if (owner == nullptr || !m_watched.insert(owner).second) {
        return;
    }
    // A page may be destroyed without a release (the frame quits, a test drops it):
    // the device must not keep a connection nobody can close, nor answers for nobody.
    connect(owner, &QObject::destroyed, this, [this](QObject* destroyed) {
        m_watched.erase(destroyed);
        closeConnectionsOf(destroyed);
    });
}

void CommunicationService::abortConnections() {
    QStringList references;
    for (const auto& entry : m_connections) {
        references.append(entry.first);
    }
    for (const QString& reference : references) {
        abortConnection(reference);
    }
}

// ---- observation

int CommunicationService::requestCount(RequestKind kind) const {
    const auto found = m_requestCounts.find(kind);
    return found == m_requestCounts.end() ? 0 : found->second;
}

bool CommunicationService::isAwaitingAnswer(const QString& invokeId) const {
    return std::any_of(m_pending.begin(), m_pending.end(),
                       [&invokeId](const auto& entry) { return entry.second.invokeId == invokeId; });
}

QStringList CommunicationService::openConnections() const {
    QStringList references;
    for (const auto& entry : m_connections) {
        references.append(entry.first);
    }
    return references;
}

QList<int> CommunicationService::connectedSlots() const {
    QList<int> result;
    for (const auto& entry : m_connections) {
        if (!entry.second.guard.isNull() && !result.contains(entry.second.slot)) {
            result.append(entry.second.slot);
        }
    }
    return result;
}

// ---- requests

bool CommunicationService::refuse(const QString& reason) {
    m_lastRefusal = reason;
    return false;
}

bool CommunicationService::checkCallback(qt27::IBaseCommunicationCallback* callback, const QString& invokeId,
                                         QObject*& guard) {
    guard = dynamic_cast<QObject*>(callback);
    if (callback == nullptr) {
        return refuse(QStringLiteral("no callback was given"));
    }
    if (guard == nullptr) {
        return refuse(QStringLiteral("the callback is not a QObject"));
    }
    if (invokeId.isEmpty()) {
        return refuse(QStringLiteral("the invoke id is empty"));
    }
    return true;
}

void CommunicationService::pruneConnections() {
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        it = it->second.guard ? std::next(it) : m_connections.erase(it);
    }
}

bool CommunicationService::admit(RequestKind kind, qt27::IBaseCommunicationCallback* callback,
                                 const QString& invokeId, const QString& document, QObject*& guard) {
    ++m_requestCounts[kind];
    emit requestReceived(kind, invokeId, document);
    pruneConnections();
    if (!checkCallback(callback, invokeId, guard)) {
        return false;
    }
    if (consume(Fault::RefuseRequest)) {
        return refuse(QStringLiteral("the request was refused on purpose (fault RefuseRequest)"));
    }
    return true;
}

bool CommunicationService::Connect(QObject* /*communicationObject*/,
                                   qt27::IBaseCommunicationCallback* callback, const QString& invokeId,
                                   const QString& /*documentKey*/, const QString& request) {
    QObject* guard = nullptr;
    if (!admit(RequestKind::Connect, callback, invokeId, request, guard)) {
        return false;
    }
    if (!m_station) {
        return refuse(QStringLiteral("there is no station"));
    }
    const RequestDocument document = readRequestDocument(request);
    if (document.element.isEmpty()) {
        return refuse(document.error);
    }
    if (document.element != QLatin1String("ConnectRequest")) {
        return refuse(QStringLiteral("Connect expects a ConnectRequest, not %1").arg(document.element));
    }
    Pending pending;
    QString why;
    if (!numberAttribute(document, "slot", true, pending.request.slot, why) ||
        !numberAttribute(document, "busAddress", false, pending.request.busAddress, why)) {
        return refuse(why);
    }
    if (!m_station->hasModule(pending.request.slot)) {
        return refuse(QStringLiteral("slot %1 holds no module").arg(pending.request.slot));
    }
    pending.kind = RequestKind::Connect;
    pending.invokeId = invokeId;
    pending.guard = guard;
    pending.owner = guard;
    pending.callback = callback;
    schedule(std::move(pending));
    return true;
}

bool CommunicationService::Disconnect(const QString& communicationReference,
                                      qt27::IBaseCommunicationCallback* callback, const QString& invokeId) {
    QObject* guard = nullptr;
    if (!admit(RequestKind::Disconnect, callback, invokeId, QString(), guard)) {
        return false;
    }
    const auto found = m_connections.find(communicationReference);
    if (found == m_connections.end()) {
        return refuse(
            QStringLiteral("the communication reference \"%1\" is not open").arg(communicationReference));
    }
    m_connections.erase(found);
    Pending pending;
    pending.kind = RequestKind::Disconnect;
    pending.invokeId = invokeId;
    // The connection is closed now, so an abort does not drop this answer.
    pending.communicationReference = communicationReference;
    pending.guard = guard;
    pending.owner = guard;
    pending.callback = callback;
    schedule(std::move(pending));
    return true;
}

bool CommunicationService::TransactionRequest(const QString& communicationReference,
                                              qt27::IBaseCommunicationCallback* callback,
                                              const QString& invokeId, const QString& request) {
    QObject* guard = nullptr;
    if (!admit(RequestKind::Transaction, callback, invokeId, request, guard)) {
        return false;
    }
    if (m_connections.count(communicationReference) == 0) {
        return refuse(
            QStringLiteral("the communication reference \"%1\" is not open").arg(communicationReference));
    }
    if (!m_station) {
        return refuse(QStringLiteral("there is no station"));
    }
    const RequestDocument document = readRequestDocument(request);
    if (document.element.isEmpty()) {
        return refuse(document.error);
    }
    Pending pending;
    Request& parsed = pending.request;
    if (document.element == QLatin1String("WriteRequest")) {
        parsed.write = true;
    } else if (document.element != QLatin1String("ReadRequest")) {
        return refuse(
            QStringLiteral("a transaction is a ReadRequest or a WriteRequest, not %1").arg(document.element));
    }
    QString why;
    if (!numberAttribute(document, "slot", true, parsed.slot, why) ||
        !numberAttribute(document, "index", true, parsed.index, why) ||
        (!parsed.write && !numberAttribute(document, "length", false, parsed.length, why))) {
        return refuse(why);
    }
    const QString documentReference =
        document.attributes.value(QLatin1String("communicationReference")).toString();
    if (!documentReference.isEmpty() && documentReference != communicationReference) {
        return refuse(QStringLiteral("the request names the communication reference \"%1\", not \"%2\"")
                          .arg(documentReference, communicationReference));
    }
    if (!m_station->hasModule(parsed.slot)) {
        return refuse(QStringLiteral("slot %1 holds no module").arg(parsed.slot));
    }
    if (parsed.write) {
        if (!document.hasData) {
            return refuse(QStringLiteral("the WriteRequest has no CommunicationData"));
        }
        if (!isHex(document.dataHex)) {
            return refuse(QStringLiteral("the byteArray of the WriteRequest is not hexadecimal: \"%1\"")
                              .arg(document.dataHex.left(40)));
        }
        parsed.data = QByteArray::fromHex(document.dataHex.toLatin1());
    }
    pending.kind = RequestKind::Transaction;
    pending.invokeId = invokeId;
    pending.communicationReference = communicationReference;
    pending.dropOnAbort = true;
    pending.guard = guard;
    pending.owner = guard;
    pending.callback = callback;
    schedule(std::move(pending));
    return true;
}

bool CommunicationService::VerifyConnection(bool verify) {
    ++m_requestCounts[RequestKind::VerifyConnection];
    emit requestReceived(RequestKind::VerifyConnection, QString(), QString());
    if (consume(Fault::RefuseRequest)) {
        return refuse(QStringLiteral("the request was refused on purpose (fault RefuseRequest)"));
    }
    m_lastVerify = verify;
    return true;
}

// ---- answers

void CommunicationService::schedule(Pending pending) {
    watch(pending.owner);
    const quint64 id = ++m_nextAnswer;
    // Whatever becomes of the answer, the request is answered within the timeout.
    pending.deadline = m_clock.elapsed() + m_answerTimeout;
    m_deadlines.emplace(pending.deadline, id);
    armExpiry();
    if (consume(Fault::DropAnswer)) {
        m_pending.emplace(id, std::move(pending));
        return;
    }
    int delay = m_latency;
    if (consume(Fault::DelayAnswer)) {
        delay += m_faultDelay;
    }
    if (consume(Fault::ForeignInvokeId)) {
        pending.foreignId = QStringLiteral("FOREIGN-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    if (consume(Fault::UnreadableAnswer)) {
        pending.spoil = Spoil::Unreadable;
    } else if (pending.kind == RequestKind::Transaction && consume(Fault::ErrorPart)) {
        pending.spoil = Spoil::ErrorPart;
    } else if (pending.kind == RequestKind::Transaction && !pending.request.write &&
               consume(Fault::NoDataPart)) {
        pending.spoil = Spoil::NoDataPart;
    }
    m_pending.emplace(id, std::move(pending));
    QTimer::singleShot(delay, this, [this, id] { deliver(id); });
}

void CommunicationService::deliver(quint64 id) {
    const auto found = m_pending.find(id);
    if (found == m_pending.end()) {
        return;  // timed out, or dropped by an abort or the end of its callback
    }
    if (!found->second.foreignId.isEmpty()) {
        // An answer nobody asked for; the request itself is still waiting for its own.
        const Pending foreign = found->second;
        send(foreign, foreign.foreignId, compose(foreign));
        return;
    }
    const Pending pending = std::move(found->second);
    m_pending.erase(found);
    m_deadlines.erase({pending.deadline, id});
    send(pending, pending.invokeId, compose(pending));
}

void CommunicationService::expireDue() {
    m_expiryArmedFor = -1;
    // An answer sent here may lead to new requests: the set is read afresh each time.
    while (!m_deadlines.empty() && m_deadlines.begin()->first <= m_clock.elapsed()) {
        const quint64 id = m_deadlines.begin()->second;
        m_deadlines.erase(m_deadlines.begin());
        const auto found = m_pending.find(id);
        if (found == m_pending.end()) {
            continue;  // dropped by an abort or the end of its callback
        }
        const Pending pending = std::move(found->second);
        m_pending.erase(found);
        send(pending, pending.invokeId, composeTimeout(pending));
    }
    armExpiry();
}

void CommunicationService::armExpiry() {
    if (m_deadlines.empty()) {
        return;  // a timer that is still set finds nothing due and stops
    }
    const qint64 next = m_deadlines.begin()->first;
    if (m_expiryTimer->isActive() && m_expiryArmedFor >= 0 && m_expiryArmedFor <= next) {
        return;  // fires first for an earlier deadline, then sets itself for this one
    }
    m_expiryArmedFor = next;
    m_expiryTimer->start(static_cast<int>(std::max<qint64>(0, next - m_clock.elapsed())));
}

void CommunicationService::send(const Pending& pending, const QString& invokeId, const QString& response) {
    if (!pending.guard) {
        return;
    }
    emit answerSent(pending.kind, invokeId, response);
    if (!pending.guard) {
        return;
    }
    try {
        switch (pending.kind) {
            case RequestKind::Connect:
                pending.callback->OnConnectResponse(invokeId, response);
                break;
            case RequestKind::Disconnect:
                pending.callback->OnDisconnectResponse(invokeId, response);
                break;
            case RequestKind::Transaction:
                pending.callback->OnTransactionResponse(invokeId, response);
                break;
            case RequestKind::VerifyConnection:
                break;
        }
    } catch (const rmox::Error& error) {
        qWarning("CommunicationService: a callback raised error %ld: %s", error.number(), error.what());
    } catch (const std::exception& error) {
        qWarning("CommunicationService: a callback raised: %s", error.what());
    }
}

QString CommunicationService::composeTimeout(const Pending& pending) const {
    const Request& request = pending.request;
    const QString text = QCoreApplication::translate("host::CommunicationService", "No answer within %1 ms")
                             .arg(m_answerTimeout);
    const std::pair<QString, QString> code{QStringLiteral("errorCode"), QStringLiteral("TIMEOUT")};
    const std::pair<QString, QString> why{QStringLiteral("errorText"), text};
    switch (pending.kind) {
        case RequestKind::Connect:
            return responseDocument(
                QStringLiteral("ConnectResponse"),
                {{QStringLiteral("busAddress"),
                  QString::number(request.busAddress >= 0 ? request.busAddress
                                                          : (m_station ? m_station->busAddress() : -1))},
                 code,
                 why});
        case RequestKind::Disconnect:
            return responseDocument(
                QStringLiteral("DisconnectResponse"),
                {{QStringLiteral("communicationReference"), pending.communicationReference}, code, why});
        case RequestKind::Transaction:
            return responseDocument(
                request.write ? QStringLiteral("WriteResponse") : QStringLiteral("ReadResponse"),
                {{QStringLiteral("slot"), QString::number(request.slot)},
                 {QStringLiteral("index"), QString::number(request.index)},
                 {QStringLiteral("communicationReference"), pending.communicationReference},
                 code,
                 why});
        case RequestKind::VerifyConnection:
            break;
    }
    return QString();
}

QString CommunicationService::compose(const Pending& pending) {
    const Request& request = pending.request;
    QString response;
    switch (pending.kind) {
        case RequestKind::Connect: {
            const int stationAddress = m_station ? m_station->busAddress() : -1;
            const int address = request.busAddress >= 0 ? request.busAddress : stationAddress;
            const QString busAddress = QString::number(address);
            if (!m_station || !m_station->isAnswering() || address != stationAddress) {
                response = responseDocument(
                    QStringLiteral("ConnectResponse"),
                    {{QStringLiteral("busAddress"), busAddress},
                     {QStringLiteral("errorCode"), QStringLiteral("1")},
                     {QStringLiteral("errorText"),
                      QCoreApplication::translate("host::CommunicationService", "Station %1 does not answer")
                          .arg(busAddress)}});
                break;
            }
            const QString reference = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
            response =
                responseDocument(QStringLiteral("ConnectResponse"),
                                 {{QStringLiteral("busAddress"), busAddress},
                                  {QStringLiteral("communicationReference"), reference},
                                  {QStringLiteral("connectStatus"), QStringLiteral("deviceInDataExchange")}});
            // Only a caller that can read the answer learns the reference.
            if (pending.spoil == Spoil::None && pending.foreignId.isEmpty()) {
                m_connections[reference] =
                    Connection{pending.guard, pending.owner, pending.callback, request.slot};
            }
            break;
        }
        case RequestKind::Disconnect:
            response = responseDocument(
                QStringLiteral("DisconnectResponse"),
                {{QStringLiteral("communicationReference"), pending.communicationReference}});
            break;
        case RequestKind::Transaction: {
            SimulatedStation::Reply reply;
            if (pending.spoil == Spoil::ErrorPart) {
                reply.errorCode = request.write ? QStringLiteral("DF80A1") : QStringLiteral("DE80A0");
                reply.errorText =
                    request.write
                        ? QCoreApplication::translate("host::CommunicationService", "Simulated write error")
                        : QCoreApplication::translate("host::CommunicationService", "Simulated read error");
            } else if (!m_station) {
                reply.errorCode = request.write ? QStringLiteral("DF80A1") : QStringLiteral("DE80A0");
                reply.errorText =
                    QCoreApplication::translate("host::CommunicationService", "The station is gone");
            } else if (request.write) {
                reply = m_station->write(request.slot, request.index, request.data);
            } else {
                reply = m_station->read(request.slot, request.index);
                if (request.length >= 0 && reply.data.size() > request.length) {
                    reply.data.truncate(request.length);
                }
            }
            QList<std::pair<QString, QString>> attributes = {
                {QStringLiteral("slot"), QString::number(request.slot)},
                {QStringLiteral("index"), QString::number(request.index)},
                {QStringLiteral("communicationReference"), pending.communicationReference},
                {QStringLiteral("errorCode"), reply.ok() ? QStringLiteral("0") : reply.errorCode}};
            if (!reply.ok()) {
                attributes.append({QStringLiteral("errorText"), reply.errorText});
            }
            const bool withData = !request.write && reply.ok() && pending.spoil != Spoil::NoDataPart;
            response = responseDocument(
                request.write ? QStringLiteral("WriteResponse") : QStringLiteral("ReadResponse"), attributes,
                withData ? &reply.data : nullptr);
            break;
        }
        case RequestKind::VerifyConnection:
            break;
    }
    if (pending.spoil == Spoil::Unreadable) {
        // The root element is closed only at the very end: half of it never parses.
        response.truncate(response.size() / 2);
    }
    return response;
}

}  // namespace host
