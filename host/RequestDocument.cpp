#include "RequestDocument.h"

#include <QXmlStreamReader>

namespace host {

RequestDocument readRequestDocument(const QString& document) {
    RequestDocument result;
    const auto fail = [&result](const QString& why) {
        result = RequestDocument();
        result.error = why;
        return result;
    };
    if (document.trimmed().isEmpty()) {
        return fail(QStringLiteral("the request document is empty"));
    }
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement()) {
        return fail(QStringLiteral("the request document is not well-formed: %1").arg(xml.errorString()));
    }
    if (xml.name() != QLatin1String("FDT")) {
        return fail(QStringLiteral("the request document has the root element %1, not FDT").arg(xml.name()));
    }
    if (!xml.readNextStartElement()) {
        return fail(xml.hasError()
                        ? QStringLiteral("the request document is not well-formed: %1").arg(xml.errorString())
                        : QStringLiteral("the request document holds no request"));
    }
    result.element = xml.name().toString();
    result.attributes = xml.attributes();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("CommunicationData") && !result.hasData) {
            result.hasData = true;
            result.dataHex = xml.attributes().value(QLatin1String("byteArray")).toString();
        }
        xml.skipCurrentElement();
    }
    while (!xml.atEnd()) {
        xml.readNext();
    }
    if (xml.hasError()) {
        return fail(QStringLiteral("the request document is not well-formed: %1 (line %2, column %3)")
                        .arg(xml.errorString())
                        .arg(xml.lineNumber())
                        .arg(xml.columnNumber()));
    }
    return result;
}

}  // namespace host
