// The communication service: requests refused at once or answered later, faults on command;
// every accepted request is answered, at the latest by a timeout answer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "QT27Controls/communication/IBaseCommunicationCallback.h"
#include "host/CommunicationService.h"
#include "rmox/Communication/ResponseReader.h"

namespace {

using Service = host::CommunicationService;
using Fault = Service::Fault;
using Mode = Service::FaultMode;

/// A page as the service sees it: records every call as {method, invoke id or reference, response}.
class Page : public QObject, public qt27::IBaseCommunicationCallback {
public:
    void OnConnectResponse(const QString& id, const QString& r) override { add({"Connect", id, r}); }
    void OnDisconnectResponse(const QString& id, const QString& r) override { add({"Disconnect", id, r}); }
    void OnTransactionResponse(const QString& id, const QString& r) override { add({"Transaction", id, r}); }
    void OnAbort(const QString& reference) override { add({"Abort", reference, ""}); }
    void VerifyConnectionRequest(const QString& id, const QString& r) override { add({"Verify", id, r}); }
    void add(const QStringList& call) {
        calls.append(call);
        onCall();
    }
    QList<QStringList> calls;
    std::function<void()> onCall = [] {};
};

const QString kConnect = "<FDT><ConnectRequest api='0' busAddress='12' slot='3'/></FDT>";

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

class ServiceTest : public testing::Test {
protected:
    ServiceTest() {
        station.addModule(3, 37);
        station.setTime(0);
        service.setLatency(0);
    }
    bool connect(const QString& id, const QString& request = kConnect, Page* to = nullptr) {
        asked << id;
        return service.Connect(nullptr, to != nullptr ? to : &page, id, "KEY", request);
    }
    /// A ReadRequest (@p data empty) or WriteRequest on the open connection.
    bool transaction(const QString& id, int index, const QString& data = QString(),
                     const QString& extra = "") {
        asked << id;
        const QString element = data.isEmpty() ? "ReadRequest" : "WriteRequest";
        return service.TransactionRequest(
            reference, &page, id,
            QStringLiteral("<FDT><%1 slot='3' index='%2' communicationReference='%3'%4>%5</%1></FDT>")
                .arg(element)
                .arg(index)
                .arg(reference, extra,
                     data.isEmpty() ? QString() : "<CommunicationData byteArray='" + data + "'/>"));
    }
    bool disconnect(const QString& id) {
        asked << id;
        return service.Disconnect(reference, &page, id);
    }
    /// The calls @p on got so far, then forgets them: "method id parts" joined by "; ";
    /// the id is "?" when nobody asked for it; parts: "ref" (taken as the reference),
    /// "[data]", "error <text>" or "unreadable".
    QString calls(Page* on = nullptr) {
        QStringList lines;
        for (const QStringList& call : std::exchange((on != nullptr ? on : &page)->calls, {})) {
            QString line = call[0] + " " + (asked.contains(call[1]) || call[0] == "Abort" ? call[1] : "?");
            rmox::ResponseReader reader;
            if (call[0] != "Abort" && !reader.Parse(call[2], nullptr)) {
                line += " unreadable";
            } else if (reader.HasConnectPart()) {
                reference = reader.CommunicationReference();
                line += " ref";
            }
            if (reader.HasDataPart()) {
                line += " [" + QString::fromLatin1(reader.Data().toHex().toUpper()) + "]";
            }
            if (reader.HasErrorPart()) {
                line += " error " + reader.ErrorText();
            }
            lines << line;
        }
        return lines.join("; ");
    }
    /// Waits, two seconds at most, for an answer to @p id; then the calls so far without
    /// those nobody asked for.
    QString awaited(const QString& id) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::any_of(page.calls.begin(), page.calls.end(), [&](auto& c) { return c[1] == id; });
            },
            2000))
            << id.toStdString();
        QStringList lines = calls().split("; ");
        lines.removeIf([](const QString& line) { return line.section(' ', 1, 1) == "?"; });
        return lines.join("; ");
    }
    QString connected(Page* to = nullptr) {
        EXPECT_TRUE(connect("C", kConnect, to)) << service.lastRefusal().toStdString();
        settle();
        EXPECT_EQ(calls(to), "Connect C ref");
        return reference;
    }

    host::SimulatedStation station{12};
    Service service{&station};
    Page page;
    QString reference;
    QSet<QString> asked;
};

