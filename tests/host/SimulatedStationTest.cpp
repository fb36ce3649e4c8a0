// The simulated station's telegrams as the pages read them: inputs, line faults, diagnosis, forcing.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "host/SimulatedStation.h"

namespace {

using host::ChannelSignal;
using host::SignalShape;
using Station = host::SimulatedStation;

constexpr int Values = Station::ValuesIndex, Outputs = Station::OutputValuesIndex,
              Diagnosis = Station::DiagnosisIndex, Force = Station::ForceValuesIndex,
              Enable = Station::ForcingEnableIndex, Production = Station::ProductionDataIndex;

ChannelSignal at(double percent) {
    return ChannelSignal{SignalShape::Constant, percent, 0, 1000};
}

class Simulated : public testing::Test {
protected:
    Simulated() {
        station.addModule(3, 37);
        station.setTime(0);
    }
    /// The telegram of @p index in hex, or its error code.
    QString read(int index) {
        const Station::Reply reply = station.read(3, index);
        return reply.ok() ? QString::fromLatin1(reply.data.toHex(' ').toUpper()) : reply.errorCode;
    }
    /// The error code of the write, empty on success.
    QString write(int index, const char* hex) {
        return station.write(3, index, QByteArray::fromHex(hex)).errorCode;
    }
    int word(int channel) { return station.statusWord(3, channel); }

