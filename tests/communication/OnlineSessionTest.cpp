// The online session seen from the host and the communication service, for the four
// variants: start, connect, disconnect, abort, verify, Close, the page button and
// the release in every state of the session.
#include <gtest/gtest.h>

#include "QT27Controls/common/DebugHelper.h"
#include "SessionHarness.h"
#include "support/DebugLogCapture.h"

namespace sessiontest {
namespace {

using qt27::OnlinePage;
using testsupport::DebugLogCapture;
using testsupport::FakeCommunication;

const SessionVariant kAllVariants[] = {SessionVariant::Observation, SessionVariant::Simulation,
                                       SessionVariant::Diagnosis, SessionVariant::Identification};
const SessionVariant kOneShotVariants[] = {SessionVariant::Diagnosis, SessionVariant::Identification};

enum class State { Offline, Connecting, Online, Busy, Disconnecting };

const char* stateName(State state) {
    switch (state) {
        case State::Offline:
            return "Offline";
        case State::Connecting:
            return "Connecting";
        case State::Online:
            return "Online";
        case State::Busy:
            return "Busy";
        case State::Disconnecting:
            return "Disconnecting";
    }
    return "?";
}

void reach(Harness& h, State state) {
    switch (state) {
        case State::Offline:
            h.reachOffline();
            break;
        case State::Connecting:
            h.reachConnecting();
            break;
        case State::Online:
            h.reachOnline();
            break;
        case State::Busy:
            h.reachBusy();
            break;
        case State::Disconnecting:
            h.reachDisconnecting();
            break;
    }
}

/// Records the fallback message boxes of ReportError instead of showing them.
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        m_previous = OnlinePage::setCriticalMessageBox(
            [this](QWidget* /*parent*/, const QString& text) { texts.append(text); });
    }
    ~MessageBoxRecorder() { OnlinePage::setCriticalMessageBox(m_previous); }
    QStringList texts;

private:
    OnlinePage::CriticalMessageBox m_previous;
};

class SessionTest : public testing::TestWithParam<SessionVariant> {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }

    Harness h{GetParam()};
    MessageBoxRecorder boxes;
};

std::string variantTestName(const testing::TestParamInfo<SessionVariant>& info) {
    return variantName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Variants, SessionTest, testing::ValuesIn(kAllVariants), variantTestName);

// --- Start --------------------------------------------------------------------------

TEST_P(SessionTest, InitSetsThePageButtonAndQueuesTheConnectBeforeUiOpened) {
    h.init();
    const int caption = isReadCycle(GetParam()) ? 7012 : 6103;
    const QStringList bar = h.barLog();
    ASSERT_GE(bar.size(), 3);
    EXPECT_EQ(bar.mid(bar.size() - 3), (QStringList{h.caption(caption), QStringLiteral("AcknowledgeButton()"),
                                                    QStringLiteral("StatusText(\"\")")}));
    EXPECT_EQ(h.bar()->pageButton()->text(), h.commonText(caption));
    EXPECT_EQ(h.dtm.log.last(), QStringLiteral("UiOpened(INV-1)"));
    // The connect runs later, from the queue.
    EXPECT_EQ(h.comm.count(Kind::Connect), 0);

    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Connect), 1);
    const FakeCommunication::Request connect = h.comm.last(Kind::Connect);
    EXPECT_EQ(connect.documentKey, h.dtm.documentKey);
    EXPECT_EQ(connect.document, h.dtm.base.parameterManager.ConnectRequest(true));
    EXPECT_EQ(connect.communicationObject, h.dtm.base.CommunicationObject());
    EXPECT_FALSE(connect.invokeId.isEmpty());
    EXPECT_EQ(h.page->onlineInvokeId(), connect.invokeId);
    EXPECT_TRUE(h.page->isConnecting());
    EXPECT_FALSE(h.page->isOnline());
}

class IdentificationStartTest : public testing::TestWithParam<int> {};

TEST_P(IdentificationStartTest, ConnectsAtStartOnlyInState6) {
    Harness h(SessionVariant::Identification);
    h.dtm.base.stateValue = GetParam();
    h.init();
    EXPECT_EQ(h.dtm.log.last(), QStringLiteral("UiOpened(INV-1)"));
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Connect), GetParam() == 6 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(States, IdentificationStartTest, testing::Values(6, 0, 5, 7));

