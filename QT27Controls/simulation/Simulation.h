#pragma once

#include <QByteArray>
#include <QList>
#include <array>

#include "QT27Controls/communication/ReadCyclePage.h"

namespace qt27 {

class ChannelSimulation;

/// The Simulation page: forces the values of the module's four channels. It reads
/// the module's output values cyclically like every read-cycle page and runs the
/// forcing protocol on top:
/// - while at least one channel is forced, every change of a force value or a
///   force-invalid switch is written at once (writeForceValues, the 17-byte force
///   telegram); at most one write is outstanding, and the changes made meanwhile go
///   out together in one follow-up write with the values current when it is sent;
/// - a GlobalForcingEnable request goes out when forcing starts and then every 40 s
///   (timEnableForce) while a channel is forced; the module ends forcing by itself
///   when the enable is not repeated (60 s in the simulated station);
/// - the last deactivation sends one write with the cleared mask and stops the timer.
/// Reads, enables and writes each have their own invoke id, so one of each kind can be
/// outstanding at a time.
///
/// Deliberate choices, each made so that what the screen shows is what the module
/// does and forcing ends when the user ends it:
/// - the count of forced channels is always the number of set bits of
///   byForceActiveMask, so a channel switched on twice (after a reconnect) or off
///   twice cannot leave the page forcing with no channel shown forced, or the reverse;
/// - an abort empties the forcing invoke ids (and the read id) with the reference: the
///   answers of the lost connection never come, and stale ids would silently stop
///   every later enable and write on the next connection;
/// - a disconnect answer counts only when it answers the page's own Disconnect (as on
///   the other pages): a late answer to an earlier one would leave the connection the
///   page holds open with nobody to close it, and forcing would stop unseen; the
///   answer that counts empties the read id too, so the next connection can read;
/// - at most one read is outstanding: a write answer that starts a read while one is
///   outstanding leaves it to that read's answer to go on with the cycle;
/// - when the connection returns, the stored mask is sent again (enable and write) and
///   the forced channels' switches, which the lost connection unchecked without an
///   event, are checked again without an event;
/// - a write that was due while offline or was under way when the connection broke
///   (the last deactivation, say) is sent when the connection returns, so the module
///   does not stay forced by a mask the user has cleared;
/// - a write answer is read: one that is unreadable or carries an error (a timeout,
///   a write error) is reported and counts as not written, like a refused write;
/// - a refused write is tried again with the next enable tick, also after the last
///   deactivation (the timer then runs on until that write has gone out), so a
///   module is not left with values or a mask the user has changed;
/// - a new connection ends a pause of the read cycle, as the button's caption 7012
///   (set by the connect answer) says;
/// - a refused Disconnect after Close leaves the page online and usable: the read
///   cycle goes on and, while a channel is forced, so does the forcing enable;
/// - the enable timer does not start during Close or the release, and no enable
///   request goes out while no channel is forced;
/// - the editors of a locked page stay locked when the connection returns (see
///   ChannelSimulation);
/// - the audit trail hears of forcing per channel as the module sees it: on when the
///   page forces it online (again after a reconnect, with the value then), off when
///   the user ends it or the connection ends (lost, disconnected, page closed; the
///   module then ends it by its watchdog), a changed value of a forced channel too.
class Simulation : public ReadCyclePage {
    Q_OBJECT

public:
    /// Interval of timEnableForce.
    static constexpr int kEnableForceIntervalMs = 40000;
    /// Force values held by the telegram (four channels used, four always 0).
    static constexpr int kForceValueCount = 8;

    /// Creates the page with its four force-value editors, numbered 1 to 4; Init connects.
    explicit Simulation(QWidget* parent = nullptr);
    ~Simulation() override;

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

    /// The force output telegram: byte 0 the mask, then for each of the eight values
    /// its 16-bit word high byte first, bit 15 set when its bit in @p invalidMask is.
    static QByteArray ForceTelegram(quint8 activeMask, const std::array<qint16, kForceValueCount>& values,
                                    quint8 invalidMask);

    /// The tick of timEnableForce: the GlobalForcingEnable request (and a write that
    /// is owed).
    void timEnableForce_Timer();

    /// The editor with control-array index @p index (0 to 3).
    ChannelSimulation* channelSimulation(int index) const { return ctlChannelSimulation.value(index); }
    /// timEnableForce, which renews the forcing enable every kEnableForceIntervalMs.
    QTimer* enableForceTimer() const { return timEnableForce; }

