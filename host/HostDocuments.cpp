#include "HostDocuments.h"

#include <QXmlStreamWriter>

#include "host/StationProject.h"

namespace host::documents {

namespace {

void writeModule(QXmlStreamWriter& xml, const ModuleRecord& module) {
    xml.writeStartElement(QStringLiteral("Module"));
    xml.writeAttribute(QStringLiteral("slot"), QString::number(module.slot));
    xml.writeAttribute(QStringLiteral("typeCode"), module.typeCode);
    xml.writeAttribute(QStringLiteral("typeName"), module.typeName);
    xml.writeEndElement();
}

}  // namespace

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString moduleDocument(const ModuleRecord& module) {
    QString text;
    QXmlStreamWriter xml(&text);
    writeModule(xml, module);
    return text;
}

QString dataSetDocument(const ModuleRecord& module) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeStartElement(QStringLiteral("DataSet"));
    writeModule(xml, module);
    xml.writeEmptyElement(QStringLiteral("Parameters"));
    xml.writeAttribute(QStringLiteral("byteArray"), hexText(module.parameters));
    xml.writeTextElement(QStringLiteral("Comment"), module.comment);
    xml.writeEndElement();
    xml.writeEndElement();
    return text;
}

QString channelDocument(int number, const QString& tag) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeEmptyElement(QStringLiteral("Channel"));
    xml.writeAttribute(QStringLiteral("number"), QString::number(number));
    xml.writeAttribute(QStringLiteral("tag"), tag);
    xml.writeEndElement();
    return text;
}

namespace {

QString writeDtmInformationDocument() {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement(QStringLiteral("FDT"));
    xml.writeStartElement(QStringLiteral("DtmInformation"));
    xml.writeAttribute(QStringLiteral("name"), kDtmName);
    xml.writeAttribute(QStringLiteral("revision"), kDtmRevision);
    xml.writeEmptyElement(QStringLiteral("FdtVersion"));
    xml.writeAttribute(QStringLiteral("major"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("minor"), QStringLiteral("2"));
    xml.writeEndElement();
    xml.writeEndElement();
    return text;
}

}  // namespace

QString dtmInformationDocument() {
    // Made of constants: written once, handed out to every page that opens.
    static const QString document = writeDtmInformationDocument();
    return document;
}

}  // namespace host::documents