TEST_P(SessionTest, EveryQueuedMethodNameOfThePageResolves) {
    rmox::CallQueue queue;
    QList<const char*> names = {"CallConnect", "CallDisconnect", "CallVerifyConnection"};
    if (isReadCycle(GetParam())) {
        names.append("CallReadValues");
    } else {
        names.append(h.page->sessionRules().readMethod);
    }
    for (const char* name : names) {
        EXPECT_NO_THROW(queue.AddCall(h.page.get(), name)) << name;
    }
    // Destroying the page drops the queued calls.
    h.page.reset();
    runQueue();
    EXPECT_TRUE(h.comm.requests.isEmpty());
}

// --- Connect ------------------------------------------------------------------------

TEST_P(SessionTest, CallConnectLogsEachStep) {
    h.init();
    DebugLogCapture log;
    runQueue();
    const QString tag = h.page->className();
    EXPECT_EQ(
        log.linesFrom(tag),
        (QStringList{tag + QStringLiteral(": CallConnect"),
                     tag + QStringLiteral(".CallConnect: Trying to get conntect request document"),
                     tag + QStringLiteral(".CallConnect: actually trying to connect"),
                     tag + QStringLiteral(".CallConnect: objBaseDtmCommunication.Connect returned true")}));
}

TEST_P(SessionTest, RefusedConnectGoesOfflineWithoutRetryOrReport) {
    h.comm.refuseNext(Kind::Connect);
    h.init();
    h.clearBarLog();
    DebugLogCapture log;
    runQueue();
    EXPECT_EQ(h.barLog(),
              (QStringList{QStringLiteral("BeginOperation()"), QStringLiteral("EndOperation()")}));
    EXPECT_FALSE(h.page->isConnecting());
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_TRUE(h.errors().isEmpty());
    EXPECT_EQ(
        log.lines().last(),
        h.page->className() + QStringLiteral(".CallConnect: objBaseDtmCommunication.Connect returned false"));
    if (isReadCycle(GetParam())) {
        EXPECT_EQ(h.channelCalls(),
                  (QStringList{QStringLiteral("HasConnection(0,0)"), QStringLiteral("HasConnection(1,0)"),
                               QStringLiteral("HasConnection(2,0)"), QStringLiteral("HasConnection(3,0)")}));
    }
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Connect), 1);
}

TEST_P(SessionTest, ConnectedAnswerGoesOnlineAndStartsReading) {
    h.reachConnecting();
    h.clearBarLog();
    h.comm.answerConnect();
    EXPECT_TRUE(h.page->isOnline());
    EXPECT_EQ(h.page->currentCommunicationReference(), h.comm.reference);
    EXPECT_FALSE(h.page->isConnecting());
    EXPECT_TRUE(h.bar()->isOnline());
    EXPECT_TRUE(h.errors().isEmpty());
    if (isReadCycle(GetParam())) {
        QStringList expected = {QStringLiteral("OnlineIndicator(1)"), h.caption(7012),
                                QStringLiteral("RefreshButtons()"), QStringLiteral("EndOperation()")};
        if (GetParam() == SessionVariant::Observation) {
            expected.append(QStringLiteral("BeginOperation()"));  // the first cycle
        }
        EXPECT_EQ(h.barLog(), expected);
        EXPECT_EQ(h.channelCalls(),
                  (QStringList{QStringLiteral("HasConnection(0,1)"), QStringLiteral("HasConnection(1,1)"),
                               QStringLiteral("HasConnection(2,1)"), QStringLiteral("HasConnection(3,1)")}));
    } else {
        // The reread handler runs at once.
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("OnlineIndicator(1)"), QStringLiteral("BeginOperation()"),
                               QStringLiteral("AcknowledgeButton()")}));
    }

    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Transaction), 1);
    const FakeCommunication::Request read = h.comm.last(Kind::Transaction);
    EXPECT_EQ(read.reference, h.comm.reference);
    EXPECT_EQ(h.page->onlineInvokeId(), read.invokeId);
    if (isReadCycle(GetParam())) {
        EXPECT_EQ(read.document, h.dtm.base.parameterManager.ValuesReadRequest(h.comm.reference));
    } else {
        EXPECT_EQ(h.oneShot()->readMethodsRun,
                  QStringList{QString::fromLatin1(
                      GetParam() == SessionVariant::Diagnosis ? "ReadDiag" : "CallReadQsData")});
    }
}

