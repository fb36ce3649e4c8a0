#pragma once

#include <QList>

#include "QT27Controls/communication/ReadCyclePage.h"
#include "frame/LoopCheckVerdict.h"

namespace frame {

/// The online session of a loop check: the read cycle of the Observation page,
/// without its channel displays. It connects after Init like every online page,
/// reads the module's values again and again, hands each telegram on as four
/// readings and takes the connection down when the frame releases it. Connect,
/// read, disconnect, abort and release are those of qt27::OnlinePage.
class LoopCheckSession : public qt27::ReadCyclePage {
    Q_OBJECT

public:
    explicit LoopCheckSession(QWidget* parent = nullptr);

    /// Time between a read answer and the next read; the Observation page's 500 ms
    /// unless set (tests read faster).
    void setReadPeriod(int msecs);
    int readPeriod() const;

signals:
    /// The connection is up.
    void connected();
    /// A value telegram arrived: one reading per channel, channel 1 first.
    void valuesRead(const QList<frame::LoopCheckReading>& readings);
    /// The connection broke (the station dropped it).
    void connectionLost();
    /// The connect was refused or answered without a connection.
    void connectFailed(const QString& reason);

protected:
    void readAllValues() override {}
    int channelCount() const override { return 4; }
    void showValues(const QByteArray& data) override;
    void connectionEstablished() override;
    void connectionAborted() override;
    void connectAnswerWithoutConnection(const QString& errorText) override;
    void connectRequestRefused() override;
};

}  // namespace frame
