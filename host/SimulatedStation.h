#pragma once

#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <optional>

namespace host {

/// The shape of the signal at a channel input. Every shape swings around the
/// offset by at most the amplitude: value = offset + amplitude * f(t) with
/// f in [-1, 1]: Constant f = 0; Ramp a sawtooth rising from -1 to 1 once per
/// period; Sine sin(2 pi t / period); Noise uniformly random per reading.
enum class SignalShape { Constant, Ramp, Sine, Noise };

/// What the frame or a test sets at one channel input. Offset and amplitude are
/// in percent of the channel's measuring range (0 % = start of range, 100 % = end
/// of range), so a signal keeps its meaning when the range is changed.
struct ChannelSignal {
    SignalShape shape = SignalShape::Constant;
    double offsetPercent = 50.0;
    double amplitudePercent = 0.0;
    qint64 periodMs = 10000;  ///< Ramp and Sine; values below 1 ms count as 1 ms
};

/// The production data of a module as the station hands them out.
struct ProductionData {
    QString chargeCode;
    QString serialNumber;
    QString softwareRevision;
    QString hardwareRevision;
    QDate dateOfLastRefresh;
};

/// A rimox remote I/O station on the bus with QT27 analog-input modules in its
/// slots (slot 0 is the station head; modules sit in slots 1 to 255).
///
/// Raw channel values count millivolts on the voltage ranges and microamperes on
/// the current ranges, clamped to 0..32767. The range of a channel comes from
/// bits 2-3 of its parameter byte: type 37 0..10 V, 2..10 V, 0..20 mA, 4..20 mA;
/// type 54 0..10 V, 2..10 V, 0..5 V, 1..5 V.
///
/// Line faults: an injected open line or short circuit whose detection is on in
/// the parameter byte (bit 6 clear: open line, bit 7 clear: short circuit) makes
/// the channel invalid (bit 15 of its status word) and the value bits carry the
/// failsafe value of bits 4-5 (0 start of range, 1 end of range, 2 and 3 the last
/// valid value). An undetected fault lets the input read 0.
///
/// Telegrams of a module, by record index:
/// - 16 values, 9 bytes: forced mask, then the status word of channels 0..3, high
///   byte first (bit 15 invalid, bits 14..0 raw value);
/// - 17 output values, 8 bytes: the four status words without the mask;
/// - 18 diagnosis: byte 0 the module diagnosis code, then one byte per channel
///   fault, (channel number << 4) | code, in ascending channel order; the codes
///   are those of DiagnosisCode;
/// - 19 production data, 33 bytes, text fields in ASCII padded with blanks:
///   bytes 0..9 charge code, 10..21 serial number, 22..25 software revision,
///   26..29 hardware revision, 30 year - 2000, 31 month, 32 day of the last
///   refresh (all three 0 when there is no date);
/// - 20 write force values, 17 bytes: mask, then eight words high byte first
///   (channels 0..3, then four unused), bit 15 = force as invalid;
/// - 21 write forcing enable, 1 byte: non-zero enables forcing for the watchdog
///   time, zero ends forcing at once.
///
/// Forcing: a channel reads the word written for it while its bit is set in the
/// written mask and the last enable is not older than ForcingWatchdogMs. When the
/// enable is not repeated in time, the module leaves forcing: the mask is
/// cleared and forcing resumes only after a new force telegram and enable.
///
/// A read that a module does not offer answers the DP-V1 error code "DE80B0", a
/// write "DF80B0"; a force telegram of the wrong length "DF80B1"; an empty slot
/// "DE80B2" or "DF80B2"; a read that fails inside the station (a parameter
/// provider that raises an error) "DE80A0" with the error's description.
///
/// Time comes from a QElapsedTimer started with the station, or from a manual
/// clock that tests set and advance.
class SimulatedStation : public QObject {
    Q_OBJECT

public:
    static constexpr int ChannelCount = 4;
    static constexpr qint64 ForcingWatchdogMs = 60000;
    static constexpr int ProductionDataSize = 33;

    enum Index : int {
        ValuesIndex = 16,
        OutputValuesIndex = 17,
        DiagnosisIndex = 18,
        ProductionDataIndex = 19,
        ForceValuesIndex = 20,
        ForcingEnableIndex = 21,
    };

    /// Channel codes in the diagnosis telegram.
    enum DiagnosisCode : quint8 {
        ShortCircuit = 1,
        OpenLine = 2,
        Overrange = 3,   ///< the input lies above the end of its range
        Underrange = 4,  ///< live-zero ranges: the input lies below the start of its range
    };

    /// What a module answers to a read or write; an empty error code means success.
    struct Reply {
        QByteArray data;
        QString errorCode;
        QString errorText;
        bool ok() const { return errorCode.isEmpty(); }
    };

    /// Returns the parameter bytes of the module in @p slot, one per channel.
    using ParameterProvider = std::function<QByteArray(int slot)>;

    explicit SimulatedStation(int busAddress = 12, QObject* parent = nullptr);

