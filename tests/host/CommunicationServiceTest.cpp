#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QTest>
#include <QUuid>
#include <algorithm>
#include <functional>
#include <memory>

#include "QT27Controls/communication/IBaseCommunicationCallback.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "rmox/Communication/ResponseReader.h"

namespace {

using Fault = host::CommunicationService::Fault;
using FaultMode = host::CommunicationService::FaultMode;
using Kind = host::CommunicationService::RequestKind;

constexpr int Slot = 3;

/// One call the service made on a callback.
struct Answer {
    QString method;
    QString invokeId;
    QString text;  ///< the response, or the reference of OnAbort

    rmox::ResponseReader parsed() const {
        rmox::ResponseReader reader;
        reader.Parse(text, nullptr);
        return reader;
    }
};

/// A page as the service sees it: records every callback.
class RecordingCallback : public QObject, public qt27::IBaseCommunicationCallback {
public:
    void OnConnectResponse(const QString& invokeID, const QString& response) override {
        record({QStringLiteral("OnConnectResponse"), invokeID, response});
    }
    void OnDisconnectResponse(const QString& invokeID, const QString& response) override {
        record({QStringLiteral("OnDisconnectResponse"), invokeID, response});
    }
    void OnTransactionResponse(const QString& invokeID, const QString& response) override {
        record({QStringLiteral("OnTransactionResponse"), invokeID, response});
    }
    void OnAbort(const QString& communicationReference) override {
        record({QStringLiteral("OnAbort"), QString(), communicationReference});
    }
    void VerifyConnectionRequest(const QString& invokeID, const QString& response) override {
        record({QStringLiteral("VerifyConnectionRequest"), invokeID, response});
    }

    QList<Answer> answers;
    std::function<void(const Answer&)> onAnswer;

private:
    void record(const Answer& answer) {
        answers.append(answer);
        if (onAnswer) {
            onAnswer(answer);
        }
    }
};

/// A callback that is not a QObject, so the service cannot watch its lifetime.
class PlainCallback : public qt27::IBaseCommunicationCallback {
public:
    void OnConnectResponse(const QString&, const QString&) override {}
    void OnDisconnectResponse(const QString&, const QString&) override {}
    void OnTransactionResponse(const QString&, const QString&) override {}
    void OnAbort(const QString&) override {}
    void VerifyConnectionRequest(const QString&, const QString&) override {}
};

QString connectRequest(int slot = Slot, const QString& busAddress = QStringLiteral("12")) {
    const QString address =
        busAddress.isEmpty() ? QString() : QStringLiteral(" busAddress=\"%1\"").arg(busAddress);
    return QStringLiteral("<FDT><ConnectRequest api=\"0\"%1 slot=\"%2\"/></FDT>").arg(address).arg(slot);
}

QString readRequest(const QString& reference, int index, int length = -1, int slot = Slot) {
    const QString lengthText = length < 0 ? QString() : QStringLiteral(" length=\"%1\"").arg(length);
    return QStringLiteral(
               "<FDT><ReadRequest slot=\"%1\" index=\"%2\"%3 communicationReference=\"%4\"/></FDT>")
        .arg(slot)
        .arg(index)
        .arg(lengthText, reference);
}

QString writeRequest(const QString& reference, int index, const QString& hex) {
    return QStringLiteral(
               "<FDT><WriteRequest slot=\"%1\" index=\"%2\" communicationReference=\"%3\">"
               "<CommunicationData byteArray=\"%4\"/></WriteRequest></FDT>")
        .arg(Slot)
        .arg(index)
        .arg(reference, hex);
}

/// Processes events until @p done holds; false after a generous bound.
bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

class ServiceTest : public testing::Test {
protected:
    ServiceTest() : station(12), service(&station) {
        station.addModule(Slot, 37);
        station.setTime(0);
        service.setLatency(0);
    }

    void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QString nextId() { return QStringLiteral("INV-%1").arg(++m_ids); }

    /// Connects @p callback and returns the communication reference.
    QString connect(RecordingCallback& callback) {
        const int before = static_cast<int>(callback.answers.size());
        EXPECT_TRUE(service.Connect(nullptr, &callback, nextId(), QStringLiteral("KEY"), connectRequest()))
            << service.lastRefusal().toStdString();
        settle();
        EXPECT_EQ(callback.answers.size(), before + 1);
        return callback.answers.isEmpty() ? QString()
                                          : callback.answers.last().parsed().CommunicationReference();
    }

