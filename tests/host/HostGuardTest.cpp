// The host leaves nobody waiting and nothing behind: every accepted request is
// answered within the answer timeout, a lost page takes its connections with it,
// and a project file that is no project is named instead of read.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "HostTestSupport.h"
#include "QT27Controls/communication/IBaseCommunicationCallback.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "host/StationProject.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/Error.h"

namespace {

using Fault = host::CommunicationService::Fault;
using FaultMode = host::CommunicationService::FaultMode;

constexpr int kTimeoutMs = 30;

/// Records each answer as "invoke id: error text" ("invoke id: ok" without error part).
class Caller : public QObject, public qt27::IBaseCommunicationCallback {
public:
    void OnConnectResponse(const QString& id, const QString& response) override { note(id, response); }
    void OnDisconnectResponse(const QString& id, const QString& response) override { note(id, response); }
    void OnTransactionResponse(const QString& id, const QString& response) override { note(id, response); }
    void OnAbort(const QString& reference) override { answers.append(QStringLiteral("abort ") + reference); }
    void VerifyConnectionRequest(const QString&, const QString&) override {}
    QStringList answers;
    QString reference;

private:
    void note(const QString& id, const QString& response) {
        rmox::ResponseReader reader;
        reader.Parse(response, nullptr);
        reference = reader.HasConnectPart() ? reader.CommunicationReference() : reference;
        answers.append(id + QStringLiteral(": ") +
                       (reader.HasErrorPart() ? reader.ErrorText() : QStringLiteral("ok")));
    }
};

class AnswerTimeoutTest : public testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        station.addModule(3, 37);
        service.setLatency(0);
        service.setAnswerTimeout(kTimeoutMs);
        service.setFaultDelay(3 * kTimeoutMs);
    }
    bool connect(Caller& caller, const QString& id = QStringLiteral("C")) {
        return service.Connect(nullptr, &caller, id, QString(),
                               QStringLiteral("<FDT><ConnectRequest slot=\"3\"/></FDT>"));
    }
    bool read(Caller& caller, const QString& id) {
        return service.TransactionRequest(
            caller.reference, &caller, id,
            QStringLiteral("<FDT><ReadRequest slot=\"3\" index=\"16\"/></FDT>"));
    }
    bool answered(Caller& caller, const QString& answer) {
        return QTest::qWaitFor([&] { return caller.answers.contains(answer); }, 2000);
    }
    QString timedOut(const QString& id) const { return id + QStringLiteral(": No answer within 30 ms"); }

    host::SimulatedStation station{12};
    host::CommunicationService service{&station};
};

INSTANTIATE_TEST_SUITE_P(Faults, AnswerTimeoutTest,
                         testing::Values(Fault::DropAnswer, Fault::ForeignInvokeId, Fault::DelayAnswer));

TEST_P(AnswerTimeoutTest, LostAnswerBecomesATimeoutAnswerWithTheRequestsIdAndNoLateOne) {
    Caller caller;
    service.setFault(GetParam(), FaultMode::OneShot);
    ASSERT_TRUE(connect(caller, QStringLiteral("C1")));
    ASSERT_TRUE(answered(caller, timedOut(QStringLiteral("C1"))));
    EXPECT_TRUE(service.openConnections().isEmpty());

    ASSERT_TRUE(connect(caller) && answered(caller, QStringLiteral("C: ok")));
    service.setFault(GetParam(), FaultMode::OneShot);
    ASSERT_TRUE(read(caller, QStringLiteral("R1")));
    ASSERT_TRUE(answered(caller, timedOut(QStringLiteral("R1"))));
    EXPECT_FALSE(service.isAwaitingAnswer(QStringLiteral("R1")));
    QTest::qWait(3 * kTimeoutMs);  // when a delayed answer would have come
    EXPECT_EQ(caller.answers.filter(QStringLiteral("R1:")).size(), 1);
    ASSERT_TRUE(read(caller, QStringLiteral("R2")));
    EXPECT_TRUE(answered(caller, QStringLiteral("R2: ok")));
}