    Station station;
};

struct InputCase {
    int typeCode;
    quint8
        parameter;  ///< range in bits 2-3, failsafe in bits 4-5, open line and short detection off in 6 and 7
    double percent;
    bool openLine, shortCircuit;
    int word;
};

class StationInput : public testing::TestWithParam<InputCase> {};

TEST_P(StationInput, RawValueCountsMillivoltsOrMicroampsAndADetectedFaultGivesTheFailsafeValue) {
    const InputCase c = GetParam();
    Station station;
    station.addModule(5, c.typeCode);
    station.setParameters(5, QByteArray(2, '\0') + static_cast<char>(c.parameter));
    station.setChannelSignal(5, 2, ChannelSignal{SignalShape::Constant, c.percent, 0, 1000});
    station.setOpenLine(5, 2, c.openLine);
    station.setShortCircuit(5, 2, c.shortCircuit);
    EXPECT_EQ(station.statusWord(5, 2), c.word);
    EXPECT_EQ(station.statusWord(5, 3), 5000) << "the others stay at 0..10 V, 50 %";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Ranges, StationInput, testing::Values(
    InputCase{37, 0x00, 50, false, false, 5000},  InputCase{37, 0x04, 0, false, false, 2000},
    InputCase{37, 0x08, 50, false, false, 10000}, InputCase{37, 0x0C, 110, false, false, 21600},
    InputCase{54, 0x00, 25, false, false, 2500},  InputCase{54, 0x04, 100, false, false, 10000},
    InputCase{54, 0x08, 50, false, false, 2500},  InputCase{54, 0x0C, 0, false, false, 1000},
    InputCase{37, 0x0C, -30, false, false, 0},    InputCase{37, 0x08, 400, false, false, 32767},
    InputCase{37, 0x0C, 75, true, false, 0x8000 | 4000},   InputCase{37, 0x8C, 75, true, false, 0x8000 | 4000},
    InputCase{37, 0x4C, 75, true, false, 0},               InputCase{37, 0x1C, 75, false, true, 0x8000 | 20000},
    InputCase{37, 0x4C, 75, false, true, 0x8000 | 4000},   InputCase{37, 0x8C, 75, false, true, 0},
    InputCase{37, 0x4C, 75, true, true, 0x8000 | 4000},    InputCase{54, 0xDC, 75, true, true, 0}));
// clang-format on

TEST_F(Simulated, SignalShapesFollowTheStationClock) {
    station.setChannelSignal(3, 0, ChannelSignal{SignalShape::Ramp, 50, 40, 1000});
    station.setChannelSignal(3, 1, ChannelSignal{SignalShape::Sine, 50, 40, 1000});
    station.setChannelSignal(3, 2, ChannelSignal{SignalShape::Sine, 50, 10, 0});  // no division by zero
    EXPECT_EQ(read(Outputs), "03 E8 13 88 13 88 13 88");
    station.setTime(250);
    EXPECT_EQ(read(Outputs), "0B B8 23 28 13 88 13 88");
    station.advanceTime(10500);  // ten periods and a half on
    EXPECT_EQ(read(Outputs), "1B 58 03 E8 13 88 13 88");
}

TEST_F(Simulated, FailsafeLastValidKeepsTheValueBeforeTheFaultOrTheStartOfRange) {
    station.setParameters(3, QByteArray::fromHex("2034"));  // channel 1: failsafe 3, 2..10 V
    station.setChannelSignal(3, 0, at(42));
    EXPECT_EQ(word(0), 4200);
    station.setOpenLine(3, 0, true);
    station.setShortCircuit(3, 1, true);  // never read before
    station.setChannelSignal(3, 0, at(90));
    EXPECT_EQ(word(0), 0x8000 | 4200);
    EXPECT_EQ(word(1), 0x8000 | 2000);
}

TEST_F(Simulated, DiagnosisListsDetectedFaultsAndRangeViolationsInChannelOrder) {
    EXPECT_EQ(read(Diagnosis), "00");
    station.setModuleDiagnosisCode(3, 2);
    station.setShortCircuit(3, 3, true);
    station.setOpenLine(3, 0, true);
    station.setOpenLine(3, 2, true);
    station.setShortCircuit(3, 2, true);
    EXPECT_EQ(read(Diagnosis), "02 12 31 32 41");
    station.setParameters(3, QByteArray::fromHex("00008080"));  // short circuits no longer detected
    EXPECT_EQ(read(Diagnosis), "02 12 32");

    Station ranges;
    ranges.addModule(3, 37);
    ranges.setParameters(3, QByteArray::fromHex("00040C0C"));
    for (const auto& [channel, percent] : {std::pair{0, -20.0}, {1, -5.0}, {2, 100.0}, {3, 101.0}}) {
        ranges.setChannelSignal(3, channel, at(percent));  // only 1 under its live zero, 3 above its end
    }
    EXPECT_EQ(ranges.read(3, Diagnosis).data, QByteArray::fromHex("00 24 43"));
    ranges.setParameters(3, QByteArray::fromHex("0000004C"));  // open line undetected on a live zero
    ranges.setOpenLine(3, 3, true);
    EXPECT_EQ(ranges.read(3, Diagnosis).data, QByteArray::fromHex("00 44"));
}

TEST_F(Simulated, ForcedChannelsReadTheirWordsOnlyWhileEnabledWithoutHidingTheDiagnosis) {
    station.setChannelSignal(3, 1, at(20));
    station.setOpenLine(3, 0, true);
    // Channels 0 and 2 forced (2 as invalid); 1 has a word but no mask bit; bits above 3 mean nothing.
    ASSERT_EQ(write(Force, "F5 1388 0064 8000 0000 7FFF7FFF7FFF7FFF"), "");
    EXPECT_EQ(station.forcedMask(3), 0);
    EXPECT_EQ(read(Values), "00 80 00 07 D0 13 88 13 88");
    ASSERT_EQ(write(Enable, "01"), "");
    EXPECT_EQ(read(Values), "05 13 88 07 D0 80 00 13 88");
    EXPECT_EQ(read(Outputs), "13 88 07 D0 80 00 13 88");
    EXPECT_EQ(read(Diagnosis), "00 12");
    EXPECT_EQ(write(Force, "01") + write(Force, "000000000000000000000000000000000000") + write(Enable, ""),
              "DF80B1DF80B1DF80B1");
    EXPECT_TRUE(station.write(3, Force, QByteArray(16, '\0')).errorText.contains("17"));
    EXPECT_EQ(station.forcedMask(3), 0x05);
    ASSERT_EQ(write(Enable, "00"), "");
    EXPECT_FALSE(station.isForcingEnabled(3));
    ASSERT_EQ(write(Enable, "01"), "");
    EXPECT_EQ(station.forcedMask(3), 0) << "ending forcing forgets the mask";
}

TEST_F(Simulated, ForcingEndsWhenTheEnableIsNotRepeatedInTime) {
    QSignalSpy changed(&station, &Station::forcingChanged);
    ASSERT_EQ(write(Enable, "01"), "");
    ASSERT_EQ(write(Force, "08 000000000000 1F40 0000000000000000"), "");
    for (int i = 0; i < 3; ++i) {
        station.advanceTime(40000);
        ASSERT_EQ(write(Enable, "01"), "");
    }
    station.advanceTime(Station::ForcingWatchdogMs);
    EXPECT_EQ(station.forcedMask(3), 0x08);
    const qsizetype changes = changed.count();
    station.advanceTime(1);
    EXPECT_EQ(read(Values), "00 13 88 13 88 13 88 13 88");
    EXPECT_EQ(changed.count(), changes + 1);
    ASSERT_EQ(write(Enable, "01"), "");
    EXPECT_EQ(station.forcedMask(3), 0) << "a late enable alone does not bring the mask back";
}

TEST_F(Simulated, ProductionDataAreStablePerSlotAndLaidOutInFixedFields) {
    station.addModule(4, 54);
    EXPECT_NE(station.read(4, Production).data, station.read(3, Production).data);
    host::ProductionData data{"CHARGE-0123456", "S1", "2.1", "\u00C41", QDate(2024, 2, 29)};
    station.setProductionData(3, data);
    EXPECT_EQ(station.read(3, Production).data, QByteArray("CHARGE-012S1          2.1 ?1  \x18\x02\x1D"));
    for (const QDate& date : {QDate(), QDate(1999, 12, 31), QDate(2256, 1, 1)}) {
        data.dateOfLastRefresh = date;
        EXPECT_EQ(Station::encodeProductionData(data).right(3), QByteArray(3, '\0'));
    }
}

TEST_F(Simulated, WrongAddressesAnswerDpV1ErrorCodes) {
    EXPECT_EQ(read(99) + read(Force) + write(Values, "01"), "DE80B0DE80B0DF80B0");
    EXPECT_EQ(station.read(9, Values).errorCode + station.write(9, Enable, "\x01").errorCode, "DE80B2DF80B2");
}

}  // namespace
