#include "Observation.h"

#include <QLabel>

#include "QT27Controls/common/ErrorHandling.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/observation/ChannelObservation.h"

namespace qt27 {

namespace {

constexpr int kChannelCount = 4;
// Design positions, in twips.
constexpr int kChannelLeft = 480;
constexpr int kChannelTop = 600;
constexpr int kChannelWidth = 8400;
constexpr int kChannelHeight = 1650;
constexpr int kChannelGap = 60;
constexpr int kPageWidth = 9360;
constexpr int kButtonBarHeight = 600;
constexpr int kPageHeight = kChannelTop + kChannelCount * (kChannelHeight + kChannelGap) + kButtonBarHeight;

}  // namespace

Observation::Observation(QWidget* parent)
    : ReadCyclePage(SessionVariant::Observation, ButtonBar | SlotHeader, parent) {
    // This page shows the slot number alone in its header.
    lblModuleType->hide();
    for (int index = 0; index < kChannelCount; ++index) {
        auto* channel = new ChannelObservation(this);
        channel->setObjectName(QStringLiteral("ctlChannelObservation"));
        channel->setProperty("index", index);
        channel->setGeometry(twipsRect(kChannelLeft, kChannelTop + index * (kChannelHeight + kChannelGap),
                                       kChannelWidth, kChannelHeight));
        channel->setChannelNumber(static_cast<qint16>(index + 1));
        ctlChannelObservation.append(channel);
    }
    resize(sizeHint());
}

QSize Observation::sizeHint() const {
    return {twipsToPixels(kPageWidth), twipsToPixels(kPageHeight)};
}

void Observation::configureChildControls() {
    // The slot header comes first on this page, then the channels.
    step([&] { lblSlotNumberLabel->setText(commonText(6002)); });
    step([&] {
        lblSlotNumber->setText(QStringLiteral("%1").arg(moduleData().SlotNumber, 2, 10, QLatin1Char('0')));
    });
    configureChannels(ctlChannelObservation);
}

void Observation::readAllValues() {
    showChannelTags(ctlChannelObservation);
}

void Observation::setChannelConnection(int index, bool connected) {
    if (ChannelObservation* channel = ctlChannelObservation.value(index)) {
        channel->setHasConnection(connected);
    }
}

void Observation::setChannelValue(int index, qint16 value, bool isInValid, bool isForced) {
    if (ChannelObservation* channel = ctlChannelObservation.value(index)) {
        channel->SetCurrentValue(value, isInValid, isForced);
    }
}

void Observation::setChannelValueOutdated(int index) {
    if (ChannelObservation* channel = ctlChannelObservation.value(index)) {
        channel->MarkValueOutdated();
    }
}

}  // namespace qt27
