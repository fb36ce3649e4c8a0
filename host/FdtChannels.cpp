#include "FdtChannels.h"

#include <QCoreApplication>

#include "host/HostDocuments.h"
#include "host/ParameterManager.h"
#include "rmox/Error.h"

namespace host {

QString FdtChannel::RequestDocument(const QString& tag, const QString& /*documentKey*/) {
    if (tag != QLatin1String("FDT")) {
        throw rmox::Error(
            rmox::Error::InvalidArgument,
            QCoreApplication::translate("host::FdtChannels", "No channel document for tag \"%1\"").arg(tag));
    }
    return documents::channelDocument(m_number, m_module.record().channelTags.value(m_number - 1));
}

FdtChannels::FdtChannels(const ParameterManager& module) {
    for (int number = 1; number <= ModuleRecord::kChannelCount; ++number) {
        m_channels.push_back(std::make_unique<FdtChannel>(module, number));
    }
}

qt27::FdtChannel* FdtChannels::Item(int position) {
    if (position < 1 || position > Count()) {
        throw rmox::Error(rmox::Error::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    return m_channels[static_cast<size_t>(position - 1)].get();
}

}  // namespace host
