// libFuzzer target: data set, channel and DTM information documents, as any
// bytes, through the document readers. A reader either fills its object or
// raises rmox::Error; it never crashes or leaves a half-filled object behind.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "rmox/Communication/DocumentReaders.h"
#include "rmox/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString document =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    rmox::ModuleData module;
    module.ModuleTypeCode = QStringLiteral("unchanged");
    QString moduleDocument = QStringLiteral("unchanged");
    try {
        rmox::ModuleDocumentReader().ReadDocument(document, module, moduleDocument);
        if (!moduleDocument.startsWith(QLatin1String("<Module"))) {
            __builtin_trap();
        }
    } catch (const rmox::Error& error) {
        if (error.description().isEmpty() || module.ModuleTypeCode != QLatin1String("unchanged") ||
            moduleDocument != QLatin1String("unchanged")) {
            __builtin_trap();
        }
    }

    rmox::ChannelData channel;
    try {
        rmox::ChannelDocumentReader().ReadDocument(document, channel, moduleDocument);
    } catch (const rmox::Error& error) {
        if (error.description().isEmpty() || channel.ChannelNumber != 0) {
            __builtin_trap();
        }
    }

    rmox::DtmInformationData information;
    QString errorText;
    if (!rmox::DtmInformationReader().ReadDocument(document, information, &errorText) &&
        errorText.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