    host::SimulatedStation station;
    host::CommunicationService service;
    RecordingCallback page;

private:
    int m_ids = 0;
};

// ---- answers

TEST_F(ServiceTest, ConnectIsAnsweredLaterWithItsInvokeIdAndAFreshReference) {
    ASSERT_TRUE(
        service.Connect(nullptr, &page, QStringLiteral("C-1"), QStringLiteral("KEY"), connectRequest()));
    EXPECT_TRUE(page.answers.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 1);
    settle();
    ASSERT_EQ(page.answers.size(), 1);
    const Answer& answer = page.answers.first();
    EXPECT_EQ(answer.method, QStringLiteral("OnConnectResponse"));
    EXPECT_EQ(answer.invokeId, QStringLiteral("C-1"));
    const rmox::ResponseReader reader = answer.parsed();
    ASSERT_TRUE(reader.HasConnectPart()) << answer.text.toStdString();
    EXPECT_FALSE(QUuid::fromString(reader.CommunicationReference()).isNull());
    EXPECT_EQ(service.openConnections(), QStringList{reader.CommunicationReference()});
    EXPECT_EQ(service.outstandingAnswers(), 0);

    RecordingCallback other;
    EXPECT_NE(connect(other), reader.CommunicationReference());
}

TEST_F(ServiceTest, ConnectWithoutBusAddressIsAccepted) {
    ASSERT_TRUE(service.Connect(nullptr, &page, nextId(), QString(), connectRequest(Slot, QString())));
    settle();
    ASSERT_EQ(page.answers.size(), 1);
    EXPECT_TRUE(page.answers.first().parsed().HasConnectPart());
}

TEST_F(ServiceTest, StationThatDoesNotAnswerGivesAConnectErrorPart) {
    station.setAnswering(false);
    ASSERT_TRUE(service.Connect(nullptr, &page, nextId(), QString(), connectRequest()));
    ASSERT_TRUE(
        service.Connect(nullptr, &page, nextId(), QString(), connectRequest(Slot, QStringLiteral("40"))));
    station.setAnswering(true);  // the first answer is composed when it is sent
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    const rmox::ResponseReader first = page.answers.at(0).parsed();
    EXPECT_TRUE(first.HasConnectPart());
    const rmox::ResponseReader wrongAddress = page.answers.at(1).parsed();
    EXPECT_FALSE(wrongAddress.HasConnectPart());
    EXPECT_TRUE(wrongAddress.HasErrorPart());
    EXPECT_EQ(wrongAddress.ErrorText(), QStringLiteral("Station 40 does not answer"));

    station.setAnswering(false);
    ASSERT_TRUE(service.Connect(nullptr, &page, nextId(), QString(), connectRequest()));
    settle();
    const rmox::ResponseReader silent = page.answers.last().parsed();
    EXPECT_FALSE(silent.HasConnectPart());
    EXPECT_EQ(silent.ErrorText(), QStringLiteral("Station 12 does not answer"));
    EXPECT_EQ(service.openConnections().size(), 1);
}

TEST_F(ServiceTest, ReadAnswersCarryTheStationsTelegrams) {
    const QString reference = connect(page);
    station.setChannelSignal(Slot, 0, host::ChannelSignal{host::SignalShape::Constant, 10, 0, 1000});
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("R-1"), readRequest(reference, 16, 9)));
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("R-2"), readRequest(reference, 17, 3)));
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("R-3"), readRequest(reference, 99)));
    EXPECT_EQ(page.answers.size(), 1);
    settle();
    ASSERT_EQ(page.answers.size(), 4);

    EXPECT_EQ(page.answers.at(1).method, QStringLiteral("OnTransactionResponse"));
    EXPECT_EQ(page.answers.at(1).invokeId, QStringLiteral("R-1"));
    EXPECT_EQ(page.answers.at(1).parsed().Data(), QByteArray::fromHex("00"
                                                                      "03E8"
                                                                      "1388"
                                                                      "1388"
                                                                      "1388"));

    EXPECT_EQ(page.answers.at(2).invokeId, QStringLiteral("R-2"));
    EXPECT_EQ(page.answers.at(2).parsed().Data(),
              QByteArray::fromHex("03E813"));  // cut to the length asked for

    const rmox::ResponseReader invalid = page.answers.at(3).parsed();
    EXPECT_FALSE(invalid.HasDataPart());
    ASSERT_TRUE(invalid.HasErrorPart());
    EXPECT_TRUE(invalid.ErrorText().startsWith(QStringLiteral("Read of an invalid index")));
    EXPECT_TRUE(page.answers.at(3).text.contains(QStringLiteral("errorCode=\"DE80B0\"")));
}

