// The frame's load with many Observation pages reading at once on the simulated
// station: CPU share of the process, resident memory and the read period each page
// reaches, then the release of every page.
//
// A station project with the requested number of modules is written to a temporary
// folder; the pages are opened through frame::OpenPage, one after the other over the
// modules, each shown as a window of its own (offscreen unless QT_QPA_PLATFORM says
// otherwise), so that every page paints as it would on a screen. The service
// answers after its latency (default 20 ms, as in the frame); every channel reads
// a sine, so every answer changes every value.
//
//   bench_many_pages [seconds] [--pages N] [--modules N] [--latency MS] [--hidden]
//                    [--subwindows] [--paint-census]
//
// seconds: length of the measured run (default 30). --hidden shows the pages with
// Qt::WA_DontShowOnScreen, as the frame's screenshot mode does. --subwindows hosts
// the pages as sub-windows of one window (1280 x 1024, cascaded), as the frame
// does, instead of a window each: the pages then share one window buffer, and
// pages covered by others are not painted.
// --paint-census counts the paint events of every widget class during the run.
//
// The mean period is given twice: the run time divided by the reads of a page
// (whole reads in the window, so it can come out a little below the true period)
// and the mean interval between two answers to the same page.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "ProcessFigures.h"
#include "QT27Controls/common/DebugHelper.h"
#include "QT27Controls/communication/ReadCyclePage.h"
#include "frame/FrameWindow.h"
#include "frame/OpenPage.h"
#include "frame/PageRegistry.h"
#include "host/BaseDtm.h"
#include "host/CommunicationService.h"
#include "host/QT27Dtm.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "host/StationProject.h"
#include "rmox/GaugeCtl/GaugeCtl.h"

namespace {

using RequestKind = host::CommunicationService::RequestKind;

/// Counts paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    long count() const { return m_count; }

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

/// Counts paint events by widget class, application-wide.
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

/// Runs the event loop until @p done holds or @p timeoutMs have passed.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return done();
}

/// Runs the event loop for @p milliseconds.
void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

/// A project with @p count modules in slots 1 to count, made from the built-in
/// station's modules in turn (both type codes, all four device variants).
host::StationProject projectWithModules(int count) {
    const host::StationProject builtIn = host::StationProject::builtIn();
    host::StationProject project;
    project.stationName = QStringLiteral("bench station");
    project.busAddress = builtIn.busAddress;
    for (int slot = 1; slot <= count; ++slot) {
        host::ModuleRecord module = builtIn.modules.at((slot - 1) % builtIn.modules.size());
        module.slot = slot;
        for (int channel = 0; channel < host::ModuleRecord::kChannelCount; ++channel) {
            module.channelTags[channel] =
                QStringLiteral("TI-%1%2").arg(slot, 3, 10, QLatin1Char('0')).arg(channel + 1);
        }
        project.modules.append(module);
    }
    return project;
}

/// Reads of one page inside the measured run.
struct PageReads {
    int answers = 0;
    qint64 lastAnswerNs = -1;
    std::vector<double> intervalsMs;
};

