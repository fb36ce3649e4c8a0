#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "QT27Controls/communication/CommunicationService.h"
#include "QT27Controls/communication/IBaseCommunicationCallback.h"
#include "QT27Controls/framework/PageFrame.h"

namespace rmox {
class CallQueue;
class InvokeIdGenerator;
class ResponseReader;
}  // namespace rmox

namespace qt27 {

/// The four online pages. Each runs the same session; the few rules in which they
/// differ are collected in SessionRules.
enum class SessionVariant { Observation, Simulation, Diagnosis, Identification };

/// How one online page runs its session.
struct SessionRules {
    /// Observation and Simulation: the read cycle keeps the connection busy; the page
    /// button is a connect button with the captions 7011/7012, and the channel
    /// controls follow the connection (HasConnection).
    bool readCycle = false;
    /// Diagnosis and Identification: CallDisconnect waits behind an outstanding
    /// request, and PrepareToRelease waits for an outstanding connect.
    bool disconnectWaitsForRequest = false;
    /// Simulation: a disconnect answer is first logged as "OnDisconnetResponse". Every
    /// page matches a disconnect answer with its outstanding Disconnect.
    bool logsDisconnectAnswer = false;
    /// Observation: blnDisconnecting marks the running disconnect (PrepareToRelease
    /// then waits for it), and the disconnect log names the invoke id.
    bool tracksDisconnecting = false;
    /// Observation: a connect answer is first logged with the callback's name.
    bool logsConnectCallbackName = false;
    /// Observation: each read cycle starts with BeginOperation.
    bool beginsOperationPerCycle = false;
    /// Identification: connects at start only when the base DTM's state value is 6.
    bool connectsAtStartOnlyInState6 = false;
    /// Common text of the page button set at the end of Init.
    int pageButtonCaption = 7012;
    /// The queued read method of a one-shot page, run by the reread button.
    const char* readMethod = nullptr;

