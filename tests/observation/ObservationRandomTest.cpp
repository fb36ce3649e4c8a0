// The Observation page under random play: user presses on the button bar, the
// host's PrepareToRelease, timer ticks, queued calls, answers of every kind (own,
// foreign, late, unreadable, without connect part, with an error part, without
// data), refusals, aborts and verification requests, all against the scripted
// communication service.
//
// A model of the session, fed only with what the test does and with the requests
// the service sees, predicts the page's session state, every UiReleased and every
// CloseUi. After every step the test checks that the page agrees with the model,
// that the host saw exactly the predicted UiReleased (at most one) and CloseUi
// calls, and that the page keeps at most one request outstanding. A read that Close
// or PrepareToRelease left behind (their disconnect does not wait for it) no longer
// counts once the disconnect has been sent.
//
// CI runs a few fixed seeds. For a longer run set
//   QT27_RANDOM_SEED=<seed> QT27_RANDOM_STEPS=<steps> test_observation --gtest_filter='ObservationRandom*'
// (either variable alone also works; the steps default to 3000 per seed).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>
#include <utility>

#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/observation/Observation.h"
#include "rmox/ButtonControl/ButtonControl.h"
#include "support/FakeCommunication.h"
#include "support/FakeHost.h"

namespace {

using testsupport::FakeCommunication;
using Kind = FakeCommunication::Kind;
using ConnectAnswer = FakeCommunication::ConnectAnswer;

constexpr int kDefaultSteps = 3000;
const quint32 kFixedSeeds[] = {1, 2, 3, 4, 20240607};

const char* kindName(Kind kind) {
    switch (kind) {
        case Kind::Connect:
            return "Connect";
        case Kind::Disconnect:
            return "Disconnect";
        case Kind::Transaction:
            return "Read";
        case Kind::VerifyConnection:
            return "Verify";
    }
    return "?";
}

/// The session of Observation as its rules describe it (including the page's house
/// rules), fed with the test's actions and with the requests the service saw. It
/// keeps the calls the page queued and, when the queue runs, predicts the request
/// each call sends; the requests actually seen must match.
struct SessionModel {
    enum class Call { Connect, Disconnect, ReadValues, VerifyConnection };

    bool online = false;  ///< communicationReference set
    QString outstanding;  ///< sOnlineInvokeId
    Kind outstandingKind = Kind::Connect;
    bool disconnecting = false;
    bool disconnectRequested = false;
    bool prepareToRelease = false;
    bool closing = false;
    bool timer = false;
    bool released = false;
    int uiReleased = 0;  ///< UiReleased calls the host must have seen
    int closeUi = 0;     ///< CloseUi calls the host must have seen
    std::deque<Call> queue;

    bool isOwn(const QString& invokeId) const { return !outstanding.isEmpty() && invokeId == outstanding; }
    bool disconnectOutstanding() const {
        return !outstanding.isEmpty() && outstandingKind == Kind::Disconnect;
    }

    void startReading() { queue.push_back(online ? Call::ReadValues : Call::Connect); }
    void release() {
        timer = false;
        prepareToRelease = true;
        if (!released) {
            released = true;
            ++uiReleased;
        }
    }
    void closeUiCalled() {
        // After the release the page no longer holds the base DTM.
        if (!released) {
            ++closeUi;
        }
    }
    void closeHandler() {
        timer = false;
        if (!online) {
            closeUiCalled();
        } else {
            closing = true;
            queue.push_back(Call::Disconnect);
        }
    }