TEST_F(ServiceTest, ConnectTransactionsAndDisconnectAreAnsweredLaterInOrder) {
    ASSERT_TRUE(connect("C1"));
    EXPECT_TRUE(page.calls.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 1);
    settle();
    EXPECT_EQ(calls(), "Connect C1 ref");
    const QString first = reference;
    EXPECT_NE(connected(), first) << "every connection gets a fresh reference";
    station.setChannelSignal(3, 0, host::ChannelSignal{host::SignalShape::Constant, 10, 0, 1000});
    ASSERT_TRUE(transaction("R1", 16, "", " length='9'") && transaction("R2", 17, "", " length='3'") &&
                transaction("R3", 99) && transaction("W1", 21, "01") &&
                transaction("W2", 20, "010FA0" + QString(28, u'0')) && transaction("W3", 20, "01"));
    settle();
    EXPECT_EQ(calls(),
              "Transaction R1 [0003E8138813881388]; Transaction R2 [03E813]; "
              "Transaction R3 error Read of an invalid index (99); Transaction W1; Transaction W2; "
              "Transaction W3 error Write length error: a force telegram has 17 bytes, this one 1");
    EXPECT_EQ(station.statusWord(3, 0), 4000);
    ASSERT_TRUE(disconnect("D1"));
    EXPECT_EQ(service.openConnections(), QStringList{first});
    EXPECT_FALSE(transaction("R4", 16));
    settle();
    EXPECT_TRUE(page.calls.value(0).value(2).contains(reference));
    EXPECT_EQ(calls(), "Disconnect D1");

    ASSERT_TRUE(connect("C2", QString(kConnect).replace("12", "40")) &&
                connect("C3", QString(kConnect).remove(" busAddress='12'")) && connect("C4"));
    station.setAnswering(false);  // an answer is composed when it is sent
    settle();
    EXPECT_EQ(calls(),
              "Connect C2 error Station 40 does not answer; Connect C3 error Station 12 does not answer; "
              "Connect C4 error Station 12 does not answer");
    station.setAnswering(true);
    ASSERT_TRUE(connect("C5", QString(kConnect).remove(" busAddress='12'")));
    settle();
    EXPECT_EQ(calls(), "Connect C5 ref");
}

TEST_F(ServiceTest, AnswersComeFromTheEventLoopAfterTheLatency) {
    connected();
    qsizetype nested = -1;
    page.onCall = [&] {
        if (nested < 0) {
            EXPECT_TRUE(transaction("SECOND", 18));
            nested = page.calls.size();
        }
    };
    ASSERT_TRUE(transaction("FIRST", 18));
    settle();
    EXPECT_EQ(nested, 1) << "an answer is never delivered inside another callback";
    EXPECT_EQ(calls(), "Transaction FIRST [00]; Transaction SECOND [00]");
    service.setLatency(60000);
    ASSERT_TRUE(transaction("LATE", 18));
    settle();
    EXPECT_TRUE(page.calls.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 1);
}

/// c Connect, t TransactionRequest on the open connection (REF stands for its reference), n Connect without
/// a callback, e TransactionRequest without invoke id, d Disconnect, f TransactionRequest while the fault
/// RefuseRequest is armed for good.
class ServiceRefusal : public ServiceTest,
                       public testing::WithParamInterface<std::tuple<char, const char*, const char*>> {};

