// The writer and the checker of bench/audit_kill9.sh.
//
//   audit_commit_stream PROJECT            commits parameter changes on the Parameter page
//                                          in a loop; prints "done N" (N: the newest entry
//                                          of the trail) once Apply has returned
//   audit_commit_stream --verify PROJECT OUTPUT...
//                                          checks that every "done N" of the outputs is in
//                                          the trail and that the chain is whole
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSet>
#include <cstdio>

#include "QT27Controls/parameter/ChannelParameter.h"
#include "QT27Controls/parameter/Parameter.h"
#include "host/AuditTrail.h"
#include "host/BaseDtm.h"
#include "host/QT27Dtm.h"
#include "host/Station.h"

namespace {

constexpr int kSlot = 3;

int verify(const QString& project, const QStringList& outputs) {
    host::AuditTrail trail;
    trail.open(host::AuditTrail::pathBeside(project), QStringLiteral("check"));
    QSet<qint64> stored;
    for (const auto& entry : trail.entries()) {
        if (entry.code == QLatin1String("parameter.changed")) {
            stored.insert(entry.sequence);
        }
    }
    int done = 0;
    int missing = 0;
    for (const QString& output : outputs) {
        QFile file(output);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("done ")) {
                ++done;
                missing += stored.contains(line.mid(5).toLongLong()) ? 0 : 1;
            }
        }
    }
    const auto findings = trail.verify();
    std::printf("runs %lld, commits reported done %d, missing from the trail %d, entries %lld, chain findings %lld\n",
                static_cast<long long>(outputs.size()), done, missing, static_cast<long long>(stored.size()),
                static_cast<long long>(findings.size()));
    for (const auto& finding : findings) {
        std::printf("  %s\n", qPrintable(host::describeFinding(finding)));
    }
    return missing == 0 && findings.isEmpty() && done > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--verify")) {
        return verify(arguments.value(1), arguments.mid(2));
    }
    host::Station station;
    if (!station.open(arguments.value(0))) {
        std::fprintf(stderr, "audit_commit_stream: %s\n", qPrintable(station.lastError()));
        return 1;
    }
    qt27::Parameter page;
    page.IDtmActiveXControl_Init(QStringLiteral("INV-KILL"), QStringLiteral("Parameter"), station.dtmForSlot(kSlot));
    for (int round = 0;; ++round) {
        auto* damping = page.channelParameter(round % 4)->findChild<QComboBox*>(QStringLiteral("cboDamping"));
        damping->setCurrentIndex((damping->currentIndex() + 1) % damping->count());
        page.ctlButtons_Apply();
        const auto newest = station.auditTrail()->entries();
        if (page.isDirty() || newest.isEmpty()) {
            std::fprintf(stderr, "audit_commit_stream: the change was not committed\n");
            return 1;
        }
        std::printf("done %lld\n", static_cast<long long>(newest.first().sequence));
        std::fflush(stdout);
    }
}
