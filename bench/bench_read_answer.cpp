// CPU time to handle one read answer on an online Observation page, against the
// bare widget work the answer causes.
//
// The page runs on the simulated host (communication service with latency 0) until
// it is online and has read a few real answers, which are kept. Then the service
// drops every further answer, and each measured step hands one kept answer to the
// page with the invoke id of the read it has just sent:
//
//   page     OnTransactionResponse (response parsing, telegram decoding, four channel
//            updates with value text, gauge pointer and state picture, timer restart)
//            and then the repaint of everything that changed, as the event loop
//            does it (the pending update request of the window is sent);
//   gauges   the bare work: four QLineEdit::setText and four GaugeCtl::setValue
//            (same sizes and scale as on the page), then the same repaint;
//   plain    four QLineEdit::setText and four plain widgets of the gauge's size
//            that fill a bar, then the same repaint.
//
// The three are measured in alternating rounds; each figure is the median of the
// round means, in microseconds of CPU time of the process. Run offscreen:
//
//   bench_read_answer [--rounds N] [--iterations N]

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWindow>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "ProcessFigures.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/framework/Twips.h"
#include "QT27Controls/observation/ChannelObservation.h"
#include "QT27Controls/observation/ChannelUnitDisplay.h"
#include "QT27Controls/observation/Observation.h"
#include "frame/FrameWindow.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace {

constexpr int kSlot = 3;
constexpr int kChannels = 4;
constexpr int kKeptAnswers = 64;

// Sizes of the gauge and the value box inside a channel display, in twips.
const QRect kGaugeRect = qt27::twipsRect(120, 300, 5580, 1230);
const QRect kValueRect = qt27::twipsRect(5880, 360, 1350, 345);
constexpr int kRowHeight = 1710;

/// Counts paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    long count() const { return m_count; }
    void reset() { m_count = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_count;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    long m_count = 0;
};

/// Counts paint events by widget class while active, application-wide.
class PaintCensus : public QObject {
public:
    std::map<QString, long> counts;
    bool active = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (active && event->type() == QEvent::Paint) {
            ++counts[QString::fromLatin1(watched->metaObject()->className())];
        }
        return QObject::eventFilter(watched, event);
    }
};

/// A widget of the gauge's size that only fills a bar up to its value.
class PlainBar : public QWidget {
public:
    using QWidget::QWidget;
    void setValue(float permille) {
        m_value = permille;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Base));
        painter.fillRect(QRectF(0, 0, width() * static_cast<double>(m_value) / 1000.0, height()), Qt::blue);
    }

private:
    float m_value = 0.0F;
};

/// Sends the window's pending update request: the repaint the event loop would do next.
void repaintPending(QWidget* window) {
    QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
}

