#include <gtest/gtest.h>

#include <QSignalSpy>
#include <set>
#include <stdexcept>

#include "host/SimulatedStation.h"
#include "rmox/Error.h"

namespace {

using host::ChannelSignal;
using host::SignalShape;
using host::SimulatedStation;

constexpr int Slot = 3;

// Parameter bytes: range in bits 2-3, failsafe in bits 4-5, detections off in bits 6 and 7.
constexpr quint8 range(int index) {
    return static_cast<quint8>(index << 2);
}
constexpr quint8 failsafe(int value) {
    return static_cast<quint8>(value << 4);
}
constexpr quint8 OpenLineOff = 0x40;
constexpr quint8 ShortOff = 0x80;

quint16 wordAt(const QByteArray& telegram, int offset) {
    return static_cast<quint16>((static_cast<quint8>(telegram.at(offset)) << 8) |
                                static_cast<quint8>(telegram.at(offset + 1)));
}

ChannelSignal constant(double percent) {
    ChannelSignal signal;
    signal.offsetPercent = percent;
    return signal;
}

class StationTest : public testing::Test {
protected:
    StationTest() {
        station.addModule(Slot, 37);
        station.setTime(0);
    }

    void setParameter(int channel, quint8 parameter) {
        QByteArray parameters(4, '\0');
        for (int i = 0; i < 4; ++i) {
            parameters[i] = static_cast<char>(station.parameterByte(Slot, i));
        }
        parameters[channel] = static_cast<char>(parameter);
        station.setParameters(Slot, parameters);
    }

    QByteArray values() {
        const SimulatedStation::Reply reply = station.read(Slot, SimulatedStation::ValuesIndex);
        EXPECT_TRUE(reply.ok()) << reply.errorText.toStdString();
        EXPECT_EQ(reply.data.size(), 9);
        return reply.data;
    }

    QByteArray diagnosis() { return station.read(Slot, SimulatedStation::DiagnosisIndex).data; }

    void enableForcing() {
        ASSERT_TRUE(station.write(Slot, SimulatedStation::ForcingEnableIndex, "\x01").ok());
    }

    void writeForce(const char* hex) {
        const SimulatedStation::Reply reply =
            station.write(Slot, SimulatedStation::ForceValuesIndex, QByteArray::fromHex(hex));
        ASSERT_TRUE(reply.ok()) << reply.errorText.toStdString();
    }