    // The forcing state, for the host and for tests.
    /// The invoke id of the outstanding output-values read; empty when none is.
    QString readInvokeIdOutstanding() const { return sReadInvokeId; }
    /// The invoke id of the outstanding forcing enable; empty when none is.
    QString enableForceInvokeId() const { return sEnableForceInvokeId; }
    /// The invoke id of the outstanding force write; empty when none is.
    QString forceUpdateInvokeId() const { return sForceUpdateInvokeId; }
    /// True when a change came while a force write was outstanding: one more write
    /// follows its answer.
    bool isForceUpdatePending() const { return blnForceUpdatePending; }
    /// True while the user paused the read cycle with the page button.
    bool isReadingPaused() const { return blnReadingPaused; }
    /// The number of forced channels (set bits of the mask).
    int forcedChannelCount() const { return nForcedChannels; }
    /// Bit i set: channel i + 1 is forced.
    quint8 forceActiveMask() const { return byForceActiveMask; }
    /// Bit i set: channel i + 1 is forced as invalid.
    quint8 forceInvalidMask() const { return byForceInvalidMask; }
    /// The raw force value of channel @p index (0 to 3).
    qint16 forceValue(int index) const { return aForceValues.at(static_cast<size_t>(index)); }

protected:
    void configureChildControls() override;
    void readAllValues() override;
    int helpContextId() const override { return 21600; }
    void setEditorsLocked(bool locked) override;
    void setChannelConnection(int index, bool connected) override;
    void setChannelValue(int index, qint16 value, bool isInValid, bool isForced) override;
    void setChannelValueOutdated(int index) override;
    int channelCount() const override { return static_cast<int>(ctlChannelSimulation.size()); }

    // The read cycle with this page's reads.
    QString& readInvokeId() override { return sReadInvokeId; }
    QString readRequest() override;
    void logReadRequest(const QString& invokeId, const QString& request) override;
    void showValues(const QByteArray& data) override;
    void continueReadCycle() override;
    void handleTransactionResponse(const QString& invokeID, const QString& response) override;

    // The session.
    void connectionEstablished() override;
    void connectRequestRefused() override;
    void disconnectCompleted() override;
    void connectionAborted() override;
    void disconnectRefused() override;
    bool hasOutstandingRequest() const override;
    void stopTimers() override;
    void pageButtonReaction() override;

private:
    // Events of the editors.
    void ctlChannelSimulation_ForceValueChanged(int index, qint16 forceValue);
    void ctlChannelSimulation_ForceActivatedChanged(int index, bool forcingActivated);
    void ctlChannelSimulation_ForceInvalidChanged(int index, bool invalid);

    /// Sends the force telegram, or notes that another write is due.
    void writeForceValues();
    /// Decodes the output-values telegram into the editors.
    void ParseModuleOutputValues(const QByteArray& data);
    /// Enable request, write, and the enable timer on: forcing starts or resumes.
    void startForcing();
    void setMaskBit(quint8& mask, int index, bool set);
    /// A write did not go out or failed: the next enable tick sends it.
    void oweWrite();
    /// Tells the audit trail that forcing of the channels in @p mask ended (@p how:
    /// "user", "pageClosed", "disconnected", "connectionLost"), or, with an empty
    /// @p how, that the forced channels not yet reported are forced (online only).
    void reportForcing(quint8 mask, const QString& how);

    QList<ChannelSimulation*> ctlChannelSimulation;
    QTimer* timEnableForce = nullptr;

    QString sReadInvokeId;
    QString sEnableForceInvokeId;
    QString sForceUpdateInvokeId;
    QString sEnableForceRequest;
    bool blnForceUpdatePending = false;
    bool blnReadingPaused = false;
    quint8 nForcedChannels = 0;
    quint8 byForceActiveMask = 0;
    quint8 byForceInvalidMask = 0;
    std::array<qint16, kForceValueCount> aForceValues{};
    /// A write was due while offline or was refused; it goes out when the connection
    /// returns or with the next enable tick.
    bool m_writeOwed = false;
    /// The channels whose forcing the audit trail was told of and not yet of its end.
    quint8 m_reportedForced = 0;
};

}  // namespace qt27
