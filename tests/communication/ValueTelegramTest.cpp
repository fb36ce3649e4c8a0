// Decoding the value telegram of the read cycle.
#include <gtest/gtest.h>

#include <ostream>

#include "QT27Controls/communication/ValueTelegram.h"

namespace qt27 {

void PrintTo(const ChannelReading& reading, std::ostream* out) {
    *out << "{value " << reading.value << (reading.isInValid ? ", invalid" : "")
         << (reading.isForced ? ", forced" : "") << "}";
}

namespace {

// Forced mask 5; words 8000, 0064, 7FFF, 0000.
const QByteArray kExample = QByteArray::fromHex("05800000647FFF0000");
const std::array<ChannelReading, 4> kExampleReadings = {
    ChannelReading{0, true, true}, ChannelReading{100, false, false}, ChannelReading{32767, false, true},
    ChannelReading{0, false, false}};

TEST(ValueTelegramTest, NineByteTelegramGivesFourChannels) {
    EXPECT_EQ(ParseModuleValues(kExample), kExampleReadings);
}

TEST(ValueTelegramTest, InvalidBitIsMaskedOffTheValue) {
    const auto readings = ParseModuleValues(QByteArray::fromHex("F0FFFF80010001FFFE"));
    EXPECT_EQ(readings[0], (ChannelReading{32767, true, false}));
    EXPECT_EQ(readings[1], (ChannelReading{1, true, false}));
    EXPECT_EQ(readings[2], (ChannelReading{1, false, false}));
    EXPECT_EQ(readings[3], (ChannelReading{32766, true, false}));
}

TEST(ValueTelegramTest, BytesBeyondTheNinthAreIgnored) {
    EXPECT_EQ(ParseModuleValues(kExample + QByteArray::fromHex("FFFF")), kExampleReadings);
}

class ShortTelegramTest : public testing::TestWithParam<int> {};

// A channel whose word is cut off reads invalid with the value 0; the mask byte,
// when present, still tells whether it is forced.
TEST_P(ShortTelegramTest, ChannelsWithoutTheirWordReadInvalidZero) {
    const int length = GetParam();
    const auto readings = ParseModuleValues(kExample.left(length));
    for (int channel = 0; channel < kValueTelegramChannels; ++channel) {
        const bool complete = length >= 2 * channel + 3;
        const bool forced = length >= 1 && (kExample.at(0) & (1 << channel)) != 0;
        const ChannelReading expected =
            complete ? kExampleReadings[static_cast<size_t>(channel)] : ChannelReading{0, true, forced};
        EXPECT_EQ(readings[static_cast<size_t>(channel)], expected) << "channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortTelegramTest, testing::Range(0, kValueTelegramLength));

}  // namespace
}  // namespace qt27