    SimulatedStation station;
};

// ---- ranges and scaling

struct ScalingCase {
    int typeCode;
    int rangeIndex;
    double percent;
    quint16 raw;
};

void PrintTo(const ScalingCase& c, std::ostream* os) {
    *os << "type " << c.typeCode << " range " << c.rangeIndex << " at " << c.percent << "%";
}

class StationScaling : public testing::TestWithParam<ScalingCase> {};

TEST_P(StationScaling, RawValueFollowsTheConfiguredRange) {
    const ScalingCase& c = GetParam();
    SimulatedStation station;
    station.addModule(5, c.typeCode);
    station.setTime(0);
    // Only channel 2 gets the range and the signal; the others stay at 0..10 V, 50 %.
    QByteArray parameters(4, '\0');
    parameters[2] = static_cast<char>(range(c.rangeIndex));
    station.setParameters(5, parameters);
    station.setChannelSignal(5, 2, constant(c.percent));

    const QByteArray telegram = station.read(5, SimulatedStation::ValuesIndex).data;
    ASSERT_EQ(telegram.size(), 9);
    EXPECT_EQ(wordAt(telegram, 5), c.raw);
    EXPECT_EQ(wordAt(telegram, 1), 5000);
    EXPECT_EQ(wordAt(telegram, 3), 5000);
    EXPECT_EQ(wordAt(telegram, 7), 5000);
}

INSTANTIATE_TEST_SUITE_P(Ranges, StationScaling,
                         testing::Values(ScalingCase{37, 0, 50, 5000}, ScalingCase{37, 1, 50, 6000},
                                         ScalingCase{37, 1, 0, 2000}, ScalingCase{37, 2, 50, 10000},
                                         ScalingCase{37, 3, 0, 4000}, ScalingCase{37, 3, 100, 20000},
                                         ScalingCase{37, 3, 110, 21600}, ScalingCase{54, 0, 25, 2500},
                                         ScalingCase{54, 1, 100, 10000}, ScalingCase{54, 2, 50, 2500},
                                         ScalingCase{54, 3, 50, 3000}, ScalingCase{54, 3, 0, 1000},
                                         ScalingCase{37, 0, -10, 0}, ScalingCase{37, 3, -30, 0},
                                         ScalingCase{37, 2, 400, 32767}));

TEST_F(StationTest, ParameterProviderWinsOverStoredBytesItDelivers) {
    station.setParameters(Slot, QByteArray::fromHex("0C0C0C0C"));  // 4..20 mA everywhere
    int askedSlot = 0;
    station.setParameterProvider([&askedSlot](int slot) {
        askedSlot = slot;
        return QByteArray::fromHex("0004");  // channels 0 and 1 only: 0..10 V, 2..10 V
    });
    const QByteArray telegram = values();
    EXPECT_EQ(askedSlot, Slot);
    EXPECT_EQ(wordAt(telegram, 1), 5000);
    EXPECT_EQ(wordAt(telegram, 3), 6000);
    EXPECT_EQ(wordAt(telegram, 5), 12000);
    EXPECT_EQ(wordAt(telegram, 7), 12000);
}

TEST_F(StationTest, FailingParameterProviderGivesAReadErrorNotAnException) {
    station.setParameterProvider([](int) -> QByteArray {
        throw rmox::Error(rmox::Error::ObjectNotSet, QStringLiteral("no data set"));
    });
    const SimulatedStation::Reply reply = station.read(Slot, SimulatedStation::ValuesIndex);
    EXPECT_EQ(reply.errorCode, QStringLiteral("DE80A0"));
    EXPECT_TRUE(reply.errorText.contains(QStringLiteral("no data set")));
}

TEST_F(StationTest, ValueAndOutputTelegramsCarryTheChannelsInOrder) {
    for (int channel = 0; channel < 4; ++channel) {
        station.setChannelSignal(Slot, channel, constant(10.0 * (channel + 1)));
    }
    const QByteArray telegram = values();
    EXPECT_EQ(telegram, QByteArray::fromHex("00"
                                            "03E8"
                                            "07D0"
                                            "0BB8"
                                            "0FA0"));
    const SimulatedStation::Reply output = station.read(Slot, SimulatedStation::OutputValuesIndex);
    ASSERT_TRUE(output.ok());
    EXPECT_EQ(output.data, QByteArray::fromHex("03E8"
                                               "07D0"
                                               "0BB8"
                                               "0FA0"));
}

// ---- signal generator

TEST_F(StationTest, SignalShapesFollowTheStationClock) {
    ChannelSignal ramp{SignalShape::Ramp, 50, 40, 1000};
    ChannelSignal sine{SignalShape::Sine, 50, 40, 1000};
    station.setChannelSignal(Slot, 0, ramp);
    station.setChannelSignal(Slot, 1, sine);

    station.setTime(0);
    EXPECT_EQ(station.statusWord(Slot, 0), 1000);  // 50 - 40 %
    EXPECT_EQ(station.statusWord(Slot, 1), 5000);
    station.setTime(250);
    EXPECT_EQ(station.statusWord(Slot, 0), 3000);  // a quarter of the way from -40 % to +40 %
    EXPECT_EQ(station.statusWord(Slot, 1), 9000);  // crest
    station.advanceTime(500);                      // 750 ms
    EXPECT_EQ(station.statusWord(Slot, 0), 7000);
    EXPECT_EQ(station.statusWord(Slot, 1), 1000);  // trough
    station.setTime(10250);                        // ten periods later, same phase as 250 ms
    EXPECT_EQ(station.statusWord(Slot, 0), 3000);
    EXPECT_EQ(station.statusWord(Slot, 1), 9000);
    station.setTime(-250);  // a clock before its start still gives a phase in [0, 1)
    EXPECT_EQ(station.statusWord(Slot, 0), 7000);
}

TEST_F(StationTest, NoiseStaysWithinItsAmplitudeAndVaries) {
    station.setChannelSignal(Slot, 0, ChannelSignal{SignalShape::Noise, 50, 10, 1000});
    std::set<quint16> seen;
    for (int i = 0; i < 50; ++i) {
        const quint16 word = station.statusWord(Slot, 0);
        EXPECT_GE(word, 4000);
        EXPECT_LE(word, 6000);
        seen.insert(word);
    }
    EXPECT_GT(seen.size(), 10u);
}

TEST_F(StationTest, PeriodBelowOneMillisecondDoesNotDivideByZero) {
    station.setChannelSignal(Slot, 0, ChannelSignal{SignalShape::Sine, 50, 10, 0});
    station.setTime(12345);
    EXPECT_EQ(station.statusWord(Slot, 0), 5000);
}

// ---- line faults

struct FaultCase {
    const char* name;
    bool openLine;
    bool shortCircuit;
    quint8 parameter;  ///< 4..20 mA is added
    bool invalid;
    quint16 raw;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class StationLineFault : public StationTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(StationLineFault, InvalidOnlyWhileTheFaultIsDetected) {
    const FaultCase& c = GetParam();
    setParameter(1, static_cast<quint8>(c.parameter | range(3)));
    station.setChannelSignal(Slot, 1, constant(75));  // 16000 uA
    station.setOpenLine(Slot, 1, c.openLine);
    station.setShortCircuit(Slot, 1, c.shortCircuit);
    const quint16 word = wordAt(values(), 3);
    EXPECT_EQ((word & 0x8000) != 0, c.invalid);
    EXPECT_EQ(word & 0x7FFF, c.raw);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StationLineFault,
    testing::Values(FaultCase{"NoFault", false, false, 0, false, 16000},
                    FaultCase{"OpenLineDetectedFailsafeStart", true, false, failsafe(0), true, 4000},
                    FaultCase{"OpenLineDetectedWhileShortDetectionOff", true, false, ShortOff, true, 4000},
                    FaultCase{"OpenLineUndetectedReadsZero", true, false, OpenLineOff, false, 0},
                    FaultCase{"ShortDetectedFailsafeEnd", false, true, failsafe(1), true, 20000},
                    FaultCase{"ShortDetectedWhileOpenLineDetectionOff", false, true, OpenLineOff, true, 4000},
                    FaultCase{"ShortUndetectedReadsZero", false, true, ShortOff, false, 0},
                    FaultCase{"BothFaultsOneDetected", true, true, OpenLineOff, true, 4000},
                    FaultCase{"BothFaultsNoneDetected", true, true, OpenLineOff | ShortOff, false, 0}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(StationTest, FailsafeLastValidKeepsTheValueReadBeforeTheFault) {
    setParameter(0, failsafe(2));
    station.setChannelSignal(Slot, 0, constant(42));
    EXPECT_EQ(station.statusWord(Slot, 0), 4200);
    station.setOpenLine(Slot, 0, true);
    station.setChannelSignal(Slot, 0, constant(90));
    EXPECT_EQ(station.statusWord(Slot, 0), 0x8000 | 4200);
    station.setOpenLine(Slot, 0, false);
    EXPECT_EQ(station.statusWord(Slot, 0), 9000);
}

TEST_F(StationTest, FailsafeLastValidWithoutHistoryGivesTheStartOfRange) {
    setParameter(0, static_cast<quint8>(failsafe(3) | range(1)));
    station.setShortCircuit(Slot, 0, true);
    EXPECT_EQ(station.statusWord(Slot, 0), 0x8000 | 2000);
}

// ---- diagnosis

TEST_F(StationTest, DiagnosisListsDetectedFaultsInChannelOrder) {
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("00"));

    station.setModuleDiagnosisCode(Slot, 2);
    station.setShortCircuit(Slot, 3, true);
    station.setOpenLine(Slot, 0, true);
    station.setOpenLine(Slot, 2, true);
    station.setShortCircuit(Slot, 2, true);
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("02"
                                               "12"
                                               "31"
                                               "32"
                                               "41"));

    setParameter(2, ShortOff);  // channel 3 keeps only its open line
    setParameter(3, ShortOff);  // channel 4's short is no longer seen
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("02"
                                               "12"
                                               "32"));
}

TEST_F(StationTest, DiagnosisReportsOverrangeAndUnderrangeOfTheInput) {
    setParameter(0, range(0));
    setParameter(1, range(1));
    setParameter(2, range(3));
    station.setChannelSignal(Slot, 0, constant(-20));  // below a zero-based range: no entry
    station.setChannelSignal(Slot, 1, constant(-5));   // below the live zero
    station.setChannelSignal(Slot, 2, constant(100));  // at the end: no entry
    station.setChannelSignal(Slot, 3, constant(101));
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("00"
                                               "24"
                                               "43"));
}

