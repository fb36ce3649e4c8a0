// Opening the Observation page on the simulated station (create, Init with its
// captions, unit lists and gauge scales, first layout and paint) against creating
// the same widgets without any logic.
//
//   bench_observation [runs]
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "PageBench.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/observation/ChannelUnitDisplay.h"
#include "QT27Controls/observation/Observation.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace {

constexpr int kSlot = 3;

QRect twips(int left, int top, int width, int height) {
    return qt27::twipsRect(left, top, width, height);
}

/// The widgets of one channel display, placed as the display places them: a frame
/// with a gauge set up for the first range, value box, unit list, line and state.
void addBareChannel(QWidget* page, int index) {
    auto* control = new QWidget(page);
    control->setGeometry(twips(480, 600 + index * 1710, 8400, 1650));
    auto* frame = new QGroupBox(QStringLiteral("Channel %1: TI-10%1").arg(index + 1), control);
    frame->setGeometry(control->rect());
    auto* gauge = new rmox::GaugeCtl(frame);
    gauge->setGeometry(twips(120, 300, 5580, 1230));
    auto* value = new QLineEdit(QStringLiteral("-/-"), frame);
    value->setReadOnly(true);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setGeometry(twips(5880, 360, 1350, 345));
    auto* unit = new QComboBox(frame);
    qt27::FillUnitList(*unit);
    unit->setCurrentIndex(qt27::UnitEntryPhysical);
    unit->setGeometry(twips(7350, 360, 930, 345));
    QString format;
    qt27::SetUpChannelGauge(*gauge, false);
    qt27::RunUnitConfiguration(37, 0, *gauge, *unit, format);
    auto* line = new QFrame(frame);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twips(5880, 870, 2400, 30));
    (new QLabel(QStringLiteral("State"), frame))->setGeometry(twips(5880, 1080, 1350, 345));
    (new QLabel(frame))->setGeometry(twips(7350, 990, 480, 480));
}

/// The same number and kinds of widgets as the Observation page: slot header, four
/// channel displays and a button bar.
void buildBarePage(QWidget& page) {
    page.resize(qt27::twipsToPixels(9360), qt27::twipsToPixels(600 + 4 * 1710 + 600));
    (new QLabel(QStringLiteral("Slot number"), &page))->setGeometry(twips(6960, 120, 1500, 285));
    (new QLabel(QStringLiteral("03"), &page))->setGeometry(twips(8520, 120, 600, 285));
    for (int index = 0; index < 4; ++index) {
        addBareChannel(&page, index);
    }
    pagebench::addBareButtonBar(page, "Connect");
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 200);

    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_observation: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    // No communication service: the page's connect is refused at once and nothing is
    // read while the page is timed.
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    std::printf("Observation page, slot %02d, %s platform\n", kSlot, qPrintable(QApplication::platformName()));

    pagebench::measureOpening<qt27::Observation>("Observation", runs, dtm, buildBarePage);
    return 0;
}