    // Test actions.
    void init() { queue.push_back(Call::Connect); }
    void tick() {
        timer = false;
        if (!prepareToRelease && !closing) {
            startReading();
        }
    }
    void connectButton() {
        if (!online) {
            queue.push_back(Call::Connect);
        } else {
            disconnectRequested = true;
        }
    }
    void prepareRelease() {
        if (!online) {
            release();
        } else if (disconnecting) {
            prepareToRelease = true;
        } else {
            prepareToRelease = true;
            if (!outstanding.isEmpty()) {
                queue.push_back(Call::Disconnect);
            } else {
                closeHandler();
            }
        }
    }
    void connectAnswer(const QString& invokeId, ConnectAnswer how) {
        if (!isOwn(invokeId)) {
            return;
        }
        outstanding.clear();
        if (how == ConnectAnswer::NoConnectPart) {
            return;
        }
        if (how == ConnectAnswer::Connected) {
            online = true;
            disconnecting = false;
            disconnectRequested = false;
            timer = false;
        }
        if (prepareToRelease) {
            if (online) {
                queue.push_back(Call::Disconnect);
            }
        } else {
            startReading();
        }
    }
    void readAnswer(const QString& invokeId, bool readable) {
        if (!isOwn(invokeId)) {
            return;
        }
        outstanding.clear();
        if (!readable || !online) {
            return;
        }
        if (disconnectRequested) {
            queue.push_back(Call::Disconnect);
        } else {
            timer = true;
        }
    }
    void disconnectAnswer(const QString& invokeId) {
        disconnectRequested = false;
        if (!isOwn(invokeId)) {
            return;
        }
        outstanding.clear();
        online = false;
        disconnecting = false;
        if (prepareToRelease) {
            release();
        } else if (closing) {
            closeUiCalled();
        }
    }
    void abort() {
        outstanding.clear();
        online = false;
        if (prepareToRelease) {
            release();
        }
    }
    void verificationRequested(const QString& invokeId) {
        if (isOwn(invokeId)) {
            queue.push_back(Call::VerifyConnection);
        }
    }

    /// Runs one queued call; answers the kind of request it sends, if any.
    std::optional<Kind> run(Call call) {
        switch (call) {
            case Call::Connect:
                if (prepareToRelease || online || !outstanding.isEmpty()) {
                    return std::nullopt;
                }
                return Kind::Connect;
            case Call::ReadValues:
                if (!online || closing || prepareToRelease || !outstanding.isEmpty()) {
                    return std::nullopt;
                }
                return Kind::Transaction;
            case Call::Disconnect:
                if (disconnectOutstanding()) {
                    return std::nullopt;
                }
                if (!online) {
                    if (prepareToRelease) {
                        release();
                    } else if (closing) {
                        closeUiCalled();
                    }
                    return std::nullopt;
                }
                return Kind::Disconnect;
            case Call::VerifyConnection:
                return Kind::VerifyConnection;
        }
        return std::nullopt;
    }
    /// The request of the call just run has been sent.
    void sent(const FakeCommunication::Request& request) {
        if (request.kind == Kind::VerifyConnection) {
            return;
        }
        outstanding = request.accepted ? request.invokeId : QString();
        outstandingKind = request.kind;
        if (request.kind == Kind::Disconnect) {
            disconnecting = request.accepted;
        }
    }
};

/// One page of one session with its host, service and model.
struct Session {
    Session() {
        dtm.communication.append(&comm);
        page = std::make_unique<qt27::Observation>();
        // Page creation reads the debug switches; the random play runs without a log.
        qt27::ReadDebugSettings(-1);
        page->IDtmActiveXControl_Init(QStringLiteral("INV-RANDOM"), QString(), &dtm);
        model.init();
    }

    testsupport::FakeDtm dtm;
    FakeCommunication comm{&dtm.log};
    std::unique_ptr<qt27::Observation> page;
    SessionModel model;
    qsizetype requestsSeen = 0;
    /// Reads whose answer the page no longer waits for: Close and the release
    /// disconnect without waiting for them.
    QSet<QString> abandoned;
};

/// What the play went through, to make sure it reaches the interesting states.
struct Coverage {
    int sessions = 0;
    int releasedAtOnce = 0;        ///< PrepareToRelease of an offline page
    int releasedByDisconnect = 0;  ///< the disconnect answer or a disconnect that found no connection
    int closed = 0;                ///< CloseUi
    int leftUnreleased = 0;        ///< sessions that ended after PrepareToRelease without UiReleased
};

class RandomPlay {
public:
    RandomPlay(quint32 seed, int steps, Coverage* coverage)
        : m_seed(seed), m_steps(steps), m_random(seed), m_coverage(coverage) {}

    void run() {
        m_session = std::make_unique<Session>();
        ++m_coverage->sessions;
        for (m_step = 0; m_step < m_steps && !m_failed; ++m_step) {
            playOneStep();
            check();
        }
        endSession();
    }

    bool failed() const { return m_failed; }

private:
    Session& s() { return *m_session; }
    SessionModel& model() { return m_session->model; }
    int roll(int bound) { return static_cast<int>(m_random.bounded(bound)); }
    void note(const QString& action) {
        m_trail.push_back(QStringLiteral("%1: %2").arg(m_step).arg(action));
        if (m_trail.size() > 40) {
            m_trail.pop_front();
        }
    }

