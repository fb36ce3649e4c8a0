// What a loop check costs beside its settling times: judging one point, and storing
// a check's results, which writes the whole project (every module holding the
// latest check of all four channels), and reading that project back.
//
//   bench_loopcheck [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include "PageBench.h"
#include "frame/LoopCheckRun.h"
#include "frame/LoopCheckVerdict.h"
#include "host/Station.h"

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 50);
    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_loopcheck: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    const frame::ChannelSpan span = frame::ChannelSpan::of(37, 3, false);
    const QList<frame::LoopCheckReading> reads = {{12010, false, false}, {12020, false, false}, {11990, false, false}};
    constexpr int kPointsPerRun = 10000;
    volatile double sink = 0.0;  // keeps the results from being optimised away
    pagebench::print("judge 10000 points of 3 reads", pagebench::measure(runs, 3, [&] {
                         QElapsedTimer timer;
                         timer.start();
                         for (int point = 0; point < kPointsPerRun; ++point) {
                             sink += frame::LoopCheckVerdict::judge(span, 50, 0.5, reads).deviationPercent;
                         }
                         return timer.nsecsElapsed();
                     }));

    // Every module holds the latest check of each channel, five points each.
    for (const host::Station::ModuleInfo& module : station.modules()) {
        host::ModuleRecord record = *station.moduleRecord(module.slot);
        for (int channel = 1; channel <= 4; ++channel) {
            host::LoopCheckResult result{channel, QStringLiteral("engineer"), QDateTime::currentDateTimeUtc(),
                                         0.5, 4000, QStringLiteral("mA"), {}};
            for (double percent : {0.0, 25.0, 50.0, 75.0, 100.0}) {
                result.points.append(frame::LoopCheckVerdict::judge(span, percent, 0.5, reads));
            }
            record.loopChecks.append(result);
        }
        station.storeModule(record);
    }
    const int slot = station.modules().first().slot;
    int turn = 0;
    pagebench::print("store one module's results (whole project)", pagebench::measure(runs, 3, [&] {
                         host::ModuleRecord record = *station.moduleRecord(slot);
                         record.loopChecks[0].timeUtc = QDateTime::fromMSecsSinceEpoch(++turn, Qt::UTC);
                         QElapsedTimer timer;
                         timer.start();
                         station.storeModule(record);
                         return timer.nsecsElapsed();
                     }));
    pagebench::print("read the project back", pagebench::measure(runs, 3, [&] {
                         QElapsedTimer timer;
                         timer.start();
                         sink += host::StationProject::load(station.projectPath()).modules.size();
                         return timer.nsecsElapsed();
                     }));
    std::printf("project file with the checks of %lld modules: %lld bytes\n",
                static_cast<long long>(station.modules().size()), QFileInfo(station.projectPath()).size());
    return 0;
}
