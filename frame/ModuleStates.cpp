#include "ModuleStates.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QXmlStreamReader>

#include "QT27Controls/communication/ValueTelegram.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace frame {

namespace {

// The first element of @p document below the root and its attribute @p name.
QString attributeOf(const QString& document, const QString& element, const QString& name) {
    QXmlStreamReader xml(document);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element) {
            return xml.attributes().value(name).toString();
        }
    }
    return QString();
}

}  // namespace

QString describeChannelFault(int code) {
    switch (code) {
        case 0:
            return QCoreApplication::translate("frame::ModuleStates", "invalid value");
        case 1:
            return QCoreApplication::translate("frame::ModuleStates", "short circuit");
        case 2:
            return QCoreApplication::translate("frame::ModuleStates", "open line");
        case 3:
            return QCoreApplication::translate("frame::ModuleStates", "overrange");
        case 4:
            return QCoreApplication::translate("frame::ModuleStates", "underrange");
        default:
            return QCoreApplication::translate("frame::ModuleStates", "channel error %1").arg(code);
    }
}

QString describeModuleState(const ModuleState& state) {
    return describeModuleStateParts(state).join(QStringLiteral(", "));
}

QString layOutModuleState(const QStringList& parts, const QFontMetrics& metrics, int width) {
    const QString line = parts.join(QStringLiteral(", "));
    if (metrics.horizontalAdvance(line) <= width) {
        return line;
    }
    // One part a line; a part wider than the column is broken between its words.
    QStringList lines;
    for (const QString& part : parts) {
        QString current;
        for (const QString& word : part.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << current;
                current = word;
            } else {
                current = longer;
            }
        }
        lines << current;
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList describeModuleStateParts(const ModuleState& state) {
    QStringList parts{state.online ? QCoreApplication::translate("frame::ModuleStates", "online")
                                   : QCoreApplication::translate("frame::ModuleStates", "offline")};
    if (state.moduleCode != 0) {
        parts << QCoreApplication::translate("frame::ModuleStates", "module fault %1").arg(state.moduleCode);
    }
    for (auto it = state.channelFaults.cbegin(); it != state.channelFaults.cend(); ++it) {
        parts << QCoreApplication::translate("frame::ModuleStates", "channel %1: %2")
                     .arg(it.key())
                     .arg(describeChannelFault(it.value()));
    }
    if (!state.forcedChannels.isEmpty()) {
        QStringList channels;
        for (int channel : state.forcedChannels) {
            channels << QString::number(channel);
        }
        parts << QCoreApplication::translate("frame::ModuleStates", "forced %1")
                     .arg(channels.join(QStringLiteral(", ")));
    }
    if (!state.lockedBy.isEmpty()) {
        parts << QCoreApplication::translate("frame::ModuleStates", "locked by %1").arg(state.lockedBy);
    }
    return parts;
}

ModuleStates::ModuleStates(host::Station& station, host::CommunicationService& service, QObject* parent)
    : QObject(parent), m_station(station), m_service(service) {
    m_notify.setSingleShot(true);
    m_notify.setInterval(0);
    connect(&m_notify, &QTimer::timeout, this, &ModuleStates::changed);
    connect(&service, &host::CommunicationService::requestReceived, this,
            [this](host::CommunicationService::RequestKind, const QString& invokeId,
                   const QString& document) { requestSeen(invokeId, document); });
    connect(&service, &host::CommunicationService::answerSent, this,
            [this](host::CommunicationService::RequestKind, const QString& invokeId,
                   const QString& response) { answerSeen(invokeId, response); });
}

ModuleState ModuleStates::state(int slot) const {
    ModuleState state;
    state.online = m_service.connectedSlots().contains(slot);
    state.moduleCode = m_moduleCodes.value(slot);
    state.channelFaults = m_invalid.value(slot);
    state.forcedChannels = m_forced.value(slot);
    // A diagnosis says why a channel is faulty, and names faults the values do not show.
    const QMap<int, int> diagnosis = m_diagnosis.value(slot);
    for (auto it = diagnosis.cbegin(); it != diagnosis.cend(); ++it) {
        state.channelFaults.insert(it.key(), it.value());
    }
    if (host::QT27Dtm* dtm = m_station.dtmForSlot(slot)) {
        const QString owner = dtm->baseDtm()->lockOwner();
        if (!owner.isEmpty() && owner != dtm->baseDtm()->userName()) {
            state.lockedBy = owner;
        }
    }
    return state;
}

void ModuleStates::requestSeen(const QString& invokeId, const QString& document) {
    const QString slot = attributeOf(document, QStringLiteral("ReadRequest"), QStringLiteral("slot"));
    // A refused read is never answered: what is no longer awaited is dropped.
    if (m_reads.size() > 64) {
        m_reads.removeIf([this](const auto& entry) { return !m_service.isAwaitingAnswer(entry.key()); });
    }
    if (!slot.isEmpty()) {
        m_reads.insert(
            invokeId,
            {slot.toInt(),
             attributeOf(document, QStringLiteral("ReadRequest"), QStringLiteral("index")).toInt()});
    }
    m_notify.start();  // connects and disconnects change what is online
}

void ModuleStates::answerSeen(const QString& invokeId, const QString& response) {
    m_notify.start();
    const auto read = m_reads.take(invokeId);
    if (read.first == 0) {
        return;
    }
    const QString errorCode =
        attributeOf(response, QStringLiteral("ReadResponse"), QStringLiteral("errorCode"));
    const QString hex =
        attributeOf(response, QStringLiteral("CommunicationData"), QStringLiteral("byteArray"));
    if (errorCode != QLatin1String("0") || hex.isEmpty()) {
        return;
    }
    const QByteArray telegram = QByteArray::fromHex(hex.toLatin1());
    if (read.second == host::ParameterManager::ValuesIndex) {
        valuesRead(read.first, telegram);
    } else if (read.second == host::ParameterManager::DiagnosisIndex) {
        diagnosisRead(read.first, telegram);
        emit diagnosisReceived(read.first, telegram);
    }
}

void ModuleStates::valuesRead(int slot, const QByteArray& telegram) {
    const auto readings = qt27::ParseModuleValues(telegram);
    QMap<int, int>& invalid = m_invalid[slot];
    invalid.clear();
    QList<int>& forced = m_forced[slot];
    forced.clear();
    for (int channel = 0; channel < qt27::kValueTelegramChannels; ++channel) {
        if (readings[channel].isForced) {
            forced.append(channel + 1);
        }
        if (readings[channel].isInValid) {
            invalid.insert(channel + 1, 0);
        } else {
            // A valid value: what an earlier diagnosis said of this channel is over.
            m_diagnosis[slot].remove(channel + 1);
        }
    }
}

void ModuleStates::diagnosisRead(int slot, const QByteArray& telegram) {
    m_moduleCodes.insert(slot, telegram.isEmpty() ? 0 : static_cast<quint8>(telegram.at(0)));
    QMap<int, int>& faults = m_diagnosis[slot];
    faults.clear();
    for (qsizetype index = 1; index < telegram.size(); ++index) {
        const auto entry = static_cast<quint8>(telegram.at(index));
        if ((entry & 0x0F) != 0) {
            faults.insert(entry >> 4, entry & 0x0F);
        }
    }
}

}  // namespace frame
