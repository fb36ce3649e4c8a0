#pragma once

#include <QByteArray>
#include <QString>

class QObject;

namespace rmox {

/// Reads one response document of the communication service.
///
/// A response is an `FDT` root holding one response element: `ConnectResponse`,
/// `ReadResponse`, `WriteResponse` or `DisconnectResponse`. The result has up to
/// three parts, each of which may be absent:
/// - connect part: a `ConnectResponse` with a non-empty `communicationReference`;
/// - data part: a `CommunicationData` child of the response element; its
///   `byteArray` attribute holds two hexadecimal digits per byte;
/// - error part: a non-zero `errorCode` on the response element; its text is the
///   `errorText` attribute, or the code itself when there is no text.
///
/// Parse() answers false when the document cannot be read; ErrorText() then names
/// what is wrong. Each Parse() starts from an empty result.
class ResponseReader {
public:
    /// @p schemaObject is the base DTM's schema object; the documents of this host
    /// need no schema, so it is accepted and may be null.
    bool Parse(const QString& response, QObject* schemaObject);

    bool HasConnectPart() const { return m_hasConnectPart; }
    QString CommunicationReference() const { return m_communicationReference; }

    bool HasDataPart() const { return m_hasDataPart; }
    QByteArray Data() const { return m_data; }

    bool HasErrorPart() const { return m_hasErrorPart; }
    /// After a failed Parse(): what is wrong with the document. After a successful
    /// one: the text of the error part (empty without an error part).
    QString ErrorText() const { return m_errorText; }

private:
    bool fail(const QString& text);

    bool m_hasConnectPart = false;
    QString m_communicationReference;
    bool m_hasDataPart = false;
    QByteArray m_data;
    bool m_hasErrorPart = false;
    QString m_errorText;
};

}  // namespace rmox
