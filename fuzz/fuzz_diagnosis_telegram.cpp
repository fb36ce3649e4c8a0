// libFuzzer target: diagnosis telegrams of any length through DecodeModuleDiagnosis.
// The first input byte chooses a text that is missing (none for 0); the rest is the
// telegram. Whatever the bytes: a complete decoding lists the four channels, each heading
// where it says it is, and a picture for each; a syntax error starts inside the text; a
// failure is reported, never thrown. FormatHexByte is checked for every byte value.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "QT27Controls/diagnosis/DiagnosisTelegram.h"
#include "rmox/Error.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool hexChecked = [] {
        for (int value = 0; value < 256; ++value) {
            char expected[8];
            std::snprintf(expected, sizeof expected, "0x%02X", value);
            check(qt27::FormatHexByte(static_cast<quint8>(value)) == QLatin1String(expected));
        }
        return true;
    }();
    check(hexChecked);
    if (size == 0) {
        return 0;
    }
    const int missing = data[0] == 0 ? 0 : 1000 + data[0] * 3;
    const QByteArray telegram(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const auto texts = [missing](int id, qt27::DiagnosisTextFolder folder) {
        if (id == missing) {
            throw rmox::Error(rmox::Error::InvalidProcedureCall, QStringLiteral("missing"));
        }
        return (folder == qt27::DiagnosisTextFolder::Common ? QStringLiteral("c") : QStringLiteral("d")) +
               QString::number(id);
    };
    const qt27::ModuleDiagnosis shown = qt27::DecodeModuleDiagnosis(telegram, texts);
    const QString text = shown.channelText();
    check(shown.moduleLines.size() <= 1);
    check(!shown.failed || shown.failureNumber != 0);
    if (shown.syntaxError != qt27::DiagnosisSyntaxError::None) {
        check(shown.syntaxErrorStart >= 0 && shown.syntaxErrorStart < text.size());
    }
    for (int index = 0; index < qt27::kDiagnosisChannels; ++index) {
        const int picture = shown.pictures[index];
        check(picture == 0 || picture - index == qt27::kTerminalOkPicture ||
              picture - index == qt27::kTerminalCode5Picture ||
              picture - index == qt27::kTerminalErrorPicture);
        if (shown.complete()) {
            const QString heading = (index == 0 ? QString() : QStringLiteral("\r\n")) +
                                    QStringLiteral("d4001 ") + QString::number(index + 1);
            check(picture != 0);
            check(text.mid(shown.headingStart[index], shown.headingLength[index]) == heading);
        }
    }
    return 0;
}