/// Runs the event loop until @p done holds or @p timeoutMs have passed.
bool settle(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

bool showExposed(QWidget& widget) {
    widget.show();
    return settle([&] { return widget.windowHandle() != nullptr && widget.windowHandle()->isExposed(); });
}

/// CPU and wall time of one kind of step, collected over rounds.
struct Figures {
    std::vector<double> roundMeansCpu;   // microseconds
    std::vector<double> roundMeansWall;  // microseconds
    std::vector<double> roundMeansHandlerCpu;
    long paints = 0;
    long steps = 0;
};

/// The bare work of one answer on widgets outside the library: four value boxes and
/// four bars of the page's sizes in one window.
template <typename Bar>
class BareWindow {
public:
    explicit BareWindow(const std::function<void(Bar&)>& configure) {
        for (int channel = 0; channel < kChannels; ++channel) {
            auto* edit = new QLineEdit(&m_window);
            edit->setReadOnly(true);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            edit->setGeometry(kValueRect.translated(0, qt27::twipsToPixels(channel * kRowHeight)));
            auto* bar = new Bar(&m_window);
            bar->setGeometry(kGaugeRect.translated(0, qt27::twipsToPixels(channel * kRowHeight)));
            configure(*bar);
            m_edits.push_back(edit);
            m_bars.push_back(bar);
            m_paints.watch(bar);
        }
        m_window.resize(qt27::twipsToPixels(8400), qt27::twipsToPixels(kChannels * kRowHeight));
    }

    bool show() { return showExposed(m_window); }

    /// One answer's worth of widget work, timed.
    void step(const QStringList& texts, const std::array<float, kChannels>& permille, Figures& figures,
              double& cpu, double& wall, QElapsedTimer& clock) {
        const double cpuStart = bench::cpuMicroseconds();
        const qint64 wallStart = clock.nsecsElapsed();
        for (int channel = 0; channel < kChannels; ++channel) {
            m_edits[static_cast<size_t>(channel)]->setText(texts[channel]);
            m_bars[static_cast<size_t>(channel)]->setValue(permille[static_cast<size_t>(channel)]);
        }
        repaintPending(&m_window);
        cpu += bench::cpuMicroseconds() - cpuStart;
        wall += static_cast<double>(clock.nsecsElapsed() - wallStart) / 1e3;
        ++figures.steps;
    }

    PaintCounter& paints() { return m_paints; }

private:
    PaintCounter m_paints;
    QWidget m_window;
    std::vector<QLineEdit*> m_edits;
    std::vector<Bar*> m_bars;
};

void printFigures(QTextStream& out, const char* name, const Figures& figures) {
    out << QStringLiteral(
               "  %1  CPU median %2 us (rounds %3 .. %4)   wall median %5 us   gauge paints/step %6\n")
               .arg(QString::fromLatin1(name), -7)
               .arg(bench::median(figures.roundMeansCpu), 8, 'f', 1)
               .arg(*std::min_element(figures.roundMeansCpu.begin(), figures.roundMeansCpu.end()), 0, 'f', 1)
               .arg(*std::max_element(figures.roundMeansCpu.begin(), figures.roundMeansCpu.end()), 0, 'f', 1)
               .arg(bench::median(figures.roundMeansWall), 8, 'f', 1)
               .arg(figures.steps > 0
                        ? static_cast<double>(figures.paints) / static_cast<double>(figures.steps)
                        : 0.0,
                    0, 'f', 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("CPU time to handle one read answer on Observation."));
    parser.addHelpOption();
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Rounds (default 7)."),
                                          QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption iterationsOption(QStringLiteral("iterations"),
                                              QStringLiteral("Answers per round (default 400)."),
                                              QStringLiteral("n"), QStringLiteral("400"));
    parser.addOptions({roundsOption, iterationsOption});
    parser.process(app);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    const int iterations = std::max(1, parser.value(iterationsOption).toInt());

    QTextStream out(stdout);
    QTextStream err(stderr);

    // The simulated host with the built-in station; every channel reads noise, so
    // every answer changes every value text and gauge.
    QTemporaryDir dir;
    host::Station station;
    if (!dir.isValid() || !station.open(dir.filePath(QStringLiteral("station.xml")))) {
        err << "bench_read_answer: cannot open a station project: " << station.lastError() << "\n";
        return 1;
    }
    host::SimulatedStation simulation(station.busAddress());
    for (const host::Station::ModuleInfo& module : station.modules()) {
        frame::addToSimulation(simulation, module.slot, module.typeCode);
    }
    simulation.setParameterProvider([&station](int slot) {
        const host::ModuleRecord* record = station.moduleRecord(slot);
        return record != nullptr ? record->parameters : QByteArray();
    });
    for (int channel = 0; channel < kChannels; ++channel) {
        simulation.setChannelSignal(kSlot, channel, {host::SignalShape::Noise, 50.0, 45.0, 10000});
    }
    host::CommunicationService service(&simulation);
    service.setLatency(0);
    host::QT27Dtm* dtm = station.dtmForSlot(kSlot);
    if (dtm == nullptr) {
        err << "bench_read_answer: the station has no module in slot " << kSlot << "\n";
        return 1;
    }
    dtm->setCommunicationObjects({&service});

    QStringList keptAnswers;
    QObject::connect(&service, &host::CommunicationService::answerSent,
                     [&keptAnswers](host::CommunicationService::RequestKind kind, const QString& /*invokeId*/,
                                    const QString& response) {
                         if (kind == host::CommunicationService::RequestKind::Transaction) {
                             keptAnswers.append(response);
                         }
                     });

    // The page, shown on the (offscreen) screen so that it really paints.
    qt27::Observation page;
    page.resize(page.sizeHint());
    if (!showExposed(page)) {
        err << "bench_read_answer: the page window was not exposed\n";
        return 1;
    }
    page.IDtmActiveXControl_Init(QStringLiteral("BENCH-READ"), QStringLiteral("Observation"), dtm);
    if (!settle([&] { return !keptAnswers.isEmpty() && page.cycleTimer()->isActive(); })) {
        err << "bench_read_answer: the page did not come online and read\n";
        return 1;
    }
    // More real answers, read one after the other without waiting for the timer.
    while (keptAnswers.size() < kKeptAnswers) {
        const qsizetype before = keptAnswers.size();
        page.cycleTimer()->stop();
        page.CallReadValues(QVariant());
        if (!settle([&] { return keptAnswers.size() > before && page.onlineInvokeId().isEmpty(); })) {
            err << "bench_read_answer: a read was not answered\n";
            return 1;
        }
    }
    page.cycleTimer()->stop();
    settle([] { return false; }, 50);
    // From now on no answer comes from the service: the benchmark hands them in.
    service.setFault(host::CommunicationService::Fault::DropAnswer,
                     host::CommunicationService::FaultMode::Persistent);

    PaintCensus census;
    app.installEventFilter(&census);
    PaintCounter pagePaints;
    for (rmox::GaugeCtl* gauge : page.findChildren<rmox::GaugeCtl*>()) {
        pagePaints.watch(gauge);
    }

    // The bare windows, with the scale and zones of the page's first channel.
    BareWindow<rmox::GaugeCtl> gauges([](rmox::GaugeCtl& gauge) {
        QComboBox unit;
        qt27::FillUnitList(unit);
        unit.setCurrentIndex(1);
        QString format;
        qt27::SetUpChannelGauge(gauge, false);
        qt27::RunUnitConfiguration(37, 0, gauge, unit, format);
    });
    BareWindow<PlainBar> plain([](PlainBar& /*bar*/) {});
    if (!gauges.show() || !plain.show()) {
        err << "bench_read_answer: a comparison window was not exposed\n";
        return 1;
    }
    settle([] { return false; }, 100);

    // Values for the bare windows: texts and pointer positions that change every step.
    std::vector<QStringList> texts;
    std::vector<std::array<float, kChannels>> positions;
    for (int k = 0; k < kKeptAnswers; ++k) {
        QStringList row;
        std::array<float, kChannels> position{};
        for (int channel = 0; channel < kChannels; ++channel) {
            const int raw = (k * 397 + channel * 2011) % 12000;
            row.append(QString::number(raw / 1000.0, 'f', 3));
            position[static_cast<size_t>(channel)] = static_cast<float>(raw) / 12.0F;
        }
        texts.push_back(row);
        positions.push_back(position);
    }

    const QString loadBefore = bench::loadAverage();
    QElapsedTimer clock;
    clock.start();
    Figures pageFigures;
    Figures gaugeFigures;
    Figures plainFigures;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        // The page.
        double cpu = 0.0;
        double wall = 0.0;
        double handlerCpu = 0.0;
        pagePaints.reset();
        for (int i = 0; i < iterations; ++i) {
            page.CallReadValues(QVariant());
            const QString invokeId = page.onlineInvokeId();
            const QString& response = keptAnswers[i % kKeptAnswers];
            const double cpuStart = bench::cpuMicroseconds();
            const qint64 wallStart = clock.nsecsElapsed();
            census.active = true;
            page.OnTransactionResponse(invokeId, response);
            const double handled = bench::cpuMicroseconds();
            repaintPending(&page);
            census.active = false;
            const double cpuEnd = bench::cpuMicroseconds();
            wall += static_cast<double>(clock.nsecsElapsed() - wallStart) / 1e3;
            cpu += cpuEnd - cpuStart;
            handlerCpu += handled - cpuStart;
            if (invokeId.isEmpty() || !page.onlineInvokeId().isEmpty() || !page.cycleTimer()->isActive()) {
                ++failures;
            }
            page.cycleTimer()->stop();
        }
        pageFigures.roundMeansCpu.push_back(cpu / iterations);
        pageFigures.roundMeansWall.push_back(wall / iterations);
        pageFigures.roundMeansHandlerCpu.push_back(handlerCpu / iterations);
        pageFigures.paints += pagePaints.count();
        pageFigures.steps += iterations;

        // The bare widget work.
        for (auto* figures : {&gaugeFigures, &plainFigures}) {
            cpu = 0.0;
            wall = 0.0;
            if (figures == &gaugeFigures) {
                gauges.paints().reset();
                for (int i = 0; i < iterations; ++i) {
                    gauges.step(texts[static_cast<size_t>(i % kKeptAnswers)],
                                positions[static_cast<size_t>(i % kKeptAnswers)], *figures, cpu, wall, clock);
                }
                figures->paints += gauges.paints().count();
            } else {
                plain.paints().reset();
                for (int i = 0; i < iterations; ++i) {
                    plain.step(texts[static_cast<size_t>(i % kKeptAnswers)],
                               positions[static_cast<size_t>(i % kKeptAnswers)], *figures, cpu, wall, clock);
                }
                figures->paints += plain.paints().count();
            }
            figures->roundMeansCpu.push_back(cpu / iterations);
            figures->roundMeansWall.push_back(wall / iterations);
        }
    }

    const double pageCpu = bench::median(pageFigures.roundMeansCpu);
    const double gaugeCpu = bench::median(gaugeFigures.roundMeansCpu);
    const double plainCpu = bench::median(plainFigures.roundMeansCpu);
    out << "bench_read_answer: one read answer on an online Observation page ("
        << QGuiApplication::platformName() << ", " << rounds << " rounds x " << iterations
        << " answers, debug log " << (qt27::DebugHelper::DebugToFile() ? "to file" : "off") << ")\n";
    out << "  load average before: " << loadBefore << "\n";
    printFigures(out, "page", pageFigures);
    out << QStringLiteral("           of which the answer handler %1 us, the repaint %2 us\n")
               .arg(bench::median(pageFigures.roundMeansHandlerCpu), 0, 'f', 1)
               .arg(pageCpu - bench::median(pageFigures.roundMeansHandlerCpu), 0, 'f', 1);
    printFigures(out, "gauges", gaugeFigures);
    printFigures(out, "plain", plainFigures);
    out << QStringLiteral("  ratio page / gauges %1   page / plain %2\n")
               .arg(gaugeCpu > 0 ? pageCpu / gaugeCpu : 0.0, 0, 'f', 2)
               .arg(plainCpu > 0 ? pageCpu / plainCpu : 0.0, 0, 'f', 2);
    out << "  load average after:  " << bench::loadAverage() << "\n";
    out << "  paints on the page per answer:";
    for (const auto& [className, count] : census.counts) {
        out << " " << className << " "
            << QString::number(static_cast<double>(count) / static_cast<double>(pageFigures.steps), 'f', 2);
    }
    out << "\n";
    if (failures > 0) {
        out << "  WARNING: " << failures << " answers were not handled as the page's own\n";
    }
    out.flush();
    page.IDtmActiveXControl_PrepareToRelease();
    return failures > 0 ? 1 : 0;
}