TEST_F(StationTest, UndetectedOpenLineOnLiveZeroShowsAsUnderrange) {
    setParameter(1, static_cast<quint8>(range(3) | OpenLineOff));
    station.setOpenLine(Slot, 1, true);
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("00"
                                               "24"));
}

TEST_F(StationTest, ForcingDoesNotHideTheDiagnosisOfTheInput) {
    station.setOpenLine(Slot, 0, true);
    enableForcing();
    writeForce(
        "01"
        "1388"
        "0000000000000000000000000000");
    EXPECT_EQ(station.statusWord(Slot, 0), 5000);
    EXPECT_EQ(diagnosis(), QByteArray::fromHex("00"
                                               "12"));
}

// ---- forcing

TEST_F(StationTest, ForcedChannelsReadTheirForcedWordsWhileEnabled) {
    station.setChannelSignal(Slot, 1, constant(20));
    enableForcing();
    // Channel 0 forced to 5000, channel 2 forced as invalid with 0, channel 1 has a word but no mask bit.
    writeForce(
        "05"
        "1388"
        "0064"
        "8000"
        "0000"
        "0000000000000000");
    EXPECT_EQ(values(), QByteArray::fromHex("05"
                                            "1388"
                                            "07D0"
                                            "8000"
                                            "1388"));
    EXPECT_EQ(station.read(Slot, SimulatedStation::OutputValuesIndex).data, QByteArray::fromHex("1388"
                                                                                                "07D0"
                                                                                                "8000"
                                                                                                "1388"));
}

