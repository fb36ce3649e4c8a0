#pragma once

#include <QString>

namespace qt27 {

/// An FDT channel object of the module.
class FdtChannel {
public:
    virtual ~FdtChannel() = default;
    /// The channel document for @p tag ("FDT") and the host DTM's document key.
    virtual QString RequestDocument(const QString& tag, const QString& documentKey) = 0;
};

/// The channel list of the host DTM: `Count`, `Item` by position from 1.
class FdtChannels {
public:
    virtual ~FdtChannels() = default;
    /// The number of channels.
    virtual int Count() const = 0;
    /// The channel at @p position (1 to Count); raises rmox::Error 9 outside that.
    virtual FdtChannel* Item(int position) = 0;
};

}  // namespace qt27