QString kilobytes(long kb) {
    return kb < 0 ? QStringLiteral("?")
                  : QStringLiteral("%1 MB").arg(static_cast<double>(kb) / 1024.0, 0, 'f', 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Many Observation pages reading on the simulated station."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("seconds"),
                                 QStringLiteral("Length of the run (default 30)."));
    const QCommandLineOption pagesOption(QStringLiteral("pages"), QStringLiteral("Pages (default 64)."),
                                         QStringLiteral("n"), QStringLiteral("64"));
    const QCommandLineOption modulesOption(
        QStringLiteral("modules"), QStringLiteral("Modules on the station (default 16, at most 255)."),
        QStringLiteral("n"), QStringLiteral("16"));
    const QCommandLineOption latencyOption(
        QStringLiteral("latency"), QStringLiteral("Answer latency in ms (default: the service's, 20)."),
        QStringLiteral("ms"));
    const QCommandLineOption hiddenOption(QStringLiteral("hidden"),
                                          QStringLiteral("Show the pages with WA_DontShowOnScreen."));
    const QCommandLineOption censusOption(
        QStringLiteral("paint-census"),
        QStringLiteral("Count the paint events of every widget class during the run (adds a little load)."));
    const QCommandLineOption subwindowsOption(
        QStringLiteral("subwindows"),
        QStringLiteral("Host the pages as sub-windows of one window, as the frame does."));
    parser.addOptions({pagesOption, modulesOption, latencyOption, hiddenOption, subwindowsOption, censusOption});
    parser.process(app);
    const double seconds = parser.positionalArguments().value(0, QStringLiteral("30")).toDouble();
    const int pageCount = std::max(1, parser.value(pagesOption).toInt());
    const int moduleCount = std::clamp(parser.value(modulesOption).toInt(), 1, 255);
    const bool hidden = parser.isSet(hiddenOption);
    const bool subwindows = parser.isSet(subwindowsOption);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!(seconds > 0.0)) {
        err << "bench_many_pages: the run needs a positive number of seconds\n";
        return 2;
    }

    // The station, its simulation and the communication service, as the frame builds them.
    QTemporaryDir dir;
    const QString projectPath = dir.filePath(QStringLiteral("station.xml"));
    QString saveError;
    if (!dir.isValid() || !projectWithModules(moduleCount).save(projectPath, &saveError)) {
        err << "bench_many_pages: cannot write the station project: " << saveError << "\n";
        return 1;
    }
    host::Station station;
    if (!station.open(projectPath)) {
        err << "bench_many_pages: cannot open the station project: " << station.lastError() << "\n";
        return 1;
    }
    host::SimulatedStation simulation(station.busAddress());
    for (const host::Station::ModuleInfo& module : station.modules()) {
        frame::addToSimulation(simulation, module.slot, module.typeCode);
        for (int channel = 0; channel < host::SimulatedStation::ChannelCount; ++channel) {
            simulation.setChannelSignal(module.slot, channel,
                                        {host::SignalShape::Sine, 50.0, 40.0, 7000 + 500 * channel});
        }
    }
    simulation.setParameterProvider([&station](int slot) {
        const host::ModuleRecord* record = station.moduleRecord(slot);
        return record != nullptr ? record->parameters : QByteArray();
    });
    host::CommunicationService service(&simulation);
    if (parser.isSet(latencyOption)) {
        service.setLatency(parser.value(latencyOption).toInt());
    }
    int errorMessages = 0;
    for (const host::Station::ModuleInfo& module : station.modules()) {
        host::QT27Dtm* dtm = station.dtmForSlot(module.slot);
        dtm->setCommunicationObjects({&service});
        QObject::connect(dtm->baseDtm(), &host::BaseDtm::errorMessage,
                         [&errorMessages](const QString&, const QString&) { ++errorMessages; });
    }
    const frame::PageRegistry registry = frame::PageRegistry::withLibraryPages();
    const frame::PageType* observation = registry.find(QStringLiteral("Observation"));
    if (observation == nullptr) {
        err << "bench_many_pages: the frame has no Observation page\n";
        return 1;
    }

    // Reads per page: a read request is matched to its page by the invoke id the
    // page is waiting for, its answer by the request's invoke id.
    std::vector<std::unique_ptr<frame::OpenPage>> pages;
    std::vector<qt27::ReadCyclePage*> readPages;
    std::vector<PageReads> reads(static_cast<size_t>(pageCount));
    for (PageReads& page : reads) {
        // Room for every interval up front: the run's own bookkeeping must not show
        // as growth of the heap.
        page.intervalsMs.reserve(static_cast<size_t>(seconds * 1000.0 / 400.0) + 16);
    }
    QHash<QString, int> outstanding;
    QElapsedTimer clock;
    clock.start();
    bool measuring = false;
    long transactionsAnswered = 0;
    QObject::connect(
        &service, &host::CommunicationService::requestReceived,
        [&](RequestKind kind, const QString& invokeId, const QString&) {
            if (kind != RequestKind::Transaction) {
                return;
            }
            for (size_t index = 0; index < readPages.size(); ++index) {
                if (readPages[index] != nullptr && readPages[index]->onlineInvokeId() == invokeId) {
                    outstanding[invokeId] = static_cast<int>(index);
                    return;
                }
            }
        });
    QObject::connect(&service, &host::CommunicationService::answerSent,
                     [&](RequestKind kind, const QString& invokeId, const QString&) {
                         if (kind != RequestKind::Transaction) {
                             return;
                         }
                         const auto found = outstanding.find(invokeId);
                         if (found == outstanding.end()) {
                             return;
                         }
                         PageReads& page = reads[static_cast<size_t>(found.value())];
                         outstanding.erase(found);
                         ++transactionsAnswered;
                         if (!measuring) {
                             return;
                         }
                         const qint64 now = clock.nsecsElapsed();
                         if (page.lastAnswerNs >= 0) {
                             page.intervalsMs.push_back(static_cast<double>(now - page.lastAnswerNs) / 1e6);
                         }
                         page.lastAnswerNs = now;
                         ++page.answers;
                     });

    // The frame's window for --subwindows, shown before the memory is taken.
    std::unique_ptr<QMdiArea> area;
    if (subwindows) {
        area = std::make_unique<QMdiArea>();
        if (hidden) {
            area->setAttribute(Qt::WA_DontShowOnScreen);
        }
        area->resize(1280, 1024);
        area->show();
    }
    runFor(100);
    const long rssBefore = bench::residentKilobytes();
    const long long heapBefore = bench::heapInUseBytes();

    // Open the pages.
    PaintCounter gaugePaints;
    const QList<host::Station::ModuleInfo> modules = station.modules();
    const qint64 openStart = clock.nsecsElapsed();
    for (int index = 0; index < pageCount; ++index) {
        const host::Station::ModuleInfo& module = modules.at(index % modules.size());
        host::QT27Dtm* dtm = station.dtmForSlot(module.slot);
        auto page = std::make_unique<frame::OpenPage>(
            *observation, dtm,
            QStringLiteral("Observation-%1-%2").arg(module.slot, 2, 10, QLatin1Char('0')).arg(index + 1));
        QWidget* widget = page->widget();
        if (subwindows) {
            // As the frame opens a page: a sub-window around it, Init, then shown.
            auto* window = new QMdiSubWindow;
            window->setWidget(widget);
            page->setWidgetOwnedElsewhere();
            area->addSubWindow(window);
            page->init();
            window->resize(window->sizeHint().expandedTo(widget->sizeHint() + QSize(16, 40)));
            window->move(20 * (index % 32), 20 * (index % 32));
            window->show();
        } else {
            if (hidden) {
                widget->setAttribute(Qt::WA_DontShowOnScreen);
            }
            widget->resize(widget->sizeHint());
            widget->move(20 * (index % 32), 20 * (index % 32));
            widget->show();
            page->init();
        }
        // The gauge and what it paints through (its bar).
        for (rmox::GaugeCtl* gauge : widget->findChildren<rmox::GaugeCtl*>()) {
            gaugePaints.watch(gauge);
            for (QWidget* part : gauge->findChildren<QWidget*>()) {
                gaugePaints.watch(part);
            }
        }
        readPages.push_back(qobject_cast<qt27::ReadCyclePage*>(widget));
        pages.push_back(std::move(page));
    }
    const double openMs = static_cast<double>(clock.nsecsElapsed() - openStart) / 1e6;
    const bool allOnline = runUntil(
        [&] {
            for (qt27::ReadCyclePage* page : readPages) {
                if (page == nullptr || !page->isOnline()) {
                    return false;
                }
            }
            return true;
        },
        10000);
    runFor(1000);
    const long rssOpened = bench::residentKilobytes();

    // The measured run.
    const QString loadBefore = bench::loadAverage();
    const long transactionsBefore = transactionsAnswered;
    const long paintsBefore = gaugePaints.count();
    const int errorsBefore = errorMessages;
    struct MemorySample {
        double seconds;  // into the run
        long residentKb;
        long long heapBytes;
    };
    std::vector<MemorySample> samples;
    PaintCensus census;
    if (parser.isSet(censusOption)) {
        app.installEventFilter(&census);
        census.active = true;
    }
    measuring = true;
    const bench::ProcessCpu cpuStart = bench::ProcessCpu::now();
    const qint64 runStart = clock.nsecsElapsed();
    const int runMs = static_cast<int>(seconds * 1000.0);
    {
        QEventLoop loop;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            samples.push_back({static_cast<double>(clock.nsecsElapsed() - runStart) / 1e9,
                               bench::residentKilobytes(), bench::heapInUseBytes()});
        });
        sampler.start(1000);
        QTimer::singleShot(runMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const qint64 runEnd = clock.nsecsElapsed();
    const bench::ProcessCpu cpu = bench::ProcessCpu::now() - cpuStart;
    measuring = false;
    census.active = false;
    const double wallSeconds = static_cast<double>(runEnd - runStart) / 1e9;
    const long rssAfterRun = bench::residentKilobytes();
    const long peakRss = bench::peakResidentKilobytes();
    const QString loadAfter = bench::loadAverage();
    const long runTransactions = transactionsAnswered - transactionsBefore;
    const long runPaints = gaugePaints.count() - paintsBefore;

    // Release every page as the frame does, and wait for UiReleased.
    int released = 0;
    int timedOut = 0;
    for (const auto& page : pages) {
        QObject::connect(page.get(), &frame::OpenPage::released, [&released] { ++released; });
        QObject::connect(page.get(), &frame::OpenPage::releaseTimedOut, [&timedOut] { ++timedOut; });
    }
    const qint64 releaseStart = clock.nsecsElapsed();
    for (const auto& page : pages) {
        page->requestRelease();
    }
    runUntil([&] { return released + timedOut >= pageCount; }, frame::OpenPage::kGracePeriodMs + 2000);
    const double releaseMs = static_cast<double>(clock.nsecsElapsed() - releaseStart) / 1e6;
    const int connectionsLeft = static_cast<int>(service.openConnections().size());
    readPages.clear();
    pages.clear();
    area.reset();
    runFor(200);
    const long rssFinal = bench::residentKilobytes();
    const long long heapFinal = bench::heapInUseBytes();

    // Figures.
    std::vector<double> periodsByCount;  // run time / reads, per page
    std::vector<double> intervals;
    int minReads = std::numeric_limits<int>::max();
    int maxReads = 0;
    for (const PageReads& page : reads) {
        minReads = std::min(minReads, page.answers);
        maxReads = std::max(maxReads, page.answers);
        if (page.answers > 0) {
            periodsByCount.push_back(wallSeconds * 1000.0 / page.answers);
        }
        intervals.insert(intervals.end(), page.intervalsMs.begin(), page.intervalsMs.end());
    }

    out << "bench_many_pages: " << pageCount << " Observation pages on " << moduleCount
        << " modules, latency " << service.latency() << " ms, " << QGuiApplication::platformName()
        << (hidden ? " (hidden)" : "") << (subwindows ? ", sub-windows of one window" : ", a window each")
        << ", debug log "
        << (qt27::DebugHelper::DebugToFile() ? "to file" : "off") << "\n";
    out << "  load average before run: " << loadBefore << "   after run: " << loadAfter << "\n";
    out << QStringLiteral("  opening: %1 ms for %2 pages; all online: %3\n")
               .arg(openMs, 0, 'f', 0)
               .arg(pageCount)
               .arg(allOnline ? QStringLiteral("yes") : QStringLiteral("NO"));
    out << QStringLiteral("  run: %1 s wall, CPU user %2 s + sys %3 s = %4 s, CPU share %5 %\n")
               .arg(wallSeconds, 0, 'f', 2)
               .arg(cpu.user, 0, 'f', 2)
               .arg(cpu.system, 0, 'f', 2)
               .arg(cpu.total(), 0, 'f', 2)
               .arg(100.0 * cpu.total() / wallSeconds, 0, 'f', 1);
    out << QStringLiteral("  reads: %1 answered (%2 /s), CPU per read %3 ms, gauge paints (bar and scale) %4 (%5 per read)\n")
               .arg(runTransactions)
               .arg(static_cast<double>(runTransactions) / wallSeconds, 0, 'f', 1)
               .arg(runTransactions > 0 ? cpu.total() * 1000.0 / static_cast<double>(runTransactions) : 0.0,
                    0, 'f', 3)
               .arg(runPaints)
               .arg(runTransactions > 0
                        ? static_cast<double>(runPaints) / static_cast<double>(runTransactions)
                        : 0.0,
                    0, 'f', 2);
    out << QStringLiteral("  reads per page: min %1, max %2; mean period (run time / reads) %3 ms\n")
               .arg(minReads)
               .arg(maxReads)
               .arg(bench::mean(periodsByCount), 0, 'f', 1);
    const double floorMs = qt27::ReadCyclePage::kCycleIntervalMs + service.latency();
    const auto shorter = std::count_if(intervals.begin(), intervals.end(),
                                       [floorMs](double interval) { return interval < floorMs - 1.0; });
    out << QStringLiteral("  interval between reads of a page (%1 intervals): mean %2 ms, median %3 ms\n")
               .arg(intervals.size())
               .arg(bench::mean(intervals), 0, 'f', 1)
               .arg(bench::median(intervals), 0, 'f', 1);
    out << QStringLiteral(
               "    min %1 ms, p1 %2 ms, p99 %3 ms, max %4 ms; %5 shorter than %6 ms (cycle + latency)\n")
               .arg(intervals.empty() ? 0.0 : *std::min_element(intervals.begin(), intervals.end()), 0, 'f',
                    1)
               .arg(bench::percentile(intervals, 0.01), 0, 'f', 1)
               .arg(bench::percentile(intervals, 0.99), 0, 'f', 1)
               .arg(intervals.empty() ? 0.0 : *std::max_element(intervals.begin(), intervals.end()), 0, 'f',
                    1)
               .arg(shorter)
               .arg(floorMs, 0, 'f', 0);
    out << "  memory: before pages " << kilobytes(rssBefore) << ", pages open " << kilobytes(rssOpened)
        << ", end of run " << kilobytes(rssAfterRun) << ", peak " << kilobytes(peakRss) << ", after release "
        << kilobytes(rssFinal) << "\n";
    out << QStringLiteral("  memory per open page: %1 MB resident\n")
               .arg(static_cast<double>(rssOpened - rssBefore) / 1024.0 / pageCount, 0, 'f', 2);
    if (heapBefore >= 0 && heapFinal >= 0) {
        out << QStringLiteral("  C heap in use: before pages %1, after release %2\n")
                   .arg(kilobytes(static_cast<long>(heapBefore / 1024)))
                   .arg(kilobytes(static_cast<long>(heapFinal / 1024)));
    }
    if (samples.size() >= 2) {
        // From the first sample on, so that what the first reads set up does not count.
        const MemorySample& first = samples.front();
        const MemorySample& last = samples.back();
        const double span = last.seconds - first.seconds;
        out << QStringLiteral("  resident memory during the run: %1 at %2 s, %3 at %4 s (%5 kB/s)\n")
                   .arg(kilobytes(first.residentKb))
                   .arg(first.seconds, 0, 'f', 0)
                   .arg(kilobytes(last.residentKb))
                   .arg(last.seconds, 0, 'f', 0)
                   .arg(static_cast<double>(last.residentKb - first.residentKb) / span, 0, 'f', 1);
        if (first.heapBytes >= 0 && last.heapBytes >= 0) {
            const double grown = static_cast<double>(last.heapBytes - first.heapBytes);
            const double readsPerSecond = static_cast<double>(runTransactions) / wallSeconds;
            out << QStringLiteral(
                       "  C heap in use from %1 s to %2 s: %3 kB more (%4 kB/s, %5 bytes per read)\n")
                       .arg(first.seconds, 0, 'f', 0)
                       .arg(last.seconds, 0, 'f', 0)
                       .arg(grown / 1024.0, 0, 'f', 1)
                       .arg(grown / 1024.0 / span, 0, 'f', 2)
                       .arg(readsPerSecond > 0 ? grown / span / readsPerSecond : 0.0, 0, 'f', 1);
        }
    }
    for (const auto& [className, count] : census.counts) {
        out << QStringLiteral("  paints of %1: %2 (%3 per read)\n")
                   .arg(className)
                   .arg(count)
                   .arg(runTransactions > 0
                            ? static_cast<double>(count) / static_cast<double>(runTransactions)
                            : 0.0,
                        0, 'f', 2);
    }
    out << QStringLiteral("  errors reported during the run: %1\n").arg(errorMessages - errorsBefore);
    out << QStringLiteral(
               "  release: %1 of %2 pages released, %3 timed out, %4 ms, %5 connections left open\n")
               .arg(released)
               .arg(pageCount)
               .arg(timedOut)
               .arg(releaseMs, 0, 'f', 0)
               .arg(connectionsLeft);
    out.flush();
    return released == pageCount ? 0 : 1;
}
