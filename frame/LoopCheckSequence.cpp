#include "LoopCheckSequence.h"

#include <QRegularExpression>

namespace frame {

QList<double> LoopCheckPlan::parsePoints(const QString& text, QString* errorText) {
    QList<double> points;
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("[;,\\s]+")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (!ok || value < 0.0 || value > 100.0) {
            if (errorText != nullptr) {
                *errorText = part;
            }
            return {};
        }
        points.append(value);
    }
    if (points.isEmpty() && errorText != nullptr) {
        *errorText = text;
    }
    return points;
}

LoopCheckSequence::LoopCheckSequence(LoopCheckPlan plan, QObject* parent)
    : QObject(parent), m_plan(std::move(plan)) {
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &LoopCheckSequence::settled);
}

void LoopCheckSequence::start() {
    if (m_stage != Stage::Idle) {
        return;
    }
    if (m_plan.channels.isEmpty() || m_plan.points.isEmpty()) {
        m_stage = Stage::Completed;
        emit completed(m_results);
        return;
    }
    askForSignal();
}

void LoopCheckSequence::askForSignal() {
    if (m_pointIndex == 0) {
        host::LoopCheckResult result;
        const LoopCheckChannel& channel = currentChannel();
        result.channel = channel.channel;
        result.user = m_plan.user;
        result.tolerancePercent = m_plan.tolerancePercent;
        result.settleMs = m_plan.settleMs;
        result.unit = channel.span.unit;
        m_results.append(result);
    }
    m_stage = Stage::WaitingForSignal;
    emit signalWanted(currentChannel(), currentPercent(), currentChannel().span.expectedAt(currentPercent()));
}

void LoopCheckSequence::confirmSignal() {
    if (m_stage != Stage::WaitingForSignal) {
        return;
    }
    m_stage = Stage::Settling;
    m_readings.clear();
    m_settle.start(m_plan.settleMs);
}

void LoopCheckSequence::settled() {
    if (m_stage == Stage::Settling) {
        m_stage = Stage::Reading;
    }
}

void LoopCheckSequence::addReadings(const QList<LoopCheckReading>& readings) {
    if (m_stage != Stage::Reading) {
        return;
    }
    const int index = currentChannel().channel - 1;
    if (index < 0 || index >= readings.size()) {
        return;
    }
    m_readings.append(readings.at(index));
    if (m_readings.size() < m_plan.readsPerPoint) {
        return;
    }
    const host::LoopCheckPoint point =
        LoopCheckVerdict::judge(currentChannel().span, currentPercent(), m_plan.tolerancePercent, m_readings);
    host::LoopCheckResult& result = m_results.last();
    result.points.append(point);
    result.timeUtc = QDateTime::currentDateTimeUtc();
    emit pointJudged(currentChannel(), point);
    advance();
}

void LoopCheckSequence::advance() {
    if (m_stage == Stage::Cancelled) {
        return;  // cancelled from a slot of pointJudged
    }
    if (++m_pointIndex >= m_plan.points.size()) {
        m_pointIndex = 0;
        if (++m_channelIndex >= m_plan.channels.size()) {
            m_channelIndex = m_plan.channels.size() - 1;
            m_pointIndex = m_plan.points.size() - 1;
            m_stage = Stage::Completed;
            emit completed(m_results);
            return;
        }
    }
    askForSignal();
}

void LoopCheckSequence::cancel() {
    if (m_stage == Stage::Completed || m_stage == Stage::Cancelled) {
        return;
    }
    m_settle.stop();
    m_stage = Stage::Cancelled;
}

}  // namespace frame
