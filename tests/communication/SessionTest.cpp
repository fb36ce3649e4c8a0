// The online session and the read cycle as the host, the communication service and the
// button bar see them, for both families: the read-cycle pages (Observation, Simulation) and
// the one-shot pages (Diagnosis, Identification). Each row starts the
// page in a state of the session, plays a script of events and answers, and states what the button bar and
// the host saw and the state the session ends in.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

#include "QT27Controls/communication/ReadCyclePage.h"
#include "QT27Controls/communication/ValueTelegram.h"
#include "QT27Controls/diagnosis/Diagnosis.h"
#include "QT27Controls/identification/Identification.h"
#include "QT27Controls/observation/Observation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "rmox/Communication/CallQueue.h"
#include "rmox/Communication/ResponseReader.h"
#include "support/PageSession.h"

namespace {

using qt27::SessionVariant;
using testsupport::FakeCommunication;
using testsupport::runQueue;
using Kind = FakeCommunication::Kind;
using Answer = FakeCommunication::ConnectAnswer;

/// A page of the variant: O Observation, S Simulation, D Diagnosis, I Identification.
std::unique_ptr<qt27::OnlinePage> makePage(char variant) {
    if (variant == 'O' || variant == 'S') {
        return variant == 'O' ? std::unique_ptr<qt27::OnlinePage>(std::make_unique<qt27::Observation>())
                              : std::make_unique<qt27::Simulation>();
    }
    if (variant == 'D') {
        return std::make_unique<qt27::Diagnosis>();
    }
    return std::make_unique<qt27::Identification>();
}

/// One page of a variant on the scripted host, and in short form what it did.
struct Play {
    explicit Play(char variant) : variant(variant), page(makePage(variant)) {}
    /// The button bar operations since the last call: B/E Begin/EndOperation, A Acknowledge-
    /// Button, R RefreshButtons, on/off OnlineIndicator, c<id> the page button's caption as
    /// common text id, S an empty status text; the others are left out.
    QString takeBar() {
        static const QMap<QString, QString> names = {
            {"BeginOperation()", "B"}, {"EndOperation()", "E"},      {"AcknowledgeButton()", "A"},
            {"RefreshButtons()", "R"}, {"OnlineIndicator(1)", "on"}, {"OnlineIndicator(0)", "off"},
            {"StatusText(\"\")", "S"}};
        QStringList result;
        for (const QString& entry : page ? page->buttons()->OperationLog() : QStringList()) {
            for (int id : {7011, 7012, 6103}) {
                result << (entry == "SetButtonCaption(0,\"\",\"" + session.commonText(id) + "\")"
                               ? "c" + QString::number(id)
                               : "");
            }
            result << names.value(entry);
        }
        page ? page->buttons()->clearOperationLog() : void();
        return result.join(' ').simplified();
    }
    /// What the host saw since the last call: Connect, Disconnect, Verify, Read:<kind>, with "!"
    /// when refused; UiOpened, CloseUi, UiReleased; Err(<text>) for an error report:
    /// 1127 the aborted connection, TF "Transaction failed", ND "No data read ...", CE the
    /// connect error, RE the read error, ? another; Box for ReportError's box without a host.
    QString takeHost() {
        static const QRegularExpression requestKind(QStringLiteral("<(\\w+)Request kind=\"(\\w+)\""));
        const QMap<QString, QString> codes = {
            {session.dtm.base.resources.GetString(1127, qt27::DeviceResourceFolder()), "1127"},
            {"Transaction failed", "TF"},
            {"No data read and no communcation error ...", "ND"},
            {FakeCommunication::connectErrorText(), "CE"},
            {"Read of an invalid index", "RE"},
            {"No data read", "NDR"}};
        QStringList result;
        for (const QString& entry : session.dtm.log.mid(logMark)) {
            const QString name = entry.section('(', 0, 0);
            if (QStringList{"Connect", "Disconnect", "TransactionRequest", "VerifyConnection"}.contains(
                    name)) {
                const FakeCommunication::Request& request = comm.requests.at(requestMark++);
                const QRegularExpressionMatch kind = requestKind.match(request.document);
                // Simulation reads the output values where Observation reads the values.
                const QString read = kind.captured(2) == "outputValues" ? "values" : kind.captured(2);
                result << (name == "TransactionRequest" ? kind.captured(1) + ':' + read
                           : name == "VerifyConnection" ? (entry.endsWith("(1)") ? "Verify" : "Verify(false)")
                                                        : name) +
                              (request.accepted ? "" : "!");
            } else if (name == "OnErrorMessage") {
                const QString text = entry.mid(name.size() + 1).chopped(1);
                result << "Err(" + codes.value(text, text.isEmpty() ? "" : "?") + ")";
            } else if (QStringList{"UiOpened", "CloseUi", "UiReleased", "Box"}.contains(name)) {
                result << name;
            }
        }
        logMark = session.dtm.log.size();
        return result.join(' ');
    }
    /// The session in short: off, wait (connect outstanding), on, busy (another request
    /// outstanding), disc (the disconnect outstanding), rel (released) or gone (destroyed),
    /// and the flags +c connecting, +d disconnecting, +x closing, +p preparing to release,
    /// +r disconnect requested, +t timCyclic running.
    QString state() const {
        if (!page || page->isReleased()) {
            return page ? "rel" : "gone";
        }
        const QString id = page->onlineInvokeId();
        const auto* cycle = qobject_cast<const qt27::ReadCyclePage*>(page.get());
        const auto* simulation = qobject_cast<const qt27::Simulation*>(page.get());
        const bool reading = simulation != nullptr && !simulation->readInvokeIdOutstanding().isEmpty();
        QString state = !page->isOnline()                              ? (id.isEmpty() ? "off" : "wait")
                        : id.isEmpty() && !reading                     ? "on"
                        : !id.isEmpty() && id == comm.last(Kind::Disconnect).invokeId ? "disc"
                                                                       : "busy";
        const bool cycling = cycle != nullptr && cycle->cycleTimer()->isActive();
        return state + (page->isConnecting() ? "+c" : "") + (page->isDisconnecting() ? "+d" : "") +
               (page->isClosing() ? "+x" : "") + (page->isPreparingToRelease() ? "+p" : "") +
               (page->isDisconnectRequested() ? "+r" : "") + (cycling ? "+t" : "");
    }