    void playOneStep() {
        if (model().released && roll(8) == 0) {
            // The host destroys a released page and opens the next one.
            note(QStringLiteral("destroy the released page, open a new one"));
            newSession();
            return;
        }
        const int dice = roll(100);
        if (dice < 28) {
            runQueue();
        } else if (dice < 58) {
            answerSomething();
        } else if (dice < 68) {
            tick();
        } else if (dice < 76) {
            press(s().page->buttons()->pageButton(), QStringLiteral("connect button"));
        } else if (dice < 79) {
            press(s().page->buttons()->closeButton(), QStringLiteral("Close"));
        } else if (dice < 82) {
            prepareToRelease();
        } else if (dice < 89) {
            refuseNext();
        } else if (dice < 94) {
            note(QStringLiteral("abort"));
            model().abort();
            s().comm.abort();
        } else if (dice < 97) {
            const QString id = roll(2) == 0 ? model().outstanding : QStringLiteral("FOREIGN-VERIFY");
            note(QStringLiteral("VerifyConnectionRequest(%1)").arg(id));
            model().verificationRequested(id);
            s().comm.requestVerification(id);
        } else if (dice < 99) {
            lateAnswer();
        } else {
            // The frame goes away without a release.
            note(QStringLiteral("destroy the page, open a new one"));
            newSession();
        }
    }

    void endSession() {
        if (m_session) {
            m_coverage->closed += model().closeUi;
            if (model().prepareToRelease && !model().released) {
                ++m_coverage->leftUnreleased;
            }
        }
        m_session.reset();
        // Answers and queued calls of the old page must reach nobody.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    void newSession() {
        endSession();
        m_session = std::make_unique<Session>();
        ++m_coverage->sessions;
    }

    /// Runs the calls queued so far and matches the requests they sent against the
    /// requests the model expects, call by call.
    void runQueue() {
        note(QStringLiteral("run the queued calls"));
        const std::deque<SessionModel::Call> calls = std::exchange(model().queue, {});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        Session& session = s();
        const bool wasReleased = model().released;
        for (const SessionModel::Call call : calls) {
            const std::optional<Kind> expected = model().run(call);
            if (!expected) {
                continue;
            }
            if (session.requestsSeen >= session.comm.requests.size()) {
                fail(QStringLiteral("the page did not send the expected %1")
                         .arg(QString::fromLatin1(kindName(*expected))));
                return;
            }
            const FakeCommunication::Request& request = session.comm.requests[session.requestsSeen++];
            note(QStringLiteral("  page sent %1(%2)%3")
                     .arg(QString::fromLatin1(kindName(request.kind)), request.invokeId,
                          request.accepted ? QString() : QStringLiteral(" refused")));
            if (request.kind != *expected) {
                fail(QStringLiteral("the page sent %1 where the rules send %2")
                         .arg(QString::fromLatin1(kindName(request.kind)),
                              QString::fromLatin1(kindName(*expected))));
                return;
            }
            if (request.kind == Kind::Disconnect && request.accepted &&
                (model().closing || model().prepareToRelease)) {
                for (const FakeCommunication::Request& open : session.comm.outstanding()) {
                    if (open.kind == Kind::Transaction) {
                        session.abandoned.insert(open.invokeId);
                    }
                }
            }
            model().sent(request);
        }
        if (!wasReleased && model().released) {
            ++m_coverage->releasedByDisconnect;
        }
    }

    void tick() {
        if (!s().page->cycleTimer()->isActive()) {
            return;
        }
        note(QStringLiteral("tick"));
        model().tick();
        s().page->timCyclic_Timer();
    }

    void press(QPushButton* button, const QString& name) {
        // A user reaches only what the button bar lets through.
        if (!button->isEnabled()) {
            return;
        }
        note(QStringLiteral("press %1").arg(name));
        if (button == s().page->buttons()->closeButton()) {
            model().closeHandler();
        } else {
            model().connectButton();
        }
        button->click();
    }

    void prepareToRelease() {
        // The frame asks once; a second request is rare but must not hurt.
        if (model().prepareToRelease && roll(10) != 0) {
            return;
        }
        note(QStringLiteral("PrepareToRelease"));
        const bool wasReleased = model().released;
        model().prepareRelease();
        if (!wasReleased && model().released) {
            ++m_coverage->releasedAtOnce;
        }
        EXPECT_TRUE(s().page->IDtmActiveXControl_PrepareToRelease());
    }

