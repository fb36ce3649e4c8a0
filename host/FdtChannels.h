#pragma once

#include <memory>
#include <vector>

#include "QT27Controls/framework/FdtChannel.h"

namespace host {

class ParameterManager;

/// One channel of a module; its document carries the channel number and the
/// tag as the project currently holds it.
class FdtChannel : public qt27::FdtChannel {
public:
    FdtChannel(const ParameterManager& module, int number) : m_module(module), m_number(number) {}
    /// Raises rmox::Error for a tag other than "FDT".
    QString RequestDocument(const QString& tag, const QString& documentKey) override;
    int number() const { return m_number; }

private:
    const ParameterManager& m_module;
    int m_number;
};

/// The four channels of a module.
class FdtChannels : public qt27::FdtChannels {
public:
    explicit FdtChannels(const ParameterManager& module);
    int Count() const override { return static_cast<int>(m_channels.size()); }
    qt27::FdtChannel* Item(int position) override;

private:
    std::vector<std::unique_ptr<FdtChannel>> m_channels;
};

}  // namespace host