TEST_P(ServiceRefusal, IsRefusedAtOnceWithItsReasonAndNeverAnswered) {
    connected();
    const auto [call, text, reason] = GetParam();
    const QString document = QString(text).replace("REF", reference);
    const std::map<char, std::function<bool()>> requests = {
        {'c', [&] { return connect("I", document); }},
        {'t', [&] { return service.TransactionRequest(reference, &page, "I", document); }},
        {'n', [&] { return service.Connect(nullptr, nullptr, "I", "", document); }},
        {'f',
         [&] { return (service.setFault(Fault::RefuseRequest, Mode::Persistent), transaction("I", 16)); }},
        {'e', [&] { return service.TransactionRequest(reference, &page, "", document); }},
        {'d', [&] { return service.Disconnect(document, &page, "I"); }}};
    EXPECT_FALSE(requests.at(call)());
    EXPECT_TRUE(service.lastRefusal().contains(reason)) << service.lastRefusal().toStdString();
    EXPECT_EQ(service.outstandingAnswers(), 0);
    settle();
    EXPECT_TRUE(page.calls.isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Requests, ServiceRefusal, testing::Values(
    std::tuple{'c', "<FDT><Connect", "not well-formed"},     std::tuple{'c', " ", "empty"},
    std::tuple{'n', "", "no callback"},                       std::tuple{'f', "", "fault RefuseRequest"},
    std::tuple{'d', "NOPE", "\"NOPE\" is not open"},          std::tuple{'e', "", "invoke id is empty"},
    std::tuple{'c', "<FDT><ConnectRequest busAddress='12'/></FDT>", "ConnectRequest has no slot attribute"},
    std::tuple{'c', "<FDT><ConnectRequest slot='4'/></FDT>", "slot 4 holds no module"},
    std::tuple{'t', "<FDT><ReadRequest slot='3' index='1' communicationReference='X'/></FDT>", "names the communication reference \"X\""},
    std::tuple{'t', "<FDT><ReadRequest slot='3'/></FDT>", "ReadRequest has no index attribute"},
    std::tuple{'t', "<FDT><ReadRequest slot='3' index='1' length='x'/></FDT>", "length is not a whole number"},
    std::tuple{'t', "<FDT><ConnectRequest slot='3'/></FDT>", "a ReadRequest or a WriteRequest, not ConnectRequest"},
    std::tuple{'t', "<FDT><WriteRequest slot='3' index='21'/></FDT>", "WriteRequest has no CommunicationData"},
    std::tuple{'t', "<FDT><WriteRequest slot='3' index='21'><CommunicationData byteArray='0g'/></WriteRequest></FDT>", "not hexadecimal: \"0g\""},
    std::tuple{'t', "<FDT><WriteRequest slot='3' index='21'><CommunicationData byteArray='0'/></WriteRequest></FDT>", "not hex"},
    std::tuple{'c', "<X><A/></X>", "root element X"}));
// clang-format on

TEST_F(ServiceTest, EachOneShotFaultSpoilsTheNextAnswerItAppliesTo) {
    service.setFault(Fault::ErrorPart, Mode::OneShot);  // a connect has no error part to spoil
    connected();
    ASSERT_TRUE(transaction("R0", 18));
    service.setFaultDelay(60000);
    // clang-format off
    const std::pair<Fault, std::function<bool()>> steps[] = {
        {Fault::DelayAnswer, [&] { return transaction("SLOW", 16); }},  {Fault::DropAnswer, [&] { return transaction("LOST", 16); }},
        {Fault::ForeignInvokeId, [&] { return transaction("R1", 16); }}, {Fault::UnreadableAnswer, [&] { return transaction("R2", 16); }},
        {Fault::NoDataPart, [&] { return transaction("W1", 21, "01"); }}, {Fault::NoDataPart, [&] { return transaction("R3", 16); }},
        {Fault::ErrorPart, [&] { return transaction("W2", 21, "01"); }}, {Fault::ErrorPart, [&] { return transaction("R4", 18) && transaction("R5", 18); }}};
    // clang-format on
    for (const auto& [fault, request] : steps) {
        service.setFault(fault, Mode::OneShot);
        EXPECT_TRUE(request());
    }
    settle();
    EXPECT_EQ(
        calls(),
        "Transaction R0 error Simulated read error; Transaction ? [001388138813881388]; "
        "Transaction R2 unreadable; Transaction W1; Transaction R3; Transaction W2 error Simulated write "
        "error; Transaction R4 error Simulated read error; Transaction R5 [00]");
    EXPECT_EQ(service.outstandingAnswers(), 3)
        << "the delayed one; the dropped and the foreign one wait for their timeout";
}

/// A lost answer (dropped, under a foreign invoke id, or later than the timeout) becomes one
/// timeout answer under the request's own id; a connect that timed out opens nothing.
class AnswerTimeout : public ServiceTest, public testing::WithParamInterface<Fault> {};

TEST_P(AnswerTimeout, LostAnswerBecomesATimeoutAnswerWithTheRequestsIdAndNoLateOne) {
    service.setAnswerTimeout(30);
    service.setFaultDelay(90);
    service.setFault(GetParam(), Mode::OneShot);
    ASSERT_TRUE(connect("C1"));
    EXPECT_EQ(awaited("C1"), "Connect C1 error No answer within 30 ms");
    EXPECT_TRUE(service.openConnections().isEmpty());
    connected();
    service.setFault(GetParam(), Mode::OneShot);
    ASSERT_TRUE(transaction("R1", 18));
    EXPECT_EQ(awaited("R1"), "Transaction R1 error No answer within 30 ms");
    EXPECT_FALSE(service.isAwaitingAnswer("R1"));
    QTest::qWait(90);  // when the delayed answer would have come
    ASSERT_TRUE(transaction("R2", 18));
    EXPECT_EQ(awaited("R2"), "Transaction R2 [00]");
}

INSTANTIATE_TEST_SUITE_P(Faults, AnswerTimeout,
                         testing::Values(Fault::DropAnswer, Fault::ForeignInvokeId, Fault::DelayAnswer));

TEST_F(ServiceTest, LostAnswersTimeOutInTheOrderOfTheirDeadlines) {
    service.setAnswerTimeout(30);
    connected();
    QTest::qWait(90);  // past the connect's deadline: nothing is due any more
    service.setFault(Fault::DropAnswer, Mode::Persistent);
    // Each request keeps the timeout in force when it came: a later one may be due first.
    for (const auto& [id, timeout] : {std::pair{"R1", 1000}, {"R2", 40}, {"R3", 150}, {"R4", 40}}) {
        service.setAnswerTimeout(timeout);
        ASSERT_TRUE(transaction(id, 18));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.calls.isEmpty(); }, 2000));
    EXPECT_TRUE(service.isAwaitingAnswer("R1")) << "the early deadline did not wait for the late one";
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.calls.size() == 4; }, 3000));
    QStringList order;
    for (const QString& line : calls().split("; ")) {
        EXPECT_TRUE(line.contains(" error No answer within ")) << line.toStdString();
        order << line.section(' ', 1, 1);
    }
    EXPECT_EQ(order, QStringList({"R2", "R4", "R3", "R1"}));
}

TEST_F(ServiceTest, AbortTakesTheOutstandingReadsOfItsConnectionWithIt) {
    service.setAnswerTimeout(30);
    connected();
    service.setFault(Fault::DropAnswer, Mode::OneShot);
    ASSERT_TRUE(transaction("R1", 16));
    service.abortConnections();
    QTest::qWait(60);  // past the read's timeout
    EXPECT_EQ(calls(), "Abort " + reference);
}

TEST_F(ServiceTest, DestroyedCallbacksGetNothingAndLoseTheirConnections) {
    auto doomed = std::make_unique<Page>();
    const QString aborted = connected(doomed.get());
    connected(doomed.get());
    const QString kept = connected();
    ASSERT_TRUE(connect("C3", kConnect, doomed.get()) && service.abortConnection(aborted));
    int sent = 0;
    QObject::connect(&service, &Service::answerSent, [&sent] { ++sent; });
    doomed.reset();
    settle();
    EXPECT_EQ(sent + service.outstandingAnswers(), 0);
    EXPECT_EQ(service.openConnections(), QStringList{kept});
}

}  // namespace