TEST_F(ServiceTest, WritesReachTheStation) {
    const QString reference = connect(page);
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), writeRequest(reference, 21, "01")));
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(),
                                           writeRequest(reference, 20,
                                                        "01"
                                                        "0FA0"
                                                        "000000000000"
                                                        "0000000000000000")));
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), writeRequest(reference, 20, "01")));
    settle();
    ASSERT_EQ(page.answers.size(), 4);
    const rmox::ResponseReader enable = page.answers.at(1).parsed();
    EXPECT_FALSE(enable.HasErrorPart());
    EXPECT_FALSE(enable.HasDataPart());
    EXPECT_TRUE(page.answers.at(1).text.contains(QStringLiteral("WriteResponse")));
    EXPECT_EQ(page.answers.at(3).parsed().ErrorText().left(18), QStringLiteral("Write length error"));
    EXPECT_EQ(station.forcedMask(Slot), 0x01);
    EXPECT_EQ(station.statusWord(Slot, 0), 4000);
}

TEST_F(ServiceTest, AnswersWaitForTheLatency) {
    service.setLatency(30);
    ASSERT_TRUE(service.Connect(nullptr, &page, nextId(), QString(), connectRequest()));
    settle();
    EXPECT_TRUE(page.answers.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 1);
    EXPECT_TRUE(waitFor([this] { return !page.answers.isEmpty(); }));
}

TEST_F(ServiceTest, ARequestMadeInsideACallbackIsAnsweredLater) {
    const QString reference = connect(page);
    int nested = 0;
    page.onAnswer = [&](const Answer& answer) {
        if (answer.invokeId == QStringLiteral("FIRST")) {
            EXPECT_TRUE(service.TransactionRequest(reference, &page, QStringLiteral("SECOND"),
                                                   readRequest(reference, 18)));
            nested = static_cast<int>(page.answers.size());
        }
    };
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("FIRST"), readRequest(reference, 18)));
    settle();
    settle();
    ASSERT_EQ(page.answers.size(), 3);
    EXPECT_EQ(nested, 2);  // the second answer was not delivered inside the first callback
    EXPECT_EQ(page.answers.at(2).invokeId, QStringLiteral("SECOND"));
}

TEST_F(ServiceTest, DisconnectClosesTheReferenceAtOnce) {
    const QString reference = connect(page);
    ASSERT_TRUE(service.Disconnect(reference, &page, QStringLiteral("D-1")));
    EXPECT_TRUE(service.openConnections().isEmpty());
    EXPECT_FALSE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    EXPECT_FALSE(service.Disconnect(reference, &page, nextId()));
    EXPECT_TRUE(service.lastRefusal().contains(QStringLiteral("not open")));
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    EXPECT_EQ(page.answers.at(1).method, QStringLiteral("OnDisconnectResponse"));
    EXPECT_EQ(page.answers.at(1).invokeId, QStringLiteral("D-1"));
    EXPECT_TRUE(page.answers.at(1).text.contains(reference));
    const rmox::ResponseReader reader = page.answers.at(1).parsed();
    EXPECT_FALSE(reader.HasConnectPart());
    EXPECT_FALSE(reader.HasErrorPart());
}

TEST_F(ServiceTest, VerifyConnectionAnswersTrueAndIsRecorded) {
    EXPECT_TRUE(service.VerifyConnection(true));
    EXPECT_TRUE(service.lastVerify());
    EXPECT_EQ(service.requestCount(Kind::VerifyConnection), 1);
    settle();
    EXPECT_TRUE(page.answers.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 0);
}

// ---- refusals

