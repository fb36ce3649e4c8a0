// Opening the Parameter page on the simulated station (create, Init, first layout
// and paint) against creating the same widgets without any logic, and the time
// from a user's range selection to the refreshed editors.
//
//   bench_parameter [runs]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include "PageBench.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "host/BaseDtm.h"
#include "host/MessageService.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace {

constexpr int kSlot = 3;

QRect twips(int left, int top, int width, int height) {
    return qt27::twipsRect(left, top, width, height);
}

/// The widgets of one channel editor, placed as the editor places them, without logic.
void addBareChannel(QWidget* page, int index) {
    auto* control = new QWidget(page);
    control->setGeometry(twips(120, 600 + index * 1800, 9360, 1740));
    auto* outer = new QGroupBox(QStringLiteral("Channel %1: TI-10%1").arg(index + 1), control);
    outer->setGeometry(control->rect());
    auto* input = new QGroupBox(QStringLiteral("Input"), outer);
    input->setGeometry(twips(120, 330, 3150, 1290));
    auto* rangeLabel = new QLabel(QStringLiteral("Range"), input);
    rangeLabel->setGeometry(twips(120, 300, 1290, 390));
    auto* range = new QComboBox(input);
    range->addItems({"0..10 V", "2..10 V", "0..20 mA", "4..20 mA"});
    range->setGeometry(twips(1470, 300, 1560, 390));
    auto* dampingLabel = new QLabel(QStringLiteral("Damping"), input);
    dampingLabel->setGeometry(twips(120, 750, 1290, 390));
    auto* damping = new QComboBox(input);
    damping->addItems({"off", "100 ms", "2.6 s", "29.2 s"});
    damping->setGeometry(twips(1470, 750, 1560, 390));
    auto* monitoring = new QGroupBox(QStringLiteral("Line monitoring and failsafe strategy"), outer);
    monitoring->setGeometry(twips(3390, 330, 5850, 1290));
    auto* openLineLabel = new QLabel(QStringLiteral("Open line detection"), monitoring);
    openLineLabel->setGeometry(twips(120, 300, 2340, 390));
    auto* openLine = new QCheckBox(monitoring);
    openLine->setGeometry(twips(2520, 300, 330, 390));
    auto* shortLabel = new QLabel(QStringLiteral("Short circuit detection"), monitoring);
    shortLabel->setGeometry(twips(120, 750, 2340, 390));
    auto* shortDetection = new QCheckBox(monitoring);
    shortDetection->setGeometry(twips(2520, 750, 330, 390));
    auto* failsafeLabel = new QLabel(QStringLiteral("Failsafe value"), monitoring);
    failsafeLabel->setGeometry(twips(2970, 300, 2760, 390));
    auto* failsafe = new QComboBox(monitoring);
    failsafe->addItems({"Minimum value", "Maximum value", "Last valid value"});
    failsafe->setGeometry(twips(2970, 750, 2760, 390));
}

/// The same number and kinds of widgets as the Parameter page: header, four
/// editors and a button bar.
void buildBarePage(QWidget& page) {
    page.resize(qt27::twipsToPixels(9600), qt27::twipsToPixels(8400));
    (new QLabel(QStringLiteral("QT27Ex 4AI: "), &page))->setGeometry(twips(5520, 120, 1320, 285));
    (new QLabel(QStringLiteral("Slot number"), &page))->setGeometry(twips(6960, 120, 1500, 285));
    (new QLabel(QStringLiteral("03"), &page))->setGeometry(twips(8520, 120, 600, 285));
    for (int index = 0; index < 4; ++index) {
        addBareChannel(&page, index);
    }
    pagebench::addBareButtonBar(page, "");
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 200);

    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_parameter: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    // Never a modal question while timing.
    dtm->baseDtm()->messageService()->setAnswerFunction(
        [](const QString&, const QString&, int) { return int(qt27::MessageService::AnswerNo); });

    std::printf("Parameter page, slot %02d (type %s), %s platform\n", kSlot,
                qPrintable(station.moduleRecord(kSlot)->typeCode), qPrintable(QApplication::platformName()));

    pagebench::measureOpening<qt27::Parameter>("Parameter", runs, dtm, buildBarePage);

    // A user's range selection: RangeChanged, the working copy, all four editors
    // refreshed (the module data are read again for each editor).
    qt27::Parameter page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-BENCH"), QStringLiteral("Parameter"), dtm);
    pagebench::showAndSettle(page);
    int selection = 0;
    const auto choose = [&] {
        const int channel = selection % 4;
        auto* range = page.channelParameter(channel)->findChild<QComboBox*>(QStringLiteral("cboRange"));
        ++selection;
        return std::make_pair(range, (range->currentIndex() + 1) % range->count());
    };
    const pagebench::Figures refresh = pagebench::measure(runs * 10, 20, [&] {
        const auto [range, index] = choose();
        QElapsedTimer timer;
        timer.start();
        range->setCurrentIndex(index);
        return timer.nsecsElapsed();
    });
    const pagebench::Figures repainted = pagebench::measure(runs * 10, 20, [&] {
        const auto [range, index] = choose();
        QElapsedTimer timer;
        timer.start();
        range->setCurrentIndex(index);
        QCoreApplication::processEvents();
        return timer.nsecsElapsed();
    });
    pagebench::print("range selection -> four editors refreshed", refresh);
    pagebench::print("range selection -> refreshed and repainted", repainted);
    page.IDtmActiveXControl_PrepareToRelease();
    return 0;
}
