// Writing the commissioning report of one module of the built-in station whose
// trail holds some entries for it: building the HTML alone, and writing it as an
// HTML file and as a PDF (each through a temporary file renamed into place).
//
//   bench_report [runs] [folder]   (folder: keep the last PDF of each language there)
#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "PageBench.h"
#include "frame/CommissioningReport.h"
#include "host/Station.h"

int main(int argc, char** argv) {
    QTemporaryDir dir;
    pagebench::prepareEnvironment(dir);
    QApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 50);
    host::Station station;
    if (!station.open(dir.filePath(QStringLiteral("station.xml")))) {
        std::fprintf(stderr, "bench_report: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    frame::ReportOptions options;
    options.slot = station.modules().first().slot;
    options.forcedMask = 0;
    constexpr int kEntries = 200;
    for (int entry = 0; entry < kEntries; ++entry) {
        station.auditTrail()->append(options.slot, 1 + entry % 4, QStringLiteral("parameter.changed"),
                                     {QStringLiteral("damping"), QStringLiteral("100 ms"), QStringLiteral("2.6 s")});
    }
    const auto timed = [&](const QString& path) {
        return [&, path] {
            QElapsedTimer timer;
            timer.start();
            QString error;
            if (path.isEmpty()) {
                frame::commissioningReportHtml(station, options, &error);
            } else if (!frame::writeCommissioningReport(station, options, path, &error)) {
                std::fprintf(stderr, "bench_report: %s\n", qPrintable(error));
            }
            return timer.nsecsElapsed();
        };
    };
    const QString html = dir.filePath(QStringLiteral("report.html"));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    std::printf("Commissioning report of slot %d with %d trail entries, %d runs each\n", options.slot, kEntries,
                runs);
    for (const char* language : {"en", "de"}) {
        options.language = QLatin1String(language);
        std::printf("language %s:\n", language);
        pagebench::print("build the HTML", pagebench::measure(runs, 3, timed(QString())));
        pagebench::print("write the HTML file", pagebench::measure(runs, 3, timed(html)));
        pagebench::print("write the PDF file", pagebench::measure(runs, 3, timed(pdf)));
        if (argc > 2) {
            QFile::copy(pdf, QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("report-%1.pdf").arg(language)));
        }
    }
    std::printf("sizes: HTML %lld bytes, PDF %lld bytes\n", QFileInfo(html).size(), QFileInfo(pdf).size());
    return 0;
}