struct RefusalCase {
    const char* name;
    std::function<bool(host::CommunicationService&, RecordingCallback&, const QString& reference)> request;
    const char* reason;  ///< a part of lastRefusal()
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class ServiceRefusal : public ServiceTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(ServiceRefusal, IsRefusedAtOnceAndNeverAnswered) {
    const QString reference = connect(page);
    page.answers.clear();
    EXPECT_FALSE(GetParam().request(service, page, reference));
    EXPECT_TRUE(service.lastRefusal().contains(QString::fromUtf8(GetParam().reason)))
        << service.lastRefusal().toStdString();
    EXPECT_EQ(service.outstandingAnswers(), 0);
    settle();
    EXPECT_TRUE(page.answers.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ServiceRefusal,
    testing::Values(
        RefusalCase{"UnreadableConnect",
                    [](auto& s, auto& p, auto&) { return s.Connect(nullptr, &p, "I", "", "<FDT><Connect"); },
                    "not well-formed"},
        RefusalCase{"EmptyConnect",
                    [](auto& s, auto& p, auto&) { return s.Connect(nullptr, &p, "I", "", ""); }, "empty"},
        RefusalCase{"ConnectWithoutSlot",
                    [](auto& s, auto& p, auto&) {
                        return s.Connect(nullptr, &p, "I", "",
                                         "<FDT><ConnectRequest busAddress=\"12\"/></FDT>");
                    },
                    "no slot attribute"},
        RefusalCase{
            "ConnectToEmptySlot",
            [](auto& s, auto& p, auto&) { return s.Connect(nullptr, &p, "I", "", connectRequest(4)); },
            "slot 4 holds no module"},
        RefusalCase{
            "ConnectWithReadRequest",
            [](auto& s, auto& p, auto& r) { return s.Connect(nullptr, &p, "I", "", readRequest(r, 16)); },
            "expects a ConnectRequest"},
        RefusalCase{
            "ConnectWithoutCallback",
            [](auto& s, auto&, auto&) { return s.Connect(nullptr, nullptr, "I", "", connectRequest()); },
            "no callback"},
        RefusalCase{"CallbackThatIsNoQObject",
                    [](auto& s, auto&, auto&) {
                        PlainCallback plain;
                        return s.Connect(nullptr, &plain, "I", "", connectRequest());
                    },
                    "not a QObject"},
        RefusalCase{
            "EmptyInvokeId",
            [](auto& s, auto& p, auto& r) { return s.TransactionRequest(r, &p, "", readRequest(r, 16)); },
            "invoke id is empty"},
        RefusalCase{"UnknownReference",
                    [](auto& s, auto& p, auto&) {
                        return s.TransactionRequest("NOPE", &p, "I", readRequest("NOPE", 16));
                    },
                    "\"NOPE\" is not open"},
        RefusalCase{"DisconnectOfUnknownReference",
                    [](auto& s, auto& p, auto&) { return s.Disconnect("NOPE", &p, "I"); }, "not open"},
        RefusalCase{"ReferenceInDocumentDiffers",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(r, &p, "I", readRequest("OTHER", 16));
                    },
                    "names the communication reference \"OTHER\""},
        RefusalCase{"TransactionOnEmptySlot",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(r, &p, "I", readRequest(r, 16, -1, 0));
                    },
                    "slot 0 holds no module"},
        RefusalCase{"TransactionWithoutIndex",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(r, &p, "I", "<FDT><ReadRequest slot=\"3\"/></FDT>");
                    },
                    "no index attribute"},
        RefusalCase{"TransactionWithBadLength",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(
                            r, &p, "I", "<FDT><ReadRequest slot=\"3\" index=\"16\" length=\"x\"/></FDT>");
                    },
                    "length is not a whole number"},
        RefusalCase{
            "TransactionOfUnknownKind",
            [](auto& s, auto& p, auto& r) { return s.TransactionRequest(r, &p, "I", connectRequest()); },
            "not ConnectRequest"},
        RefusalCase{"WriteWithoutData",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(r, &p, "I",
                                                    "<FDT><WriteRequest slot=\"3\" index=\"21\"/></FDT>");
                    },
                    "no CommunicationData"},
        RefusalCase{"WriteWithBadHex",
                    [](auto& s, auto& p, auto& r) {
                        return s.TransactionRequest(r, &p, "I", writeRequest(r, 21, "0"));
                    },
                    "not hexadecimal"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(ServiceTest, RequestsAreCountedAndReportedRefusedOnesIncluded) {
    QList<std::tuple<Kind, QString, QString>> received;
    QObject::connect(&service, &host::CommunicationService::requestReceived,
                     [&received](Kind kind, const QString& invokeId, const QString& document) {
                         received.append({kind, invokeId, document});
                     });
    const QString reference = connect(page);
    service.TransactionRequest(reference, &page, QStringLiteral("T-1"), readRequest(reference, 16));
    service.TransactionRequest(QStringLiteral("NOPE"), &page, QStringLiteral("T-2"), QString());
    service.Disconnect(reference, &page, QStringLiteral("D-1"));
    service.VerifyConnection(false);

    EXPECT_EQ(service.requestCount(Kind::Connect), 1);
    EXPECT_EQ(service.requestCount(Kind::Transaction), 2);
    EXPECT_EQ(service.requestCount(Kind::Disconnect), 1);
    EXPECT_EQ(service.requestCount(Kind::VerifyConnection), 1);
    EXPECT_FALSE(service.lastVerify());
    ASSERT_EQ(received.size(), 5);
    EXPECT_EQ(std::get<0>(received.at(0)), Kind::Connect);
    EXPECT_EQ(std::get<2>(received.at(0)), connectRequest());
    EXPECT_EQ(std::get<1>(received.at(1)), QStringLiteral("T-1"));
    EXPECT_EQ(std::get<2>(received.at(1)), readRequest(reference, 16));
    EXPECT_EQ(std::get<1>(received.at(2)), QStringLiteral("T-2"));
    EXPECT_EQ(std::get<0>(received.at(3)), Kind::Disconnect);
    EXPECT_EQ(std::get<0>(received.at(4)), Kind::VerifyConnection);
    EXPECT_EQ(service.outstandingAnswers(), 2);
}

// ---- faults

TEST_F(ServiceTest, RefuseFaultOneShotAndPersistent) {
    service.setFault(Fault::RefuseRequest, FaultMode::OneShot);
    EXPECT_FALSE(service.Connect(nullptr, &page, nextId(), QString(), connectRequest()));
    EXPECT_TRUE(service.lastRefusal().contains(QStringLiteral("RefuseRequest")));
    EXPECT_EQ(service.faultMode(Fault::RefuseRequest), FaultMode::Off);
    const QString reference = connect(page);

    service.setFault(Fault::RefuseRequest, FaultMode::Persistent);
    EXPECT_FALSE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    EXPECT_FALSE(service.Disconnect(reference, &page, nextId()));
    EXPECT_FALSE(service.VerifyConnection(true));
    service.clearFaults();
    EXPECT_TRUE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
}

TEST_F(ServiceTest, DelayedAnswerComesAfterLaterOnes) {
    const QString reference = connect(page);
    service.setFaultDelay(40);
    service.setFault(Fault::DelayAnswer, FaultMode::OneShot);
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("SLOW"), readRequest(reference, 16)));
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("FAST"), readRequest(reference, 16)));
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    EXPECT_EQ(page.answers.at(1).invokeId, QStringLiteral("FAST"));
    EXPECT_EQ(service.outstandingAnswers(), 1);
    ASSERT_TRUE(waitFor([this] { return page.answers.size() == 3; }));
    EXPECT_EQ(page.answers.at(2).invokeId, QStringLiteral("SLOW"));
}