    int busAddress() const { return m_busAddress; }
    void setBusAddress(int busAddress);
    /// A station that does not answer refuses every connect with an error answer.
    bool isAnswering() const { return m_answering; }
    void setAnswering(bool answering);

    /// Puts a QT27 of type 37 or 54 into @p slot (1..255), replacing what was
    /// there; anything else raises rmox::Error.
    void addModule(int slot, int typeCode);
    void removeModule(int slot);
    bool hasModule(int slot) const;
    /// The occupied slots in ascending order.
    QList<int> moduleSlots() const;
    int moduleTypeCode(int slot) const;

    // Parameters. The provider, when installed, is asked first; bytes it does not
    // deliver come from setParameters() (all 0 for a new module: 0..10 V, both
    // detections on).
    void setParameterProvider(ParameterProvider provider);
    void setParameters(int slot, const QByteArray& parameters);
    quint8 parameterByte(int slot, int channel) const;
    /// Start and end of the channel's range in raw units.
    std::pair<int, int> rangeLimits(int slot, int channel) const;

    // Inputs, per channel index 0..3.
    void setChannelSignal(int slot, int channel, const ChannelSignal& signal);
    ChannelSignal channelSignal(int slot, int channel) const;
    /// A fault of the channel's input circuit: the channel reads @p percent of its
    /// range more than the signal at its terminals (0: in order). A loop check finds it.
    void setInputError(int slot, int channel, double percent);
    double inputError(int slot, int channel) const;
    void setOpenLine(int slot, int channel, bool fault);
    bool hasOpenLine(int slot, int channel) const;
    void setShortCircuit(int slot, int channel, bool fault);
    bool hasShortCircuit(int slot, int channel) const;
    /// Byte 0 of the diagnosis telegram; 0 = module in order.
    void setModuleDiagnosisCode(int slot, quint8 code);
    quint8 moduleDiagnosisCode(int slot) const;
    /// The module answers the diagnosis read with @p telegram as it is (any length,
    /// entries out of order, channel numbers 0 or above 4) instead of the telegram of
    /// its faults; std::nullopt goes back to the telegram of its faults.
    void setDiagnosisOverride(int slot, const std::optional<QByteArray>& telegram);
    std::optional<QByteArray> diagnosisOverride(int slot) const;

    // Clock.
    /// Milliseconds on the station's clock.
    qint64 now() const;
    /// Switches to the manual clock and sets it.
    void setTime(qint64 msecs);
    /// Switches to the manual clock (starting from now()) and moves it on.
    void advanceTime(qint64 msecs);
    /// Goes back to the real clock.
    void useRealTime();

    // What the controller sees.
    /// The status word of a channel, forcing included.
    quint16 statusWord(int slot, int channel);
    /// Channels that read a forced value now, one bit per channel index.
    quint8 forcedMask(int slot);
    /// True while the last forcing enable is not older than the watchdog time.
    bool isForcingEnabled(int slot);

    ProductionData productionData(int slot) const;
    void setProductionData(int slot, const ProductionData& data);
    static QByteArray encodeProductionData(const ProductionData& data);

    // Telegrams.
    Reply read(int slot, int index);
    Reply write(int slot, int index, const QByteArray& data);

signals:
    /// The forced mask, the force words or the enable of a module have changed
    /// (also when the watchdog ended forcing).
    void forcingChanged(int slot);

private:
    struct Module {
        int typeCode = 37;
        QByteArray parameters = QByteArray(ChannelCount, '\0');
        std::array<ChannelSignal, ChannelCount> signal{};
        std::array<double, ChannelCount> inputError{};
        std::array<bool, ChannelCount> openLine{};
        std::array<bool, ChannelCount> shortCircuit{};
        std::array<std::optional<quint16>, ChannelCount> lastValid{};
        std::array<QRandomGenerator, ChannelCount> noise{};
        quint8 moduleDiagnosis = 0;
        quint8 forceMask = 0;
        std::array<quint16, ChannelCount> forceWords{};
        std::optional<qint64> enabledAt;
        std::optional<ProductionData> production;
        std::optional<QByteArray> diagnosisOverride;
    };

    /// The input of one channel before forcing.
    struct Measurement {
        quint16 raw = 0;
        bool shortDetected = false;
        bool openDetected = false;
        bool invalid() const { return shortDetected || openDetected; }
    };

    Module& module(int slot);
    const Module& module(int slot) const;
    static void checkChannel(int channel);
    double signalPercent(Module& m, int channel) const;
    Measurement measure(int slot, int channel);
    void expireForcing(int slot);
    QByteArray diagnosisTelegram(int slot);
    ProductionData defaultProductionData(int slot) const;

    int m_busAddress;
    bool m_answering = true;
    std::map<int, Module> m_modules;
    ParameterProvider m_parameterProvider;
    QElapsedTimer m_realClock;
    std::optional<qint64> m_manualTime;
};

}  // namespace host
