// libFuzzer target: arbitrary bytes as a resource text file. The parser never
// crashes, and every text it keeps came from a line of its own: a text holds no
// line feed that the file did not spell as an escape.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "rmox/ResourceServer/ResourceTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QHash<int, QString> texts = rmox::ParseResourceTexts(content);
    const bool escapedFeeds = content.contains("\\n");
    for (auto text = texts.cbegin(); text != texts.cend(); ++text) {
        if (!escapedFeeds && text->contains(QLatin1Char('\n'))) {
            std::abort();
        }
        if (text->size() > content.size()) {
            std::abort();
        }
    }
    // A line written for an id that was read reads back as the same text.
    for (auto text = texts.cbegin(); text != texts.cend(); ++text) {
        if (text->contains(QLatin1Char('\\')) || text->contains(QLatin1Char('\n')) ||
            text->contains(QLatin1Char('\r'))) {
            continue;
        }
        const QByteArray line = QByteArray::number(text.key()) + '=' + text->toUtf8();
        if (rmox::ParseResourceTexts(line).value(text.key()) != *text) {
            std::abort();
        }
    }
    return 0;
}