TEST_F(AnswerTimeoutTest, LostAnswersTimeOutInTheOrderOfTheirDeadlines) {
    Caller caller;
    ASSERT_TRUE(connect(caller) && answered(caller, QStringLiteral("C: ok")));
    QTest::qWait(3 * kTimeoutMs);  // past the connect's deadline: nothing is due any more
    service.setFault(Fault::DropAnswer, FaultMode::Persistent);
    // Each request keeps the timeout in force when it came: a later one may be due first.
    for (const auto& [id, timeout] : {std::pair{"R1", 1000}, {"R2", 40}, {"R3", 150}, {"R4", 40}}) {
        service.setAnswerTimeout(timeout);
        ASSERT_TRUE(read(caller, QString::fromLatin1(id)));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return caller.answers.size() >= 2; }, 3000));
    EXPECT_TRUE(service.isAwaitingAnswer(QStringLiteral("R1"))) << "the early deadline did not wait for the late one";
    ASSERT_TRUE(QTest::qWaitFor([&] { return caller.answers.size() == 5; }, 3000)) << caller.answers.join("; ").toStdString();
    QStringList order;
    for (const QString& answer : caller.answers.mid(1)) {
        EXPECT_TRUE(answer.contains(QStringLiteral("No answer within"))) << answer.toStdString();
        order << answer.section(QLatin1Char(':'), 0, 0);
    }
    EXPECT_EQ(order, QStringList({"R2", "R4", "R3", "R1"}));
    EXPECT_EQ(service.outstandingAnswers(), 0);
}

TEST_F(AnswerTimeoutTest, AbortAnswersTheReadsOfItsConnection) {
    Caller caller;
    ASSERT_TRUE(connect(caller) && answered(caller, QStringLiteral("C: ok")));
    service.setFault(Fault::DropAnswer, FaultMode::OneShot);
    ASSERT_TRUE(read(caller, QStringLiteral("R1")));
    const QString reference = caller.reference;
    service.abortConnections();
    ASSERT_TRUE(answered(caller, QStringLiteral("abort ") + reference));
    QTest::qWait(2 * kTimeoutMs);
    EXPECT_TRUE(caller.answers.filter(QStringLiteral("R1")).isEmpty());
}

TEST(ProjectFileGuardTest, FileThatIsNoProjectIsNamedNotRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.xml")));
    for (const auto& [path, problem] :
         {std::pair{QStringLiteral("/dev/zero"), QStringLiteral("is larger than 16 MiB")},
          std::pair{dir.filePath(QStringLiteral("folder.xml")), QStringLiteral("is a folder")}}) {
        host::Station station;
        EXPECT_FALSE(station.open(path));
        EXPECT_TRUE(station.lastError().contains(path + QStringLiteral("\" ") + problem))
            << station.lastError().toStdString();
    }
}

TEST(ProjectFileGuardTest, OpenRemovesOnlyOldCopiesOfAKilledSave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.xml"));
    ASSERT_TRUE(host::StationProject::builtIn().save(path));
    // Old, being written by a save that runs now, and two that are no such copy.
    const QStringList names = {QStringLiteral("station.xml.a1B2c3"), QStringLiteral("station.xml.Zz9Yy8"),
                               QStringLiteral("station.xml.bak"), QStringLiteral("station.xml.b1C2d3e")};
    for (const QString& name : names) {
        ASSERT_TRUE(hosttest::writeFile(dir.filePath(name), hosttest::readFile(path)));
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QDateTime when = QDateTime::currentDateTime().addSecs(name == names[1] ? 0 : -3600);
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    host::Station station;
    ASSERT_TRUE(station.open(path));
    EXPECT_FALSE(station.createdNewProject());
    QStringList left = QDir(dir.path()).entryList({QStringLiteral("station.xml.*")});
    QStringList kept = names.mid(1);
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept);
    ASSERT_TRUE(station.open(dir.filePath(QStringLiteral("new.xml"))));
    EXPECT_TRUE(station.createdNewProject());
}

}  // namespace
