// qt27frame: a small engineering frame that opens the QT27 pages on a simulated
// rimox station.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include "QT27Controls/Version.h"
#include "frame/AuditDock.h"
#include "frame/LoopCheckWindow.h"
#include "frame/CommissioningReport.h"
#include "frame/FrameLanguage.h"
#include "frame/FrameScreenshot.h"
#include "frame/FrameWindow.h"
#include "frame/PageRegistry.h"
#include "frame/PageWindows.h"
#include "frame/Screenshots.h"
#include "host/AuditTrail.h"
#include "host/CommunicationService.h"
#include "host/SimulatedStation.h"
#include "host/Station.h"
#include "host/StationProject.h"

int main(int argc, char** argv) {
    // The version is answered before any window system is needed, also on a server.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--version") == 0 || qstrcmp(argv[i], "-v") == 0) {
            QTextStream(stdout) << "qt27frame " << QT27_VERSION << "\n";
            return 0;
        }
    }
    // The report, the renderings and the help never open a window: without a display
    // they run on the offscreen platform instead of aborting for want of one.
    const bool haveDisplay = qEnvironmentVariableIsSet("DISPLAY") ||
                             qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!haveDisplay && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        for (int i = 1; i < argc; ++i) {
            const QByteArray argument(argv[i]);
            if (argument == "--report" || argument == "--screenshot" || argument == "--help" ||
                argument == "-h" || argument == "--help-all") {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                break;
            }
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qt27frame"));
    QApplication::setOrganizationName(QStringLiteral("QT27Controls"));
    QApplication::setApplicationVersion(QStringLiteral(QT27_VERSION));

    // The help on the command line in the system's language; --language follows below.
    frame::useFrameLanguage(frame::defaultLanguage(QLocale::system()));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Opens the QT27 pages on a simulated rimox station."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption projectOption(
        QStringLiteral("project"),
        QCoreApplication::translate("main", "Station project file (default: %1).")
            .arg(QDir::toNativeSeparators(host::defaultProjectPath())),
        QStringLiteral("file"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QCoreApplication::translate(
            "main",
            "Render every page of every module to DIR/<slot>-<page>.png and the frame window with the "
            "pages of the module with a channel fault open to DIR/frame-<language>-<percent>.png without a "
            "display, then exit."),
        QStringLiteral("dir"));
    const QCommandLineOption languageOption(
        QStringLiteral("language"),
        QCoreApplication::translate(
            "main",
            "Language of the frame and the pages: en or de (default: the system's language, %1 here).")
            .arg(frame::defaultLanguage(QLocale::system())),
        QStringLiteral("code"), frame::defaultLanguage(QLocale::system()));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QCoreApplication::translate(
            "main",
            "Write the commissioning report of one module to FILE (PDF for .pdf, else HTML), then exit."),
        QStringLiteral("file"));
    const QCommandLineOption slotOption(
        QStringLiteral("slot"),
        QCoreApplication::translate("main", "Slot of the module for --report (default: the first module)."),
        QStringLiteral("n"));
    parser.addOptions({projectOption, screenshotOption, languageOption, reportOption, slotOption});
    parser.process(app);

    QTextStream err(stderr);
    const QString language = parser.value(languageOption).toLower();
    if (language != QLatin1String("en") && language != QLatin1String("de")) {
        err << "qt27frame: unknown language \"" << language << "\" (use en or de)\n";
        return 2;
    }

    // Before the project is read: the host's messages about it come out in this language.
    if (!frame::useFrameLanguage(language)) {
        err << "qt27frame: the frame's texts in \"" << language << "\" are missing; they stay English.\n";
        err.flush();
    }
    host::Station station;
    const QString projectPath =
        parser.isSet(projectOption) ? parser.value(projectOption) : host::defaultProjectPath();
    const bool projectRead = station.open(projectPath);
    if (!projectRead) {
        err << "qt27frame: " << station.lastError() << "\n";
        if (parser.isSet(screenshotOption) || parser.isSet(reportOption)) {
            // Pictures or a report of the built-in station would pass for pictures of this project.
            err << "qt27frame: nothing was rendered.\n";
            return 1;
        }
        err << "qt27frame: the file was left untouched; the built-in station is shown instead.\n";
    }
    // A mistyped --project would otherwise quietly start a new station.
    const QString createdNotice =
        parser.isSet(projectOption) && station.createdNewProject()
            ? QStringLiteral(
                  "Station project file \"%1\" did not exist: the built-in station was written there.")
                  .arg(QDir::toNativeSeparators(projectPath))
            : QString();
    if (!createdNotice.isEmpty()) {
        err << "qt27frame: " << createdNotice << "\n";
    }
    // The frame runs on: what was said must show now, not when it exits.
    err.flush();
    station.setLanguage(language);

    if (parser.isSet(reportOption)) {
        frame::ReportOptions options;
        options.language = language;
        if (parser.isSet(slotOption)) {
            bool isNumber = false;
            options.slot = parser.value(slotOption).toInt(&isNumber);
            if (!isNumber || options.slot < 1) {
                err << "qt27frame: --slot needs a slot number of 1 or more, not \""
                    << parser.value(slotOption) << "\"\n";
                return 2;
            }
        }
        // A station just read from its file forces nothing.
        options.forcedMask = 0;
        QString errorText;
        if (!frame::writeCommissioningReport(station, options, parser.value(reportOption), &errorText)) {
            err << "qt27frame: " << errorText << "\n";
            err << "qt27frame: no report was written.\n";
            return 1;
        }
        return 0;
    }

    // The renderings connect, force, read diagnoses and record all of it: they work on
    // a copy of the project and its audit trail, so the engineer's record holds only
    // what was done to the module.
    QTemporaryDir renderingCopy;
    if (parser.isSet(screenshotOption)) {
        const QString copyPath = renderingCopy.filePath(QStringLiteral("station.xml"));
        const QString trail = host::AuditTrail::pathBeside(projectPath);
        QString copyError;
        bool copied = renderingCopy.isValid() && station.project().save(copyPath, &copyError);
        for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
            if (copied && QFile::exists(trail + suffix)) {
                copied = QFile::copy(trail + suffix, host::AuditTrail::pathBeside(copyPath) + suffix);
            }
        }
        if (!copied || !station.open(copyPath)) {
            err << "qt27frame: no copy of the project to render on: "
                << (copyError.isEmpty() ? station.lastError() : copyError) << "\n";
            err << "qt27frame: nothing was rendered.\n";
            return 1;
        }
        station.setLanguage(language);
    }

    host::SimulatedStation simulation(station.busAddress());
    for (const host::Station::ModuleInfo& module : station.modules()) {
        frame::addToSimulation(simulation, module.slot, module.typeCode);
    }
    simulation.setParameterProvider([&station](int slot) {
        const host::ModuleRecord* record = station.moduleRecord(slot);
        return record != nullptr ? record->parameters : QByteArray();
    });
    host::CommunicationService service(&simulation);

    const frame::PageRegistry registry = frame::PageRegistry::withLibraryPages();

    if (parser.isSet(screenshotOption)) {
        const int faultySlot = frame::showChannelFaultInScreenshots(simulation, station);
        QStringList errors;
        QStringList files = frame::renderAllPages(station, service, registry, parser.value(screenshotOption),
                                                  &errors, frame::forceChannelInScreenshots(station));
        // The audit window, with what the rendered pages recorded.
        files.append(frame::renderAuditDock(station, parser.value(screenshotOption)));
        files.append(frame::renderLoopCheck(station, simulation, service, parser.value(screenshotOption), &errors));
        files.removeAll(QString());
        files +=
            frame::renderFrameWindows(station, simulation, service, registry, parser.value(screenshotOption),
                                      {QStringLiteral("en"), QStringLiteral("de")}, &errors, faultySlot);
        for (const QString& error : errors) {
            err << "qt27frame: " << error << "\n";
        }
        QTextStream(stdout) << files.size() << " pictures rendered to "
                            << QDir::toNativeSeparators(QDir(parser.value(screenshotOption)).absolutePath())
                            << "\n";
        return files.isEmpty() ? 1 : 0;
    }

    frame::FrameWindow window(station, simulation, service, registry);
    if (!createdNotice.isEmpty()) {
        window.addMessage(frame::FrameWindow::Severity::Information, createdNotice);
    }
    // The window's place and the docks as the user left them last time.
    QSettings settings;
    window.restoreLayout(settings);
    window.show();
    const int result = QApplication::exec();
    window.saveLayout(settings);
    return result;
}
