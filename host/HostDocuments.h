#pragma once

#include <QByteArray>
#include <QString>

namespace host {

struct ModuleRecord;

/// The documents the host hands to the pages (formats in rmox/Communication/DOCUMENTS.md).
namespace documents {

/// Name and revision that the DTM information document reports.
inline const QString kDtmName = QStringLiteral("rimox QT27 DTM");
inline const QString kDtmRevision = QStringLiteral("1.0.0");

/// `<Module slot=".." typeCode=".." typeName=".."/>`
QString moduleDocument(const ModuleRecord& module);
/// `<FDT><DataSet><Module/><Parameters byteArray=".."/><Comment>..</Comment></DataSet></FDT>`
QString dataSetDocument(const ModuleRecord& module);
/// `<FDT><Channel number=".." tag=".."/></FDT>`
QString channelDocument(int number, const QString& tag);
/// `<FDT><DtmInformation name=".." revision=".."><FdtVersion major="1" minor="2"/></DtmInformation></FDT>`
QString dtmInformationDocument();

/// Upper-case hexadecimal digits, two per byte.
QString hexText(const QByteArray& bytes);

}  // namespace documents
}  // namespace host
