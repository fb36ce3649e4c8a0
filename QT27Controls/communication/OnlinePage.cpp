#include "OnlinePage.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/framework/BaseDtm.h"
#include "QT27Controls/framework/DtmEvents.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/QT27Dtm.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "rmox/Communication/CallQueue.h"
#include "rmox/Communication/InvokeIdGenerator.h"
#include "rmox/Communication/ResponseReader.h"

namespace qt27 {

namespace {

// Common texts of the connect button, device text of an aborted connection.
constexpr int kTextConnect = 7011;
constexpr int kTextDisconnect = 7012;
constexpr int kTextReread = 6103;
constexpr int kTextConnectionAborted = 1127;
// Identification connects at start only in this state of the base DTM.
constexpr int kStateConnectAtStart = 6;

const QString kFallbackText =
    QStringLiteral("BIG Problem: Error occured and no Interface IDtmEvents avaliable!");

void showCriticalBox(QWidget* parent, const QString& text) {
    // Window-modal without a nested event loop: queued calls and answers must not
    // run inside the error report.
    auto* box = new QMessageBox(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

OnlinePage::CriticalMessageBox& criticalMessageBox() {
    static OnlinePage::CriticalMessageBox box;
    return box;
}

}  // namespace

SessionRules SessionRules::of(SessionVariant variant) {
    SessionRules rules;
    switch (variant) {
        case SessionVariant::Observation:
            rules.readCycle = true;
            rules.tracksDisconnecting = true;
            rules.logsConnectCallbackName = true;
            rules.beginsOperationPerCycle = true;
            break;
        case SessionVariant::Simulation:
            rules.readCycle = true;
            rules.logsDisconnectAnswer = true;
            break;
        case SessionVariant::Diagnosis:
            rules.disconnectWaitsForRequest = true;
            rules.pageButtonCaption = kTextReread;
            rules.readMethod = "ReadDiag";
            break;
        case SessionVariant::Identification:
            rules.disconnectWaitsForRequest = true;
            rules.connectsAtStartOnlyInState6 = true;
            rules.pageButtonCaption = kTextReread;
            rules.readMethod = "CallReadQsData";
            break;
    }
    return rules;
}

struct OnlinePage::BusyMarkUpdate {
    explicit BusyMarkUpdate(OnlinePage* page) : page(page) {}
    ~BusyMarkUpdate() {
        if (page) {
            page->showBusyMark();
        }
    }
    BusyMarkUpdate(const BusyMarkUpdate&) = delete;
    BusyMarkUpdate& operator=(const BusyMarkUpdate&) = delete;
    QPointer<OnlinePage> page;
};

OnlinePage::OnlinePage(SessionVariant variant, Features features, QWidget* parent)
    : PageFrame(features, parent), m_variant(variant), m_rules(SessionRules::of(variant)) {}

OnlinePage::~OnlinePage() = default;

OnlinePage::CriticalMessageBox OnlinePage::setCriticalMessageBox(CriticalMessageBox box) {
    CriticalMessageBox previous = std::move(criticalMessageBox());
    criticalMessageBox() = std::move(box);
    return previous;
}

// ---------------------------------------------------------------------------------
// Start of the session

void OnlinePage::attachServices() {
    step([&] { objBaseDtmCommunication = Required(hostDtm())->CommunicationObjects().value(0); });
    InvokeIdGenerator = std::make_unique<rmox::InvokeIdGenerator>();
    delete CallQueue;
    CallQueue = new rmox::CallQueue(this);
}

void OnlinePage::afterButtonsConfigured() {
    setPageButtonCaption(m_rules.pageButtonCaption);
    acknowledgeButton();
    if (ctlButtons != nullptr) {
        ctlButtons->setStatusText(QString());
    }
}

bool OnlinePage::connectsAtStart() {
    if (!m_rules.connectsAtStartOnlyInState6) {
        return true;
    }
    return Required(baseDtm())->StateValue() == kStateConnectAtStart;
}

void OnlinePage::beforeUiOpened() {
    if (connectsAtStart()) {
        queueCall("CallConnect");
    } else {
        // Nothing is under way: the button held at the end of Init is free again.
        refreshButtons();
    }
}

// ---------------------------------------------------------------------------------
// Connect

void OnlinePage::CallConnect(const QVariant& /*vArguments*/) {
    const BusyMarkUpdate busyMark(this);
    log(QStringLiteral("CallConnect"));
    if (blnPrepareToRelease) {
        // A page that prepares its release never connects again (a connect queued
        // before the release, the page button).
        return;
    }
    if (!communicationReference.isEmpty() || !sOnlineInvokeId.isEmpty()) {
        // A connect queued twice (the page button and a tick of the read cycle after an
        // abort) would replace the outstanding request, and its connection would stay
        // open with nobody to take it down.
        log(QStringLiteral(".CallConnect"), QStringLiteral("Online already or a request is outstanding"));
        return;
    }
    beginOperation();
    blnConnecting = true;
    QString documentKey;
    step([&] { documentKey = Required(hostDtm())->DocumentKey(); });
    sOnlineInvokeId = newInvokeId();
    log(QStringLiteral(".CallConnect"), QStringLiteral("Trying to get conntect request document"));
    QString request;
    step([&] { request = requestBuilder()->ConnectRequest(true); });
    log(QStringLiteral(".CallConnect"), QStringLiteral("actually trying to connect"));
    bool accepted = false;
    step([&] {
        QObject* communicationObject = Required(baseDtm())->CommunicationObject();
        accepted = Required(objBaseDtmCommunication.data())
                       ->Connect(communicationObject, this, sOnlineInvokeId, documentKey, request);
    });
    if (accepted) {
        log(QStringLiteral(".CallConnect"), QStringLiteral("objBaseDtmCommunication.Connect returned true"));
        return;
    }
    sOnlineInvokeId.clear();
    if (m_rules.readCycle) {
        setAllChannelsConnection(false);
    }
    step([&] { connectRequestRefused(); });
    blnConnecting = false;
    endOperation();
    log(QStringLiteral(".CallConnect"), QStringLiteral("objBaseDtmCommunication.Connect returned false"));
}

void OnlinePage::OnConnectResponse(const QString& invokeID, const QString& response) {
    const BusyMarkUpdate busyMark(this);
    if (m_rules.logsConnectCallbackName) {
        log(QStringLiteral("IBaseCommunicationCallback_OnConnectResponse"));
    }
    log(QStringLiteral(".OnConnectResponse"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    blnConnecting = false;
    if (!isOwnAnswer(invokeID)) {
        return;
    }
    sOnlineInvokeId.clear();
    rmox::ResponseReader reader;
    if (!parseResponse(reader, response)) {
        ReportError(0, reader.ErrorText(), QStringLiteral("OnConnectResponse"));
        refreshButtons();
    } else if (!reader.HasConnectPart()) {
        const QString errorText = reader.ErrorText();
        ReportError(0, errorText, QStringLiteral("OnConnectResponse"));
        if (m_rules.readCycle) {
            setPageButtonCaption(kTextConnect);
        }
        step([&] { connectAnswerWithoutConnection(errorText); });
        endOperation();
        refreshButtons();
        releaseWhenNothingToDisconnect();
        resumeWaitingDisconnect();
        return;
    } else {
        communicationReference = reader.CommunicationReference();
        // A new connection has no disconnect running or asked for; flags left over from
        // the connection before (lost in an abort) would end this one at once or keep
        // PrepareToRelease waiting for a disconnect answer that never comes.
        blnDisconnecting = false;
        blnDisconnectRequested = false;
        if (!m_rules.readCycle) {
            log(QStringLiteral(".OnConnectResponse"),
                QStringLiteral("communicationReference: ") + communicationReference);
        }
        onlineIndicator(true);
        IgnoreErrors([&] { reportChange(baseDtm(), AuditCode::Connected, {className()}); });
        if (m_rules.readCycle) {
            setAllChannelsConnection(true);
            setPageButtonCaption(kTextDisconnect);
            refreshButtons();
            endOperation();
        }
        step([&] { connectionEstablished(); });
    }
    // An unreadable answer ends here too, so the page connects again at once.
    step([&] { continueAfterConnectAnswer(); });
    resumeWaitingDisconnect();
}

void OnlinePage::continueAfterConnectAnswer() {
    if (!blnPrepareToRelease) {
        cmdReread_Click();
        return;
    }
    log(QStringLiteral(".OnConnectResponse"),
        QStringLiteral("blnPrepareToRelease is true, adding CallDisconnect to queue"));
    queueCall("CallDisconnect");
}

// ---------------------------------------------------------------------------------
// Disconnect

void OnlinePage::CallDisconnect(const QVariant& /*vArguments*/) {
    const BusyMarkUpdate busyMark(this);
    if (m_rules.disconnectWaitsForRequest && !sOnlineInvokeId.isEmpty() && !isDisconnectOutstanding()) {
        // A request is outstanding: the disconnect follows once its answer (or an
        // abort) has been handled. Without a connection there is nothing to wait for.
        m_disconnectWaiting = !communicationReference.isEmpty();
        return;
    }
    if (isDisconnectOutstanding()) {
        // Close or the release and the user's disconnect after a read answer each queue
        // a disconnect, and a waiting disconnect is queued again behind the page's own
        // one. A second Disconnect would take the first one's place, and the answer
        // that ends the session would then be ignored as a foreign one.
        log(QStringLiteral(".CallDisconnect"), QStringLiteral("The disconnect is running already"));
        return;
    }
    if (communicationReference.isEmpty()) {
        log(QStringLiteral(".CallDisconnect"), QStringLiteral("No connection (any more)"));
        endWithoutConnection();
        return;
    }
    sOnlineInvokeId = newInvokeId();
    m_sDisconnectInvokeId = sOnlineInvokeId;
    if (m_rules.disconnectWaitsForRequest) {
        log(QStringLiteral(".CallDisconnect"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
        log(QStringLiteral(".CallDisconnect"), QStringLiteral("actually trying to disconnect"));
    } else if (m_rules.tracksDisconnecting) {
        log(QStringLiteral(".CallDisconnect"),
            QStringLiteral("Actually trying to disconnect: ") + sOnlineInvokeId);
        blnDisconnecting = true;
    } else {
        log(QStringLiteral(".CallDisconnect"), QStringLiteral("actually trying to disconnect"));
    }
    bool accepted = false;
    step([&] {
        accepted = Required(objBaseDtmCommunication.data())
                       ->Disconnect(communicationReference, this, sOnlineInvokeId);
    });
    if (accepted) {
        log(QStringLiteral(".CallDisconnect"),
            QStringLiteral("objBaseDtmCommunication.Disconnect returned true"));
    } else {
        // Refused: no disconnect is running, so PrepareToRelease must not wait for one.
        sOnlineInvokeId.clear();
        blnDisconnecting = false;
        log(QStringLiteral(".CallDisconnect"),
            QStringLiteral("objBaseDtmCommunication.Disconnect returned false"));
        keepConnectionAfterRefusal();
    }
}

void OnlinePage::keepConnectionAfterRefusal() {
    if (blnPrepareToRelease) {
        // The host gives up on a page that does not release and closes its connections.
        return;
    }
    // The page stays online with nothing outstanding: the user must be able to act
    // again, so the Close or the disconnect that asked for this one is over.
    blnClosing = false;
    blnDisconnectRequested = false;
    endOperation();
    refreshButtons();
    step([&] { disconnectRefused(); });
}

void OnlinePage::OnDisconnectResponse(const QString& invokeID, const QString& /*response*/) {
    const BusyMarkUpdate busyMark(this);
    if (m_rules.disconnectWaitsForRequest) {
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("invokeId: ") + invokeID);
        onlineIndicator(false);
        step([&] { disconnectAnswerArrived(); });
        if (!isOwnAnswer(invokeID)) {
            log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("Not my request, ignoring"));
            return;
        }
    } else {
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("invokeId:        ") + invokeID);
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
        onlineIndicator(false);
        setPageButtonCaption(kTextConnect);
        refreshButtons();
        blnDisconnectRequested = false;
        step([&] { disconnectAnswerArrived(); });
        if (m_rules.logsDisconnectAnswer) {
            log(QStringLiteral("OnDisconnetResponse"));
        }
        // Simulation too: a late answer to an earlier Disconnect must not take down the
        // connection the page holds now (it would stay open with nobody to close it).
        if (!isOwnAnswer(invokeID)) {
            return;
        }
        blnDisconnecting = false;
    }
    step([&] { disconnectCompleted(); });
    sOnlineInvokeId.clear();
    if (!communicationReference.isEmpty()) {
        IgnoreErrors([&] {
            reportChange(baseDtm(), AuditCode::Disconnected, {className(), QStringLiteral("user")});
        });
    }
    communicationReference.clear();
    if (m_rules.readCycle) {
        // The last values were read on a connection that is gone.
        setAllChannelValuesOutdated();
    }
    finishDisconnect();
    resumeWaitingDisconnect();
}

void OnlinePage::finishDisconnect() {
    if (blnPrepareToRelease) {
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("Preparing to release"));
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("m_sInvokeId: ") + invokeId());
        releaseSession();
    } else if (blnClosing) {
        log(QStringLiteral(".OnDisconnectResponse"), QStringLiteral("m_sInvokeId: ") + invokeId());
        requestCloseUi();
    } else {
        endOperation();
        refreshButtons();
    }
}

void OnlinePage::resumeWaitingDisconnect() {
    if (m_disconnectWaiting && sOnlineInvokeId.isEmpty()) {
        m_disconnectWaiting = false;
        queueCall("CallDisconnect");
    }
}

void OnlinePage::endWithoutConnection() {
    // The connection aborted before the queued disconnect ran, or never came up: the
    // release or Close that asked for the disconnect ends as on an offline page.
    if (blnPrepareToRelease) {
        if (!isReleased()) {
            releaseSession();
        }
    } else if (blnClosing) {
        log(QStringLiteral("_Clos"), QStringLiteral("Closing control"));
        requestCloseUi();
    }
}

void OnlinePage::releaseWhenNothingToDisconnect() {
    // The host waits for UiReleased; a one-shot page that was to disconnect before its
    // release but never got a connection releases itself.
    if (blnPrepareToRelease && m_rules.disconnectWaitsForRequest && communicationReference.isEmpty() &&
        sOnlineInvokeId.isEmpty() && !isReleased()) {
        releaseSession();
    }
}

// ---------------------------------------------------------------------------------
// Transactions, abort, verify

void OnlinePage::OnTransactionResponse(const QString& invokeID, const QString& response) {
    const BusyMarkUpdate busyMark(this);
    step([&] { handleTransactionResponse(invokeID, response); });
    resumeWaitingDisconnect();
}

void OnlinePage::OnAbort(const QString& abortedReference) {
    const BusyMarkUpdate busyMark(this);
    if (m_rules.readCycle) {
        log(QStringLiteral(".OnAbort"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    } else {
        log(QStringLiteral(".OnAbort"), QStringLiteral("communicationReference: ") + abortedReference);
    }
    sOnlineInvokeId.clear();
    onlineIndicator(false);
    QString message;
    step([&] { message = deviceText(kTextConnectionAborted); });
    ReportError(0, message, QStringLiteral("OnAbort"));
    if (m_rules.readCycle) {
        setAllChannelsConnection(false);
        setPageButtonCaption(kTextConnect);
        refreshButtons();
    }
    if (!communicationReference.isEmpty()) {
        IgnoreErrors([&] {
            reportChange(baseDtm(), AuditCode::Disconnected, {className(), QStringLiteral("connectionLost")});
        });
    }
    communicationReference.clear();
    step([&] { connectionAborted(); });
    endOperation();
    refreshButtons();
    resumeWaitingDisconnect();
    // The release waited for a disconnect (refused, or cut off by the abort): with the
    // connection gone nothing is left to wait for, and the host waits for UiReleased.
    if (blnPrepareToRelease && !isReleased()) {
        log(QStringLiteral(".OnAbort"), QStringLiteral("Preparing to release"));
        releaseSession();
    }
}

void OnlinePage::VerifyConnectionRequest(const QString& invokeID, const QString& /*response*/) {
    // Not an answer: the ids are compared as they are, so an empty id asks an idle page.
    if (invokeID == sOnlineInvokeId) {
        queueCall("CallVerifyConnection");
    }
}

void OnlinePage::CallVerifyConnection(const QVariant& /*vArguments*/) {
    log(QStringLiteral(".CallVerifyConnection"), QString());
    step([&] { Required(objBaseDtmCommunication.data())->VerifyConnection(true); });
}

// ---------------------------------------------------------------------------------
// Release, Close, page button

bool OnlinePage::IDtmActiveXControl_PrepareToRelease() {
    const BusyMarkUpdate busyMark(this);
    closeHelpWindows();
    if (communicationReference.isEmpty()) {
        log(QStringLiteral(".PrepareToRelease"), QStringLiteral("Offline"));
        if (m_rules.readCycle || sOnlineInvokeId.isEmpty()) {
            releaseSession();
        } else {
            // A connect is outstanding: its answer queues the disconnect.
            blnPrepareToRelease = true;
        }
        return true;
    }
    if (m_rules.tracksDisconnecting && blnDisconnecting) {
        log(QStringLiteral(".PrepareToRelease"), QStringLiteral("GoingOffline"));
        blnPrepareToRelease = true;
        return true;
    }
    log(QStringLiteral(".PrepareToRelease"), QStringLiteral("Online"));
    log(QStringLiteral(".PrepareToRelease"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    blnPrepareToRelease = true;
    if (hasOutstandingRequest()) {
        log(QStringLiteral(".PrepareToRelease"), m_rules.disconnectWaitsForRequest
                                                     ? QStringLiteral("Adding CallDisconnect to queue")
                                                     : QStringLiteral("Calling Disconnect"));
        queueCall("CallDisconnect");
    } else {
        closeReaction();
    }
    return true;
}

void OnlinePage::releaseSession() {
    // Once released, the page starts nothing by itself any more. It keeps the
    // communication service, so that a connection that comes up after the release
    // (a read-cycle page releases while it connects) is taken down again.
    blnPrepareToRelease = true;
    IgnoreErrors([&] { stopTimers(); });
    releaseNow(false);
}

void OnlinePage::closeReaction() {
    const BusyMarkUpdate busyMark(this);
    beginOperation();
    acknowledgeButton();
    step([&] { stopTimers(); });
    log(QStringLiteral(".ctlButtons_Clos"), QString());
    if (communicationReference.isEmpty()) {
        log(QStringLiteral("_Clos"), QStringLiteral("Closing control"));
        requestCloseUi();
        return;
    }
    blnClosing = true;
    log(QStringLiteral("_Clos"), QStringLiteral("Calling Disconnect"));
    queueCall("CallDisconnect");
}

void OnlinePage::pageButtonReaction() {
    cmdReread_Click();
}

void OnlinePage::cmdReread_Click() {
    const BusyMarkUpdate busyMark(this);
    beginOperation();
    acknowledgeButton();
    log(QStringLiteral(".cmdReread_Click"), QString());
    if (communicationReference.isEmpty()) {
        queueCall("CallConnect");
    } else {
        queueCall(m_rules.readMethod);
    }
}

// ---------------------------------------------------------------------------------
// Building blocks

bool OnlinePage::queueCall(const char* methodName) {
    return step([&] {
        if (methodName == nullptr) {
            throw rmox::Error(rmox::Error::MethodNotSupported, QStringLiteral("No method to queue"));
        }
        sQueuedCallId = Required(CallQueue)->AddCall(this, methodName);
    });
}

QString OnlinePage::newInvokeId() {
    QString id;
    step([&] { id = Required(InvokeIdGenerator.get())->NewInvokeId(); });
    return id;
}

bool OnlinePage::transactionRequest(const QString& invokeId, const QString& request) {
    bool accepted = false;
    step([&] {
        accepted = Required(objBaseDtmCommunication.data())
                       ->TransactionRequest(communicationReference, this, invokeId, request);
    });
    return accepted;
}

bool OnlinePage::sendOneShotRead(const QString& request) {
    const BusyMarkUpdate busyMark(this);
    if (communicationReference.isEmpty() || !sOnlineInvokeId.isEmpty() || blnClosing || blnPrepareToRelease) {
        // A read queued before an abort, Close or the release, or beside another request.
        return false;
    }
    sOnlineInvokeId = newInvokeId();
    if (transactionRequest(sOnlineInvokeId, request)) {
        return true;
    }
    sOnlineInvokeId.clear();
    // Nothing is read on this connection: the page disconnects as after a reading, and
    // the end of the disconnect frees the buttons.
    m_disconnectWaiting = true;
    resumeWaitingDisconnect();
    return false;
}

ParameterManager* OnlinePage::requestBuilder() const {
    return Required(Required(baseDtm())->ParameterManager());
}

bool OnlinePage::parseResponse(rmox::ResponseReader& reader, const QString& response) const {
    QObject* schemaObject = nullptr;
    IgnoreErrors([&] { schemaObject = Required(baseDtm())->SchemaObject(); });
    bool parsed = false;
    step([&] { parsed = reader.Parse(response, schemaObject); });
    return parsed;
}

bool OnlinePage::isOwnAnswer(const QString& invokeID) const {
    return !sOnlineInvokeId.isEmpty() && invokeID == sOnlineInvokeId;
}

bool OnlinePage::isDisconnectOutstanding() const {
    return !sOnlineInvokeId.isEmpty() && sOnlineInvokeId == m_sDisconnectInvokeId;
}

void OnlinePage::requestCloseUi() {
    // Close, the end of its disconnect and a disconnect that found no connection may
    // each lead here; the frame is asked once.
    if (m_closeUiSent) {
        return;
    }
    m_closeUiSent = true;
    step([&] { Required(baseDtm())->CloseUi(invokeId()); });
}

bool OnlinePage::userRequestUnderWay() const {
    if (isReleased()) {
        return false;
    }
    if (blnConnecting || isDisconnectOutstanding()) {
        return true;
    }
    // The user's disconnect, Close or the release wait for the current request.
    if (!communicationReference.isEmpty() && (blnDisconnectRequested || blnClosing || blnPrepareToRelease)) {
        return true;
    }
    // The one-shot pages read for the user; the read cycle is no request of his.
    return !m_rules.readCycle && !sOnlineInvokeId.isEmpty();
}

void OnlinePage::showBusyMark() {
    if (ctlButtons != nullptr) {
        IgnoreErrors([&] { ctlButtons->setBusyMark(userRequestUnderWay()); });
    }
}

void OnlinePage::ReportError(long /*errorNumber*/, const QString& message, const QString& /*source*/) {
    if (hostDtm() == nullptr) {
        const CriticalMessageBox& box = criticalMessageBox();
        IgnoreErrors([&] {
            if (box) {
                box(this, kFallbackText);
            } else {
                showCriticalBox(this, kFallbackText);
            }
        });
        return;
    }
    QString systemTag;
    IgnoreErrors([&] { systemTag = requestBuilder()->SystemTag(); });
    IgnoreErrors([&] { Required(Required(baseDtm())->DtmEvents())->OnErrorMessage(systemTag, message); });
}

void OnlinePage::setAllChannelsConnection(bool connected) {
    for (int index = 0; index < channelCount(); ++index) {
        step([&] { setChannelConnection(index, connected); });
    }
}

void OnlinePage::setAllChannelValuesOutdated() {
    for (int index = 0; index < channelCount(); ++index) {
        step([&] { setChannelValueOutdated(index); });
    }
}

QString OnlinePage::paddedLabel(const QString& label, int width) {
    return label.leftJustified(width) + QStringLiteral("= ");
}

void OnlinePage::beginOperation() {
    if (ctlButtons != nullptr) {
        ctlButtons->BeginOperation();
    }
}

void OnlinePage::endOperation() {
    if (ctlButtons != nullptr) {
        ctlButtons->EndOperation();
    }
}

void OnlinePage::acknowledgeButton() {
    if (ctlButtons != nullptr) {
        ctlButtons->AcknowledgeButton();
    }
}

void OnlinePage::refreshButtons() {
    if (ctlButtons != nullptr) {
        ctlButtons->RefreshButtons();
    }
}

void OnlinePage::onlineIndicator(bool online) {
    if (ctlButtons != nullptr) {
        ctlButtons->OnlineIndicator(online);
    }
}

void OnlinePage::setPageButtonCaption(int textId) {
    if (ctlButtons != nullptr) {
        step([&] { ctlButtons->SetButtonCaption(0, QString(), commonText(textId)); });
    }
}

}  // namespace qt27