    /// The rules of the page @p variant.
    static SessionRules of(SessionVariant variant);
};

/// The online session that every online page runs on top of the page frame:
/// connect right after Init, at most one connect, disconnect or read request
/// outstanding (matched by invoke id), the online indicator, and a disconnect before
/// the page lets the host close or release it.
///
/// The session's state follows from communicationReference, sOnlineInvokeId and the
/// flags: offline (no reference, nothing outstanding), connecting (blnConnecting),
/// online (reference, nothing outstanding), busy (reference, a read outstanding),
/// disconnecting (reference, the disconnect outstanding) and released.
///
/// Every follow-up step is handed to the call queue and runs later by name:
/// CallConnect, CallDisconnect, CallVerifyConnection and the page's read method.
///
/// A page chooses its SessionVariant and overrides the hooks it needs; the answer
/// to its read requests is the one hook every page must implement.
///
/// Deliberate choices of the session, each made so that a page never holds a
/// request twice, never leaves a connection open with nobody to close it, never
/// gets stuck and never shows something that is not so:
/// - an answer matches only the outstanding request; with nothing outstanding no
///   answer's invoke id matches, an empty one included, so a late answer changes
///   nothing. A verification request compares the ids as they are: an empty id asks
///   an idle page to verify;
/// - a disconnect that has to wait behind an outstanding request (Diagnosis,
///   Identification) is queued again once that request has ended, instead of
///   circling through the queue meanwhile; it never waits behind the page's own
///   disconnect, which is the one it asks for;
/// - a page that is to disconnect before its release or Close but finds no
///   connection (the connect failed, or the connection aborted before the queued
///   disconnect ran) releases itself or asks to be closed, as an offline page would;
///   the host waits for UiReleased; an abort during the release releases the page too;
/// - CloseUi goes to the base DTM at most once per page, however many ways lead to it;
/// - from the release on (blnPrepareToRelease) the page neither connects nor reads
///   again; a connection that comes up after the release is taken down;
/// - CallConnect does nothing while the page is online or a request is outstanding,
///   so a connect asked for twice opens one connection;
/// - a disconnect asked for while the page's Disconnect is outstanding (Close or the
///   release, and the user's disconnect after a read answer) is not sent again;
/// - blnDisconnecting ends with a refused Disconnect too, and a new connection starts
///   with blnDisconnecting and blnDisconnectRequested cleared, so a disconnect that
///   never runs cannot keep PrepareToRelease waiting and a disconnect asked for on a
///   connection that aborted does not end the next one;
/// - a refused Disconnect after Close or the user's disconnect leaves a page the user
///   can work with: Close and the disconnect request are dropped (blnClosing and
///   blnDisconnectRequested cleared), the buttons are freed and the read cycle goes
///   on, so a second Close tries again. During the release the page stays unreleased;
///   the host closes the page's connections when it gives up on it;
/// - the connect button of a read-cycle page disconnects at once when no read is
///   outstanding (between two reads, or after a refused or unreadable read ended the
///   cycle), instead of waiting for a read answer that is not coming; with a read
///   outstanding its answer asks for the disconnect, also when it is unreadable;
/// - the read cycle: a tick or a queued read does nothing once Close or the release
///   has begun or the user asked to disconnect; no read goes out while another
///   request is outstanding; a new connection switches off a timer that ran on
///   through an abort, so its tick cannot read beside the first read;
/// - a one-shot read (Diagnosis, Identification) goes out only online with nothing
///   outstanding and before Close or the release; one the service refuses ends like
///   a reading: the page disconnects, and the end of the disconnect ends the operation
///   (EndOperation, RefreshButtons), so the module is not left connected and the
///   reread button is not left held;
/// - a page that does not connect at start (Identification outside state 6) frees the
///   button held at the end of Init at once, so the reread button starts the reading;
/// - Close and Help stay usable while the button bar holds a press (AcknowledgeButton
///   to RefreshButtons), so a page that waits for an answer can always be closed;
/// - the busy mark of the button bar shows while a request the user started is under
///   way (a connect, the user's disconnect, Close, the release; on the one-shot
///   pages their read), not for the steady read cycle, whose connection the online
///   indicator shows; BeginOperation and EndOperation keep their places;
/// - values that are not current look it (read-cycle pages): after a completed
///   disconnect, as after an abort, and after a read that brought no values (refused,
///   unreadable, an error part or no part), the channel controls show their last
///   values as outdated, without state picture.
class OnlinePage : public PageFrame, public IBaseCommunicationCallback {
    Q_OBJECT

public:
    /// Shows @p text as a critical message box; used by ReportError when no host is left.
    using CriticalMessageBox = std::function<void(QWidget* parent, const QString& text)>;

    /// An offline page that runs the session with the rules of @p variant.
    OnlinePage(SessionVariant variant, Features features, QWidget* parent = nullptr);
    ~OnlinePage() override;

    /// Offline: releases at once. Online: ends the connection first; UiReleased
    /// follows from the disconnect answer. Always answers true.
    bool IDtmActiveXControl_PrepareToRelease() override;

    // Queued calls; the argument is always missing and is ignored.
    /// Sends Connect with the parameter manager's connect request.
    Q_INVOKABLE void CallConnect(const QVariant& vArguments);
    /// Sends Disconnect for the current connection; on the one-shot pages it first
    /// waits for the answer to an outstanding request.
    Q_INVOKABLE void CallDisconnect(const QVariant& vArguments);
    /// Answers the service's VerifyConnectionRequest: the connection is still wanted.
    Q_INVOKABLE void CallVerifyConnection(const QVariant& vArguments);

    // IBaseCommunicationCallback.
    void OnConnectResponse(const QString& invokeID, const QString& response) override;
    void OnDisconnectResponse(const QString& invokeID, const QString& response) override;
    /// Hands the answer to handleTransactionResponse.
    void OnTransactionResponse(const QString& invokeID, const QString& response) final;
    void OnAbort(const QString& communicationReference) override;
    void VerifyConnectionRequest(const QString& invokeID, const QString& response) override;

    /// Which page's session this is.
    SessionVariant sessionVariant() const { return m_variant; }
    /// The variant's rules.
    const SessionRules& sessionRules() const { return m_rules; }