TEST_P(SessionTest, ConnectAnswerWithoutConnectPartReportsAndStops) {
    h.reachConnecting();
    h.clearBarLog();
    h.comm.answerConnect(ConnectAnswer::NoConnectPart);
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_FALSE(h.page->isConnecting());
    EXPECT_EQ(h.errors(), QStringList{FakeCommunication::connectErrorText()});
    EXPECT_EQ(h.dtm.base.events.errors.first().first, h.dtm.base.parameterManager.SystemTag());
    if (isReadCycle(GetParam())) {
        EXPECT_EQ(h.barLog(), (QStringList{h.caption(7011), QStringLiteral("EndOperation()"),
                                           QStringLiteral("RefreshButtons()")}));
        EXPECT_EQ(h.bar()->pageButton()->text(), h.commonText(7011));
    } else {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("EndOperation()"), QStringLiteral("RefreshButtons()")}));
        EXPECT_EQ(h.oneShot()->connectErrors, QStringList{FakeCommunication::connectErrorText()});
    }
    runQueue();
    runQueue();
    EXPECT_EQ(h.comm.requests.size(), 1);
}

TEST_P(SessionTest, UnreadableConnectAnswerReportsAndConnectsAgain) {
    h.reachConnecting();
    h.clearBarLog();
    h.comm.answerConnect(ConnectAnswer::Unreadable);
    EXPECT_FALSE(h.page->isOnline());
    ASSERT_EQ(h.errors().size(), 1);
    EXPECT_FALSE(h.errors().first().isEmpty());
    if (GetParam() == SessionVariant::Observation) {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("RefreshButtons()"), QStringLiteral("BeginOperation()")}));
    } else if (GetParam() == SessionVariant::Simulation) {
        EXPECT_EQ(h.barLog(), QStringList{QStringLiteral("RefreshButtons()")});
    } else {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("RefreshButtons()"), QStringLiteral("BeginOperation()"),
                               QStringLiteral("AcknowledgeButton()")}));
    }
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Connect), 2);
    EXPECT_TRUE(h.page->isConnecting());
}

TEST_P(SessionTest, ConnectAnswerLogsTheVariantsLines) {
    h.reachConnecting();
    const QString id = h.page->onlineInvokeId();
    DebugLogCapture log;
    h.comm.answerConnect();
    const QString tag = h.page->className();
    QStringList expected;
    if (GetParam() == SessionVariant::Observation) {
        expected.append(tag + QStringLiteral(": IBaseCommunicationCallback_OnConnectResponse"));
    }
    expected.append(tag + QStringLiteral(".OnConnectResponse: sOnlineInvokeId: ") + id);
    if (!isReadCycle(GetParam())) {
        expected.append(tag + QStringLiteral(".OnConnectResponse: communicationReference: ") +
                        h.comm.reference);
    }
    const QStringList lines = log.lines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(lines.mid(0, expected.size()), expected);
}

class ForeignAnswerTest : public testing::TestWithParam<std::tuple<SessionVariant, const char*>> {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    Harness h{std::get<0>(GetParam())};
    QString foreignId() const { return QString::fromLatin1(std::get<1>(GetParam())); }
};

std::string foreignTestName(const testing::TestParamInfo<std::tuple<SessionVariant, const char*>>& info) {
    return std::string(variantName(std::get<0>(info.param))) +
           (std::string(std::get<1>(info.param)).empty() ? "EmptyId" : "ForeignId");
}

INSTANTIATE_TEST_SUITE_P(Variants, ForeignAnswerTest,
                         testing::Combine(testing::ValuesIn(kAllVariants), testing::Values("FOREIGN-7", "")),
                         foreignTestName);

TEST_P(ForeignAnswerTest, ConnectAnswerOfAnotherRequestOnlyEndsConnecting) {
    h.reachConnecting();
    const QString outstanding = h.page->onlineInvokeId();
    h.clearBarLog();
    h.comm.answerConnect(ConnectAnswer::Connected, foreignId());
    EXPECT_FALSE(h.page->isConnecting());
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_EQ(h.page->onlineInvokeId(), outstanding);
    EXPECT_TRUE(h.barLog().isEmpty());
    EXPECT_TRUE(h.errors().isEmpty());
    runQueue();
    EXPECT_EQ(h.comm.requests.size(), 1);

    // The page's own answer still counts.
    h.comm.answerConnect(ConnectAnswer::Connected, outstanding);
    EXPECT_TRUE(h.page->isOnline());
}

TEST_P(ForeignAnswerTest, VerifyConnectionRequestOfAnotherRequestIsIgnored) {
    h.reachConnecting();
    h.comm.requestVerification(foreignId());
    runQueue();
    EXPECT_EQ(h.comm.verifications, 0);
}

