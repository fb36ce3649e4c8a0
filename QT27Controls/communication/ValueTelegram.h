#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>

namespace qt27 {

/// One channel of the module's value telegram, as SetCurrentValue takes it.
struct ChannelReading {
    /// Raw value in mV or µA, 0 to 32767 (bits 14 to 0 of the status word).
    qint16 value = 0;
    /// Bit 15 of the status word.
    bool isInValid = true;
    /// Bit i of the forced mask.
    bool isForced = false;

    friend bool operator==(const ChannelReading& a, const ChannelReading& b) {
        return a.value == b.value && a.isInValid == b.isInValid && a.isForced == b.isForced;
    }
};

/// Channels in the value telegram.
constexpr int kValueTelegramChannels = 4;
/// Length of a complete value telegram: the forced mask and four status words.
constexpr int kValueTelegramLength = 1 + 2 * kValueTelegramChannels;

/// Decodes the value telegram of the read cycle: byte 0 is the forced mask (bit i =
/// channel i forced), bytes 2i+1 (high) and 2i+2 (low) hold the status word of
/// channel i (bit 15 invalid, bits 14 to 0 the raw value).
///
/// Each step that fails on a short telegram is skipped and the next one runs, so
/// every channel gets a reading. A channel whose status word is missing reads as
/// invalid with the value 0 (its word keeps the start value 8000 hexadecimal); a
/// missing mask byte means no channel is forced. Bytes beyond the ninth are ignored.
std::array<ChannelReading, kValueTelegramChannels> ParseModuleValues(const QByteArray& telegram);

}  // namespace qt27
