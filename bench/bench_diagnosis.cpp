// Opening the Diagnosis page on the simulated station (create, Init with its captions,
// terminal drawings and pictures, first layout and paint) against creating the same
// widgets without any logic; and one 5-byte diagnosis telegram: decoded alone, decoded
// and rendered into the page (texts, emphasis, terminal pictures), and then repainted.
// Two telegrams take turns, so that every one is drawn (an unchanged one is not); the
// unchanged one is timed too.
//
//   bench_diagnosis [runs]
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "PageBench.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/diagnosis/Diagnosis.h"
#include "QT27Controls/diagnosis/DiagnosisTelegram.h"
#include "QT27Controls/framework/Twips.h"
#include "host/BaseDtm.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

constexpr int kSlot = 3;

QRect twips(int left, int top, int width, int height) {
    return qt27::twipsRect(left, top, width, height);
}

/// The same number and kinds of widgets as the Diagnosis page, placed alike, with the
/// same pictures (read once beforehand): header frame, two text frames, two drawings,
/// eight terminal boxes and a button bar.
void buildBarePage(QWidget& page, const QList<QPixmap>& pictures) {
    page.resize(qt27::twipsToPixels(9000), qt27::twipsToPixels(6240));
    auto* header = new QGroupBox(&page);
    header->setGeometry(twips(120, 60, 8760, 660));
    (new QLabel(QStringLiteral("Diagnosis of slot 03: QT27Ex 4AI"), header))
        ->setGeometry(twips(180, 150, 8400, 390));
    auto* module = new QGroupBox(QStringLiteral("Module related diagnosis"), &page);
    module->setGeometry(twips(120, 840, 5700, 1140));
    (new QPlainTextEdit(module))->setGeometry(twips(120, 330, 5460, 690));
    auto* channels = new QGroupBox(QStringLiteral("Channel related diagnosis"), &page);
    channels->setGeometry(twips(120, 2100, 5700, 3360));
    (new QTextEdit(channels))->setGeometry(twips(120, 330, 5460, 2910));
    for (int index = 0; index < 10; ++index) {
        auto* label = new QLabel(&page);
        label->setPixmap(pictures.at(index));
        label->setGeometry(index < 2 ? twips(6060, 1020, 2700, 3900)
                                     : twips(7020, 1620 + (index - 2) * 390, 360, 360));
        label->setVisible(index != 1);
    }
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
        std::fprintf(stderr, "bench_diagnosis: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    // No communication service: the page's connect is refused at once and nothing is read
    // while the page is timed.
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    std::printf("Diagnosis page, slot %02d, %s platform\n", kSlot, qPrintable(QApplication::platformName()));

    rmox::ResourceManager* resources = dtm->baseDtm()->resourceManager();
    QList<QPixmap> pictures = {resources->GetPicture(131, qt27::DeviceResourceFolder()),
                               resources->GetPicture(132, qt27::DeviceResourceFolder())};
    for (int index = 0; index < 8; ++index) {
        pictures << resources->GetPicture(400 + index, qt27::CommonResourceFolder());
    }
    pagebench::measureOpening<qt27::Diagnosis>("Diagnosis", runs, dtm,
                                               [&](QWidget& page) { buildBarePage(page, pictures); });

    const QByteArray telegrams[] = {QByteArray::fromHex("0012253142"), QByteArray::fromHex("0011253142")};
    const qt27::DiagnosisTexts texts = [resources](int id, qt27::DiagnosisTextFolder folder) {
        return resources->GetString(
            id, folder == qt27::DiagnosisTextFolder::Common ? qt27::CommonResourceFolder() : QString());
    };
    int turn = 0;
    const pagebench::Figures decoded = pagebench::measure(runs * 10, 50, [&] {
        QElapsedTimer timer;
        timer.start();
        const qt27::ModuleDiagnosis shown = qt27::DecodeModuleDiagnosis(telegrams[++turn % 2], texts);
        const qint64 elapsed = timer.nsecsElapsed();
        return shown.complete() ? elapsed : -1;
    });

    qt27::Diagnosis page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-BENCH"), QStringLiteral("Diagnosis"), dtm);
    pagebench::showAndSettle(page);
    const auto parse = [&](bool repaint, bool alternate) {
        QByteArray telegram = telegrams[alternate ? ++turn % 2 : turn % 2];
        QElapsedTimer timer;
        timer.start();
        page.ParseModuleDiagnosis(telegram);
        if (repaint) {
            QCoreApplication::processEvents();
        }
        return timer.nsecsElapsed();
    };
    const pagebench::Figures rendered = pagebench::measure(runs * 10, 50, [&] { return parse(false, true); });
    const pagebench::Figures repainted = pagebench::measure(runs * 10, 50, [&] { return parse(true, true); });
    const pagebench::Figures unchanged =
        pagebench::measure(runs * 10, 50, [&] { return parse(false, false); });
    pagebench::print("5-byte telegram decoded (DecodeModuleDiagnosis)", decoded);
    pagebench::print("5-byte telegram decoded and rendered (ParseModuleDiagnosis)", rendered);
    pagebench::print("decoded, rendered and repainted", repainted);
    pagebench::print("the same telegram again (not drawn)", unchanged);
    page.IDtmActiveXControl_PrepareToRelease();
    return 0;
}
