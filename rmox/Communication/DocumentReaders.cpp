#include "DocumentReaders.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "rmox/Error.h"

namespace rmox {

namespace {

[[noreturn]] void fail(long number, const QString& what) {
    throw Error(number, what);
}

// Finds the first element @p name in @p document; raises an error that names the
// document and what is wrong when the text is not well-formed or lacks the element.
QXmlStreamAttributes findElement(const QString& document, const QString& documentName, const QString& name) {
    if (document.trimmed().isEmpty()) {
        fail(Error::TypeMismatch, QStringLiteral("%1 is empty").arg(documentName));
    }
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name) {
            return xml.attributes();
        }
    }
    if (xml.hasError()) {
        fail(Error::TypeMismatch, QStringLiteral("%1 is not well-formed: %2 (line %3, column %4)")
                                      .arg(documentName, xml.errorString())
                                      .arg(xml.lineNumber())
                                      .arg(xml.columnNumber()));
    }
    fail(Error::TypeMismatch, QStringLiteral("%1 has no %2 element").arg(documentName, name));
}

int integerAttribute(const QXmlStreamAttributes& attributes, const QString& name,
                     const QString& documentName) {
    if (!attributes.hasAttribute(name)) {
        fail(Error::TypeMismatch, QStringLiteral("%1 has no attribute %2").arg(documentName, name));
    }
    bool ok = false;
    const int value = attributes.value(name).trimmed().toInt(&ok);
    if (!ok) {
        fail(Error::TypeMismatch, QStringLiteral("%1: attribute %2 is not a whole number: \"%3\"")
                                      .arg(documentName, name, attributes.value(name).toString()));
    }
    return value;
}

}  // namespace

void ModuleDocumentReader::ReadDocument(const QString& document, ModuleData& moduleData,
                                        QString& moduleDocument) {
    const QString documentName = QStringLiteral("Data set document");
    const QXmlStreamAttributes module = findElement(document, documentName, QStringLiteral("Module"));
    ModuleData result;
    result.SlotNumber = integerAttribute(module, QStringLiteral("slot"), documentName);
    result.ModuleTypeCode = module.value(QStringLiteral("typeCode")).toString();
    result.ModuleTypeName = module.value(QStringLiteral("typeName")).toString();
    moduleData = result;

    QString text;
    QXmlStreamWriter writer(&text);
    writer.writeStartElement(QStringLiteral("Module"));
    for (const QXmlStreamAttribute& attribute : module) {
        writer.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
    }
    writer.writeEndElement();
    moduleDocument = text;
}

void ChannelDocumentReader::ReadDocument(const QString& document, ChannelData& channelData,
                                         const QString& /*moduleDocument*/) {
    const QString documentName = QStringLiteral("Channel document");
    const QXmlStreamAttributes channel = findElement(document, documentName, QStringLiteral("Channel"));
    ChannelData result;
    result.ChannelNumber = integerAttribute(channel, QStringLiteral("number"), documentName);
    result.Tag = channel.value(QStringLiteral("tag")).toString();
    channelData = result;
}

bool DtmInformationReader::ReadDocument(const QString& document, DtmInformationData& information,
                                        QString* errorText) {
    const QString documentName = QStringLiteral("DTM information document");
    try {
        const QXmlStreamAttributes dtm =
            findElement(document, documentName, QStringLiteral("DtmInformation"));
        const QXmlStreamAttributes version =
            findElement(document, documentName, QStringLiteral("FdtVersion"));
        DtmInformationData result;
        result.DtmName = dtm.value(QStringLiteral("name")).toString();
        result.DtmRevision = dtm.value(QStringLiteral("revision")).toString();
        result.FdtVersionMajor = integerAttribute(version, QStringLiteral("major"), documentName);
        result.FdtVersionMinor = integerAttribute(version, QStringLiteral("minor"), documentName);
        information = result;
        return true;
    } catch (const Error& error) {
        if (errorText != nullptr) {
            *errorText = error.description();
        }
        return false;
    }
}

}  // namespace rmox
