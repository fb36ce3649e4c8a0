#pragma once

#include <QString>

namespace rmox {

/// What the data set document says about the module.
struct ModuleData {
    QString ModuleTypeCode;  ///< "37" or "54" for a QT27; read as text
    QString ModuleTypeName;  ///< e.g. "QT27Ex 4 AI"
    int SlotNumber = 0;      ///< the module's slot in the station
};

/// What a channel document says about its channel.
struct ChannelData {
    int ChannelNumber = 0;  ///< 1-based
    QString Tag;            ///< the channel's tag, shown in the channel controls' captions
};

/// What the DTM information document says about the DTM.
struct DtmInformationData {
    QString DtmName;          ///< shown on About
    QString DtmRevision;      ///< the revision text, shown on About
    int FdtVersionMajor = 0;  ///< the FDT version the DTM supports: major number
    int FdtVersionMinor = 0;  ///< the FDT version the DTM supports: minor number
};

/// Reads the data set document into the module data object. The module document
/// is refreshed from the data set (its text is replaced by the module element).
/// A document that cannot be read raises rmox::Error naming what is wrong.
class ModuleDocumentReader {
public:
    /// Fills @p moduleData from the data set @p document and replaces
    /// @p moduleDocument by the module element.
    void ReadDocument(const QString& document, ModuleData& moduleData, QString& moduleDocument);
};

/// Reads one channel document; the module document is consulted for the slot.
class ChannelDocumentReader {
public:
    /// Fills @p channelData (number and tag) from the channel @p document.
    void ReadDocument(const QString& document, ChannelData& channelData, const QString& moduleDocument);
};

/// Reads the DTM information document; answers false when it cannot.
class DtmInformationReader {
public:
    /// Fills @p information from @p document; on failure answers false and, when
    /// @p errorText is given, says why there.
    bool ReadDocument(const QString& document, DtmInformationData& information, QString* errorText = nullptr);
};

}  // namespace rmox
