// Start-up time from the start routine to the main window shown (splash time is virtual), with
// today's daily log holding 0 or 10,000 earlier lines that the status list must show.
#include "app/forms/frm_main.h"
#include "app/forms/frm_splash.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/dialogs/modal_runners.h"
#include "platform/mci/null_media_backend.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "records/status_log.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

// One start of the whole program (one simulated line, not in use) in a fresh home whose day log
// already holds logLines lines.
struct StartEnvironment {
    explicit StartEnvironment(int logLines)
        : programFolder(dir.path() + QStringLiteral("/program")),
          store(QStringLiteral("qlnrec"), dir.path() + QStringLiteral("/config/qlnrec.conf")),
          lines(
              platform::LinePlatform::create(events, QStringLiteral("sim:1"), &linesError, soundCardless())),
          media(events), guard(dir.path() + QStringLiteral("/qlnrec.lock"))
    {
        QDir().mkpath(programFolder + QStringLiteral("/LogFiles"));
        store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("0"));
        store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"),
                          programFolder + QStringLiteral("/waveFiles/"));
        QFile log(programFolder + QStringLiteral("/LogFiles/") +
                  records::StatusLog::dayFileName(events.currentDateTime().date()));
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
        program = std::make_unique<app::Program>(app::ProgramPlatform{
            events, dialogs, modal, shell, store, *lines, media, programFolder, {}, {}, [](int) {}});
    }

    static platform::WaveServiceOptions soundCardless()
    {
        platform::WaveServiceOptions options;
        options.useSoundCard = false;
        return options;
    }

    QTemporaryDir dir;
    QString programFolder;
    QString linesError;
    platform::VirtualEventService events;
    platform::SettingsStore store;
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner modal{false};
    platform::RecordingShellService shell;
    std::unique_ptr<platform::LinePlatform> lines;
    platform::NullMediaBackend media;
    app::SingleInstanceGuard guard;
    std::unique_ptr<app::Program> program;
};

void BM_StartupToMainWindowShown(benchmark::State& state)
{
    const int logLines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto env = std::make_unique<StartEnvironment>(logLines);
        app::StartupRoutine* startup = &env->program->startup();
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
