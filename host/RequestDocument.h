#pragma once

#include <QString>
#include <QXmlStreamAttributes>

namespace host {

/// A request document taken apart: the request element under the FDT root, its
/// attributes, and the byteArray of its first CommunicationData child. An empty
/// element name means the document cannot be read; @c error then says why.
struct RequestDocument {
    QString element;
    QXmlStreamAttributes attributes;
    bool hasData = false;
    QString dataHex;
    QString error;
};

/// Reads a request document of rmox/Communication/DOCUMENTS.md. Never fails: a
/// text that is not such a document gives an empty element and the reason.
RequestDocument readRequestDocument(const QString& document);

}  // namespace host
