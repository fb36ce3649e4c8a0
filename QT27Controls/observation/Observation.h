#pragma once

#include <QList>

#include "QT27Controls/communication/ReadCyclePage.h"

namespace qt27 {

class ChannelObservation;

/// The Observation page: connects to the module after Init and shows the four
/// measured values, read again 500 ms after each answer, each in the unit its
/// channel display has selected.
class Observation : public ReadCyclePage {
    Q_OBJECT

public:
    /// Creates the page with its four channel displays, numbered 1 to 4; Init connects.
    explicit Observation(QWidget* parent = nullptr);

    /// The page's design size; its elements keep their design positions.
    QSize sizeHint() const override;

    /// The channel display with control-array index @p index (0 to 3).
    ChannelObservation* channelObservation(int index) const { return ctlChannelObservation.value(index); }

protected:
    void configureChildControls() override;
    void readAllValues() override;
    int helpContextId() const override { return 21400; }
    void setChannelConnection(int index, bool connected) override;
    void setChannelValue(int index, qint16 value, bool isInValid, bool isForced) override;
    void setChannelValueOutdated(int index) override;
    int channelCount() const override { return static_cast<int>(ctlChannelObservation.size()); }

private:
    QList<ChannelObservation*> ctlChannelObservation;
};

}  // namespace qt27
