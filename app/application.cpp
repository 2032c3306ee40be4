#include "app/application.h"

#include "app/command_line.h"
#include "app/demo_scenario.h"
#include "app/program.h"
#include "app/run_state.h"
#include "app/signal_watcher.h"
#include "app/single_instance.h"
#include "app/stall_watch.h"
#include "app/startup_routine.h"
#include "core/config_store.h"
#include "core/program_folders.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/qt_event_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/dialogs/modal_runners.h"
#include "platform/dialogs/qt_dialog_service.h"
#include "platform/mci/mci_service.h"
#include "platform/mci/media_backend.h"
#include "platform/modem/modem_provider.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "platform/telephony/line_provider.h"
#include "records/status_log.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <memory>

namespace qlnrec::app {

namespace {

void printError(const QString& text)
{
    std::fprintf(stderr, "qlnrec: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// The voice modems found on the machine, or one simulated line when there is none, so the
// program always has something to show.
QString defaultLinesSpec()
{
    if (platform::LineProviderRegistry::instance().contains(QLatin1String(platform::kAutoLinesSpec))) {
        return QLatin1String(platform::kAutoLinesSpec);
    }
    return QStringLiteral("sim:1");
}

std::unique_ptr<platform::LinePlatform> createLines(platform::EventService& events,
                                                    const CommandLineOptions& options, QString* error)
{
    if (!options.lines.isEmpty()) {
        return platform::LinePlatform::create(events, options.lines, error);
    }
    const QString linesList = options.demo ? QStringLiteral("sim:1") : defaultLinesSpec();
    auto lines = platform::LinePlatform::create(events, linesList, error);
    if (!lines && linesList != QLatin1String("sim:1")) {
        printError(QStringLiteral("%1; using a simulated line").arg(*error));
        lines = platform::LinePlatform::create(events, QStringLiteral("sim:1"), error);
    }
    return lines;
}

// The options QApplication takes off the command line itself (Qt's own, such as -platform or
// -style), so the parse before it exists does not refuse them. Each with its value when it has one.
QStringList withoutQtOptions(const QStringList& arguments)
{
    static const QStringList valued{QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
                                    QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
                                    QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
                                    QStringLiteral("-qwindowtitle"),    QStringLiteral("-display"),
                                    QStringLiteral("-geometry"),        QStringLiteral("-style"),
                                    QStringLiteral("-stylesheet"),      QStringLiteral("-session")};
    static const QStringList flags{QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                   QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                   QStringLiteral("-sync")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i].section(QLatin1Char('='), 0, 0);
        if (name.startsWith(QStringLiteral("--"))) {
            name.remove(0, 1);
        }
        if (i > 0 && valued.contains(name)) {
            i += arguments[i].contains(QLatin1Char('=')) ? 0 : 1;
            continue;
        }
        if (i == 0 || !flags.contains(name)) {
            kept << arguments[i];
        }
    }
    return kept;
}

// The command line, read before any window system is touched, so that --help, --version and a
// bad option work without a display. nullopt with the exit code when the run ends here.
std::optional<CommandLineOptions> readCommandLine(int argc, char** argv, int* exitCode)
{
    QCoreApplication parseOnly(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QLNREC_VERSION));
    QString error;
    QString helpText;
    std::optional<CommandLineOptions> parsed =
        parseCommandLine(withoutQtOptions(QCoreApplication::arguments()), &error, &helpText);
    if (!parsed) {
        if (!helpText.isEmpty()) {
            std::fputs(qPrintable(helpText), stdout);
            *exitCode = 0;
        } else {
            printError(error);
            *exitCode = 2;
        }
    }
    return parsed;
}

// The language of what is said before the program reads its settings: --language, else the
// language stored in the settings file, else the desktop's locale (Chinese picks the matching
// script), else English.
core::Strings startStrings(const CommandLineOptions& options, const platform::SettingsStore& store)
{
    const QString stored =
        store.getSetting(core::keys::kLanguage.section, core::keys::kLanguage.key).trimmed();
    if (options.language || !stored.isEmpty()) {
        return core::Strings(core::Strings::offsetForLanguageSetting(options.language.value_or(stored)));
    }
    return core::Strings(core::Strings::offsetForLocale(QLocale::system()));
}

} // namespace

int runApplication(int argc, char** argv)
{
    int exitCode = 0;
    const std::optional<CommandLineOptions> parsed = readCommandLine(argc, argv, &exitCode);
    if (!parsed) {
        return exitCode;
    }
    const CommandLineOptions& options = *parsed;

    QApplication qapp(argc, argv);
    const QString applicationName = platform::SettingsStore::applicationNameFromExecutable(
        argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString());
    QCoreApplication::setApplicationName(applicationName);
    QCoreApplication::setApplicationVersion(QStringLiteral(QLNREC_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quillon Recorder"));
    QGuiApplication::setDesktopFileName(QStringLiteral(QLNREC_APP_ID));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QString error;

    // The clock: real, or virtual time that runs as fast as events allow.
    std::unique_ptr<platform::VirtualEventService> virtualEvents;
    std::unique_ptr<platform::QtEventService> realEvents;
    platform::EventService* events = nullptr;
    if (options.virtualTime) {
        virtualEvents = std::make_unique<platform::VirtualEventService>(QDateTime::currentDateTime());
        events = virtualEvents.get();
    } else {
        realEvents = std::make_unique<platform::QtEventService>();
        events = realEvents.get();
    }

    // Dialogs: real ones, or (headless) every box answered with its default and logged.
    std::unique_ptr<platform::DialogService> dialogs;
    if (options.headless()) {
        dialogs = std::make_unique<platform::AutoAnswerDialogService>();
    } else {
        dialogs = std::make_unique<platform::QtDialogService>();
    }

    // The demonstration runs in a profile of its own, removed at the end unless kept.
    std::unique_ptr<DemoProfile> demo;
    if (options.demo) {
        demo = DemoProfile::create(options.home, &error);
        if (!demo) {
            printError(QStringLiteral("--demo: %1").arg(error));
            return 1;
        }
        if (options.keepDemo) {
            demo->keep();
        }
    }
    platform::SettingsStore store(applicationName,
                                  demo ? demo->settingsPath()
                                       : platform::SettingsStore::defaultFilePath(applicationName));
    const QString demoFolder = demo ? demo->folder() : QString();
    const QString programFolder =
        core::ProgramFolders::resolveProgramFolder(demoFolder.isEmpty() ? options.home : demoFolder);
    const core::Strings strings = startStrings(options, store);
    if (!core::ProgramFolders::ensureWritableFolder(programFolder, strings, &error)) {
        dialogs->messageBox(strings.text(core::ProgramText::CannotKeepFiles).arg(error),
                            QStringLiteral("Quillon"), platform::MessageIcon::Critical);
        return 1;
    }

    // The scenario is read before anything starts, so a bad file is reported at once.
    std::optional<platform::Scenario> scenario;
    if (!options.scenario.isEmpty()) {
        scenario = platform::Scenario::load(options.scenario, &error);
        if (!scenario) {
            printError(QStringLiteral("%1: %2").arg(options.scenario, error));
            return 2;
        }
    } else if (options.demo) {
        scenario = platform::Scenario::parse(demoScenarioText(), &error);
        if (!scenario) {
            printError(QStringLiteral("demonstration call: %1").arg(error));
            return 2;
        }
    }
    platform::registerModemProviders();
    std::unique_ptr<platform::LinePlatform> lines = createLines(*events, options, &error);
    if (!lines) {
        printError(QStringLiteral("--lines: %1").arg(error));
        return 2;
    }
    // Whatever way the run ends, the simulated lines' activity is written out when asked for.
    struct ActivityWriter {
        platform::LinePlatform& lines;
        QString path;
        ~ActivityWriter()
        {
            QString writeError;
            if (!path.isEmpty() && !lines.writeActivity(path, &writeError)) {
                printError(QStringLiteral("--activity: %1").arg(writeError));
            }
        }
    } activityWriter{*lines, options.activity};
    if (scenario && !lines->applyLineConfigs(*scenario, &error)) {
        printError(QStringLiteral("%1: %2").arg(options.scenario, error));
        return 2;
    }

    if (demo) {
        demo->prepareSettings(store);
        printError(QStringLiteral("demonstration: files and settings in %1, %2")
                       .arg(demoFolder, demo->kept() ? QStringLiteral("kept after the end")
                                                     : QStringLiteral("removed at the end")));
    }
    platform::DesktopShellService shell(autoStartArguments(options, programFolder));
    // Modal windows: real ones, or (headless) each answered at once with its default button.
    std::unique_ptr<platform::ModalRunner> modal;
    if (options.headless()) {
        modal = std::make_unique<platform::AutoModalRunner>();
    } else {
        modal = std::make_unique<platform::WidgetModalRunner>();
    }
    std::unique_ptr<platform::MediaBackend> mediaBackend = platform::createMediaBackend(*events);
    Program program(ProgramPlatform{*events,
                                    *dialogs,
                                    *modal,
                                    shell,
                                    store,
                                    *lines,
                                    *mediaBackend,
                                    programFolder,
                                    // The demonstration leaves the login start as it is.
                                    demo ? QString() : QCoreApplication::applicationFilePath(),
                                    {},
                                    [](int exitCode) { QCoreApplication::exit(exitCode); }});
    Lifecycle& lifecycle = program.lifecycle();

    QString runtimeError;
    QString runtimeFolder = core::ProgramFolders::privateTempFolder(applicationName, &runtimeError);
    if (runtimeFolder.isEmpty()) {
        printError(
            QStringLiteral("no private runtime folder (%1); the single-copy lock lives in the program folder")
                .arg(runtimeError));
        runtimeFolder = programFolder + QLatin1Char('/');
    }
    SingleInstanceGuard guard(
        SingleInstanceGuard::lockPathFor(runtimeFolder, applicationName, store.filePath()));

    program.state().demonstration = options.demo;
    StartupRoutine& startup = program.startup();
    SignalWatcher signalWatcher([&startup](int) { startup.requestShutdown(); });

    // The scenario starts once the main window runs; with --exit-when-done its end ends the program.
    std::unique_ptr<platform::ScenarioPlayer> player;
    bool scenarioDone = !scenario;
    startup.setOnMainWindowShown([&] {
        if (options.headless()) {
            printError(QStringLiteral("main window loaded"));
        }
        if (!scenario) {
            // Nothing to play: with --exit-when-done the start-up itself was the work.
            if (options.exitWhenDone) {
                startup.requestShutdown();
            }
            return;
        }
        QString playError;
        player = lines->playScenario(*scenario, &playError);
        if (!player) {
            printError(QStringLiteral("scenario: %1").arg(playError));
            scenarioDone = true;
            if (options.exitWhenDone) {
                lifecycle.exitCode = 3;
                startup.requestShutdown();
            }
            return;
        }
        player->setOnFinished([&](bool completed) {
            scenarioDone = true;
            if (!completed && !player->error().isEmpty()) {
                printError(QStringLiteral("scenario: %1").arg(player->error()));
            }
            if (options.exitWhenDone) {
                startup.requestShutdown();
                return;
            }
            // The demonstration ends by playing the message it took, as the user would.
            if (options.demo && completed && program.listPlayer()) {
                program.listPlayer()->playAll();
            }
        });
    });

    // --log-stalls: pauses of the GUI thread's loop as they happen, and the longest at the end.
    struct StallReport {
        std::unique_ptr<StallWatch> watch;
        ~StallReport()
        {
            if (watch) {
                printError(QStringLiteral("longest event-loop stall: %1 ms (%2 ms of it working); "
                                          "longest work in a stall: %3 ms")
                               .arg(watch->longestStall().wallMs)
                               .arg(watch->longestStall().busyMs)
                               .arg(watch->longestBusyMs()));
            }
        }
    } stallReport;
    if (options.logStallsMs > 0) {
        stallReport.watch = std::make_unique<StallWatch>(options.logStallsMs, [](const Stall& stall) {
            printError(QStringLiteral("event loop stalled for %1 ms (%2 ms of it working)")
                           .arg(stall.wallMs)
                           .arg(stall.busyMs));
        });
    }

    const StartupRoutine::Outcome outcome = startup.start(guard, options.language);
    if (outcome == StartupRoutine::Outcome::AlreadyRunning) {
        return 1;
    }
    if (lifecycle.ended) {
        return lifecycle.exitCode;
    }

    if (virtualEvents) {
        platform::runVirtualTime(
            *virtualEvents, [&] { return lifecycle.ended || (scenarioDone && startup.mainWindow()); },
            24ull * 3600 * 1000, [] { QCoreApplication::processEvents(); });
        if (lifecycle.ended) {
            return lifecycle.exitCode;
        }
        if (options.exitWhenDone) {
            startup.requestShutdown();
            return lifecycle.exitCode;
        }
    }
    return qapp.exec();
}

} // namespace qlnrec::app
