// Start-up time from the start routine to the main window shown (splash time is virtual), with
// today's daily log holding 0 or 10,000 earlier lines that the status list must show.
#include "app/app_services.h"
#include "core/config_store.h"
#include "app/forms/frm_main.h"
#include "app/forms/frm_splash.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/single_instance.h"
#include "app/startup_parts.h"
#include "app/startup_routine.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "records/status_log.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

class QuietWindows final : public app::ModalWindows {
public:
    app::DisclaimerChoice showDisclaimer(QWidget*) override { return app::DisclaimerChoice::Agree; }
    void showWhatsNew(QWidget*) override {}
    void showStandIn(QWidget*, const QString&, const QString&) override {}
};

class NoParts final : public app::StartupParts, public app::MainWindowCommands {};

// One start in a fresh home whose day log already holds logLines lines.
struct StartEnvironment {
    explicit StartEnvironment(int logLines)
        : programFolder(dir.path() + QStringLiteral("/program")),
          store(QStringLiteral("qlnrec"), dir.path() + QStringLiteral("/config/qlnrec.conf")),
          config(store, programFolder),
          statusLog(events, programFolder), services{events, dialogs, shell, config, strings,  statusLog,
                                                     state,  windows, parts, parts,  lifecycle},
          guard(dir.path() + QStringLiteral("/qlnrec.lock"))
    {
        QDir().mkpath(programFolder + QStringLiteral("/LogFiles"));
        store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("0"));
        store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"),
                          programFolder + QStringLiteral("/waveFiles/"));
        QFile log(programFolder + QStringLiteral("/LogFiles/26-12-07.txt"));
        log.open(QIODevice::WriteOnly);
        for (int i = 0; i < logLines; ++i) {
            log.write(QStringLiteral("Line%1 CallerID 555%2 Caller Name %3 %4:%5:%6\r\n")
                          .arg(i % 4)
                          .arg(1000000 + i)
                          .arg(i)
                          .arg(8 + i / 3600 % 12, 2, 10, QLatin1Char('0'))
                          .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                          .arg(i % 60, 2, 10, QLatin1Char('0'))
                          .toUtf8());
        }
        state.programFolder = programFolder;
        statusLog.setShellService(&shell);
    }
    ~StartEnvironment() { statusLog.close(); }

    QTemporaryDir dir;
    QString programFolder;
    platform::VirtualEventService events;
    platform::SettingsStore store;
    core::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    platform::RecordingShellService shell;
    core::Strings strings;
    records::StatusLog statusLog;
    app::RunState state;
    QuietWindows windows;
    NoParts parts;
    app::Lifecycle lifecycle;
    app::AppServices services;
    app::SingleInstanceGuard guard;
};

void BM_StartupToMainWindowShown(benchmark::State& state)
{
    const int logLines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto env = std::make_unique<StartEnvironment>(logLines);
        auto startup = std::make_unique<app::StartupRoutine>(env->services);
        state.ResumeTiming();

        startup->start(env->guard);
        env->events.advance(app::frmSplash::kShowMs);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(startup->mainWindow());

        state.PauseTiming();
        if (!startup->mainWindow() || !startup->mainWindow()->isVisible() ||
            startup->mainWindow()->lstStatus->count() != logLines) {
            state.SkipWithError("the main window did not come up with the day's log");
        }
        startup.reset();
        env.reset();
        state.ResumeTiming();
    }
    state.counters["log_lines"] = logLines;
}
BENCHMARK(BM_StartupToMainWindowShown)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
