#pragma once

// Small timing helpers of the page benchmarks: run a body many times, keep each
// duration, print mean and median in microseconds.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

#include "ProcessFigures.h"

namespace qt27 {
class QT27Dtm;
}

namespace pagebench {

struct Figures {
    double meanUs = 0;
    double medianUs = 0;
    int runs = 0;
};

/// The bare counterpart of a page's button bar along its bottom edge: status and
/// lock labels, the hidden busy mark and six buttons, the first with @p pageButton.
inline void addBareButtonBar(QWidget& page, const char* pageButton) {
    auto* bar = new QWidget(&page);
    auto* layout = new QHBoxLayout(bar);
    layout->addWidget(new QLabel(bar));
    layout->addWidget(new QLabel(bar));
    layout->addWidget(new QLabel(bar), 1);
    auto* busy = new QProgressBar(bar);
    busy->hide();
    layout->addWidget(busy);
    for (const char* caption : {pageButton, "OK", "Cancel", "Apply", "Close", "Help"}) {
        layout->addWidget(new QPushButton(QLatin1String(caption), bar));
    }
    bar->setGeometry(0, page.height() - 40, page.width(), 40);
}

/// Runs @p body @p runs times after @p warmUp unmeasured runs. @p body answers the
/// nanoseconds it measured itself, so that set-up and clean-up stay outside.
inline Figures measure(int runs, int warmUp, const std::function<qint64()>& body) {
    for (int i = 0; i < warmUp; ++i) {
        body();
    }
    std::vector<double> durations;
    durations.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        durations.push_back(static_cast<double>(body()) / 1000.0);
    }
    Figures figures;
    figures.runs = runs;
    figures.meanUs = std::accumulate(durations.begin(), durations.end(), 0.0) / runs;
    std::sort(durations.begin(), durations.end());
    figures.medianUs = durations[durations.size() / 2];
    return figures;
}

/// Runs @p first and @p second in turns, so that both see the same load of a
/// shared machine; answers their figures in that order.
inline std::pair<Figures, Figures> measureInTurns(int runs, int warmUp, const std::function<qint64()>& first,
                                                  const std::function<qint64()>& second) {
    std::vector<qint64> seconds;
    const Figures a = measure(runs, warmUp, [&] {
        const qint64 elapsed = first();
        seconds.push_back(second());
        return elapsed;
    });
    seconds.erase(seconds.begin(), seconds.begin() + warmUp);
    size_t next = 0;
    const Figures b = measure(runs, 0, [&] { return seconds[next++]; });
    return {a, b};
}

inline void print(const char* what, const Figures& figures) {
    std::printf("%-62s mean %9.1f us   median %9.1f us   (%d runs)\n", what, figures.meanUs, figures.medianUs,
                figures.runs);
}

inline void printRatio(const char* what, const Figures& numerator, const Figures& denominator) {
    std::printf("%-62s mean %9.2f x    median %9.2f x\n", what, numerator.meanUs / denominator.meanUs,
                numerator.medianUs / denominator.medianUs);
}

/// Shows @p widget without a screen and lets the first layout and paint happen.
inline void showAndSettle(QWidget& widget) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QCoreApplication::processEvents();
}

/// The number of runs: the first argument when given, else @p fallback.
inline int runsFrom(int argc, char** argv, int fallback) {
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 0;
    return runs > 0 ? runs : fallback;
}

/// Before the QApplication: the offscreen platform unless a display is set, and a
/// registry without debug switches, so that no debug log is written while timing.
inline void prepareEnvironment(const QTemporaryDir& dir) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("RIMOX_REGISTRY", dir.filePath(QStringLiteral("no-registry.reg")).toLocal8Bit());
}

/// CPU time of the process (all threads) since @p startUs, in nanoseconds: on a
/// machine shared with other work it varies less than the wall time.
inline qint64 cpuNanosecondsSince(double startUs) {
    return static_cast<qint64>((bench::cpuMicroseconds() - startUs) * 1000.0);
}

/// Times opening a page (create, IDtmActiveXControl_Init against @p dtm, first
/// layout and paint, measured up to there in CPU time; then released and deleted)
/// in turns with the same widget tree built bare by @p buildBare, and prints both
/// and the ratio, after the load average of the machine.
template <typename Page>
void measureOpening(const char* pageName, int runs, qt27::QT27Dtm* dtm,
                    const std::function<void(QWidget&)>& buildBare) {
    std::printf("load average before: %s\n", qPrintable(bench::loadAverage()));
    const auto [open, bare] = measureInTurns(
        runs, 10,
        [&] {
            const double start = bench::cpuMicroseconds();
            auto* page = new Page;
            page->IDtmActiveXControl_Init(QStringLiteral("INV-BENCH"), QString::fromLatin1(pageName), dtm);
            showAndSettle(*page);
            const qint64 elapsed = cpuNanosecondsSince(start);
            page->IDtmActiveXControl_PrepareToRelease();
            delete page;
            return elapsed;
        },
        [&] {
            const double start = bench::cpuMicroseconds();
            auto* page = new QWidget;
            buildBare(*page);
            showAndSettle(*page);
            const qint64 elapsed = cpuNanosecondsSince(start);
            delete page;
            return elapsed;
        });
    const QByteArray name(pageName);
    print(QByteArray("open " + name + " (create + Init + first layout and paint), CPU").constData(), open);
    print("bare tree, same widgets (create + first layout and paint), CPU", bare);
    printRatio(QByteArray("ratio " + name + " / bare tree").constData(), open, bare);
}

}  // namespace pagebench