    // The session state, for the host and for tests.
    /// True while the page holds a connection (a communication reference).
    bool isOnline() const { return !communicationReference.isEmpty(); }
    /// The communication reference of the connection; empty when offline.
    QString currentCommunicationReference() const { return communicationReference; }
    /// The invoke id of the request outstanding; empty when none is.
    QString onlineInvokeId() const { return sOnlineInvokeId; }
    /// True while a connect is under way.
    bool isConnecting() const { return blnConnecting; }
    /// True while a disconnect is under way (Observation).
    bool isDisconnecting() const { return blnDisconnecting; }
    /// True once the host asked for the release; never reset.
    bool isPreparingToRelease() const { return blnPrepareToRelease; }
    /// True once Close was pressed on an online page; never reset.
    bool isClosing() const { return blnClosing; }
    /// True from the user's disconnect (the page button of a read-cycle page) until
    /// the disconnect answer.
    bool isDisconnectRequested() const { return blnDisconnectRequested; }

    /// Replaces the message box of ReportError's fallback for every page (tests use
    /// this so that no modal dialog waits for a user); an empty function restores the
    /// default box. Answers the previous function.
    static CriticalMessageBox setCriticalMessageBox(CriticalMessageBox box);

protected:
    // Hooks of the pages.

    /// The answer to a read or write request of the page. Read-cycle pages get the
    /// read cycle's handler from ReadCyclePage; one-shot pages write their own.
    virtual void handleTransactionResponse(const QString& invokeID, const QString& response) = 0;
    /// Last step of a handled connect answer (also after an unreadable one): the
    /// one-shot pages run their reread handler, or queue the disconnect when the host
    /// prepares the release; the read-cycle pages start reading.
    virtual void continueAfterConnectAnswer();
    /// The connection is established; the display steps are done.
    virtual void connectionEstablished() {}
    /// A readable connect answer brought no connection; called after the error report.
    virtual void connectAnswerWithoutConnection(const QString& /*errorText*/) {}
    /// The communication service refused the connect request.
    virtual void connectRequestRefused() {}
    /// A disconnect answer arrived; called with the display steps, before the
    /// invoke id is compared.
    virtual void disconnectAnswerArrived() {}
    /// The answer to the page's own Disconnect arrived; the connection ends now.
    virtual void disconnectCompleted() {}
    /// The connection aborted; called when the reference has been emptied.
    virtual void connectionAborted() {}
    /// The communication service refused the Disconnect; the page stays online and
    /// the buttons are free again (not during the release).
    virtual void disconnectRefused() {}
    /// True while a request the user started is under way: the busy mark shows.
    virtual bool userRequestUnderWay() const;
    /// True while any request of the page is outstanding (PrepareToRelease).
    virtual bool hasOutstandingRequest() const { return !sOnlineInvokeId.isEmpty(); }
    /// Stops the page's timers (Close handler, release).
    virtual void stopTimers() {}
    /// HasConnection of channel control @p index (read-cycle pages).
    virtual void setChannelConnection(int /*index*/, bool /*connected*/) {}
    /// Channel control @p index shows its value as outdated (read-cycle pages).
    virtual void setChannelValueOutdated(int /*index*/) {}
    /// Number of channel controls.
    virtual int channelCount() const { return 4; }
    /// Whether Init queues CallConnect; Identification asks the base DTM's state value.
    virtual bool connectsAtStart();

    // Frame hooks used by the session.
    void attachServices() override;
    void afterButtonsConfigured() override;
    void beforeUiOpened() override;
    void closeReaction() override;
    void pageButtonReaction() override;

    // Building blocks for the pages.

