#pragma once

#include <QString>

namespace rmox {

/// What the data set document says about the module.
struct ModuleData {
    QString ModuleTypeCode;  ///< "37" or "54" for a QT27; read as text
    QString ModuleTypeName;  ///< e.g. "QT27Ex 4 AI"
    int SlotNumber = 0;
};

/// What a channel document says about its channel.
struct ChannelData {
    int ChannelNumber = 0;  ///< 1-based
    QString Tag;
};

/// What the DTM information document says about the DTM.
struct DtmInformationData {
    QString DtmName;
    QString DtmRevision;
    int FdtVersionMajor = 0;
    int FdtVersionMinor = 0;
};

/// Reads the data set document into the module data object. The module document
/// is refreshed from the data set (its text is replaced by the module element).
/// A document that cannot be read raises rmox::Error naming what is wrong.
class ModuleDocumentReader {
public:
    void ReadDocument(const QString& document, ModuleData& moduleData, QString& moduleDocument);
};

/// Reads one channel document; the module document is consulted for the slot.
class ChannelDocumentReader {
public:
    void ReadDocument(const QString& document, ChannelData& channelData, const QString& moduleDocument);
};

/// Reads the DTM information document; answers false when it cannot.
class DtmInformationReader {
public:
    bool ReadDocument(const QString& document, DtmInformationData& information, QString* errorText = nullptr);
};

}  // namespace rmox
