// libFuzzer target: arbitrary bytes as a request document through the reader of
// the host's communication service, which reads what any caller sends. The reader
// never crashes and either names a request or says why it cannot, never both.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "host/RequestDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const host::RequestDocument document = host::readRequestDocument(text);
    if (document.element.isEmpty() == document.error.isEmpty()) {
        std::abort();
    }
    if (document.element.isEmpty() && (document.hasData || !document.attributes.isEmpty())) {
        std::abort();
    }
    if (!document.hasData && !document.dataHex.isEmpty()) {
        std::abort();
    }
    return 0;
}
