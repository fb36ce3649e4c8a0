// Appending one audit-trail entry (one committed transaction each), with the flush to
// the disk and without it, on a trail that already holds some entries; and opening a
// trail of that size, which checks the whole chain.
//
//   bench_audit_append [runs]
#include <QCoreApplication>
#include <QElapsedTimer>

#include "PageBench.h"
#include "host/AuditTrail.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = pagebench::runsFrom(argc, argv, 500);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station.audit.sqlite"));
    host::AuditTrail trail;
    if (!trail.open(path, QStringLiteral("Bench"))) {
        std::fprintf(stderr, "bench_audit_append: %s\n", qPrintable(trail.warnings().join('\n')));
        return 1;
    }
    const QStringList arguments = {QStringLiteral("damping"), QStringLiteral("100 ms"), QStringLiteral("2.6 s")};
    int counter = 0;
    const auto append = [&] {
        QElapsedTimer timer;
        timer.start();
        trail.append(3, 1 + counter++ % 4, QStringLiteral("parameter.changed"), arguments);
        return timer.nsecsElapsed();
    };
    std::printf("Audit trail append, %d runs each, file in %s\n", runs, qPrintable(dir.path()));
    trail.setFlush(true);
    const pagebench::Figures flushed = pagebench::measure(runs, 20, append);
    trail.setFlush(false);
    const pagebench::Figures unflushed = pagebench::measure(runs, 20, append);
    pagebench::print("append, committed and flushed (synchronous=FULL)", flushed);
    pagebench::print("append, committed, no flush (synchronous=OFF)", unflushed);
    const int entries = static_cast<int>(trail.entries().size());
    trail.close();
    const pagebench::Figures opening = pagebench::measure(5, 1, [&] {
        QElapsedTimer timer;
        timer.start();
        host::AuditTrail again;
        again.open(path, QStringLiteral("Bench"));
        return timer.nsecsElapsed();
    });
    std::printf("open and check a chain of %d entries:\n", entries);
    pagebench::print("open + verify", opening);
    return 0;
}