TEST_P(SessionTest, VerifyConnectionRequestForTheOutstandingRequestVerifiesFromTheQueue) {
    h.reachConnecting();
    DebugLogCapture log;
    h.comm.requestVerification(h.page->onlineInvokeId());
    EXPECT_EQ(h.comm.verifications, 0);
    runQueue();
    EXPECT_EQ(h.comm.verifications, 1);
    EXPECT_EQ(h.dtm.log.last(), QStringLiteral("VerifyConnection(1)"));
    EXPECT_TRUE(log.lines().contains(h.page->className() + QStringLiteral(".CallVerifyConnection: ")));
}

// --- Disconnect and Close -------------------------------------------------------------

TEST_P(SessionTest, CloseWhileOnlineDisconnectsThenClosesTheUi) {
    h.reachOnline();
    h.clearBarLog();
    DebugLogCapture log;
    h.page->ctlButtons_Clos();
    EXPECT_EQ(h.barLog(),
              (QStringList{QStringLiteral("BeginOperation()"), QStringLiteral("AcknowledgeButton()")}));
    EXPECT_TRUE(h.page->isClosing());
    if (h.timer() != nullptr) {
        EXPECT_FALSE(h.timer()->isActive());
    }
    EXPECT_EQ(h.closeUi(), 0);
    const QString tag = h.page->className();
    EXPECT_EQ(log.linesFrom(tag), (QStringList{tag + QStringLiteral(".ctlButtons_Clos: "),
                                               tag + QStringLiteral("_Clos: Calling Disconnect")}));

    runQueue();
    ASSERT_EQ(h.comm.count(Kind::Disconnect), 1);
    EXPECT_EQ(h.comm.last(Kind::Disconnect).reference, h.comm.reference);
    EXPECT_EQ(h.page->onlineInvokeId(), h.comm.last(Kind::Disconnect).invokeId);
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_EQ(h.dtm.calls(QStringLiteral("CloseUi")), QStringList{QStringLiteral("CloseUi(INV-1)")});
    EXPECT_EQ(h.uiReleased(), 0);
}

TEST_P(SessionTest, CloseWhileOfflineClosesAtOnceWithoutTheService) {
    h.reachOffline();
    const int requests = h.comm.requests.size();
    DebugLogCapture log;
    h.page->ctlButtons_Clos();
    EXPECT_EQ(h.closeUi(), 1);
    EXPECT_TRUE(log.lines().contains(h.page->className() + QStringLiteral("_Clos: Closing control")));
    runQueue();
    EXPECT_EQ(h.comm.requests.size(), requests);
}

TEST_P(SessionTest, RefusedDisconnectStaysOnlineWithNothingOutstanding) {
    h.reachOnline();
    h.comm.refuseNext(Kind::Disconnect);
    DebugLogCapture log;
    h.page->ctlButtons_Clos();
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
    EXPECT_TRUE(h.page->isOnline());
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_EQ(log.lines().last(),
              h.page->className() +
                  QStringLiteral(".CallDisconnect: objBaseDtmCommunication.Disconnect returned false"));
    EXPECT_EQ(h.closeUi(), 0);
}

TEST_P(SessionTest, DisconnectAnswerWithoutCloseOrReleaseEndsTheOperation) {
    h.reachDisconnecting();
    h.clearBarLog();
    h.comm.answerDisconnect();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_FALSE(h.bar()->isOnline());
    EXPECT_FALSE(h.page->isDisconnecting());
    if (isReadCycle(GetParam())) {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("OnlineIndicator(0)"), h.caption(7011),
                               QStringLiteral("RefreshButtons()"), QStringLiteral("EndOperation()"),
                               QStringLiteral("RefreshButtons()")}));
    } else {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("OnlineIndicator(0)"), QStringLiteral("EndOperation()"),
                               QStringLiteral("RefreshButtons()")}));
    }
    EXPECT_EQ(h.closeUi(), 0);
    EXPECT_EQ(h.uiReleased(), 0);
}