TEST_F(ServiceTest, DroppedAnswerLeavesTheRequestToItsTimeout) {
    const QString reference = connect(page);
    service.setFault(Fault::DropAnswer, FaultMode::OneShot);
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("LOST"), readRequest(reference, 16)));
    EXPECT_TRUE(service.isAwaitingAnswer(QStringLiteral("LOST")));  // until its timeout answer
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("NEXT"), readRequest(reference, 16)));
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    EXPECT_EQ(page.answers.at(1).invokeId, QStringLiteral("NEXT"));
}

TEST_F(ServiceTest, ForeignInvokeIdOnAnswer) {
    service.setFault(Fault::ForeignInvokeId, FaultMode::OneShot);
    ASSERT_TRUE(service.Connect(nullptr, &page, QStringLiteral("MINE"), QString(), connectRequest()));
    settle();
    ASSERT_EQ(page.answers.size(), 1);
    EXPECT_NE(page.answers.at(0).invokeId, QStringLiteral("MINE"));
    EXPECT_FALSE(page.answers.at(0).invokeId.isEmpty());
    EXPECT_TRUE(service.openConnections().isEmpty());  // nobody learnt that reference

    const QString reference = connect(page);
    service.setFault(Fault::ForeignInvokeId, FaultMode::OneShot);
    ASSERT_TRUE(
        service.TransactionRequest(reference, &page, QStringLiteral("R"), readRequest(reference, 16)));
    settle();
    EXPECT_NE(page.answers.last().invokeId, QStringLiteral("R"));
    EXPECT_TRUE(page.answers.last().parsed().HasDataPart());
}

