#pragma once

#include <QByteArray>

#include "QT27Controls/communication/OnlinePage.h"

class QTimer;

namespace qt27 {

class ChannelObservation;

/// The read cycle of Observation and Simulation: while online the page reads the
/// module's channel values again and again, 500 ms after each handled answer.
///
/// timCyclic is off when the page is created; each tick switches it off and starts
/// one cycle (StartReading queues CallReadValues, or CallConnect when offline), and
/// only a handled read answer switches it on again, so reads never overlap. Close,
/// the release and the user's disconnect end the cycle: neither a later tick nor a
/// read queued before them sends another read beside their disconnect (a refused
/// Disconnect lets the cycle go on). CallReadValues sends nothing while a request is
/// outstanding. A read that brings no values leaves the channel values outdated.
///
/// The cycle is written once for both pages. Simulation replaces the invoke id of
/// its reads (readInvokeId: sReadInvokeId beside sOnlineInvokeId), the request and
/// its log lines (readRequest, logReadRequest), the answer dispatch
/// (handleTransactionResponse, which hands a read answer to handleReadAnswer), the
/// telegram (showValues) and the end of a cycle (continueReadCycle); it starts a
/// cycle without BeginOperation (SessionRules::beginsOperationPerCycle).
class ReadCyclePage : public OnlinePage {
    Q_OBJECT

public:
    /// Interval of timCyclic.
    static constexpr int kCycleIntervalMs = 500;

    /// @p variant is SessionVariant::Observation or SessionVariant::Simulation.
    ReadCyclePage(SessionVariant variant, Features features, QWidget* parent = nullptr);
    ~ReadCyclePage() override;

    /// Sends the read request of one cycle; the argument is ignored.
    Q_INVOKABLE void CallReadValues(const QVariant& vArguments);

    /// The tick of timCyclic.
    void timCyclic_Timer();

    /// timCyclic, for a frame or a test that watches the cycle.
    QTimer* cycleTimer() const { return timCyclic; }

protected:
    /// Starts one cycle: CallReadValues when online, CallConnect when offline.
    void StartReading();

    // Hooks of the read-cycle pages.

    /// The invoke id of the outstanding read: sOnlineInvokeId unless the page keeps
    /// one of its own.
    virtual QString& readInvokeId() { return sOnlineInvokeId; }
    /// The read request document for the current reference.
    virtual QString readRequest();
    /// Logs a read request that is about to be sent.
    virtual void logReadRequest(const QString& invokeId, const QString& request);
    /// Shows a telegram: HasConnection and SetCurrentValue on every channel control.
    virtual void showValues(const QByteArray& data);
    /// After an answer was handled: the next cycle, or the disconnect the user asked for.
    virtual void continueReadCycle();
    /// SetCurrentValue of channel control @p index.
    virtual void setChannelValue(int /*index*/, qint16 /*value*/, bool /*isInValid*/, bool /*isForced*/) {}

    /// The read answer, once it is known to be the page's own and its invoke id has
    /// been emptied: parse, show the values or report, then continueReadCycle.
    void handleReadAnswer(const QString& response);
    /// Decodes the value telegram into the channel controls.
    void ParseModuleValues(const QByteArray& data);
    /// Configures the channel controls at Init: IsInitializing False, Typ, the device
    /// resource manager, Range from the channel parameter bytes, IsInitializing False.
    void configureChannels(const QList<ChannelObservation*>& channels);
    /// Gives each channel control the tag of its channel.
    void showChannelTags(const QList<ChannelObservation*>& channels);

    void handleTransactionResponse(const QString& invokeID, const QString& response) override;
    /// A new connection starts the cycle afresh: a timer that ran on through an abort
    /// is switched off, so its tick cannot read beside the connect answer's first read.
    void connectionEstablished() override;
    void continueAfterConnectAnswer() override;
    void stopTimers() override;
    void pageButtonReaction() override;
    void disconnectRefused() override;

    /// The single-shot pause between two read cycles (kCycleIntervalMs).
    QTimer* timCyclic = nullptr;
};

}  // namespace qt27