    /// The reread handler of the one-shot pages (the page button).
    void cmdReread_Click();
    /// Queues @p methodName on this page; the call id goes to sQueuedCallId. An error
    /// (unknown method, no queue) is logged and answered with false.
    bool queueCall(const char* methodName);
    /// A fresh invoke id; empty when the generator is missing (the error is logged).
    QString newInvokeId();
    /// Sends a one-shot read: sOnlineInvokeId := new id, TransactionRequest; a
    /// refused request empties sOnlineInvokeId and queues the disconnect. Nothing is
    /// sent offline, beside another request or once Close or the release has begun.
    /// Answers whether a request was accepted.
    bool sendOneShotRead(const QString& request);
    /// Sends @p request as a transaction with @p invokeId; errors count as refusal.
    bool transactionRequest(const QString& invokeId, const QString& request);
    /// The request builder, fetched through the base DTM.
    ParameterManager* requestBuilder() const;
    /// Parses @p response with the base DTM's schema object; an error raised while
    /// parsing counts as a failed parse.
    bool parseResponse(rmox::ResponseReader& reader, const QString& response) const;
    /// True when @p invokeID answers the outstanding request; an empty id never does.
    bool isOwnAnswer(const QString& invokeID) const;
    /// The error report to the frame: (system tag, message) to IDtmEvents; without a
    /// host DTM a critical message box. @p errorNumber and @p source are not shown.
    void ReportError(long errorNumber, const QString& message, const QString& source);
    /// HasConnection on every channel control.
    void setAllChannelsConnection(bool connected);
    /// Every channel control shows its value as outdated.
    void setAllChannelValuesOutdated();
    /// True while the page's own Disconnect is outstanding.
    bool isDisconnectOutstanding() const;
    /// CloseUi on the base DTM, once per page.
    void requestCloseUi();
    /// Shows the busy mark on the button bar while userRequestUnderWay().
    void showBusyMark();
    /// Tells the base DTM that the user interface is released and drops the host DTM,
    /// the base DTM and the parameter manager. Stops the timers; from now on
    /// blnPrepareToRelease is set, so the page neither reads nor connects again.
    void releaseSession();
    /// "label" padded with blanks to @p width characters, followed by "= ".
    static QString paddedLabel(const QString& label, int width);

    // Button bar operations of the session; nothing happens without a bar.
    /// BeginOperation: a connect, read or close started.
    void beginOperation();
    /// EndOperation: it ended; frees the buttons held by acknowledgeButton().
    void endOperation();
    /// AcknowledgeButton: holds the buttons while the user's request is under way.
    void acknowledgeButton();
    /// RefreshButtons: the buttons as the page's state allows.
    void refreshButtons();
    /// OnlineIndicator: shows whether the page is online.
    void onlineIndicator(bool online);
    /// SetButtonCaption(0, "", common text @p textId).
    void setPageButtonCaption(int textId);

    // Session variables.
    QPointer<CommunicationService> objBaseDtmCommunication;  ///< the host DTM's first communication object
    std::unique_ptr<rmox::InvokeIdGenerator> InvokeIdGenerator;  ///< a fresh id for every request
    rmox::CallQueue* CallQueue = nullptr;  ///< runs CallConnect and the like later, by name
    QString communicationReference;        ///< the connection; empty when offline
    QString sOnlineInvokeId;               ///< the request outstanding; empty when none
    QString sQueuedCallId;                 ///< the call id of the last queued call
    bool blnConnecting = false;            ///< a connect is under way
    bool blnDisconnecting = false;         ///< a disconnect is under way (Observation)
    bool blnPrepareToRelease = false;      ///< the host asked for the release; never reset
    bool blnClosing = false;               ///< Close was pressed; never reset
    bool blnDisconnectRequested = false;   ///< the user asked to disconnect

private:
    /// Shows the busy mark when the entry point that creates it returns.
    struct BusyMarkUpdate;

    void finishDisconnect();
    /// A refused Disconnect: unless the page is being released, the Close or the
    /// disconnect that asked for it is over and the page is usable again.
    void keepConnectionAfterRefusal();
    /// Queues the disconnect that waited behind an outstanding request once that
    /// request has ended.
    void resumeWaitingDisconnect();
    /// Releases a one-shot page that waited for a connection that never came.
    void releaseWhenNothingToDisconnect();
    /// CallDisconnect found no connection: the release or Close that asked for the
    /// disconnect ends now.
    void endWithoutConnection();

    const SessionVariant m_variant;
    const SessionRules m_rules;
    /// CallDisconnect found a request outstanding and runs again when it has ended.
    bool m_disconnectWaiting = false;
    /// Invoke id of the last Disconnect sent.
    QString m_sDisconnectInvokeId;
    /// CloseUi has been sent.
    bool m_closeUiSent = false;
};

}  // namespace qt27
