#include "ValueTelegram.h"

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/common/NumberFunctions.h"

namespace qt27 {

namespace {

constexpr quint16 kInvalidBit = 0x8000;
constexpr quint16 kValueBits = 0x7FFF;
// The word of a channel whose bytes are missing: invalid, value 0.
constexpr qint16 kMissingWord = static_cast<qint16>(-32768);

}  // namespace

std::array<ChannelReading, kValueTelegramChannels> ParseModuleValues(const QByteArray& telegram) {
    std::array<ChannelReading, kValueTelegramChannels> readings;
    quint8 forcedMask = 0;
    if (!telegram.isEmpty()) {
        forcedMask = static_cast<quint8>(telegram.at(0));
    }
    for (int channel = 0; channel < kValueTelegramChannels; ++channel) {
        qint16 word = kMissingWord;
        IgnoreErrors([&] { BytesToInteger(telegram, word, static_cast<quint8>(2 * channel + 1), true); });
        const auto bits = static_cast<quint16>(word);
        ChannelReading& reading = readings[static_cast<size_t>(channel)];
        reading.isForced = (forcedMask & (1u << channel)) != 0;
        reading.isInValid = (bits & kInvalidBit) != 0;
        reading.value = static_cast<qint16>(bits & kValueBits);
    }
    return readings;
}

}  // namespace qt27