    const char variant;
    testsupport::PageSession session;
    FakeCommunication& comm = session.comm;
    rmox::CallQueue queue;
    QString bar;
    qsizetype logMark = 0;
    qsizetype requestMark = 0;
    std::unique_ptr<qt27::OnlinePage> page;
};

const QByteArray kValues = QByteArray::fromHex("000001000200030004");
const QByteArray kDiagnosis = QByteArray::fromHex("0012");
// Production data: charge code, serial number, revisions, 2023-03-04.
const QByteArray kQsData = "K2231-07  QT37-012007 2.141.02" + QByteArray::fromHex("170304");

// The words of a script; "q" runs the calls queued so far.
const std::map<QString, std::function<void(Play&)>> kEvents = {
    {"q", [](Play&) { runQueue(); }},
    {"|", [](Play& r) { r.bar.clear(), r.takeHost(); }},
    {"Init", [](Play& r) { EXPECT_TRUE(r.session.init(*r.page)); }},
    {"State5", [](Play& r) { r.session.dtm.base.stateValue = 5; }},
    {"Connected", [](Play& r) { r.comm.answerConnect(); }},
    {"NoConnectPart", [](Play& r) { r.comm.answerConnect(Answer::NoConnectPart); }},
    {"Unreadable", [](Play& r) { r.comm.answerConnect(Answer::Unreadable); }},
    {"ForeignConnect", [](Play& r) { r.comm.answerConnect(Answer::Connected, QStringLiteral("FOREIGN-7")); }},
    {"EmptyConnect", [](Play& r) { r.comm.answerConnect(Answer::Connected, QLatin1String("")); }},
    {"Data",
     [](Play& r) {
         r.comm.answerRead(r.variant == 'D' ? kDiagnosis : r.variant == 'I' ? kQsData : kValues);
     }},
    {"ErrorPart", [](Play& r) { r.comm.answerReadError(); }},
    {"NoParts", [](Play& r) { r.comm.answerReadWithoutParts(); }},
    {"UnreadableRead", [](Play& r) { r.comm.answerReadUnreadable(); }},
    {"ForeignRead", [](Play& r) { r.comm.answerRead(kValues, QStringLiteral("FOREIGN-7")); }},
    {"Disconnected", [](Play& r) { r.comm.answerDisconnect(); }},
    {"ForeignDisconnect", [](Play& r) { r.comm.answerDisconnect(QStringLiteral("FOREIGN-7")); }},
    {"Abort", [](Play& r) { r.comm.abort(); }},
    {"Verify", [](Play& r) { r.comm.requestVerification(r.page->onlineInvokeId()); }},
    {"EmptyVerify", [](Play& r) { r.comm.requestVerification(QLatin1String("")); }},
    {"RefuseConnect", [](Play& r) { r.comm.refuseNext(Kind::Connect); }},
    {"RefuseRead", [](Play& r) { r.comm.refuseNext(Kind::Transaction); }},
    {"RefuseDisconnect", [](Play& r) { r.comm.refuseNext(Kind::Disconnect); }},
    {"Close", [](Play& r) { r.page->ctlButtons_Clos(); }},
    {"Button", [](Play& r) { r.page->ctlButtons_PageButton(); }},
    {"Release", [](Play& r) { EXPECT_TRUE(r.page->IDtmActiveXControl_PrepareToRelease()); }},
    {"Tick", [](Play& r) { static_cast<qt27::ReadCyclePage*>(r.page.get())->timCyclic_Timer(); }},
    {"CallDisconnect", [](Play& r) { r.queue.AddCall(r.page.get(), "CallDisconnect"); }},
    {"Destroy", [](Play& r) { r.page.reset(); }},
};

// clang-format off
// The states a script can start from (a variant letter after the name: that variant's
// way there); the traces start after them.
const std::map<QString, QString> kStates = {
    {"OnlineD", "Init q Connected q UnreadableRead"}, {"OnlineI", "Init q Connected q UnreadableRead"},
    {"Started", "Init"}, {"Offline", "RefuseConnect Init q"}, {"Connecting", "Init q"}, {"Busy", "Init q Connected q"},
    {"Online", "Init q Connected q NoParts"}, {"Disconnecting", "Init q Connected q NoParts CallDisconnect q"}};

// Each row: the variants it holds for, the script (a state, then events; q runs the
// queue), the button bar operations, what the host saw and the state at the end.
struct Row { const char *variants, *script, *bar, *host, *state; };
const Row kRows[] = {
    // Start: the page button's caption, then the connect from the queue.
    {"OS", "Init q", "S c7012 A S B", "UiOpened Connect", "wait+c"},
    {"DI", "Init q", "S c6103 A S B", "UiOpened Connect", "wait+c"},
    {"I", "State5 Init q", "S c6103 A S R", "UiOpened", "off"},
    {"OSDI", "Started Release q", "", "UiReleased", "rel"},
    {"O", "Connecting Connected q", "on c7012 R E B", "Read:values", "busy"},
    {"S", "Connecting Connected q", "on c7012 R E", "Read:values", "busy"},
    {"D", "Connecting Connected q", "on B A", "Read:diagnosis", "busy"},
    {"I", "Connecting Connected q", "on B A", "Read:qsData", "busy"},
    {"OS", "Connecting NoConnectPart q", "c7011 E R", "Err(CE)", "off"},
    {"DI", "Connecting NoConnectPart q", "E R", "Err(CE)", "off"},
    {"O", "Connecting Unreadable q", "R B B", "Err(?) Connect", "wait+c"},
    {"DI", "Connecting Unreadable q", "R B A B", "Err(?) Connect", "wait+c"},
    {"OSDI", "Connecting ForeignConnect q", "", "", "wait"},
    {"OSDI", "Connecting Verify q", "", "Verify", "wait+c"},
    {"O", "Connecting Button q", "A", "", "wait+c"},
    {"DI", "Connecting Button q", "B A", "", "wait+c"},
    {"OSDI", "Connecting Close q", "B A", "CloseUi", "wait+c"},
    {"OS", "Connecting Release Connected q Disconnected", "on c7012 R E off c7011 R", "UiReleased Disconnect", "rel"},
    {"DI", "Connecting Release Connected q Disconnected", "on off", "Disconnect UiReleased", "rel"},
    {"DI", "Connecting Release NoConnectPart q", "E R", "Err(CE) UiReleased", "rel"},
    {"DI", "Connecting Release Unreadable q", "R", "Err(?) UiReleased", "rel"},
    {"D", "Connecting CallDisconnect q Connected q UnreadableRead q", "on B A E R", "Read:diagnosis Err(?)", "on"},
    {"O", "Offline RefuseConnect Button q", "A B E", "Connect!", "off"},
    {"DI", "Offline RefuseConnect Button q", "B A B E", "Connect!", "off"},
    {"OSDI", "Offline CallDisconnect q", "", "", "off"},
    {"OSDI", "Offline EmptyConnect EmptyVerify q", "", "Verify", "off"},
    {"OS", "Offline Release Abort", "off c7011 R E R", "UiReleased Box", "rel"},
    {"DI", "Offline Release Abort", "off E R", "UiReleased Box", "rel"},
    {"O", "Online Tick q", "B", "Read:values", "busy"},
    {"O", "Online RefuseRead Tick q", "B", "Read:values! Err(TF)", "on"},
    {"O", "Online Button Tick q Data q Disconnected", "A B off c7011 R E R", "Disconnect", "off"},
    // The cycle ended on a refused read or an unreadable answer: the button disconnects all the same.
    {"O", "Online RefuseRead Tick q Button q Disconnected", "B A off c7011 R E R", "Read:values! Err(TF) Disconnect", "off"},
    {"O", "Busy UnreadableRead q Button q Disconnected", "E R A off c7011 R E R", "Err(?) Disconnect", "off"},
    {"D", "Online Button q", "B A", "Read:diagnosis", "busy"},
    {"I", "Online Button q", "B A", "Read:qsData", "busy"},
    {"OS", "Online Close q Disconnected", "B A off c7011 R", "Disconnect CloseUi", "off+x"},
    {"DI", "Online Close q Disconnected", "B A off", "Disconnect CloseUi", "off+x"},
    // A refused Disconnect leaves a page the user can close again; CloseUi goes out once.
    {"OS", "Online RefuseDisconnect Close q", "B A E R", "Disconnect!", "on+t"},
    {"DI", "Online RefuseDisconnect Close q", "B A E R", "Disconnect!", "on"},
    {"OS", "Online RefuseDisconnect Close q Close q Disconnected", "B A E R B A off c7011 R", "Disconnect! Disconnect CloseUi", "off+x"},
    {"DI", "Online RefuseDisconnect Close q Close q Disconnected", "B A E R B A off", "Disconnect! Disconnect CloseUi", "off+x"},
    {"OS", "Busy Close q Data q Disconnected q Close q", "B A off c7011 R B A", "Disconnect CloseUi", "off+x"},
    {"DI", "Busy Close q Data q Disconnected q Close q", "B A off B A", "Disconnect CloseUi", "off+x"},
    {"DI", "Online CallDisconnect q Disconnected", "off E R", "Disconnect", "off"},
    {"OS", "Online Release q Disconnected", "B A off c7011 R", "Disconnect UiReleased", "rel"},
    {"DI", "Online Release q Disconnected", "B A off", "Disconnect UiReleased", "rel"},
    {"O", "Online Abort Tick q", "off c7011 R E R B B", "Err(1127) Connect", "wait+c"},
    {"O", "Online Abort Button q Connected", "off c7011 R E R A B on c7012 R E B", "Err(1127) Connect", "on"},
    {"O", "Online Tick Close q", "B B A", "Disconnect", "disc+d+x"},
    {"OS", "Online Close Abort q", "B A off c7011 R E R", "Err(1127) CloseUi", "off+x"},
    {"DI", "Online Close Abort q", "B A off E R", "Err(1127) CloseUi", "off+x"},
    {"OS", "Busy Data q", "", "", "on+t"},
    {"OS", "Busy ErrorPart q", "", "Err(RE)", "on+t"},
    {"OS", "Busy NoParts q", "", "Err(ND)", "on+t"},
    {"OS", "Busy UnreadableRead q", "E R", "Err(?)", "on"},
    {"OS", "Busy ForeignRead q", "", "", "busy"},
    {"O", "Busy Button Data q", "A", "Disconnect", "disc+d+r"},
    {"DI", "Busy Data q", "", "Disconnect", "disc"},
    {"DI", "Busy CallDisconnect q NoParts q", "", "Err(NDR) Disconnect", "disc"},
    // An answer without data and a refused read end in the disconnect; an unreadable answer
    // ends the operation online; a read queued before Close is not sent.
    {"DI", "Busy NoParts q Disconnected", "off E R", "Err(NDR) Disconnect", "off"},
    {"D", "Connecting RefuseRead Connected q q Disconnected", "on B A off E R", "Read:diagnosis! Disconnect", "off"},
    {"I", "Connecting RefuseRead Connected q q Disconnected", "on B A off E R", "Read:qsData! Disconnect", "off"},
    {"D", "Busy UnreadableRead q Button q", "E R B A", "Err(?) Read:diagnosis", "busy"},
    {"I", "Busy UnreadableRead q Button q", "E R B A", "Err(?) Read:qsData", "busy"},
    {"DI", "Busy ForeignRead q", "", "", "busy"},
    {"DI", "Online Button Close q", "B A B A", "Disconnect", "disc+x"},
    {"DI", "Busy Release q Data q Disconnected q", "off", "Disconnect UiReleased", "rel"},
    {"OS", "Busy Release q Disconnected", "off c7011 R", "Disconnect UiReleased", "rel"},
    {"OS", "Busy Close Data q Tick q Disconnected", "B A off c7011 R", "Disconnect CloseUi", "off+x"},
    {"O", "Busy Button Release Data q Disconnected", "A off c7011 R", "Disconnect UiReleased", "rel"},
    {"O", "Busy Button Data RefuseDisconnect q Release q Disconnected", "A E R B A off c7011 R",
     "Disconnect! Disconnect UiReleased", "rel"},
    {"O", "Busy Button Abort Button q Connected q Data", "A off c7011 R E R A B on c7012 R E B",
     "Err(1127) Connect Read:values", "on+t"},
    {"OS", "Busy Release RefuseDisconnect q Abort", "off c7011 R E R", "Disconnect! Err(1127) UiReleased", "rel"},
    {"O", "Busy Button Data q Release Abort", "A off c7011 R E R", "Disconnect Err(1127) UiReleased", "rel"},
    {"OS", "Busy Release Abort q", "off c7011 R E R", "Err(1127) UiReleased", "rel"},
    {"DI", "Busy Release Abort q", "off E R", "Err(1127) UiReleased", "rel"},
    {"OSDI", "Busy CallDisconnect Destroy q Data Abort", "", "", "gone"},
    {"O", "Disconnecting ForeignDisconnect q", "off c7011 R", "", "disc+d+t"},
    {"S", "Disconnecting ForeignDisconnect q", "off c7011 R", "", "disc+t"},
    {"DI", "Disconnecting ForeignDisconnect q", "off", "", "disc"},
    {"O", "Disconnecting Tick q", "B", "", "disc+d"},
    {"OS", "Disconnecting Release Disconnected", "off c7011 R", "UiReleased", "rel"},
    {"DI", "Disconnecting Release q Disconnected", "off", "UiReleased", "rel"},
    // An abort in every state takes the page offline, and the release follows at once.
    {"OS", "Connecting Abort q Release", "off c7011 R E R", "Err(1127) UiReleased", "rel"},
    {"OS", "Busy Abort q Release", "off c7011 R E R", "Err(1127) UiReleased", "rel"},
    {"OS", "Disconnecting Abort q Release", "off c7011 R E R", "Err(1127) UiReleased", "rel"},
    {"DI", "Connecting Abort q Release", "off E R", "Err(1127) UiReleased", "rel"},
    {"DI", "Busy Abort q Release", "off E R", "Err(1127) UiReleased", "rel"},
    {"DI", "Disconnecting Abort q Release", "off E R", "Err(1127) UiReleased", "rel"},
    // Simulation: the page button pauses and resumes reading (no AcknowledgeButton); a
    // paused cycle stays paused after an answer; a new connection ends the pause.
    {"S", "Online Button Button q", "c7011 c7012", "Read:values", "busy"},
    {"S", "Busy Button Data q", "c7011", "", "on"},
    {"S", "Busy Button Abort Button q Connected q Data", "c7011 off c7011 R E R B on c7012 R E", "Err(1127) Connect Read:values", "on+t"},
    {"S", "Online Tick Close q", "B A", "Disconnect", "disc+x"},
};
// clang-format on

std::vector<std::pair<const Row*, char>> cases() {
    std::vector<std::pair<const Row*, char>> result;
    for (const Row& row : kRows) {
        for (const char* variant = row.variants; *variant != '\0'; ++variant) {
            result.emplace_back(&row, *variant);
        }
    }
    return result;
}

class SessionTest : public testing::TestWithParam<std::pair<const Row*, char>> {};

TEST_P(SessionTest, ScriptShowsTheExpectedExchange) {
    const auto [row, variant] = GetParam();
    SCOPED_TRACE(std::string(1, variant) + ": " + row->script);
    Play run(variant);
    const QString state = QString::fromLatin1(row->script).section(' ', 0, 0);
    const QString own = state + variant;
    const QString script =
        kStates.count(own) == 1     ? kStates.at(own) + " | " + QString(row->script).section(' ', 1)
        : kStates.count(state) == 1 ? kStates.at(state) + " | " + QString(row->script).section(' ', 1)
                                    : QString(row->script);
    for (const QString& word : script.split(' ', Qt::SkipEmptyParts)) {
        ASSERT_EQ(kEvents.count(word), 1u) << word.toStdString();
        kEvents.at(word)(run);
        run.bar += ' ' + run.takeBar();
    }
    EXPECT_EQ(run.bar.simplified(), QLatin1String(row->bar));
    EXPECT_EQ(run.takeHost(), QLatin1String(row->host));
    EXPECT_EQ(run.state(), QLatin1String(row->state));
    // The connect asks for the module through the host's document key and the base DTM.
    for (const FakeCommunication::Request& connect : run.comm.requestsOf(Kind::Connect)) {
        EXPECT_EQ(connect.documentKey, run.session.dtm.documentKey);
        EXPECT_EQ(connect.communicationObject, run.session.dtm.base.CommunicationObject());
        EXPECT_EQ(connect.document, run.session.dtm.base.parameterManager.ConnectRequest(true));
    }
    for (const FakeCommunication::Request& read : run.comm.requestsOf(Kind::Transaction)) {
        EXPECT_EQ(read.document.contains("kind=\"outputValues\""), variant == 'S');
    }
    for (const auto& error : run.session.dtm.base.events.errors) {
        EXPECT_EQ(error.first, QStringLiteral("QT27 slot 7"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SessionTest, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<std::pair<const Row*, char>>& info) {
                             return "Row" + std::to_string(info.param.first - kRows) + "_" +
                                    info.param.second;
                         });

// What the button bar lets the user do after a script: the busy mark shows only while a
// request the user started is outstanding (not for the steady read cycle), and a page that
// is online with nothing outstanding can always be closed and disconnected.
struct BarRow {
    const char *variants, *script;
    bool busy, closeEnabled, pageEnabled;
};
const BarRow kBarRows[] = {
    {"OSDI", "Connecting", true, true, false},
    {"OS", "Busy", false, true, true},
    {"OS", "Busy Data q Tick q", false, true, true},
    {"O", "Busy Button", true, true, false},
    {"S", "Busy Button", false, true, true},  // the paused page can resume
    {"DI", "Busy", true, true, false},
    {"OSDI", "Online RefuseDisconnect Close q", false, true, true},
    {"OS", "Online RefuseRead Tick q", false, true, true},
    {"OS", "Busy UnreadableRead q Button q Disconnected", false, true, true},
};

TEST(SessionBarTest, BusyMarkAndButtonsFollowWhatTheUserWaitsFor) {
    for (const BarRow& row : kBarRows) {
        for (const char* variant = row.variants; *variant != '\0'; ++variant) {
            SCOPED_TRACE(std::string(1, *variant) + ": " + row.script);
            Play run(*variant);
            const QString state = QString::fromLatin1(row.script).section(' ', 0, 0);
            const QString own = kStates.count(state + *variant) == 1 ? state + *variant : state;
            const QString script = kStates.at(own) + ' ' + QString(row.script).section(' ', 1);
            for (const QString& word : script.split(' ', Qt::SkipEmptyParts)) {
                kEvents.at(word)(run);
            }
            rmox::ButtonControl* bar = run.page->buttons();
            EXPECT_EQ(bar->isBusy(), row.busy);
            EXPECT_EQ(bar->closeButton()->isEnabled(), row.closeEnabled);
            EXPECT_EQ(bar->pageButton()->isEnabled(), row.pageEnabled);
        }
    }
}

// Forced mask 5, words 8000 0064 7FFF 0000; bytes beyond the ninth are ignored. A channel
// whose word is cut off reads invalid with the value 0, forced as the mask says.
TEST(ValueTelegramTest, ForcedMaskAndStatusWordsGiveTheFourChannels) {
    const auto readings = [](const char* hex) {
        QString text;
        for (const qt27::ChannelReading& reading : qt27::ParseModuleValues(QByteArray::fromHex(hex))) {
            text += QStringLiteral("%1%2%3 ")
                        .arg(reading.value)
                        .arg(reading.isInValid ? "i" : "")
                        .arg(reading.isForced ? "f" : "");
        }
        return text.trimmed();
    };
    EXPECT_EQ(readings("05800000647FFF0000FFFF"), QStringLiteral("0if 100 32767f 0"));
    EXPECT_EQ(readings("0AFFFF8001"), QStringLiteral("32767i 1if 0i 0if"));
}

}  // namespace