TEST_F(StationTest, ForceTelegramWithoutEnableForcesNothingUntilEnabled) {
    writeForce(
        "02"
        "0000"
        "0FA0"
        "0000"
        "0000"
        "0000000000000000");
    EXPECT_EQ(station.forcedMask(Slot), 0);
    EXPECT_EQ(wordAt(values(), 3), 5000);
    enableForcing();
    EXPECT_EQ(station.forcedMask(Slot), 0x02);
    EXPECT_EQ(wordAt(values(), 3), 4000);
}

TEST_F(StationTest, ForcingEndsWhenTheEnableIsNotRepeatedInTime) {
    QSignalSpy changed(&station, &SimulatedStation::forcingChanged);
    enableForcing();
    writeForce(
        "08"
        "000000000000"
        "1F40"
        "0000000000000000");
    station.advanceTime(SimulatedStation::ForcingWatchdogMs);
    EXPECT_EQ(station.forcedMask(Slot), 0x08);
    const int changesBefore = changed.count();

    station.advanceTime(1);
    EXPECT_FALSE(station.isForcingEnabled(Slot));
    EXPECT_EQ(values().at(0), 0);
    EXPECT_EQ(wordAt(values(), 7), 5000);
    EXPECT_EQ(changed.count(), changesBefore + 1);

    // A late enable alone does not bring the old mask back.
    enableForcing();
    EXPECT_EQ(station.forcedMask(Slot), 0);
    writeForce(
        "08"
        "000000000000"
        "1F40"
        "0000000000000000");
    EXPECT_EQ(wordAt(values(), 7), 8000);
}

TEST_F(StationTest, RepeatedEnableKeepsForcingAlive) {
    enableForcing();
    writeForce(
        "01"
        "0BB8"
        "000000000000"
        "0000000000000000");
    for (int i = 0; i < 5; ++i) {
        station.advanceTime(40000);
        enableForcing();
    }
    station.advanceTime(59000);
    EXPECT_EQ(station.forcedMask(Slot), 0x01);
    EXPECT_EQ(station.statusWord(Slot, 0), 3000);
}

TEST_F(StationTest, EnableWithZeroEndsForcingAtOnce) {
    enableForcing();
    writeForce(
        "0F"
        "0001000200030004"
        "0000000000000000");
    ASSERT_EQ(station.forcedMask(Slot), 0x0F);
    ASSERT_TRUE(station.write(Slot, SimulatedStation::ForcingEnableIndex, QByteArray(1, '\0')).ok());
    EXPECT_FALSE(station.isForcingEnabled(Slot));
    enableForcing();
    EXPECT_EQ(station.forcedMask(Slot), 0);
}

TEST_F(StationTest, MaskBitsBeyondTheFourChannelsAreIgnored) {
    enableForcing();
    writeForce(
        "FF"
        "0001000200030004"
        "7FFF7FFF7FFF7FFF");
    EXPECT_EQ(values(), QByteArray::fromHex("0F"
                                            "0001000200030004"));
}

