#include "ResponseReader.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace rmox {

namespace {

const QStringList& responseElements() {
    static const QStringList names = {QStringLiteral("ConnectResponse"), QStringLiteral("ReadResponse"),
                                      QStringLiteral("WriteResponse"), QStringLiteral("DisconnectResponse")};
    return names;
}

// "0", "000" and "0x0" all mean success; an empty code too.
bool isZeroCode(QStringView code) {
    code = code.trimmed();
    if (code.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        code = code.mid(2);
    }
    for (const QChar c : code) {
        if (c != QLatin1Char('0')) {
            return false;
        }
    }
    return true;
}

bool isHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Quotes at most the first 40 characters of a faulty attribute value.
QString excerpt(QStringView text) {
    constexpr int limit = 40;
    if (text.size() <= limit) {
        return text.toString();
    }
    return text.left(limit).toString() + QStringLiteral("...");
}

}  // namespace

bool ResponseReader::fail(const QString& text) {
    m_hasConnectPart = false;
    m_communicationReference.clear();
    m_hasDataPart = false;
    m_data.clear();
    m_hasErrorPart = false;
    m_errorText = text;
    return false;
}

bool ResponseReader::Parse(const QString& response, QObject* /*schemaObject*/) {
    *this = ResponseReader();
    if (response.trimmed().isEmpty()) {
        return fail(QStringLiteral("Response document is empty"));
    }

    QXmlStreamReader xml(response);
    const auto syntaxError = [&xml, this]() {
        return fail(QStringLiteral("Response document is not well-formed: %1 (line %2, column %3)")
                        .arg(xml.errorString())
                        .arg(xml.lineNumber())
                        .arg(xml.columnNumber()));
    };

    // Root element.
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
    }
    if (xml.hasError()) {
        return syntaxError();
    }
    if (xml.name() != QLatin1String("FDT")) {
        return fail(QStringLiteral("Response document has the unknown root element %1; expected FDT")
                        .arg(xml.name().toString()));
    }

    // Exactly one response element inside the root.
    bool haveResponse = false;
    while (xml.readNextStartElement()) {
        if (haveResponse) {
            return fail(QStringLiteral("Response document holds more than one response element (%1 follows)")
                            .arg(xml.name().toString()));
        }
        const QString element = xml.name().toString();
        if (!responseElements().contains(element)) {
            return fail(QStringLiteral("Response document has the unknown response element %1").arg(element));
        }
        haveResponse = true;

        const QXmlStreamAttributes attributes = xml.attributes();
        if (element == QLatin1String("ConnectResponse")) {
            const QString reference = attributes.value(QLatin1String("communicationReference")).toString();
            m_hasConnectPart = !reference.isEmpty();
            m_communicationReference = reference;
        }
        const QStringView code = attributes.value(QLatin1String("errorCode"));
        if (!isZeroCode(code)) {
            m_hasErrorPart = true;
            const QStringView text = attributes.value(QLatin1String("errorText"));
            m_errorText = text.isEmpty() ? code.trimmed().toString() : text.toString();
        }

        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("CommunicationData")) {
                xml.skipCurrentElement();
                continue;
            }
            if (m_hasDataPart) {
                return fail(QStringLiteral("%1 holds more than one CommunicationData element").arg(element));
            }
            const QXmlStreamAttributes data = xml.attributes();
            if (!data.hasAttribute(QLatin1String("byteArray"))) {
                return fail(
                    QStringLiteral("CommunicationData of %1 has no byteArray attribute").arg(element));
            }
            const QStringView hex = data.value(QLatin1String("byteArray"));
            for (const QChar c : hex) {
                if (!isHexDigit(c)) {
                    return fail(
                        QStringLiteral("CommunicationData of %1: byteArray is not hexadecimal: \"%2\"")
                            .arg(element, excerpt(hex)));
                }
            }
            if (hex.size() % 2 != 0) {
                return fail(
                    QStringLiteral("CommunicationData of %1: byteArray has an odd number of digits (%2)")
                        .arg(element)
                        .arg(hex.size()));
            }
            m_hasDataPart = true;
            m_data = QByteArray::fromHex(hex.toLatin1());
            xml.skipCurrentElement();
        }
        if (xml.hasError()) {
            return syntaxError();
        }
    }
    if (xml.hasError()) {
        return syntaxError();
    }
    if (!haveResponse) {
        return fail(QStringLiteral("Response document holds no response element"));
    }

    // Whatever follows the root must still be well-formed.
    while (!xml.atEnd()) {
        xml.readNext();
    }
    if (xml.hasError()) {
        return syntaxError();
    }
    return true;
}

}  // namespace rmox