TEST_P(SessionTest, DisconnectLogsNameTheRequest) {
    h.reachOnline();
    DebugLogCapture log;
    rmox::CallQueue queue;
    queue.AddCall(h.page.get(), "CallDisconnect");
    runQueue();
    const QString id = h.comm.last(Kind::Disconnect).invokeId;
    const QString tag = h.page->className() + QStringLiteral(".CallDisconnect: ");
    QStringList expected;
    switch (GetParam()) {
        case SessionVariant::Observation:
            expected = {tag + QStringLiteral("Actually trying to disconnect: ") + id};
            break;
        case SessionVariant::Simulation:
            expected = {tag + QStringLiteral("actually trying to disconnect")};
            break;
        case SessionVariant::Diagnosis:
        case SessionVariant::Identification:
            expected = {tag + QStringLiteral("sOnlineInvokeId: ") + id,
                        tag + QStringLiteral("actually trying to disconnect")};
            break;
    }
    expected.append(tag + QStringLiteral("objBaseDtmCommunication.Disconnect returned true"));
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(h.page->isDisconnecting(), GetParam() == SessionVariant::Observation);

    log.clear();
    h.comm.answerDisconnect();
    const QString answerTag = h.page->className() + QStringLiteral(".OnDisconnectResponse: ");
    if (isReadCycle(GetParam())) {
        EXPECT_EQ(log.lines().mid(0, 2), (QStringList{answerTag + QStringLiteral("invokeId:        ") + id,
                                                      answerTag + QStringLiteral("sOnlineInvokeId: ") + id}));
    } else {
        EXPECT_EQ(log.lines().mid(0, 2), (QStringList{answerTag + QStringLiteral("sOnlineInvokeId: ") + id,
                                                      answerTag + QStringLiteral("invokeId: ") + id}));
    }
    EXPECT_EQ(log.lines().contains(h.page->className() + QStringLiteral(": OnDisconnetResponse")),
              GetParam() == SessionVariant::Simulation);
}

TEST_P(ForeignAnswerTest, DisconnectAnswerOfAnotherRequest) {
    h.reachDisconnecting();
    const QString outstanding = h.page->onlineInvokeId();
    h.clearBarLog();
    DebugLogCapture log;
    h.comm.answerDisconnect(foreignId());
    EXPECT_FALSE(h.bar()->isOnline());
    switch (std::get<0>(GetParam())) {
        case SessionVariant::Observation:
            // The display is reset, the session is not.
            EXPECT_EQ(h.barLog(), (QStringList{QStringLiteral("OnlineIndicator(0)"), h.caption(7011),
                                               QStringLiteral("RefreshButtons()")}));
            EXPECT_TRUE(h.page->isOnline());
            EXPECT_EQ(h.page->onlineInvokeId(), outstanding);
            EXPECT_TRUE(h.page->isDisconnecting());
            break;
        case SessionVariant::Simulation:
            // No id check: the disconnect counts as done.
            EXPECT_FALSE(h.page->isOnline());
            EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
            break;
        case SessionVariant::Diagnosis:
        case SessionVariant::Identification:
            EXPECT_EQ(h.barLog(), QStringList{QStringLiteral("OnlineIndicator(0)")});
            EXPECT_TRUE(h.page->isOnline());
            EXPECT_EQ(h.page->onlineInvokeId(), outstanding);
            EXPECT_EQ(
                log.lines().last(),
                h.page->className() + QStringLiteral(".OnDisconnectResponse: Not my request, ignoring"));
            break;
    }
    EXPECT_EQ(h.closeUi() + h.uiReleased(), 0);
}

// CallDisconnect of the one-shot pages, by what is outstanding and whether connected.
enum class DisconnectCase { IdleOnline, IdleOffline, BusyOnline, ConnectingOffline };

class OneShotDisconnectTest : public testing::TestWithParam<std::tuple<SessionVariant, DisconnectCase>> {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    Harness h{std::get<0>(GetParam())};
};

