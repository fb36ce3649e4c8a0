// libFuzzer target: value telegrams of any length through ParseModuleValues.
// Every channel gets a reading; a channel whose status word is complete in the
// telegram reads exactly its bits.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "QT27Controls/communication/ValueTelegram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray telegram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto readings = qt27::ParseModuleValues(telegram);
    for (int channel = 0; channel < qt27::kValueTelegramChannels; ++channel) {
        const int high = 2 * channel + 1;
        if (high + 1 < telegram.size()) {
            const int word =
                (static_cast<quint8>(telegram[high]) << 8) | static_cast<quint8>(telegram[high + 1]);
            if (readings[channel].value != (word & 0x7FFF) ||
                readings[channel].isInValid != ((word & 0x8000) != 0)) {
                __builtin_trap();
            }
        }
        if (readings[channel].value < 0) {
            __builtin_trap();
        }
    }
    return 0;
}
