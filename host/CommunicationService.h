#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <utility>

#include "QT27Controls/communication/CommunicationService.h"
#include "host/SimulatedStation.h"

namespace qt27 {
class IBaseCommunicationCallback;
}

class QTimer;

namespace host {

/// The host's communication service on a simulated rimox station.
///
/// Every request is accepted or refused at once. It is refused when its document
/// cannot be read, names a slot without a module, uses a communication reference
/// that is not open, has no callback (or one that is not a QObject) or no invoke
/// id, or while the fault RefuseRequest is armed. An accepted request is answered
/// later from the event loop, after latency() milliseconds, with the request's
/// invoke id; an answer to a callback that has been destroyed is dropped.
///
/// Every accepted request is answered, as a real communication channel does: one
/// whose answer has not come within answerTimeout() milliseconds (dropped, delayed,
/// or sent under a foreign invoke id) gets an answer with its own invoke id and the
/// error code TIMEOUT, and its late answer is dropped. An abort answers the
/// transactions of its connection.
///
/// Connect opens a connection with a fresh communication reference (a UUID); a
/// station that does not answer, or a bus address other than the station's,
/// gives a ConnectResponse with an error part instead. Disconnect closes the
/// connection at once (later requests on it are refused) and answers later.
/// Transaction requests are ReadRequest and WriteRequest documents; the station
/// composes the data or the error code. Request and response documents are those
/// of rmox/Communication/DOCUMENTS.md.
///
/// Faults for tests and the frame are armed one-shot (consumed by the next
/// request or answer they apply to) or persistent; abortConnections() breaks
/// the open connections.
///
/// No connection outlives its caller: when a callback is destroyed, or when the
/// frame gives up on a page that did not release (closeConnectionsOf), its
/// connections are closed and its outstanding answers dropped.
class CommunicationService : public qt27::CommunicationService {
    Q_OBJECT

public:
    enum class RequestKind { Connect, Disconnect, Transaction, VerifyConnection };
    Q_ENUM(RequestKind)

    enum class Fault {
        RefuseRequest,     ///< the next request is refused
        DelayAnswer,       ///< the next answer comes faultDelay() ms later than usual
        DropAnswer,        ///< the next accepted request is never answered
        ForeignInvokeId,   ///< the next answer carries an invoke id nobody asked for
        UnreadableAnswer,  ///< the next answer is not a well-formed document
        ErrorPart,         ///< the next transaction answer carries an error code
        NoDataPart,        ///< the next read answer carries neither data nor an error
    };
    Q_ENUM(Fault)

    enum class FaultMode { Off, OneShot, Persistent };
    Q_ENUM(FaultMode)

    explicit CommunicationService(SimulatedStation* station, QObject* parent = nullptr);

    bool Connect(QObject* communicationObject, qt27::IBaseCommunicationCallback* callback,
                 const QString& invokeId, const QString& documentKey, const QString& request) override;
    bool Disconnect(const QString& communicationReference, qt27::IBaseCommunicationCallback* callback,
                    const QString& invokeId) override;
    bool TransactionRequest(const QString& communicationReference, qt27::IBaseCommunicationCallback* callback,
                            const QString& invokeId, const QString& request) override;
    /// Answers true and records the call.
    bool VerifyConnection(bool verify) override;

    SimulatedStation* station() const { return m_station; }

    /// Milliseconds between a request and its answer; default 20.
    int latency() const { return m_latency; }
    void setLatency(int msecs);
    /// Milliseconds an accepted request waits for its answer before it is answered
    /// with the error TIMEOUT; default 5000, at least 1.
    int answerTimeout() const { return m_answerTimeout; }
    void setAnswerTimeout(int msecs);
    static constexpr int kDefaultAnswerTimeoutMs = 5000;

    // Faults.
    void setFault(Fault fault, FaultMode mode);
    FaultMode faultMode(Fault fault) const;
    void clearFaults();
    /// The extra delay of DelayAnswer; default 2000 ms.
    int faultDelay() const { return m_faultDelay; }
    void setFaultDelay(int msecs);
    /// Breaks one open connection now: its outstanding answers are dropped and
    /// its callback gets OnAbort later from the event loop. False when the
    /// reference is not open.
    bool abortConnection(const QString& communicationReference);
    /// Breaks every open connection.
    void abortConnections();
    /// Closes every connection that @p callback opened and drops the answers still
    /// owed to it, without calling it. Answers how many connections were closed.
    int closeConnectionsOf(QObject* callback);

