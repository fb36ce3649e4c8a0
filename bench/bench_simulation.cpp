// The Simulation page: opening it (create, Init, first layout and paint) against the same
// widget tree built bare; one output-values read answer handled and repainted against the
// bare widget updates it causes; and the time from a committed force value (Enter in the
// force value box) to the write request reaching the communication service.
//
//   bench_simulation [runs]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "PageBench.h"
#include "QT27Controls/common/ApplicationFolder.h"
#include "QT27Controls/communication/CommunicationService.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/simulation/ChannelSimulation.h"
#include "QT27Controls/simulation/Simulation.h"
#include "host/BaseDtm.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"
#include "rmox/GaugeCtl/GaugeCtl.h"
#include "rmox/ResourceServer/ResourceManager.h"

namespace {

constexpr int kSlot = 3;
const QString kReference = QStringLiteral("BENCH-REF");

/// Accepts every request and keeps the invoke id of the last one of each kind; answers
/// come only from the benchmark. Notes when the last write request arrived.
class HandService : public qt27::CommunicationService {
public:
    bool Connect(QObject*, qt27::IBaseCommunicationCallback*, const QString& invokeId, const QString&,
                 const QString&) override {
        connectId = invokeId;
        return true;
    }
    bool Disconnect(const QString&, qt27::IBaseCommunicationCallback*, const QString&) override {
        return true;
    }
    bool TransactionRequest(const QString&, qt27::IBaseCommunicationCallback*, const QString& invokeId,
                            const QString& request) override {
        (request.contains(QLatin1String("WriteRequest")) ? writeId : readId) = invokeId;
        if (request.contains(QLatin1String("WriteRequest"))) {
            writeArrivedNs = clock.nsecsElapsed();
        }
        return true;
    }
    bool VerifyConnection(bool) override { return true; }

    QString connectId, readId, writeId;
    QElapsedTimer clock;
    qint64 writeArrivedNs = 0;
};

QString readAnswer(const QByteArray& data) {
    return QStringLiteral(
               "<FDT><ReadResponse slot=\"3\" index=\"17\" communicationReference=\"%1\" errorCode=\"0\">"
               "<CommunicationData byteArray=\"%2\"/></ReadResponse></FDT>")
        .arg(kReference, QString::fromLatin1(data.toHex().toUpper()));
}

/// The widgets of the Simulation page, placed alike, without logic: per channel a frame
/// with a gauge, two value boxes, the unit list, two switches, five labels, a line and the
/// state picture; the header and the button bar.
void buildBarePage(QWidget& page) {
    page.resize(qt27::twipsToPixels(9360), qt27::twipsToPixels(10440));
    (new QLabel(QStringLiteral("QT27Ex 4AI:"), &page))->setGeometry(qt27::twipsRect(5200, 120, 1500, 300));
    (new QLabel(QStringLiteral("Slot number"), &page))->setGeometry(qt27::twipsRect(6900, 120, 1500, 300));
    (new QLabel(QStringLiteral("03"), &page))->setGeometry(qt27::twipsRect(8500, 120, 400, 300));
    for (int index = 0; index < 4; ++index) {
        auto* frame = new QGroupBox(QStringLiteral("Channel %1: TI-10%1").arg(index + 1), &page);
        frame->setGeometry(qt27::twipsRect(480, 600 + index * 2310, 8400, 2250));
        auto* gauge = new rmox::GaugeCtl(frame);
        gauge->setSliderVisible(true);
        gauge->setGeometry(qt27::twipsRect(120, 300, 4440, 1830));
        for (int row = 0; row < 2; ++row) {
            (new QLabel(row == 0 ? "Process value" : "Forced value", frame))
                ->setGeometry(qt27::twipsRect(4680, 360 + 420 * row, 1440, 345));
            (new QLineEdit(QStringLiteral("12.000"), frame))
                ->setGeometry(qt27::twipsRect(6180, 360 + 420 * row, 1140, 345));
            (new QCheckBox(frame))->setGeometry(qt27::twipsRect(4680, 1380 + 420 * row, 300, 345));
            (new QLabel(row == 0 ? "Forcing activated" : "Force invalid", frame))
                ->setGeometry(qt27::twipsRect(5010, 1380 + 420 * row, 2130, 345));
        }
        auto* unit = new QComboBox(frame);
        unit->addItems({QStringLiteral("%"), QStringLiteral("mA")});
        unit->setGeometry(qt27::twipsRect(7380, 360, 900, 345));
        auto* line = new QFrame(frame);
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(qt27::twipsRect(4680, 1230, 3600, 30));
        (new QLabel(QStringLiteral("State"), frame))->setGeometry(qt27::twipsRect(7200, 1380, 1080, 345));
        (new QLabel(frame))->setGeometry(qt27::twipsRect(7440, 1740, 480, 420));
    }
    auto* bar = new QWidget(&page);
    auto* layout = new QHBoxLayout(bar);
    layout->addWidget(new QLabel(QStringLiteral("online"), bar), 1);
    for (const char* caption : {"Disconnect", "Close", "Help"}) {
        layout->addWidget(new QPushButton(QLatin1String(caption), bar));
    }
    bar->setGeometry(0, page.height() - 40, page.width(), 40);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 200);

    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_simulation: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    // No communication service while opening: the connect is refused at once.
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    std::printf("Simulation page, slot %02d, %s platform\n", kSlot, qPrintable(QApplication::platformName()));
    pagebench::measureOpening<qt27::Simulation>("Simulation", runs, dtm, buildBarePage);

