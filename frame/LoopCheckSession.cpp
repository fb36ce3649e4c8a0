#include "LoopCheckSession.h"

#include <QTimer>

#include "QT27Controls/communication/ValueTelegram.h"

namespace frame {

LoopCheckSession::LoopCheckSession(QWidget* parent)
    : qt27::ReadCyclePage(qt27::SessionVariant::Observation, NoFeatures, parent) {}

void LoopCheckSession::setReadPeriod(int msecs) {
    timCyclic->setInterval(msecs);
}

int LoopCheckSession::readPeriod() const {
    return timCyclic->interval();
}

void LoopCheckSession::showValues(const QByteArray& data) {
    const auto telegram = qt27::ParseModuleValues(data);
    QList<LoopCheckReading> readings;
    for (const qt27::ChannelReading& reading : telegram) {
        readings.append({reading.value, reading.isInValid, reading.isForced});
    }
    emit valuesRead(readings);
}

void LoopCheckSession::connectionEstablished() {
    ReadCyclePage::connectionEstablished();
    emit connected();
}

void LoopCheckSession::connectionAborted() {
    // No new connection behind the engineer's back: the check that ran on this one is over.
    timCyclic->stop();
    emit connectionLost();
}

void LoopCheckSession::connectAnswerWithoutConnection(const QString& errorText) {
    emit connectFailed(errorText);
}

void LoopCheckSession::connectRequestRefused() {
    emit connectFailed(QString());
}

}  // namespace frame
