// libFuzzer target: response documents of the communication service, as any
// bytes, through rmox::ResponseReader.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "rmox/Communication/ResponseReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString document =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    rmox::ResponseReader reader;
    if (reader.Parse(document, nullptr)) {
        // A successful parse never leaves a part half filled.
        if (!reader.HasConnectPart() && !reader.CommunicationReference().isEmpty()) {
            __builtin_trap();
        }
        if (!reader.HasDataPart() && !reader.Data().isEmpty()) {
            __builtin_trap();
        }
        if (reader.HasErrorPart() && reader.ErrorText().isEmpty()) {
            __builtin_trap();
        }
    } else if (reader.ErrorText().isEmpty() || reader.HasConnectPart() || reader.HasDataPart() ||
               reader.HasErrorPart()) {
        __builtin_trap();
    }
    return 0;
}
