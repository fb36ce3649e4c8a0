// The commissioning report: each section with the module's data in both
// languages, failures that leave no file, and the headless command line.
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QProcess>

#include "QT27Controls/identification/Identification.h"
#include "ReportFixture.h"
#include "frame/AuditDock.h"

namespace {

using testsupport::StationWithReport;

struct Language {
    const char* code;
    /// How the production date reads.
    QString date;
    /// Words of the section headings, in the order the report must have them.
    QStringList headings;
    /// How a detection that is switched on reads.
    QString on;
    /// The sections without records; a passed point; a failed point's reason; an open line.
    QString noDiagnosis;
    QString noLoopCheck;
    QString passed;
    QString deviationFailed;
    QString openLine;
};

class ReportSections : public StationWithReport, public testing::WithParamInterface<Language> {};

TEST_P(ReportSections, HoldTheModulesDataInTheChosenLanguage) {
    const Language& language = GetParam();
    const QString html = reportHtml(QLatin1String(language.code), 0x4);  // channel 3 forced

    qsizetype at = 0;
    QList<qsizetype> headingAt;
    for (const QString& heading : language.headings) {
        at = html.indexOf(heading, at);
        EXPECT_GE(at, 0) << heading.toStdString();
        headingAt.append(at);
    }
    const host::ModuleRecord& record = *station.moduleRecord(slot());
    for (const QString& expected :
         {station.stationName(), record.typeName, qt27::Identification::CatalogueNumber(record.typeName),
          production.chargeCode, production.serialNumber, production.softwareRevision,
          language.date, record.comment.toHtmlEscaped(),
          QStringLiteral("<td>%1</td>").arg(language.on)}) {
        EXPECT_TRUE(html.contains(expected)) << expected.toStdString();
    }
    for (const QString& tag : record.channelTags) {
        EXPECT_TRUE(html.contains(tag)) << tag.toStdString();
    }
    // The forced section (between its heading and the loop check) names channel 3 only.
    const QString forced = html.mid(headingAt[4], headingAt[5] - headingAt[4]);
    EXPECT_TRUE(forced.contains(record.channelTags[2]) && !forced.contains(record.channelTags[1]));
    EXPECT_TRUE(html.mid(headingAt[3], headingAt[4] - headingAt[3]).contains(language.noDiagnosis));
    EXPECT_TRUE(html.mid(headingAt[5], headingAt[6] - headingAt[5]).contains(language.noLoopCheck));
    const QList<host::AuditTrail::Entry> entries = station.auditTrail()->entries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(html.mid(headingAt[6]).contains(
        frame::auditEntryText(entries.first(), QLatin1String(language.code)).toHtmlEscaped()));

    // With a loop check and a diagnosis stored, their sections show the latest of each.
    host::ModuleRecord stored = record;
    const QDateTime time(QDate(2026, 12, 6), QTime(21, 30), Qt::UTC);
    stored.loopChecks = {{1, QStringLiteral("commissioner"), time, 0.5, 0, "V", {{50, 5, 5.004, 0.04, {}}}},
                         {2, QStringLiteral("commissioner"), time, 0.5, 0, "V", {{25, 2.5, 2.62, 1.2, "deviation"}}}};
    stored.lastDiagnosis = {time, QByteArray::fromHex("002200")};  // channel 2: open line
    ASSERT_TRUE(station.storeModule(stored));
    const QString later = reportHtml(QLatin1String(language.code));

    QStringList sections;  // last diagnosis, forced, loop check
    for (int heading = 3; heading < 6; ++heading) {
        const qsizetype from = later.indexOf(language.headings[heading]);
        sections << later.mid(from, later.indexOf(language.headings[heading + 1], from) - from);
    }
    EXPECT_FALSE(sections[0].contains(language.noDiagnosis));
    EXPECT_EQ(sections[0].count(language.openLine), 1);
    EXPECT_GT(sections[0].indexOf(language.openLine), sections[0].indexOf(stored.channelTags[1]));
    EXPECT_FALSE(sections[2].contains(language.noLoopCheck));
    const QLocale locale(language.code == std::string("de") ? QLocale::German : QLocale::English);
    for (const QString& expected : {QStringLiteral("commissioner"), stored.channelTags[0], stored.channelTags[1],
                                    language.passed, language.deviationFailed, locale.toString(2.62, 'f', 3)}) {
        EXPECT_TRUE(sections[2].contains(expected)) << expected.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    English_German, ReportSections,
    testing::Values(Language{"en", "04/03/2023",
                             {"Station", "Identification", "Channel parameters", "Last diagnosis", "Forced channels",
                              "Loop check", "Audit trail", "signature"},
                             "on", "No diagnosis has been read.", "No loop check has been recorded.", "passed",
                             "failed: deviation beyond the tolerance", "open line"},
                    Language{"de", "04.03.2023",
                             {"Station", "Identifikation", "Kanalparameter", "Letzte Diagnose", "Geforcte Kanäle",
                              "Schleifenprüfung", "Änderungsprotokoll", "Unterschrift"},
                             "ein", "Es wurde keine Diagnose gelesen.", "Es wurde keine Schleifenprüfung aufgezeichnet.",
                             "bestanden", "nicht bestanden: Abweichung über der Toleranz", "Drahtbruch"}),
    [](const testing::TestParamInfo<Language>& info) { return std::string(info.param.code); });

struct Failure {
    const char* name;
    const char* path;  ///< below the test folder
    int slot;
    const char* named;  ///< what the error text must name
};

class ReportFailure : public StationWithReport, public testing::WithParamInterface<Failure> {};

TEST_P(ReportFailure, SaysWhyAndLeavesNoFile) {
    const QString path = dir.filePath(QLatin1String(GetParam().path));
    frame::ReportOptions options;
    options.slot = GetParam().slot;
    QString error;
    EXPECT_FALSE(frame::writeCommissioningReport(station, options, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String(GetParam().named))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(strayFiles(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportFailure,
    testing::Values(Failure{"FolderMissing", "missing/report.pdf", 0, "missing/report.pdf"},
                    Failure{"BelowAFile", "station.xml/report.html", 0, "station.xml/report.html"},
                    Failure{"NoSuchSlot", "report.pdf", 99, "99"}),
    [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

TEST_F(StationWithReport, HeadlessWritesAPdfOrFailsWithoutAFile) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/qt27frame");
    const QString project = station.projectPath();
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QProcess frame;
    // As on a server: no display and no platform chosen.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    frame.setProcessEnvironment(environment);
    frame.start(program, {"--project", project, "--report", pdf, "--language", "de"});
    ASSERT_TRUE(frame.waitForFinished(60000));
    EXPECT_EQ(frame.exitCode(), 0) << frame.readAllStandardError().toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(4) == "%PDF");
    file.remove();

    frame.start(program, {"--project", project, "--report", pdf, "--slot", "99"});
    ASSERT_TRUE(frame.waitForFinished(60000));
    EXPECT_NE(frame.exitCode(), 0);
    EXPECT_TRUE(frame.readAllStandardError().contains("99"));
    EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