TEST_F(ServiceTest, UnreadableAnswer) {
    service.setFault(Fault::UnreadableAnswer, FaultMode::OneShot);
    ASSERT_TRUE(service.Connect(nullptr, &page, QStringLiteral("C"), QString(), connectRequest()));
    settle();
    ASSERT_EQ(page.answers.size(), 1);
    EXPECT_EQ(page.answers.at(0).invokeId, QStringLiteral("C"));
    rmox::ResponseReader reader;
    EXPECT_FALSE(reader.Parse(page.answers.at(0).text, nullptr));
    EXPECT_TRUE(reader.ErrorText().contains(QStringLiteral("not well-formed")));
    EXPECT_TRUE(service.openConnections().isEmpty());

    const QString reference = connect(page);
    service.setFault(Fault::UnreadableAnswer, FaultMode::Persistent);
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), writeRequest(reference, 21, "01")));
    settle();
    ASSERT_EQ(page.answers.size(), 4);
    EXPECT_FALSE(reader.Parse(page.answers.at(2).text, nullptr));
    EXPECT_FALSE(reader.Parse(page.answers.at(3).text, nullptr));
}

TEST_F(ServiceTest, ErrorPartFaultWaitsForATransaction) {
    service.setFault(Fault::ErrorPart, FaultMode::OneShot);
    const QString reference = connect(page);
    EXPECT_FALSE(page.answers.last().parsed().HasErrorPart());
    EXPECT_EQ(service.faultMode(Fault::ErrorPart), FaultMode::OneShot);

    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    settle();
    const rmox::ResponseReader spoilt = page.answers.at(1).parsed();
    EXPECT_TRUE(spoilt.HasErrorPart());
    EXPECT_FALSE(spoilt.HasDataPart());
    EXPECT_EQ(spoilt.ErrorText(), QStringLiteral("Simulated read error"));
    EXPECT_TRUE(page.answers.at(2).parsed().HasDataPart());
}

TEST_F(ServiceTest, NoDataPartFaultGivesNeitherDataNorError) {
    const QString reference = connect(page);
    service.setFault(Fault::NoDataPart, FaultMode::OneShot);
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), writeRequest(reference, 21, "01")));
    ASSERT_TRUE(service.TransactionRequest(reference, &page, nextId(), readRequest(reference, 16)));
    settle();
    ASSERT_EQ(page.answers.size(), 3);
    const rmox::ResponseReader reader = page.answers.at(2).parsed();
    EXPECT_FALSE(reader.HasDataPart());
    EXPECT_FALSE(reader.HasErrorPart());
    EXPECT_EQ(service.faultMode(Fault::NoDataPart), FaultMode::Off);
}

TEST_F(ServiceTest, ConsumedOneShotFaultIsReported) {
    int changes = 0;
    QObject::connect(&service, &host::CommunicationService::faultsChanged, [&changes] { ++changes; });
    service.setFault(Fault::DropAnswer, FaultMode::OneShot);
    service.setFault(Fault::DropAnswer, FaultMode::OneShot);
    EXPECT_EQ(changes, 1);
    service.Connect(nullptr, &page, nextId(), QString(), connectRequest());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(service.faultMode(Fault::DropAnswer), FaultMode::Off);
}

// ---- abort

