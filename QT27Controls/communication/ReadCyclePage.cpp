#include "ReadCyclePage.h"

#include <QTimer>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/communication/ValueTelegram.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/observation/ChannelObservation.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/Error.h"

namespace qt27 {

ReadCyclePage::ReadCyclePage(SessionVariant variant, Features features, QWidget* parent)
    : OnlinePage(variant, features, parent) {
    timCyclic = new QTimer(this);
    timCyclic->setObjectName(QStringLiteral("timCyclic"));
    timCyclic->setInterval(kCycleIntervalMs);
    // A coarse timer may fire up to 5 % early; the next read must not come sooner
    // than 500 ms after the answer.
    timCyclic->setTimerType(Qt::PreciseTimer);
    connect(timCyclic, &QTimer::timeout, this, &ReadCyclePage::timCyclic_Timer);
}

ReadCyclePage::~ReadCyclePage() = default;

void ReadCyclePage::timCyclic_Timer() {
    timCyclic->stop();
    // Once the page closes or prepares its release the cycle is over.
    if (!blnPrepareToRelease && !blnClosing) {
        StartReading();
    }
}

void ReadCyclePage::StartReading() {
    if (sessionRules().beginsOperationPerCycle) {
        beginOperation();
    }
    log(QStringLiteral("StartReading"));
    queueCall(communicationReference.isEmpty() ? "CallConnect" : "CallReadValues");
}

void ReadCyclePage::CallReadValues(const QVariant& /*vArguments*/) {
    // A read queued before Close, the release or the user's disconnect would run beside
    // their disconnect; a read never goes out while another request is outstanding.
    if (communicationReference.isEmpty() || blnClosing || blnPrepareToRelease || blnDisconnectRequested ||
        !sOnlineInvokeId.isEmpty() || !readInvokeId().isEmpty()) {
        return;
    }
    QString request;
    step([&] { request = readRequest(); });
    QString& invokeId = readInvokeId();
    invokeId = newInvokeId();
    logReadRequest(invokeId, request);
    if (!transactionRequest(invokeId, request)) {
        // The timer stays off: the cycle ends here.
        invokeId.clear();
        setAllChannelValuesOutdated();
        ReportError(rmox::Error::InvalidArgument, QStringLiteral("Transaction failed"),
                    QStringLiteral("CallReadValues"));
    }
}

QString ReadCyclePage::readRequest() {
    return requestBuilder()->ValuesReadRequest(communicationReference);
}

void ReadCyclePage::logReadRequest(const QString& invokeId, const QString& /*request*/) {
    log(QStringLiteral(".CallReadValues"), paddedLabel(QStringLiteral("invokeId"), 23) + invokeId);
}

void ReadCyclePage::handleTransactionResponse(const QString& invokeID, const QString& response) {
    log(QStringLiteral(".OnTransactionResponse"), QStringLiteral("sOnlineInvokeId: ") + sOnlineInvokeId);
    if (!isOwnAnswer(invokeID)) {
        // The cycle waits for the right answer.
        return;
    }
    sOnlineInvokeId.clear();
    handleReadAnswer(response);
}

void ReadCyclePage::handleReadAnswer(const QString& response) {
    rmox::ResponseReader reader;
    if (!parseResponse(reader, response)) {
        // The cycle ends: the timer stays off.
        endOperation();
        refreshButtons();
        setAllChannelValuesOutdated();
        ReportError(0, reader.ErrorText(), QStringLiteral("OnTransactionResponse"));
        if (!communicationReference.isEmpty() && blnDisconnectRequested) {
            // The user asked to disconnect while this read was outstanding; no other
            // answer is coming to do it.
            log(QStringLiteral(".OnTransactionResponse"), QStringLiteral("Triggering CallDisconnect"));
            queueCall("CallDisconnect");
        }
        return;
    }
    if (reader.HasDataPart()) {
        step([&] { showValues(reader.Data()); });
    } else if (reader.HasErrorPart()) {
        setAllChannelValuesOutdated();
        ReportError(0, reader.ErrorText(), QStringLiteral("OnTransactionResponse"));
    } else {
        setAllChannelValuesOutdated();
        ReportError(rmox::Error::InvalidArgument,
                    QStringLiteral("No data read and no communcation error ..."),
                    QStringLiteral("OnTransactionResponse"));
    }
    continueReadCycle();
}

void ReadCyclePage::continueReadCycle() {
    if (communicationReference.isEmpty()) {
        return;
    }
    if (blnDisconnectRequested) {
        log(QStringLiteral(".OnTransactionResponse"), QStringLiteral("Triggering CallDisconnect"));
        queueCall("CallDisconnect");
    } else {
        timCyclic->start();
    }
}

void ReadCyclePage::showValues(const QByteArray& data) {
    ParseModuleValues(data);
}

void ReadCyclePage::ParseModuleValues(const QByteArray& data) {
    const auto readings = qt27::ParseModuleValues(data);
    for (int index = 0; index < kValueTelegramChannels && index < channelCount(); ++index) {
        const ChannelReading& reading = readings[static_cast<size_t>(index)];
        IgnoreErrors([&] { setChannelConnection(index, true); });
        IgnoreErrors([&] { setChannelValue(index, reading.value, reading.isInValid, reading.isForced); });
    }
}

void ReadCyclePage::configureChannels(const QList<ChannelObservation*>& channels) {
    QByteArray parameters;
    step([&] { Required(parameterManager())->ReadParameters(parameters); });
    for (int index = 0; index < channels.size(); ++index) {
        ChannelObservation* channel = channels[index];
        step([&] { channel->setIsInitializing(false); });
        step([&] { channel->setTyp(ModuleTypeNumber(moduleData().ModuleTypeCode)); });
        step([&] { channel->setResourceManager(deviceResourceManager()); });
        step([&] {
            if (index >= parameters.size()) {
                throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            }
            channel->setRange(static_cast<quint8>((static_cast<quint8>(parameters[index]) >> 2) & 3));
        });
        step([&] { channel->setIsInitializing(false); });
    }
}

void ReadCyclePage::showChannelTags(const QList<ChannelObservation*>& channels) {
    step([&] {
        forEachChannelTag([&](int number, const QString& tag) {
            if (number < 1 || number > channels.size()) {
                throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            }
            channels[number - 1]->setChannelTag(tag);
        });
    });
}

void ReadCyclePage::connectionEstablished() {
    timCyclic->stop();
}

void ReadCyclePage::continueAfterConnectAnswer() {
    if (blnPrepareToRelease) {
        // Released while the connect was outstanding: no reading, and a connection
        // that came up is taken down again.
        if (!communicationReference.isEmpty()) {
            log(QStringLiteral(".OnConnectResponse"),
                QStringLiteral("blnPrepareToRelease is true, adding CallDisconnect to queue"));
            queueCall("CallDisconnect");
        }
        return;
    }
    StartReading();
}

void ReadCyclePage::stopTimers() {
    timCyclic->stop();
}

void ReadCyclePage::pageButtonReaction() {
    acknowledgeButton();
    if (communicationReference.isEmpty()) {
        queueCall("CallConnect");
    } else {
        // An outstanding read's answer queues the disconnect. Without one (between two
        // reads, or after a read that ended the cycle) no answer is coming to do it.
        blnDisconnectRequested = true;
        if (sOnlineInvokeId.isEmpty()) {
            timCyclic->stop();
            log(QStringLiteral(".ctlButtons_PageButton"), QStringLiteral("Triggering CallDisconnect"));
            queueCall("CallDisconnect");
        }
    }
    showBusyMark();
}

void ReadCyclePage::disconnectRefused() {
    // Still online after Close or the user's disconnect was refused: reading goes on.
    if (!communicationReference.isEmpty() && !blnPrepareToRelease) {
        timCyclic->start();
    }
}

}  // namespace qt27