std::string disconnectCaseName(
    const testing::TestParamInfo<std::tuple<SessionVariant, DisconnectCase>>& info) {
    static const char* const names[] = {"IdleOnline", "IdleOffline", "BusyOnline", "ConnectingOffline"};
    return std::string(variantName(std::get<0>(info.param))) +
           names[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OneShotDisconnectTest,
    testing::Combine(testing::ValuesIn(kOneShotVariants),
                     testing::Values(DisconnectCase::IdleOnline, DisconnectCase::IdleOffline,
                                     DisconnectCase::BusyOnline, DisconnectCase::ConnectingOffline)),
    disconnectCaseName);

TEST_P(OneShotDisconnectTest, CallDisconnectWaitsBehindTheOutstandingRequest) {
    const DisconnectCase which = std::get<1>(GetParam());
    switch (which) {
        case DisconnectCase::IdleOnline:
            h.reachOnline();
            break;
        case DisconnectCase::IdleOffline:
            h.reachOffline();
            break;
        case DisconnectCase::BusyOnline:
            h.reachBusy();
            break;
        case DisconnectCase::ConnectingOffline:
            h.reachConnecting();
            break;
    }
    DebugLogCapture log;
    rmox::CallQueue queue;
    queue.AddCall(h.page.get(), "CallDisconnect");
    runQueue();
    runQueue();
    const QString tag = h.page->className();
    switch (which) {
        case DisconnectCase::IdleOnline:
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
            break;
        case DisconnectCase::IdleOffline:
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
            EXPECT_EQ(log.lines(),
                      QStringList{tag + QStringLiteral(".CallDisconnect: No connection (any more)")});
            break;
        case DisconnectCase::BusyOnline:
            // Nothing is sent, and nothing spins in the queue meanwhile.
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
            EXPECT_TRUE(log.lines().isEmpty());
            // The read answer without data leaves the page online; the waiting
            // disconnect follows it.
            h.comm.answerReadWithoutParts();
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
            runQueue();
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
            break;
        case DisconnectCase::ConnectingOffline:
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
            EXPECT_TRUE(log.lines().isEmpty());
            // Nothing waits: the connect answer leads to the reading as usual.
            h.comm.answerConnect();
            runQueue();
            h.comm.answerReadWithoutParts();
            runQueue();
            EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
            break;
    }
}

// --- Abort ----------------------------------------------------------------------------

class StateTest : public testing::TestWithParam<std::tuple<SessionVariant, State>> {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    SessionVariant variant() const { return std::get<0>(GetParam()); }
    State state() const { return std::get<1>(GetParam()); }

    Harness h{std::get<0>(GetParam())};
    MessageBoxRecorder boxes;
};

std::string stateTestName(const testing::TestParamInfo<std::tuple<SessionVariant, State>>& info) {
    return std::string(variantName(std::get<0>(info.param))) + stateName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(States, StateTest,
                         testing::Combine(testing::ValuesIn(kAllVariants),
                                          testing::Values(State::Offline, State::Connecting, State::Online,
                                                          State::Busy, State::Disconnecting)),
                         stateTestName);

TEST_P(StateTest, AbortTakesThePageOfflineAndReportsTheAbortedConnection) {
    reach(h, state());
    h.clearBarLog();
    h.clearChannelCalls();
    const int requests = h.comm.requests.size();
    h.comm.abort();
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
    EXPECT_FALSE(h.bar()->isOnline());
    EXPECT_EQ(h.errors(), QStringList{h.deviceText(1127)});
    if (isReadCycle(variant())) {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("OnlineIndicator(0)"), h.caption(7011),
                               QStringLiteral("RefreshButtons()"), QStringLiteral("EndOperation()"),
                               QStringLiteral("RefreshButtons()")}));
        EXPECT_EQ(h.channelCalls(),
                  (QStringList{QStringLiteral("HasConnection(0,0)"), QStringLiteral("HasConnection(1,0)"),
                               QStringLiteral("HasConnection(2,0)"), QStringLiteral("HasConnection(3,0)")}));
    } else {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("OnlineIndicator(0)"), QStringLiteral("EndOperation()"),
                               QStringLiteral("RefreshButtons()")}));
        EXPECT_EQ(h.oneShot()->aborts, 1);
    }
    runQueue();
    EXPECT_EQ(h.comm.requests.size(), requests);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_P(StateTest, AbortLogNamesWhatTheVariantLost) {
    reach(h, state());
    const QString id = h.page->onlineInvokeId();
    DebugLogCapture log;
    h.comm.abort();
    const QString tag = h.page->className() + QStringLiteral(".OnAbort: ");
    EXPECT_EQ(log.lines().value(0),
              isReadCycle(variant()) ? tag + QStringLiteral("sOnlineInvokeId: ") + id
                                     : tag + QStringLiteral("communicationReference: ") + h.comm.reference);
}

TEST_P(StateTest, PrepareToReleaseAfterAnAbortReleasesAtOnce) {
    reach(h, state());
    h.comm.abort();
    h.page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(h.uiReleased(), 1);
    EXPECT_TRUE(h.page->isReleased());
}

// --- Release --------------------------------------------------------------------------