    // Observation.
    /// Accepted requests not yet answered (nor ended by an abort or their callback's end).
    int outstandingAnswers() const { return static_cast<int>(m_pending.size()); }
    /// True while the accepted request @p invokeId has not been answered.
    bool isAwaitingAnswer(const QString& invokeId) const;
    /// Calls received of @p kind, refused ones included.
    int requestCount(RequestKind kind) const;
    /// The argument of the last VerifyConnection call.
    bool lastVerify() const { return m_lastVerify; }
    /// Communication references of the open connections (a destroyed callback has none).
    QStringList openConnections() const;
    /// The slots with an open connection.
    QList<int> connectedSlots() const;
    /// Why the last refused request was refused.
    QString lastRefusal() const { return m_lastRefusal; }

signals:
    /// Emitted for every call, before it is accepted or refused. @p document is
    /// the request document (empty for Disconnect and VerifyConnection).
    void requestReceived(host::CommunicationService::RequestKind kind, const QString& invokeId,
                         const QString& document);
    /// Emitted right before an answer reaches its callback (a timeout's too).
    void answerSent(host::CommunicationService::RequestKind kind, const QString& invokeId,
                    const QString& response);
    /// A fault was armed, disarmed or consumed.
    void faultsChanged();

private:
    /// What a request document asks for.
    struct Request {
        bool write = false;
        int busAddress = -1;  ///< connect; -1 when not given
        int slot = -1;
        int index = -1;
        int length = -1;  ///< read; -1 when not given
        QByteArray data;  ///< write
    };

    /// How an answer is to be spoilt.
    enum class Spoil { None, Unreadable, ErrorPart, NoDataPart };

    /// An accepted request waiting for its answer.
    struct Pending {
        RequestKind kind = RequestKind::Connect;
        QString invokeId;
        QString foreignId;               ///< not empty: the answer carries this id instead
        QString communicationReference;  ///< as named in the answer
        bool dropOnAbort = false;        ///< the answer belongs to an open connection
        QPointer<QObject> guard;
        QObject* owner = nullptr;  ///< the callback's object, to recognise it while it is destroyed
        qt27::IBaseCommunicationCallback* callback = nullptr;
        Request request;
        Spoil spoil = Spoil::None;
        qint64 deadline = 0;  ///< when the TIMEOUT answer is due, on m_clock
    };

    struct Connection {
        QPointer<QObject> guard;
        QObject* owner = nullptr;
        qt27::IBaseCommunicationCallback* callback = nullptr;
        int slot = 0;
    };

    bool refuse(const QString& reason);
    /// What every request goes through first: counted and announced, closed
    /// connections pruned, the callback checked, the refuse fault applied.
    bool admit(RequestKind kind, qt27::IBaseCommunicationCallback* callback, const QString& invokeId,
               const QString& document, QObject*& guard);
    bool consume(Fault fault);
    bool checkCallback(qt27::IBaseCommunicationCallback* callback, const QString& invokeId, QObject*& guard);
    void pruneConnections();
    void schedule(Pending pending);
    void deliver(quint64 id);
    /// Sends the TIMEOUT answer of every request whose answer did not come in time,
    /// then sets the expiry timer for the next one.
    void expireDue();
    /// Sets the one expiry timer for the earliest deadline (a timer per request would
    /// keep hundreds registered with many pages reading).
    void armExpiry();
    void send(const Pending& pending, const QString& invokeId, const QString& response);
    QString compose(const Pending& pending);
    QString composeTimeout(const Pending& pending) const;
    /// Closes the connections of @p owner when it is destroyed.
    void watch(QObject* owner);

    QPointer<SimulatedStation> m_station;
    int m_latency = 20;
    int m_answerTimeout = kDefaultAnswerTimeoutMs;
    int m_faultDelay = 2000;
    std::map<Fault, FaultMode> m_faults;
    std::map<RequestKind, int> m_requestCounts;
    bool m_lastVerify = false;
    QString m_lastRefusal;
    std::map<QString, Connection> m_connections;
    std::map<quint64, Pending> m_pending;
    std::set<QObject*> m_watched;
    quint64 m_nextAnswer = 0;
    QElapsedTimer m_clock;
    QTimer* m_expiryTimer = nullptr;
    qint64 m_expiryArmedFor = -1;                           ///< deadline the timer is set for
    std::set<std::pair<qint64, quint64>> m_deadlines;  ///< (deadline, answer id) of every pending answer
};

}  // namespace host
