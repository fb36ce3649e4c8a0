#include "LoopCheckRun.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

#include "QT27Controls/framework/AuditTrail.h"
#include "frame/LoopCheckSession.h"
#include "frame/OpenPage.h"
#include "host/BaseDtm.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace frame {

LoopCheckRun::LoopCheckRun(host::Station& station, int slot, LoopCheckPlan plan, QObject* parent)
    : QObject(parent), m_station(station), m_slot(slot),
      m_sequence(std::make_unique<LoopCheckSequence>(std::move(plan))) {
    connect(m_sequence.get(), &LoopCheckSequence::signalWanted, this,
            [this](const LoopCheckChannel& channel, double percent, double expected) {
                if (m_signalSource == nullptr || !m_signalSource->hasModule(m_slot)) {
                    emit signalWanted(channel, percent, expected);
                    return;
                }
                const int index = channel.channel - 1;
                if (m_savedSignals.count(index) == 0) {
                    m_savedSignals[index] = m_signalSource->channelSignal(m_slot, index);
                }
                host::ChannelSignal signal;
                signal.shape = host::SignalShape::Constant;
                signal.offsetPercent = percent;
                m_signalSource->setChannelSignal(m_slot, index, signal);
                confirmSignal();
            });
    connect(m_sequence.get(), &LoopCheckSequence::pointJudged, this, &LoopCheckRun::pointJudged);
    // The sequence completes inside the session's answer handler: the session is
    // released once that handler has returned.
    connect(m_sequence.get(), &LoopCheckSequence::completed, this, &LoopCheckRun::onCompleted,
            Qt::QueuedConnection);
}

LoopCheckRun::~LoopCheckRun() {
    restoreSignals();
}

QList<LoopCheckChannel> LoopCheckRun::channelsOf(const host::Station& station, int slot, bool inPercent) {
    QList<LoopCheckChannel> channels;
    const host::ModuleRecord* record = station.moduleRecord(slot);
    if (record == nullptr) {
        return channels;
    }
    for (int index = 0; index < host::ModuleRecord::kChannelCount; ++index) {
        LoopCheckChannel channel;
        channel.channel = index + 1;
        channel.tag = record->channelTags.value(index);
        const int range =
            index < record->parameters.size() ? (static_cast<quint8>(record->parameters.at(index)) >> 2) & 3 : 0;
        channel.span = ChannelSpan::of(record->typeCode.toInt(), range, inPercent);
        channels.append(channel);
    }
    return channels;
}

LoopCheckSession* LoopCheckRun::session() const {
    return m_page != nullptr ? qobject_cast<LoopCheckSession*>(m_page->widget()) : nullptr;
}

bool LoopCheckRun::start() {
    if (m_running || m_finished) {
        return false;
    }
    host::QT27Dtm* dtm = m_station.dtmForSlot(m_slot);
    if (dtm == nullptr) {
        m_message = tr("The project has no module in slot %1.").arg(m_slot);
        return false;
    }
    static int counter = 0;
    PageType type{QStringLiteral("LoopCheck"), tr("Loop check"),
                  [](QWidget* parent) { return new LoopCheckSession(parent); }};
    m_page = std::make_unique<OpenPage>(type, dtm, QStringLiteral("LoopCheck-%1").arg(++counter));
    m_page->setGracePeriod(m_releaseGraceMs);
    LoopCheckSession* page = session();
    if (m_readPeriodMs > 0) {
        page->setReadPeriod(m_readPeriodMs);
    }
    connect(page, &LoopCheckSession::connected, this, [this] { m_sequence->start(); });
    connect(page, &LoopCheckSession::valuesRead, m_sequence.get(), &LoopCheckSequence::addReadings);
    connect(
        page, &LoopCheckSession::connectionLost, this,
        [this] {
            end(Outcome::ConnectionLost,
                tr("The station dropped the connection to the module; the loop check was stopped. "
                   "Nothing is forced and the module is no longer connected. No result was stored."));
        },
        Qt::QueuedConnection);
    connect(
        page, &LoopCheckSession::connectFailed, this,
        [this](const QString& reason) {
            end(Outcome::ConnectFailed, reason.isEmpty()
                                            ? tr("The module could not be connected; the loop check did not start.")
                                            : tr("The module could not be connected (%1); the loop check did "
                                                 "not start.")
                                                  .arg(reason));
        },
        Qt::QueuedConnection);
    connect(m_page.get(), &OpenPage::released, this, &LoopCheckRun::sessionReleased);
    connect(m_page.get(), &OpenPage::releaseTimedOut, this, &LoopCheckRun::sessionReleased);
    m_running = true;
    m_page->init();
    return true;
}

void LoopCheckRun::confirmSignal() {
    if (m_ending || m_sequence->stage() != LoopCheckSequence::Stage::WaitingForSignal) {
        return;
    }
    m_sequence->confirmSignal();
    emit settling(m_sequence->plan().settleMs);
}

void LoopCheckRun::cancel() {
    if (m_running) {
        end(Outcome::Cancelled, QString());
    }
}

void LoopCheckRun::onCompleted(const QList<host::LoopCheckResult>& results) {
    if (m_ending) {
        return;
    }
    QString message;
    host::QT27Dtm* dtm = m_station.dtmForSlot(m_slot);
    const host::ModuleRecord* current = m_station.moduleRecord(m_slot);
    if (dtm == nullptr || current == nullptr) {
        end(Outcome::Completed, tr("The module left the project; the results were not stored."));
        return;
    }
    // Reported before they are stored, as every change is.
    for (const host::LoopCheckResult& result : results) {
        const auto passed = std::count_if(result.points.begin(), result.points.end(),
                                          [](const host::LoopCheckPoint& point) { return point.passed(); });
        qt27::reportChange(dtm->baseDtm(), qt27::AuditCode::LoopCheckDone,
                           {result.passed() ? QStringLiteral("passed") : QStringLiteral("failed"),
                            QString::number(passed), QString::number(result.points.size()),
                            QString::number(result.tolerancePercent)},
                           result.channel);
    }
    host::ModuleRecord record = *current;
    record.loopChecks = host::mergeLoopChecks(record.loopChecks, results);
    QString error;
    if (!m_station.storeModule(record, &error)) {
        message = tr("The results could not be stored: %1").arg(error);
    }
    end(Outcome::Completed, message);
}

void LoopCheckRun::end(Outcome outcome, const QString& message) {
    if (m_ending || m_finished) {
        return;
    }
    m_ending = true;
    m_outcome = outcome;
    m_message = message;
    m_sequence->cancel();
    restoreSignals();
    if (m_page == nullptr) {
        sessionReleased();
        return;
    }
    if (m_page->isReleased()) {
        sessionReleased();
    } else {
        m_page->requestRelease();
    }
}

void LoopCheckRun::sessionReleased() {
    if (m_finished) {
        return;
    }
    if (!m_ending) {
        // Released without being asked (the frame closed it): the check is over.
        m_ending = true;
        m_outcome = Outcome::Cancelled;
        m_sequence->cancel();
        restoreSignals();
    }
    m_finished = true;
    m_running = false;
    emit finished(m_outcome);
}

void LoopCheckRun::restoreSignals() {
    if (m_signalSource != nullptr && m_signalSource->hasModule(m_slot)) {
        for (const auto& [index, signal] : m_savedSignals) {
            m_signalSource->setChannelSignal(m_slot, index, signal);
        }
    }
    m_savedSignals.clear();
}

}  // namespace frame