    // Online through a service that answers only what the benchmark hands in.
    HandService service;
    service.clock.start();
    dtm->setCommunicationObjects({&service});
    qt27::Simulation page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-BENCH"), QStringLiteral("Simulation"), dtm);
    pagebench::showAndSettle(page);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    page.OnConnectResponse(
        service.connectId,
        QStringLiteral("<FDT><ConnectResponse busAddress=\"12\" communicationReference=\"%1\" "
                       "connectStatus=\"deviceInDataExchange\"/></FDT>")
            .arg(kReference));
    page.cycleTimer()->setInterval(3600000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);  // the first read goes out
    const QByteArray telegrams[] = {QByteArray::fromHex("2EE0138807D04E20"),
                                    QByteArray::fromHex("2EF0139807E04E30")};
    int turn = 0;
    int failures = 0;
    const pagebench::Figures answered = pagebench::measure(runs * 5, 20, [&] {
        page.CallReadValues(QVariant());
        const QString answer = readAnswer(telegrams[++turn % 2]);
        QElapsedTimer timer;
        timer.start();
        page.OnTransactionResponse(service.readId, answer);
        QCoreApplication::processEvents();
        const qint64 elapsed = timer.nsecsElapsed();
        failures += page.readInvokeIdOutstanding().isEmpty() ? 0 : 1;
        return elapsed;
    });

    QWidget bare;
    buildBarePage(bare);
    pagebench::showAndSettle(bare);
    const QList<QLineEdit*> boxes = bare.findChildren<QLineEdit*>();
    const QList<rmox::GaugeCtl*> gauges = bare.findChildren<rmox::GaugeCtl*>();
    const pagebench::Figures bareUpdate = pagebench::measure(runs * 5, 20, [&] {
        const QString text = QString::number(++turn % 2 ? 12.0 : 12.016, 'f', 3);
        QElapsedTimer timer;
        timer.start();
        for (int index = 0; index < 4; ++index) {
            boxes[2 * index]->setText(text);
            gauges[index]->setValue(turn % 2 ? 500.0F : 500.7F);
        }
        QCoreApplication::processEvents();
        return timer.nsecsElapsed();
    });
    pagebench::print("one output-values answer handled and repainted", answered);
    pagebench::print("bare update of the same widgets and repaint", bareUpdate);
    pagebench::printRatio("ratio answer / bare update", answered, bareUpdate);

    // Forcing channel 1; each run commits a new value and times it up to the write request.
    qt27::ChannelSimulation* editor = page.channelSimulation(0);
    editor->findChild<QCheckBox*>(QStringLiteral("chkForcingActivated"))->setChecked(true);
    auto* text = editor->findChild<QLineEdit*>(QStringLiteral("txtForceValue"));
    const QString writeAnswer = QStringLiteral(
        "<FDT><WriteResponse slot=\"3\" index=\"20\" communicationReference=\"BENCH-REF\" "
        "errorCode=\"0\"/></FDT>");
    const pagebench::Figures committed = pagebench::measure(runs * 5, 20, [&] {
        page.OnTransactionResponse(service.writeId, writeAnswer);
        text->setText(QString::number(4 + (++turn % 16)));
        const qint64 start = service.clock.nsecsElapsed();
        editor->CommitForceValue();
        failures += page.forceUpdateInvokeId().isEmpty() || page.isForceUpdatePending() ? 1 : 0;
        return service.writeArrivedNs - start;
    });
    pagebench::print("committed force value to the write request sent", committed);
    if (failures > 0) {
        std::printf("WARNING: %d answers or commits did not take the page's way\n", failures);
    }
    page.IDtmActiveXControl_PrepareToRelease();
    return failures > 0 ? 1 : 0;
}