TEST_P(StateTest, PrepareToReleaseEndsWithExactlyOneUiReleased) {
    reach(h, state());
    DebugLogCapture log;
    EXPECT_TRUE(h.page->IDtmActiveXControl_PrepareToRelease());

    const bool oneShot = !isReadCycle(variant());
    const bool atOnce = state() == State::Offline || (state() == State::Connecting && !oneShot);
    EXPECT_EQ(h.uiReleased(), atOnce ? 1 : 0);
    EXPECT_TRUE(h.page->isPreparingToRelease());

    const QStringList lines = log.linesFrom(h.page->className() + QStringLiteral(".PrepareToRelease"));
    ASSERT_FALSE(lines.isEmpty());
    QString first = QStringLiteral("Online");
    if (state() == State::Offline || state() == State::Connecting) {
        first = QStringLiteral("Offline");
    } else if (state() == State::Disconnecting && variant() == SessionVariant::Observation) {
        first = QStringLiteral("GoingOffline");
    }
    EXPECT_EQ(lines.first(), h.page->className() + QStringLiteral(".PrepareToRelease: ") + first);

    h.serveUntilQuiet();
    EXPECT_EQ(h.dtm.calls(QStringLiteral("UiReleased")), QStringList{QStringLiteral("UiReleased(INV-1)")});
    EXPECT_EQ(h.closeUi(), 0);
    EXPECT_TRUE(h.page->isReleased());
    EXPECT_FALSE(h.page->isOnline());
    EXPECT_TRUE(boxes.texts.isEmpty());

    // Released: a second request to release changes nothing.
    h.page->IDtmActiveXControl_PrepareToRelease();
    h.serveUntilQuiet();
    EXPECT_EQ(h.uiReleased(), 1);
}

TEST_P(SessionTest, PrepareToReleaseOnlineRunsTheCloseHandlerButReleasesInsteadOfClosing) {
    h.reachOnline();
    h.clearBarLog();
    h.page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(h.barLog(),
              (QStringList{QStringLiteral("BeginOperation()"), QStringLiteral("AcknowledgeButton()")}));
    EXPECT_TRUE(h.page->isClosing());
    runQueue();
    DebugLogCapture log;
    h.comm.answerDisconnect();
    EXPECT_EQ(h.uiReleased(), 1);
    EXPECT_EQ(h.closeUi(), 0);
    // UiReleased is the last thing the host sees.
    EXPECT_EQ(h.dtm.log.last(), QStringLiteral("UiReleased(INV-1)"));
    const QString tag = h.page->className() + QStringLiteral(".OnDisconnectResponse: ");
    const QStringList lines = log.lines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{tag + QStringLiteral("Preparing to release"),
                                                        tag + QStringLiteral("m_sInvokeId: INV-1")}));
}

TEST_P(SessionTest, PrepareToReleaseWhileBusyDisconnectsOnlyAfterTheReadOnOneShotPages) {
    h.reachBusy();
    h.page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_FALSE(h.page->isClosing());
    runQueue();
    if (isReadCycle(GetParam())) {
        // Variant A does not wait: the disconnect replaces the read.
        EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
    } else {
        EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
        h.comm.answerRead(someValues());
        runQueue();
        EXPECT_EQ(h.comm.count(Kind::Disconnect), 1);
    }
    EXPECT_EQ(h.uiReleased(), 0);
    h.comm.answerDisconnect();
    EXPECT_EQ(h.uiReleased(), 1);
}

class OneShotReleaseTest : public testing::TestWithParam<std::tuple<SessionVariant, ConnectAnswer>> {
protected:
    void SetUp() override { qt27::ReadDebugSettings(-1); }
    Harness h{std::get<0>(GetParam())};
};

std::string oneShotReleaseName(
    const testing::TestParamInfo<std::tuple<SessionVariant, ConnectAnswer>>& info) {
    return std::string(variantName(std::get<0>(info.param))) +
           (std::get<1>(info.param) == ConnectAnswer::NoConnectPart ? "NoConnectPart" : "Unreadable");
}

INSTANTIATE_TEST_SUITE_P(Answers, OneShotReleaseTest,
                         testing::Combine(testing::ValuesIn(kOneShotVariants),
                                          testing::Values(ConnectAnswer::NoConnectPart,
                                                          ConnectAnswer::Unreadable)),
                         oneShotReleaseName);

// The host waits for UiReleased; a page that waited for a connection that never
// came releases itself.
TEST_P(OneShotReleaseTest, ReleaseWaitingForAConnectThatFailsStillReleases) {
    h.reachConnecting();
    h.page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(h.uiReleased(), 0);
    h.comm.answerConnect(std::get<1>(GetParam()));
    runQueue();
    runQueue();
    EXPECT_EQ(h.uiReleased(), 1);
    EXPECT_EQ(h.comm.count(Kind::Connect), 1);
    EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
}

TEST_P(SessionTest, AbortAfterTheReleaseFallsBackToTheMessageBox) {
    h.reachReleased();
    ASSERT_EQ(h.uiReleased(), 1);
    h.comm.abort();
    EXPECT_EQ(
        boxes.texts,
        QStringList{QStringLiteral("BIG Problem: Error occured and no Interface IDtmEvents avaliable!")});
    EXPECT_TRUE(h.errors().isEmpty());
}

