// Opening the Identification page on the simulated station (create, Init with its captions,
// device picture, catalogue number, the stored production data and the comment, first
// layout and paint) against creating the same widgets without any logic; and one 33-byte
// production-data telegram: decoded alone, and through ParseQsData (decoded, shown, its
// stored form built and compared with the stored one; the data do not change, so nothing
// is written).
//
//   bench_identification [runs]
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "PageBench.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/identification/Identification.h"
#include "host/BaseDtm.h"
#include "host/ParameterManager.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "rmox/QsData/QsData.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

constexpr int kSlot = 3;

QRect twips(int left, int top, int width, int height) {
    return qt27::twipsRect(left, top, width, height);
}

/// The same number and kinds of widgets as the Identification page, placed alike, with the
/// same texts and picture (read once beforehand): four frames, eleven labels, ten line
/// edits, three text areas, the picture and a button bar.
void buildBarePage(QWidget& page, const QPixmap& picture, const QStringList& texts) {
    page.resize(qt27::twipsToPixels(9000), qt27::twipsToPixels(7320));
    auto* header = new QGroupBox(&page);
    header->setGeometry(twips(120, 60, 8760, 660));
    (new QLabel(QStringLiteral("QT27Ex 4AI"), header))->setGeometry(twips(180, 150, 8400, 390));
    const int tops[] = {840, 2400, 4680};
    const int heights[] = {1500, 2190, 1110};
    int text = 0;
    for (int frame = 0; frame < 3; ++frame) {
        auto* box = new QGroupBox(texts.value(text++), &page);
        box->setGeometry(twips(120, tops[frame], 5760, heights[frame]));
        for (int row = 0; row < 3 - (frame == 2 ? 1 : 0); ++row) {
            (new QLabel(texts.value(text++), box))->setGeometry(twips(120, 330 + row * 390, 1920, 315));
            if (frame == 1 && row != 1) {
                auto* area = new QPlainTextEdit(texts.value(text++), box);
                area->setReadOnly(true);
                area->setGeometry(twips(2100, 300 + row * 555, 3540, 660));
                continue;
            }
            const bool pair = row == 2 || frame == 2;
            (new QLineEdit(texts.value(text++), box))
                ->setGeometry(twips(2100, 300 + row * 390, pair ? 1440 : 3540, 315));
            if (pair) {
                (new QLabel(QStringLiteral("-"), box))->setGeometry(twips(3570, 330 + row * 390, 180, 315));
                (new QLineEdit(texts.value(text++), box))
                    ->setGeometry(twips(3780, 300 + row * 390, 1860, 315));
            }
        }
    }
    auto* image = new QLabel(&page);
    image->setScaledContents(true);
    image->setPixmap(picture);
    image->setGeometry(twips(6022, 840, 2700, 3915));
    (new QPlainTextEdit(QStringLiteral("Boiler feed temperatures"), &page))
        ->setGeometry(twips(120, 5880, 8760, 720));
    pagebench::addBareButtonBar(page, "Reread");
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 200);

    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_identification: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    // No communication service: the page's connect is refused at once and nothing is read
    // while the page is timed. The module has stored production data, as after a reading.
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    host::SimulatedStation simulation(station.busAddress());
    simulation.addModule(kSlot, 37);
    const QByteArray telegram =
        host::SimulatedStation::encodeProductionData(simulation.productionData(kSlot));
    {
        qt27::Identification page;
        page.IDtmActiveXControl_Init(QStringLiteral("INV-STORE"), QString(), dtm);
        page.ParseQsData(telegram);
        page.IDtmActiveXControl_PrepareToRelease();
    }
    std::printf("Identification page, slot %02d, %s platform, %lld bytes stored\n", kSlot,
                qPrintable(QApplication::platformName()),
                static_cast<long long>(dtm->baseDtm()->ParameterManager()->StoredQsData().size()));

    rmox::ResourceManager* resources = dtm->baseDtm()->resourceManager();
    const QPixmap picture = resources->GetPicture(601, qt27::CommonResourceFolder());
    QStringList texts;
    for (int id :
         {7009, 7001, 0, 7003, 0, 7002, 0, 0, 7010, 7004, 2002, 7005, 2003, 7006, 2004, 0, 7007, 0, 0}) {
        texts << (id == 0 ? QStringLiteral("-/-")
                          : resources->GetString(id, id >= 5000 ? qt27::CommonResourceFolder()
                                                                : qt27::DeviceResourceFolder()));
    }
    pagebench::measureOpening<qt27::Identification>(
        "Identification", runs, dtm, [&](QWidget& page) { buildBarePage(page, picture, texts); });

    const pagebench::Figures decoded = pagebench::measure(runs * 10, 50, [&] {
        QElapsedTimer timer;
        timer.start();
        rmox::QsData data;
        data.Decode(telegram);
        const qint64 elapsed = timer.nsecsElapsed();
        return data.SerialNumber.isEmpty() ? -1 : elapsed;
    });
    qt27::Identification page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-BENCH"), QString(), dtm);
    pagebench::showAndSettle(page);
    const pagebench::Figures parsed = pagebench::measure(runs * 10, 50, [&] {
        QElapsedTimer timer;
        timer.start();
        page.ParseQsData(telegram);
        return timer.nsecsElapsed();
    });
    pagebench::print("33-byte telegram decoded (QsData::Decode)", decoded);
    pagebench::print("decoded, shown, stored form compared (ParseQsData)", parsed);
    page.IDtmActiveXControl_PrepareToRelease();
    return 0;
}