TEST_F(ServiceTest, AbortDropsOutstandingAnswersAndTellsEveryConnectedCallback) {
    RecordingCallback second;
    const QString first = connect(page);
    const QString other = connect(second);
    page.answers.clear();
    second.answers.clear();
    ASSERT_TRUE(service.TransactionRequest(first, &page, nextId(), readRequest(first, 16)));
    ASSERT_TRUE(service.Connect(nullptr, &page, QStringLiteral("NEW"), QString(), connectRequest()));
    ASSERT_EQ(service.outstandingAnswers(), 2);

    service.abortConnections();
    EXPECT_TRUE(page.answers.isEmpty());
    EXPECT_TRUE(second.answers.isEmpty());
    EXPECT_EQ(service.outstandingAnswers(), 1);  // the connect belongs to no connection yet
    EXPECT_FALSE(service.TransactionRequest(first, &page, nextId(), readRequest(first, 16)));
    settle();

    ASSERT_EQ(page.answers.size(), 2);
    const auto byMethod = [this](const char* method) {
        const auto found = std::find_if(page.answers.begin(), page.answers.end(), [method](const Answer& a) {
            return a.method == QLatin1String(method);
        });
        return found == page.answers.end() ? Answer() : *found;
    };
    EXPECT_EQ(byMethod("OnAbort").text, first);
    EXPECT_EQ(byMethod("OnConnectResponse").invokeId, QStringLiteral("NEW"));
    ASSERT_EQ(second.answers.size(), 1);
    EXPECT_EQ(second.answers.at(0).method, QStringLiteral("OnAbort"));
    EXPECT_EQ(second.answers.at(0).text, other);
}

TEST_F(ServiceTest, AbortKeepsTheAnswerOfADisconnectInFlight) {
    const QString reference = connect(page);
    RecordingCallback other;
    const QString otherReference = connect(other);
    ASSERT_TRUE(service.Disconnect(reference, &page, QStringLiteral("D")));
    EXPECT_FALSE(service.abortConnection(reference));
    EXPECT_TRUE(service.abortConnection(otherReference));
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    EXPECT_EQ(page.answers.at(1).method, QStringLiteral("OnDisconnectResponse"));
}

// ---- lifetime

TEST_F(ServiceTest, DestroyedCallbackGetsNothing) {
    auto doomed = std::make_unique<RecordingCallback>();
    const QString reference = connect(*doomed);
    ASSERT_TRUE(service.TransactionRequest(reference, doomed.get(), nextId(), readRequest(reference, 16)));
    ASSERT_TRUE(service.Connect(nullptr, doomed.get(), nextId(), QString(), connectRequest()));
    int sent = 0;
    QObject::connect(&service, &host::CommunicationService::answerSent, [&sent] { ++sent; });
    doomed.reset();
    settle();
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(service.outstandingAnswers(), 0);
    EXPECT_TRUE(service.openConnections().isEmpty());
}

TEST_F(ServiceTest, CallbackDestroyedBeforeItsAbortArrives) {
    auto doomed = std::make_unique<RecordingCallback>();
    connect(*doomed);
    const QString reference = connect(page);
    service.abortConnections();
    doomed.reset();
    settle();
    ASSERT_EQ(page.answers.size(), 2);
    EXPECT_EQ(page.answers.at(1).method, QStringLiteral("OnAbort"));
    EXPECT_EQ(page.answers.at(1).text, reference);
}

TEST_F(ServiceTest, DestroyedServiceAnswersNothing) {
    auto transient = std::make_unique<host::CommunicationService>(&station);
    transient->setLatency(0);
    ASSERT_TRUE(transient->Connect(nullptr, &page, nextId(), QString(), connectRequest()));
    transient.reset();
    settle();
    EXPECT_TRUE(page.answers.isEmpty());
}

TEST_F(ServiceTest, RemovedStationAnswersWithErrors) {
    auto gone = std::make_unique<host::SimulatedStation>(12);
    gone->addModule(Slot, 54);
    host::CommunicationService onGone(gone.get());
    onGone.setLatency(0);
    ASSERT_TRUE(onGone.Connect(nullptr, &page, QStringLiteral("C"), QString(), connectRequest()));
    settle();
    const QString reference = page.answers.last().parsed().CommunicationReference();
    ASSERT_TRUE(onGone.TransactionRequest(reference, &page, QStringLiteral("R"), readRequest(reference, 16)));
    ASSERT_TRUE(onGone.Connect(nullptr, &page, QStringLiteral("C2"), QString(), connectRequest()));
    gone.reset();
    settle();
    ASSERT_EQ(page.answers.size(), 3);
    EXPECT_TRUE(page.answers.at(1).parsed().HasErrorPart());
    EXPECT_TRUE(page.answers.at(2).parsed().HasErrorPart());
    EXPECT_FALSE(onGone.Connect(nullptr, &page, nextId(), QString(), connectRequest()));
}

}  // namespace