TEST_P(SessionTest, ConnectQueuedBeforeTheReleaseDoesNotConnect) {
    h.init();
    h.page->IDtmActiveXControl_PrepareToRelease();
    EXPECT_EQ(h.uiReleased(), 1);
    // The connect queued by Init runs after the release.
    runQueue();
    EXPECT_TRUE(h.comm.requests.isEmpty());
    EXPECT_FALSE(h.page->isConnecting());
}

// --- Page button ------------------------------------------------------------------------

TEST_P(SessionTest, PageButtonWhileOfflineConnects) {
    h.reachOffline();
    h.clearBarLog();
    h.page->ctlButtons_PageButton();
    if (GetParam() == SessionVariant::Observation) {
        EXPECT_EQ(h.barLog(), QStringList{QStringLiteral("AcknowledgeButton()")});
    } else if (!isReadCycle(GetParam())) {
        EXPECT_EQ(h.barLog(),
                  (QStringList{QStringLiteral("BeginOperation()"), QStringLiteral("AcknowledgeButton()")}));
    }
    runQueue();
    EXPECT_EQ(h.comm.count(Kind::Connect), 2);
}

TEST(OneShotPageButtonTest, RereadWhileOnlineRunsTheReadMethodOfTheVariant) {
    for (SessionVariant variant : kOneShotVariants) {
        Harness h(variant);
        h.reachOnline();
        h.oneShot()->readMethodsRun.clear();
        DebugLogCapture log;
        h.page->ctlButtons_PageButton();
        EXPECT_TRUE(log.lines().contains(h.page->className() + QStringLiteral(".cmdReread_Click: ")));
        runQueue();
        EXPECT_EQ(h.oneShot()->readMethodsRun,
                  QStringList{QString::fromLatin1(variant == SessionVariant::Diagnosis ? "ReadDiag"
                                                                                       : "CallReadQsData")});
        EXPECT_EQ(h.comm.outstanding().size(), 1);
    }
}

TEST(OneShotReadTest, RefusedReadLeavesThePageOnlineWithNothingOutstanding) {
    for (SessionVariant variant : kOneShotVariants) {
        Harness h(variant);
        h.reachConnecting();
        h.comm.answerConnect();
        h.comm.refuseNext(Kind::Transaction);
        h.clearBarLog();
        runQueue();
        EXPECT_EQ(h.comm.count(Kind::Transaction), 1);
        EXPECT_TRUE(h.page->isOnline());
        EXPECT_TRUE(h.page->onlineInvokeId().isEmpty());
        EXPECT_TRUE(h.barLog().isEmpty());
        EXPECT_TRUE(h.errors().isEmpty());
        runQueue();
        EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
    }
}

// --- Error report ---------------------------------------------------------------------

TEST(ReportErrorTest, SendsTheSystemTagAndTheMessageOnlyToTheFrame) {
    MessageBoxRecorder boxes;
    Harness h(SessionVariant::Observation);
    h.init();
    auto* page = static_cast<ObservationLikePage*>(h.page.get());
    page->ReportError(42, QStringLiteral("Something broke"), QStringLiteral("Somewhere"));
    ASSERT_EQ(h.dtm.base.events.errors.size(), 1);
    EXPECT_EQ(h.dtm.base.events.errors.first(),
              qMakePair(QStringLiteral("QT27 slot 7"), QStringLiteral("Something broke")));
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST(ReportErrorTest, WithoutAHostShowsTheCriticalBox) {
    MessageBoxRecorder boxes;
    ObservationLikePage page;
    page.ReportError(0, QStringLiteral("Something broke"), QStringLiteral("Somewhere"));
    EXPECT_EQ(
        boxes.texts,
        QStringList{QStringLiteral("BIG Problem: Error occured and no Interface IDtmEvents avaliable!")});
}

// --- Lifetime -----------------------------------------------------------------------------

TEST_P(SessionTest, AnswersAndQueuedCallsNeverReachADestroyedPage) {
    h.reachBusy();
    rmox::CallQueue queue;
    queue.AddCall(h.page.get(), "CallDisconnect");
    h.page.reset();
    runQueue();
    h.comm.answerRead(someValues());
    h.comm.abort();
    EXPECT_EQ(h.comm.count(Kind::Disconnect), 0);
}

}  // namespace
}  // namespace sessiontest