    void refuseNext() {
        const Kind kinds[] = {Kind::Connect, Kind::Disconnect, Kind::Transaction, Kind::VerifyConnection};
        const Kind kind = kinds[roll(4)];
        note(QStringLiteral("refuse the next %1").arg(QString::fromLatin1(kindName(kind))));
        s().comm.refuseNext(kind);
    }

    QByteArray randomTelegram() {
        // Mostly complete telegrams, now and then a short one.
        QByteArray telegram(roll(10) == 0 ? roll(9) : 9, '\0');
        for (char& byte : telegram) {
            byte = static_cast<char>(roll(256));
        }
        return telegram;
    }

    /// Answers one outstanding request, mostly with its own id.
    void answerSomething() {
        const QList<FakeCommunication::Request> open = s().comm.outstanding();
        if (open.isEmpty()) {
            return;
        }
        const FakeCommunication::Request request = open[roll(static_cast<int>(open.size()))];
        QString id = request.invokeId;
        if (roll(10) == 0) {
            // Another id, or none; the request stays outstanding.
            id = roll(3) == 0 ? QStringLiteral("") : QStringLiteral("FOREIGN-%1").arg(m_step);
        }
        answer(request.kind, id, false);
    }

    /// A second answer to a request that was answered already or lost in an abort.
    void lateAnswer() {
        QStringList open;
        for (const FakeCommunication::Request& request : s().comm.outstanding()) {
            open.append(request.invokeId);
        }
        QList<FakeCommunication::Request> done;
        for (const FakeCommunication::Request& request : s().comm.requests) {
            if (request.accepted && request.kind != Kind::VerifyConnection &&
                !open.contains(request.invokeId)) {
                done.append(request);
            }
        }
        if (!done.isEmpty()) {
            const FakeCommunication::Request& request = done[roll(static_cast<int>(done.size()))];
            answer(request.kind, request.invokeId, true);
        }
    }

    void answer(Kind kind, const QString& id, bool late) {
        FakeCommunication& comm = s().comm;
        const QString what =
            QStringLiteral("%1%2 answer \"%3\"")
                .arg(late ? QStringLiteral("late ") : QString(), QString::fromLatin1(kindName(kind)), id);
        const bool wasReleased = model().released;
        switch (kind) {
            case Kind::Connect: {
                const int how = roll(10);
                const ConnectAnswer answer = how < 7   ? ConnectAnswer::Connected
                                             : how < 9 ? ConnectAnswer::NoConnectPart
                                                       : ConnectAnswer::Unreadable;
                note(QStringLiteral("%1 (%2)").arg(what).arg(static_cast<int>(answer)));
                model().connectAnswer(id, answer);
                comm.answerConnect(answer, id);
                break;
            }
            case Kind::Disconnect:
                note(what);
                model().disconnectAnswer(id);
                comm.answerDisconnect(id);
                break;
            case Kind::Transaction: {
                const int how = roll(10);
                model().readAnswer(id, how < 9);
                if (how < 7) {
                    const QByteArray telegram = randomTelegram();
                    note(QStringLiteral("%1 with data %2").arg(what, QString::fromLatin1(telegram.toHex())));
                    comm.answerRead(telegram, id);
                } else if (how < 8) {
                    note(QStringLiteral("%1 with an error part").arg(what));
                    comm.answerReadError(QStringLiteral("Simulated read error"), id);
                } else if (how < 9) {
                    note(QStringLiteral("%1 without parts").arg(what));
                    comm.answerReadWithoutParts(id);
                } else {
                    note(QStringLiteral("%1, unreadable").arg(what));
                    comm.answerReadUnreadable(id);
                }
                break;
            }
            case Kind::VerifyConnection:
                break;
        }
        if (!wasReleased && model().released) {
            ++m_coverage->releasedByDisconnect;
        }
    }

