#include "SimulatedStation.h"

#include <QCoreApplication>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <exception>

#include "rmox/Error.h"

namespace host {

namespace {

constexpr quint16 InvalidBit = 0x8000;
constexpr quint16 ValueBits = 0x7FFF;
constexpr int ForceTelegramSize = 17;

// Bits of the channel parameter byte.
constexpr quint8 OpenLineDetectionOff = 0x40;
constexpr quint8 ShortDetectionOff = 0x80;
int rangeIndexOf(quint8 parameter) {
    return (parameter >> 2) & 3;
}
int failsafeOf(quint8 parameter) {
    return (parameter >> 4) & 3;
}
bool hasLiveZero(int rangeIndex) {
    return rangeIndex == 1 || rangeIndex == 3;
}

// Start and end of each range in raw units (mV or uA), by range index.
constexpr int Limits37[4][2] = {{0, 10000}, {2000, 10000}, {0, 20000}, {4000, 20000}};
constexpr int Limits54[4][2] = {{0, 10000}, {2000, 10000}, {0, 5000}, {1000, 5000}};

void appendWord(QByteArray& bytes, quint16 word) {
    bytes.append(static_cast<char>(word >> 8));
    bytes.append(static_cast<char>(word & 0xFF));
}

// An ASCII field of @p width bytes: longer texts are cut, shorter ones padded with
// blanks, characters outside ASCII become '?'.
QByteArray asciiField(const QString& text, int width) {
    QByteArray field(width, ' ');
    for (int i = 0; i < width && i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        field[i] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return field;
}

SimulatedStation::Reply failure(const QString& code, const QString& text) {
    return {QByteArray(), code, text};
}

}  // namespace

SimulatedStation::SimulatedStation(int busAddress, QObject* parent)
    : QObject(parent), m_busAddress(busAddress) {
    m_realClock.start();
}

void SimulatedStation::setBusAddress(int busAddress) {
    m_busAddress = busAddress;
}

void SimulatedStation::setAnswering(bool answering) {
    m_answering = answering;
}

void SimulatedStation::addModule(int slot, int typeCode) {
    if (slot < 1 || slot > 255) {
        throw rmox::Error(
            rmox::Error::SubscriptOutOfRange,
            QCoreApplication::translate("host::SimulatedStation",
                                        "Slot %1 cannot hold a module; modules sit in slots 1 to 255")
                .arg(slot));
    }
    if (typeCode != 37 && typeCode != 54) {
        throw rmox::Error(
            rmox::Error::InvalidProcedureCall,
            QCoreApplication::translate("host::SimulatedStation", "A QT27 has the type code 37 or 54, not %1")
                .arg(typeCode));
    }
    Module m;
    m.typeCode = typeCode;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        // Reproducible noise per slot and channel.
        m.noise[static_cast<size_t>(channel)].seed(static_cast<quint32>(slot * ChannelCount + channel + 1));
    }
    m_modules[slot] = m;
}

void SimulatedStation::removeModule(int slot) {
    if (m_modules.erase(slot) == 0) {
        throw rmox::Error(
            rmox::Error::SubscriptOutOfRange,
            QCoreApplication::translate("host::SimulatedStation", "Slot %1 holds no module").arg(slot));
    }
}

bool SimulatedStation::hasModule(int slot) const {
    return m_modules.count(slot) != 0;
}

QList<int> SimulatedStation::moduleSlots() const {
    QList<int> result;
    for (const auto& entry : m_modules) {
        result.append(entry.first);
    }
    return result;
}

int SimulatedStation::moduleTypeCode(int slot) const {
    return module(slot).typeCode;
}

SimulatedStation::Module& SimulatedStation::module(int slot) {
    const auto found = m_modules.find(slot);
    if (found == m_modules.end()) {
        throw rmox::Error(
            rmox::Error::SubscriptOutOfRange,
            QCoreApplication::translate("host::SimulatedStation", "Slot %1 holds no module").arg(slot));
    }
    return found->second;
}

const SimulatedStation::Module& SimulatedStation::module(int slot) const {
    return const_cast<SimulatedStation*>(this)->module(slot);
}

void SimulatedStation::checkChannel(int channel) {
    if (channel < 0 || channel >= ChannelCount) {
        throw rmox::Error(
            rmox::Error::SubscriptOutOfRange,
            QCoreApplication::translate("host::SimulatedStation", "Channel index %1 is outside 0 to %2")
                .arg(channel)
                .arg(ChannelCount - 1));
    }
}

// ---- parameters

void SimulatedStation::setParameterProvider(ParameterProvider provider) {
    m_parameterProvider = std::move(provider);
}

void SimulatedStation::setParameters(int slot, const QByteArray& parameters) {
    Module& m = module(slot);
    for (int channel = 0; channel < ChannelCount; ++channel) {
        m.parameters[channel] = channel < parameters.size() ? parameters.at(channel) : '\0';
    }
}

quint8 SimulatedStation::parameterByte(int slot, int channel) const {
    checkChannel(channel);
    const Module& m = module(slot);
    if (m_parameterProvider) {
        const QByteArray provided = m_parameterProvider(slot);
        if (channel < provided.size()) {
            return static_cast<quint8>(provided.at(channel));
        }
    }
    return static_cast<quint8>(m.parameters.at(channel));
}

std::pair<int, int> SimulatedStation::rangeLimits(int slot, int channel) const {
    const int range = rangeIndexOf(parameterByte(slot, channel));
    const auto& limits = module(slot).typeCode == 54 ? Limits54 : Limits37;
    return {limits[range][0], limits[range][1]};
}

// ---- inputs

void SimulatedStation::setChannelSignal(int slot, int channel, const ChannelSignal& signal) {
    checkChannel(channel);
    module(slot).signal[static_cast<size_t>(channel)] = signal;
}

ChannelSignal SimulatedStation::channelSignal(int slot, int channel) const {
    checkChannel(channel);
    return module(slot).signal[static_cast<size_t>(channel)];
}

void SimulatedStation::setInputError(int slot, int channel, double percent) {
    checkChannel(channel);
    module(slot).inputError[static_cast<size_t>(channel)] = percent;
}

double SimulatedStation::inputError(int slot, int channel) const {
    checkChannel(channel);
    return module(slot).inputError[static_cast<size_t>(channel)];
}

void SimulatedStation::setOpenLine(int slot, int channel, bool fault) {
    checkChannel(channel);
    module(slot).openLine[static_cast<size_t>(channel)] = fault;
}

bool SimulatedStation::hasOpenLine(int slot, int channel) const {
    checkChannel(channel);
    return module(slot).openLine[static_cast<size_t>(channel)];
}

void SimulatedStation::setShortCircuit(int slot, int channel, bool fault) {
    checkChannel(channel);
    module(slot).shortCircuit[static_cast<size_t>(channel)] = fault;
}

bool SimulatedStation::hasShortCircuit(int slot, int channel) const {
    checkChannel(channel);
    return module(slot).shortCircuit[static_cast<size_t>(channel)];
}

void SimulatedStation::setModuleDiagnosisCode(int slot, quint8 code) {
    module(slot).moduleDiagnosis = code;
}

quint8 SimulatedStation::moduleDiagnosisCode(int slot) const {
    return module(slot).moduleDiagnosis;
}

void SimulatedStation::setDiagnosisOverride(int slot, const std::optional<QByteArray>& telegram) {
    module(slot).diagnosisOverride = telegram;
}

std::optional<QByteArray> SimulatedStation::diagnosisOverride(int slot) const {
    return module(slot).diagnosisOverride;
}

double SimulatedStation::signalPercent(Module& m, int channel) const {
    const ChannelSignal& signal = m.signal[static_cast<size_t>(channel)];
    const qint64 period = std::max<qint64>(1, signal.periodMs);
    qint64 inPeriod = now() % period;
    if (inPeriod < 0) {
        inPeriod += period;
    }
    const double phase = static_cast<double>(inPeriod) / static_cast<double>(period);
    double swing = 0.0;
    switch (signal.shape) {
        case SignalShape::Constant:
            break;
        case SignalShape::Ramp:
            swing = 2.0 * phase - 1.0;
            break;
        case SignalShape::Sine:
            swing = std::sin(2.0 * M_PI * phase);
            break;
        case SignalShape::Noise:
            swing = m.noise[static_cast<size_t>(channel)].bounded(2.0) - 1.0;
            break;
    }
    return signal.offsetPercent + signal.amplitudePercent * swing;
}

SimulatedStation::Measurement SimulatedStation::measure(int slot, int channel) {
    Module& m = module(slot);
    const auto index = static_cast<size_t>(channel);
    const quint8 parameter = parameterByte(slot, channel);
    const auto [start, end] = rangeLimits(slot, channel);

    Measurement result;
    result.shortDetected = m.shortCircuit[index] && (parameter & ShortDetectionOff) == 0;
    result.openDetected = m.openLine[index] && (parameter & OpenLineDetectionOff) == 0;
    if (result.invalid()) {
        switch (failsafeOf(parameter)) {
            case 0:
                result.raw = static_cast<quint16>(start);
                break;
            case 1:
                result.raw = static_cast<quint16>(end);
                break;
            default:
                result.raw = m.lastValid[index].value_or(static_cast<quint16>(start));
                break;
        }
        return result;
    }
    if (m.openLine[index] || m.shortCircuit[index]) {
        result.raw = 0;  // the module does not notice; the input sees no signal
    } else {
        const double percent = signalPercent(m, channel) + m.inputError[index];
        const double raw = start + percent / 100.0 * (end - start);
        result.raw = static_cast<quint16>(std::clamp(std::lround(raw), 0L, static_cast<long>(ValueBits)));
    }
    m.lastValid[index] = result.raw;
    return result;
}

// ---- clock

qint64 SimulatedStation::now() const {
    return m_manualTime ? *m_manualTime : m_realClock.elapsed();
}

void SimulatedStation::setTime(qint64 msecs) {
    m_manualTime = msecs;
}

void SimulatedStation::advanceTime(qint64 msecs) {
    m_manualTime = now() + msecs;
}

void SimulatedStation::useRealTime() {
    m_manualTime.reset();
}

// ---- forcing

void SimulatedStation::expireForcing(int slot) {
    Module& m = module(slot);
    if (m.enabledAt && now() - *m.enabledAt > ForcingWatchdogMs) {
        m.enabledAt.reset();
        m.forceMask = 0;
        emit forcingChanged(slot);
    }
}

bool SimulatedStation::isForcingEnabled(int slot) {
    expireForcing(slot);
    return module(slot).enabledAt.has_value();
}

quint8 SimulatedStation::forcedMask(int slot) {
    if (!isForcingEnabled(slot)) {
        return 0;
    }
    return module(slot).forceMask & ((1u << ChannelCount) - 1);
}

quint16 SimulatedStation::statusWord(int slot, int channel) {
    checkChannel(channel);
    if ((forcedMask(slot) & (1u << channel)) != 0) {
        return module(slot).forceWords[static_cast<size_t>(channel)];
    }
    const Measurement measurement = measure(slot, channel);
    return static_cast<quint16>(measurement.raw | (measurement.invalid() ? InvalidBit : 0));
}

// ---- diagnosis and production data

QByteArray SimulatedStation::diagnosisTelegram(int slot) {
    if (const std::optional<QByteArray>& raw = module(slot).diagnosisOverride) {
        return *raw;
    }
    QByteArray telegram(1, static_cast<char>(module(slot).moduleDiagnosis));
    for (int channel = 0; channel < ChannelCount; ++channel) {
        const auto entry = [&telegram, channel](quint8 code) {
            telegram.append(static_cast<char>(((channel + 1) << 4) | code));
        };
        const Measurement measurement = measure(slot, channel);
        if (measurement.shortDetected) {
            entry(ShortCircuit);
        }
        if (measurement.openDetected) {
            entry(OpenLine);
        }
        if (measurement.invalid()) {
            continue;
        }
        const auto [start, end] = rangeLimits(slot, channel);
        if (measurement.raw > end) {
            entry(Overrange);
        } else if (hasLiveZero(rangeIndexOf(parameterByte(slot, channel))) && measurement.raw < start) {
            entry(Underrange);
        }
    }
    return telegram;
}

ProductionData SimulatedStation::defaultProductionData(int slot) const {
    const int typeCode = module(slot).typeCode;
    ProductionData data;
    data.chargeCode = QStringLiteral("K2231-%1").arg(slot, 2, 10, QLatin1Char('0'));
    data.serialNumber = QStringLiteral("QT%1-%2%3")
                            .arg(typeCode)
                            .arg(m_busAddress % 1000, 3, 10, QLatin1Char('0'))
                            .arg(slot, 3, 10, QLatin1Char('0'));
    data.softwareRevision = typeCode == 54 ? QStringLiteral("2.20") : QStringLiteral("2.14");
    data.hardwareRevision = QStringLiteral("1.02");
    data.dateOfLastRefresh = QDate(2023, 3, 1).addDays(slot);
    return data;
}

ProductionData SimulatedStation::productionData(int slot) const {
    const Module& m = module(slot);
    return m.production ? *m.production : defaultProductionData(slot);
}

void SimulatedStation::setProductionData(int slot, const ProductionData& data) {
    module(slot).production = data;
}

QByteArray SimulatedStation::encodeProductionData(const ProductionData& data) {
    QByteArray telegram;
    telegram += asciiField(data.chargeCode, 10);
    telegram += asciiField(data.serialNumber, 12);
    telegram += asciiField(data.softwareRevision, 4);
    telegram += asciiField(data.hardwareRevision, 4);
    const QDate& date = data.dateOfLastRefresh;
    if (date.isValid() && date.year() >= 2000 && date.year() <= 2255) {
        telegram.append(static_cast<char>(date.year() - 2000));
        telegram.append(static_cast<char>(date.month()));
        telegram.append(static_cast<char>(date.day()));
    } else {
        telegram.append(3, '\0');
    }
    return telegram;
}

// ---- telegrams

SimulatedStation::Reply SimulatedStation::read(int slot, int index) {
    if (!hasModule(slot)) {
        return failure(
            QStringLiteral("DE80B2"),
            QCoreApplication::translate("host::SimulatedStation", "Read of an empty slot (%1)").arg(slot));
    }
    try {
        switch (index) {
            case ValuesIndex: {
                QByteArray telegram(1, static_cast<char>(forcedMask(slot)));
                for (int channel = 0; channel < ChannelCount; ++channel) {
                    appendWord(telegram, statusWord(slot, channel));
                }
                return {telegram, QString(), QString()};
            }
            case OutputValuesIndex: {
                QByteArray telegram;
                for (int channel = 0; channel < ChannelCount; ++channel) {
                    appendWord(telegram, statusWord(slot, channel));
                }
                return {telegram, QString(), QString()};
            }
            case DiagnosisIndex:
                return {diagnosisTelegram(slot), QString(), QString()};
            case ProductionDataIndex:
                return {encodeProductionData(productionData(slot)), QString(), QString()};
            default:
                return failure(
                    QStringLiteral("DE80B0"),
                    QCoreApplication::translate("host::SimulatedStation", "Read of an invalid index (%1)")
                        .arg(index));
        }
    } catch (const rmox::Error& error) {
        return failure(
            QStringLiteral("DE80A0"),
            QCoreApplication::translate("host::SimulatedStation", "Read error: %1").arg(error.description()));
    } catch (const std::exception& error) {
        return failure(QStringLiteral("DE80A0"),
                       QCoreApplication::translate("host::SimulatedStation", "Read error: %1")
                           .arg(QString::fromLocal8Bit(error.what())));
    }
}

SimulatedStation::Reply SimulatedStation::write(int slot, int index, const QByteArray& data) {
    if (!hasModule(slot)) {
        return failure(
            QStringLiteral("DF80B2"),
            QCoreApplication::translate("host::SimulatedStation", "Write to an empty slot (%1)").arg(slot));
    }
    Module& m = module(slot);
    switch (index) {
        case ForceValuesIndex: {
            if (data.size() != ForceTelegramSize) {
                return failure(QStringLiteral("DF80B1"),
                               QCoreApplication::translate(
                                   "host::SimulatedStation",
                                   "Write length error: a force telegram has %1 bytes, this one %2")
                                   .arg(ForceTelegramSize)
                                   .arg(data.size()));
            }
            expireForcing(slot);
            m.forceMask = static_cast<quint8>(data.at(0));
            for (int channel = 0; channel < ChannelCount; ++channel) {
                const auto high = static_cast<quint8>(data.at(1 + 2 * channel));
                const auto low = static_cast<quint8>(data.at(2 + 2 * channel));
                m.forceWords[static_cast<size_t>(channel)] = static_cast<quint16>((high << 8) | low);
            }
            emit forcingChanged(slot);
            return {};
        }
        case ForcingEnableIndex: {
            if (data.isEmpty()) {
                return failure(
                    QStringLiteral("DF80B1"),
                    QCoreApplication::translate("host::SimulatedStation",
                                                "Write length error: the forcing enable is empty"));
            }
            expireForcing(slot);
            if (data.at(0) != 0) {
                m.enabledAt = now();
            } else {
                m.enabledAt.reset();
                m.forceMask = 0;
            }
            emit forcingChanged(slot);
            return {};
        }
        default:
            return failure(
                QStringLiteral("DF80B0"),
                QCoreApplication::translate("host::SimulatedStation", "Write to an invalid index (%1)")
                    .arg(index));
    }
}

}  // namespace host
