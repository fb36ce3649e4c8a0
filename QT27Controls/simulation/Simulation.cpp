#include "Simulation.h"

#include <QTime>
#include <QTimer>
#include <bitset>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/common/NumberFunctions.h"
#include "QT27Controls/framework/AuditTrail.h"
#include "QT27Controls/framework/ParameterManager.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/simulation/ChannelSimulation.h"
#include "rmox/Communication/ResponseReader.h"
#include "rmox/Error.h"

namespace qt27 {

namespace {

constexpr int kChannelCount = 4;
// Captions of the page button: the cycle reads (7012) or is paused (7011).
constexpr int kTextReading = 7012;
constexpr int kTextPaused = 7011;
// Design positions, in twips.
constexpr int kChannelLeft = 480;
constexpr int kChannelTop = 600;
constexpr int kChannelWidth = 8400;
constexpr int kChannelHeight = 2250;
constexpr int kChannelGap = 60;
constexpr int kPageWidth = 9360;
constexpr int kButtonBarHeight = 600;
constexpr int kPageHeight = kChannelTop + kChannelCount * (kChannelHeight + kChannelGap) + kButtonBarHeight;

constexpr quint16 kInvalidBit = 0x8000;

QList<ChannelObservation*> asDisplays(const QList<ChannelSimulation*>& editors) {
    return {editors.begin(), editors.end()};
}

}  // namespace

Simulation::Simulation(QWidget* parent)
    : ReadCyclePage(SessionVariant::Simulation, ButtonBar | SlotHeader | DataSetLockEvents, parent) {
    for (int index = 0; index < kChannelCount; ++index) {
        auto* channel = new ChannelSimulation(this);
        channel->setObjectName(QStringLiteral("ctlChannelSimulation"));
        channel->setProperty("index", index);
        channel->setGeometry(twipsRect(kChannelLeft, kChannelTop + index * (kChannelHeight + kChannelGap),
                                       kChannelWidth, kChannelHeight));
        channel->setChannelNumber(static_cast<qint16>(index + 1));
        connect(channel, &ChannelSimulation::ForceValueChanged, this,
                [this, index](qint16 value) { ctlChannelSimulation_ForceValueChanged(index, value); });
        connect(channel, &ChannelSimulation::ForceActivatedChanged, this, [this, index](bool activated) {
            ctlChannelSimulation_ForceActivatedChanged(index, activated);
        });
        connect(channel, &ChannelSimulation::ForceInvalidChanged, this,
                [this, index](bool invalid) { ctlChannelSimulation_ForceInvalidChanged(index, invalid); });
        ctlChannelSimulation.append(channel);
    }
    timEnableForce = new QTimer(this);
    timEnableForce->setObjectName(QStringLiteral("timEnableForce"));
    timEnableForce->setInterval(kEnableForceIntervalMs);
    connect(timEnableForce, &QTimer::timeout, this, &Simulation::timEnableForce_Timer);
    resize(sizeHint());
}

Simulation::~Simulation() = default;

QSize Simulation::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

void Simulation::configureChildControls() {
    configureChannels(asDisplays(ctlChannelSimulation));
}

void Simulation::readAllValues() {
    ReadCyclePage::readAllValues();
    showChannelTags(asDisplays(ctlChannelSimulation));
}

void Simulation::setEditorsLocked(bool locked) {
    locked ? acknowledgeButton() : refreshButtons();
    for (ChannelSimulation* editor : ctlChannelSimulation) {
        editor->setLocked(locked);
    }
}

void Simulation::setChannelConnection(int index, bool connected) {
    if (ChannelSimulation* editor = ctlChannelSimulation.value(index)) {
        editor->setHasConnection(connected);
    }
}

void Simulation::setChannelValue(int index, qint16 value, bool isInValid, bool isForced) {
    if (ChannelSimulation* editor = ctlChannelSimulation.value(index)) {
        editor->SetCurrentValue(value, isInValid, isForced);
    }
}

void Simulation::setChannelValueOutdated(int index) {
    if (ChannelSimulation* editor = ctlChannelSimulation.value(index)) {
        editor->MarkValueOutdated();
    }
}

// ---------------------------------------------------------------------------------
// Events of the editors

void Simulation::setMaskBit(quint8& mask, int index, bool set) {
    const auto bit = static_cast<quint8>(1u << index);
    mask = set ? static_cast<quint8>(mask | bit) : static_cast<quint8>(mask & ~bit);
}

void Simulation::ctlChannelSimulation_ForceValueChanged(int index, qint16 forceValue) {
    aForceValues.at(static_cast<size_t>(index)) = forceValue;
    if ((m_reportedForced & (1u << index)) != 0 && (byForceInvalidMask & (1u << index)) == 0) {
        IgnoreErrors([&] {
            reportChange(baseDtm(), AuditCode::ForcingValue, {ctlChannelSimulation[index]->ForceValueText()},
                         index + 1);
        });
    }
    if (nForcedChannels > 0) {
        writeForceValues();
    }
}

void Simulation::ctlChannelSimulation_ForceInvalidChanged(int index, bool invalid) {
    setMaskBit(byForceInvalidMask, index, invalid);
    if ((m_reportedForced & (1u << index)) != 0) {
        IgnoreErrors([&] {
            reportChange(baseDtm(), AuditCode::ForcingValue,
                         {invalid ? QStringLiteral("invalid") : ctlChannelSimulation[index]->ForceValueText()},
                         index + 1);
        });
    }
    if (nForcedChannels > 0) {
        writeForceValues();
    }
}

void Simulation::ctlChannelSimulation_ForceActivatedChanged(int index, bool forcingActivated) {
    const quint8 before = nForcedChannels;
    setMaskBit(byForceActiveMask, index, forcingActivated);
    nForcedChannels = static_cast<quint8>(std::bitset<8>(byForceActiveMask).count());
    if (forcingActivated) {
        reportForcing(byForceActiveMask, QString());
    } else {
        reportForcing(static_cast<quint8>(1u << index), QStringLiteral("user"));
    }
    if (nForcedChannels > 0) {
        startForcing();
    } else {
        if (before > 0) {
            // This write carries the cleared mask and ends forcing on the module.
            writeForceValues();
        }
        if (!m_writeOwed) {
            timEnableForce->stop();
        }
    }
}

void Simulation::reportForcing(quint8 mask, const QString& how) {
    for (int index = 0; index < ctlChannelSimulation.size(); ++index) {
        const auto bit = static_cast<quint8>(1u << index);
        if ((mask & bit) == 0) {
            continue;
        }
        const bool reported = (m_reportedForced & bit) != 0;
        if (how.isEmpty() && !reported && !communicationReference.isEmpty()) {
            const QString value = (byForceInvalidMask & bit) != 0 ? QStringLiteral("invalid")
                                                                   : ctlChannelSimulation[index]->ForceValueText();
            IgnoreErrors([&] { reportChange(baseDtm(), AuditCode::ForcingOn, {value}, index + 1); });
            m_reportedForced |= bit;
        } else if (!how.isEmpty() && reported) {
            IgnoreErrors([&] { reportChange(baseDtm(), AuditCode::ForcingOff, {how}, index + 1); });
            m_reportedForced &= static_cast<quint8>(~bit);
        }
    }
}

void Simulation::startForcing() {
    m_writeOwed = false;  // the write below carries whatever was owed
    timEnableForce_Timer();
    writeForceValues();
    if (!blnClosing && !blnPrepareToRelease) {
        timEnableForce->start();
    }
}

// ---------------------------------------------------------------------------------
// The forcing requests

void Simulation::timEnableForce_Timer() {
    if (communicationReference.isEmpty()) {
        return;
    }
    const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    log(QStringLiteral(".timEnableForce_Timer"), now);
    if (!sEnableForceInvokeId.isEmpty()) {
        log(QStringLiteral(".timEnableForce_Timer"), now);
    } else if (!sEnableForceRequest.isEmpty() && nForcedChannels > 0) {
        sEnableForceInvokeId = newInvokeId();
        if (transactionRequest(sEnableForceInvokeId, sEnableForceRequest)) {
            log(QStringLiteral(".EnableForceTimer"), QStringLiteral("Command successful"));
        } else {
            sEnableForceInvokeId.clear();
            ReportError(rmox::Error::InvalidArgument, QStringLiteral("Transaction failed"),
                        QStringLiteral("GlobalForcingEnable"));
        }
    }
    if (m_writeOwed && sForceUpdateInvokeId.isEmpty()) {
        // A refused write is tried again with the enable.
        writeForceValues();
    }
    if (nForcedChannels == 0 && !m_writeOwed) {
        timEnableForce->stop();
    }
}

QByteArray Simulation::ForceTelegram(quint8 activeMask, const std::array<qint16, kForceValueCount>& values,
                                     quint8 invalidMask) {
    QByteArray telegram(1 + 2 * kForceValueCount, '\0');
    telegram[0] = static_cast<char>(activeMask);
    for (int index = 0; index < kForceValueCount; ++index) {
        IgnoreErrors([&] {
            auto word = static_cast<quint16>(values.at(static_cast<size_t>(index)));
            if ((invalidMask & (1u << index)) != 0) {
                word |= kInvalidBit;
            }
            IntegerToBytes(static_cast<qint16>(word), telegram, static_cast<qint16>(2 * index + 1), true);
        });
    }
    return telegram;
}

void Simulation::writeForceValues() {
    if (communicationReference.isEmpty()) {
        m_writeOwed = true;
        return;
    }
    if (!sForceUpdateInvokeId.isEmpty()) {
        blnForceUpdatePending = true;
        log(QStringLiteral(".writeForceValues"), QStringLiteral("Busy with update"));
        return;
    }
    sForceUpdateInvokeId = newInvokeId();
    blnForceUpdatePending = false;
    m_writeOwed = false;
    const QByteArray telegram = ForceTelegram(byForceActiveMask, aForceValues, byForceInvalidMask);
    QString request;
    step([&] { request = requestBuilder()->OutputValuesWriteRequest(communicationReference, telegram); });
    log(QStringLiteral(".writeForceOutputValues"),
        QStringLiteral("sForceUpdateInvokeId = ") + sForceUpdateInvokeId + QStringLiteral("\r\n") + request);
    if (transactionRequest(sForceUpdateInvokeId, request)) {
        log(QStringLiteral(".writeForceValues"), QStringLiteral("Command successful"));
        if (nForcedChannels == 0) {
            timEnableForce->stop();  // nothing owed, nothing to enable
        }
    } else {
        sForceUpdateInvokeId.clear();
        oweWrite();
        ReportError(rmox::Error::InvalidArgument, QStringLiteral("Transaction failed"),
                    QStringLiteral("writeForceValues"));
    }
}

void Simulation::oweWrite() {
    m_writeOwed = true;
    // The enable tick sends it, also when nothing is forced any more.
    if (!timEnableForce->isActive() && !blnClosing && !blnPrepareToRelease) {
        timEnableForce->start();
    }
}

// ---------------------------------------------------------------------------------
// Reading

QString Simulation::readRequest() {
    return requestBuilder()->OutputValuesReadRequest(communicationReference);
}

void Simulation::logReadRequest(const QString& invokeId, const QString& request) {
    log(QStringLiteral(".CallReadValues"), paddedLabel(QStringLiteral("sReadInvokeId"), 33) + invokeId);
    log(QStringLiteral(".CallReadValues"), paddedLabel(QStringLiteral("sReadRequest"), 33) + request);
}

void Simulation::handleTransactionResponse(const QString& invokeID, const QString& response) {
    const QString tag = QStringLiteral(".OnTransactionResponse");
    log(tag, paddedLabel(QStringLiteral("invokeId"), 27) + invokeID);
    log(tag, paddedLabel(QStringLiteral("sOnlineInvokeId"), 27) + sOnlineInvokeId);
    log(tag, paddedLabel(QStringLiteral("sEnableForceInvokeId"), 27) + sEnableForceInvokeId);
    log(tag, paddedLabel(QStringLiteral("sForceUpdateInvokeId"), 27) + sForceUpdateInvokeId);
    // An empty id answers nothing: it would match a request that is not outstanding.
    if (invokeID.isEmpty()) {
        return;
    }
    if (invokeID == sReadInvokeId) {
        sReadInvokeId.clear();
        log(tag, QStringLiteral("It was a response to a read request:") + response);
        handleReadAnswer(response);
    } else if (invokeID == sEnableForceInvokeId) {
        sEnableForceInvokeId.clear();
        log(tag, QStringLiteral("Response to GlobalForcingEnable"));
    } else if (invokeID == sForceUpdateInvokeId) {
        sForceUpdateInvokeId.clear();
        log(tag, QStringLiteral("Response to writing force values"));
        rmox::ResponseReader reader;
        if (!parseResponse(reader, response) || reader.HasErrorPart()) {
            // Not written (the module did not answer in time, or refused): the values or
            // the cleared mask go out again with the next enable tick.
            oweWrite();
            ReportError(0, reader.ErrorText(), QStringLiteral("writeForceValues"));
        }
        if (blnForceUpdatePending) {
            log(tag, QStringLiteral("Trigger another update of force values"));
            writeForceValues();
        } else {
            // Shows the written values soon, also while reading is paused.
            timCyclic_Timer();
        }
    }
}

void Simulation::showValues(const QByteArray& data) {
    ParseModuleOutputValues(data);
}

void Simulation::ParseModuleOutputValues(const QByteArray& data) {
    int index = 0;
    try {
        for (; index < ctlChannelSimulation.size(); ++index) {
            ChannelSimulation* editor = ctlChannelSimulation[index];
            editor->setHasConnection(true);
            qint16 word = 0;
            BytesToInteger(data, word, static_cast<quint8>(2 * index), true);
            const auto bits = static_cast<quint16>(word);
            editor->SetCurrentValue(static_cast<qint16>(bits & 0x7FFF), (bits & kInvalidBit) != 0, false);
        }
    } catch (const rmox::Error& error) {
        log(QStringLiteral(".ParseModuleOutputValues"), QStringLiteral("ERROR: ") + error.description() +
                                                            QStringLiteral(", iLoop = ") +
                                                            QString::number(index));
    }
}

void Simulation::continueReadCycle() {
    if (!communicationReference.isEmpty() && !blnReadingPaused) {
        timCyclic->start();
    }
}

// ---------------------------------------------------------------------------------
// The session

void Simulation::connectionEstablished() {
    ReadCyclePage::connectionEstablished();
    blnReadingPaused = false;
    step([&] { sEnableForceRequest = requestBuilder()->ForcingEnableRequest(communicationReference); });
    if (nForcedChannels > 0) {
        // The lost connection unchecked the switches without telling the page.
        for (int index = 0; index < ctlChannelSimulation.size(); ++index) {
            ctlChannelSimulation[index]->ShowForcingActivated((byForceActiveMask & (1u << index)) != 0);
        }
        reportForcing(byForceActiveMask, QString());
        startForcing();
    } else if (m_writeOwed) {
        writeForceValues();
    }
}

void Simulation::connectRequestRefused() {
    sEnableForceRequest.clear();
}

void Simulation::disconnectCompleted() {
    reportForcing(m_reportedForced, blnClosing || blnPrepareToRelease ? QStringLiteral("pageClosed")
                                                                       : QStringLiteral("disconnected"));
    blnReadingPaused = false;
    sEnableForceInvokeId.clear();
    sForceUpdateInvokeId.clear();
    sReadInvokeId.clear();
    sEnableForceRequest.clear();
}

void Simulation::connectionAborted() {
    reportForcing(m_reportedForced, QStringLiteral("connectionLost"));
    // A write that was under way may not have reached the module.
    m_writeOwed = m_writeOwed || !sForceUpdateInvokeId.isEmpty() || blnForceUpdatePending;
    sEnableForceInvokeId.clear();
    sForceUpdateInvokeId.clear();
    sReadInvokeId.clear();
    sEnableForceRequest.clear();
}

void Simulation::disconnectRefused() {
    ReadCyclePage::disconnectRefused();
    if (nForcedChannels > 0 && !blnPrepareToRelease) {
        // Close stopped the enable timer; without an enable now forcing could lapse.
        timEnableForce_Timer();
        timEnableForce->start();
    }
}

bool Simulation::hasOutstandingRequest() const {
    return !sOnlineInvokeId.isEmpty() || !sReadInvokeId.isEmpty() || !sEnableForceInvokeId.isEmpty() ||
           !sForceUpdateInvokeId.isEmpty();
}

void Simulation::stopTimers() {
    ReadCyclePage::stopTimers();
    timEnableForce->stop();
}

void Simulation::pageButtonReaction() {
    if (communicationReference.isEmpty()) {
        queueCall("CallConnect");
    } else if (blnReadingPaused) {
        blnReadingPaused = false;
        setPageButtonCaption(kTextReading);
        timCyclic_Timer();
    } else {
        timCyclic->stop();
        blnReadingPaused = true;
        setPageButtonCaption(kTextPaused);
    }
    showBusyMark();
}

}  // namespace qt27