TEST_F(StationTest, ForceTelegramOfWrongLengthIsRefusedAndChangesNothing) {
    enableForcing();
    writeForce(
        "01"
        "1388"
        "000000000000"
        "0000000000000000");
    for (const QByteArray& data : {QByteArray::fromHex("01"), QByteArray(18, '\0'), QByteArray()}) {
        const SimulatedStation::Reply reply = station.write(Slot, SimulatedStation::ForceValuesIndex, data);
        EXPECT_EQ(reply.errorCode, QStringLiteral("DF80B1"));
        EXPECT_TRUE(reply.errorText.contains(QStringLiteral("17")));
    }
    EXPECT_EQ(station.forcedMask(Slot), 0x01);
    EXPECT_EQ(station.write(Slot, SimulatedStation::ForcingEnableIndex, QByteArray()).errorCode,
              QStringLiteral("DF80B1"));
}

// ---- production data

TEST_F(StationTest, ProductionDataAreStablePerSlot) {
    station.addModule(4, 54);
    const QByteArray first = station.read(Slot, SimulatedStation::ProductionDataIndex).data;
    station.advanceTime(100000);
    EXPECT_EQ(station.read(Slot, SimulatedStation::ProductionDataIndex).data, first);
    EXPECT_EQ(first.size(), SimulatedStation::ProductionDataSize);
    EXPECT_NE(station.read(4, SimulatedStation::ProductionDataIndex).data, first);

    SimulatedStation twin;
    twin.addModule(Slot, 37);
    EXPECT_EQ(twin.read(Slot, SimulatedStation::ProductionDataIndex).data, first);
}

TEST_F(StationTest, ProductionDataTelegramLayout) {
    host::ProductionData data;
    data.chargeCode = QStringLiteral("CHARGE-0123456");  // cut to 10
    data.serialNumber = QStringLiteral("S1");
    data.softwareRevision = QStringLiteral("2.1");
    data.hardwareRevision = QStringLiteral("Ä1");  // outside ASCII
    data.dateOfLastRefresh = QDate(2024, 2, 29);
    station.setProductionData(Slot, data);
    const QByteArray telegram = station.read(Slot, SimulatedStation::ProductionDataIndex).data;
    EXPECT_EQ(telegram, QByteArray("CHARGE-012"
                                   "S1          "
                                   "2.1 "
                                   "?1  ") +
                            QByteArray::fromHex("18021D"));

    data.dateOfLastRefresh = QDate();
    EXPECT_EQ(SimulatedStation::encodeProductionData(data).right(3), QByteArray(3, '\0'));
    data.dateOfLastRefresh = QDate(1999, 12, 31);
    EXPECT_EQ(SimulatedStation::encodeProductionData(data).right(3), QByteArray(3, '\0'));
}

// ---- addressing errors

TEST_F(StationTest, UnknownIndexOrSlotAnswersDpV1ErrorCodes) {
    EXPECT_EQ(station.read(Slot, 99).errorCode, QStringLiteral("DE80B0"));
    EXPECT_EQ(station.read(Slot, SimulatedStation::ForceValuesIndex).errorCode, QStringLiteral("DE80B0"));
    EXPECT_EQ(station.write(Slot, SimulatedStation::ValuesIndex, "\x01").errorCode, QStringLiteral("DF80B0"));
    EXPECT_EQ(station.read(9, SimulatedStation::ValuesIndex).errorCode, QStringLiteral("DE80B2"));
    EXPECT_EQ(station.write(9, SimulatedStation::ForcingEnableIndex, "\x01").errorCode,
              QStringLiteral("DF80B2"));
    EXPECT_FALSE(station.read(Slot, 99).errorText.isEmpty());
}

TEST_F(StationTest, InvalidModulesAndChannelsRaiseErrors) {
    EXPECT_THROW(station.addModule(0, 37), rmox::Error);
    EXPECT_THROW(station.addModule(256, 37), rmox::Error);
    EXPECT_THROW(station.addModule(2, 38), rmox::Error);
    EXPECT_THROW(station.setOpenLine(Slot, 4, true), rmox::Error);
    EXPECT_THROW(station.setChannelSignal(Slot, -1, ChannelSignal()), rmox::Error);
    EXPECT_THROW(station.setShortCircuit(8, 0, true), rmox::Error);
    EXPECT_THROW(station.removeModule(8), rmox::Error);
    station.removeModule(Slot);
    EXPECT_FALSE(station.hasModule(Slot));
    EXPECT_TRUE(station.moduleSlots().isEmpty());
}

}  // namespace