    void check() {
        Session& session = s();
        const SessionModel& rules = session.model;
        qt27::Observation& page = *session.page;
        // Every request comes from a queued call, never straight from an event.
        if (session.requestsSeen < session.comm.requests.size()) {
            const FakeCommunication::Request& request = session.comm.requests[session.requestsSeen];
            fail(QStringLiteral("the page sent %1(%2) outside its queued calls")
                     .arg(QString::fromLatin1(kindName(request.kind)), request.invokeId));
            return;
        }
        const auto same = [this](const char* what, auto onPage, auto byRules) {
            if (onPage != byRules) {
                fail(QStringLiteral("%1: page %2, rules %3")
                         .arg(QString::fromLatin1(what), QVariant(onPage).toString(),
                              QVariant(byRules).toString()));
            }
        };
        same("online", page.isOnline(), rules.online);
        same("sOnlineInvokeId", page.onlineInvokeId(), rules.outstanding);
        same("blnDisconnecting", page.isDisconnecting(), rules.disconnecting);
        same("blnDisconnectRequested", page.isDisconnectRequested(), rules.disconnectRequested);
        same("blnPrepareToRelease", page.isPreparingToRelease(), rules.prepareToRelease);
        same("blnClosing", page.isClosing(), rules.closing);
        same("timCyclic running", page.cycleTimer()->isActive(), rules.timer);
        same("released", page.isReleased(), rules.released);
        same("UiReleased calls", static_cast<int>(session.dtm.calls(QStringLiteral("UiReleased")).size()),
             rules.uiReleased);
        same("CloseUi calls", static_cast<int>(session.dtm.calls(QStringLiteral("CloseUi")).size()),
             rules.closeUi);

        QStringList open;
        for (const FakeCommunication::Request& request : session.comm.outstanding()) {
            if (!session.abandoned.contains(request.invokeId)) {
                open.append(QStringLiteral("%1(%2)").arg(QString::fromLatin1(kindName(request.kind)),
                                                         request.invokeId));
            }
        }
        if (open.size() > 1) {
            fail(QStringLiteral("%1 requests outstanding: %2").arg(open.size()).arg(open.join(", ")));
        }
    }

    void fail(const QString& what) {
        if (m_failed) {
            return;
        }
        m_failed = true;
        ADD_FAILURE() << "seed " << m_seed << ", step " << m_step << ": " << what.toStdString()
                      << "\nlast steps:\n"
                      << QStringList(m_trail.begin(), m_trail.end()).join(QLatin1Char('\n')).toStdString();
    }

    const quint32 m_seed;
    const int m_steps;
    QRandomGenerator m_random;
    Coverage* m_coverage;
    std::unique_ptr<Session> m_session;
    std::deque<QString> m_trail;
    int m_step = 0;
    bool m_failed = false;
};

QList<quint32> seedsToPlay(bool* fixed) {
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("QT27_RANDOM_SEED").toUInt(&ok);
    *fixed = !ok;
    if (ok) {
        return {seed};
    }
    return QList<quint32>(std::begin(kFixedSeeds), std::end(kFixedSeeds));
}

int stepsToPlay() {
    bool ok = false;
    const int steps = qEnvironmentVariable("QT27_RANDOM_STEPS").toInt(&ok);
    return ok && steps > 0 ? steps : kDefaultSteps;
}

TEST(ObservationRandomTest, SessionFollowsTheRulesUnderRandomPlay) {
    // Errors after the release fall back to a message box; nobody is there to close it.
    const auto previous = qt27::OnlinePage::setCriticalMessageBox([](QWidget*, const QString&) {});
    bool fixedSeeds = true;
    Coverage coverage;
    for (const quint32 seed : seedsToPlay(&fixedSeeds)) {
        RandomPlay play(seed, stepsToPlay(), &coverage);
        play.run();
        EXPECT_FALSE(play.failed()) << "seed " << seed;
    }
    qt27::OnlinePage::setCriticalMessageBox(previous);
    RecordProperty("sessions", coverage.sessions);
    std::cout << "sessions " << coverage.sessions << ", released at once " << coverage.releasedAtOnce
              << ", released after a disconnect " << coverage.releasedByDisconnect << ", CloseUi "
              << coverage.closed << ", left unreleased " << coverage.leftUnreleased << "\n";
    if (fixedSeeds && stepsToPlay() >= kDefaultSteps) {
        // The fixed seeds reach every way a session ends.
        EXPECT_GT(coverage.releasedAtOnce, 0);
        EXPECT_GT(coverage.releasedByDisconnect, 0);
        EXPECT_GT(coverage.closed, 0);
        EXPECT_GT(coverage.leftUnreleased, 0);
    }
}

}  // namespace
