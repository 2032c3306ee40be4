#pragma once
// The whole program (app::Program, as the product builds it) over simulated lines in virtual time,
// with scripted message boxes and modal windows. Every call-flow role is the program's own; a test
// may put the logging object in place of one to see what line control asked of it.
#include "app/forms/frm_main.h"
#include "app/main_window_loader.h"
#include "app/program.h"
#include "app/run_state.h"
#include "app/setup/frm_setup.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/dialogs/modal_runners.h"
#include "platform/mci/media_backend.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "records/status_log.h"
#include "tests/support/logging_roles.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace qlnrec::test {

class ProgramRig {
public:
    // linesSpec: the simulated lines; scenarioName: a file in the scenarios folder whose line
    // settings apply before the start (may be empty).
    // sharedHome: the home of an earlier rig (its program crashed), for a start after it.
    explicit ProgramRig(const QString& linesSpec = QStringLiteral("sim:4"), const QString& scenarioName = {},
                        QStringList sigscanCandidates = {}, std::shared_ptr<TempHome> sharedHome = {});
    ~ProgramRig();

    // The program ends as in a crash: its objects go without the shutdown sequence, so nothing is
    // finished; the files stay as the run left them. Only `home` and `homeHolder` may be used
    // afterwards (a new rig over homeHolder is the next start).
    void crash();

    void store(const QString& section, const QString& key, const QString& value)
    {
        config.saveSetting(section, key, value);
    }
    void store(const QString& configKey, const QString& value)
    {
        store(QStringLiteral("Config"), configKey, value);
    }
    QString setting(const QString& section, const QString& key) const
    {
        return config.getSetting(section, key);
    }
    // A start that is not the first (a recordings folder is stored) with these lines in use.
    void configureLines(std::initializer_list<int> lineIndexes);
    // The main window's load sequence.
    app::LoadResult start();
    // Plays the scenario to its end in virtual time; false when it failed or did not finish.
    bool play();
    void run(std::uint64_t ms);

    // The setup dialog loaded afresh, after the telephony interface was initialised as at start.
    app::frmSetup& loadSetup(app::SetupDialogOpeners openers = {});
    void setDevice(int line, const QString& name, std::uint32_t mediaModes);
    // Journal lines written so far; forgets them, so the next call shows only new ones.
    QStringList takeJournal();
    QStringList messageTexts() const;

    telephony::LineSystem& lines() { return program->lines(); }
    platform::SimLine& sim(int line) { return *platform->simLine(static_cast<std::uint32_t>(line)); }
    telephony::LineSlot& slot(int line) { return program->lines().state()[line]; }
    // Status lines without the time of day.
    QStringList statusTexts() const;
    // Lines of today's log file, as written.
    QStringList dayFileLines() const;
    // Clock time (ms since the lines' provider started) of the first activity entry of a line
    // whose text contains `what`; -1 when there is none.
    std::int64_t activityTime(int line, const QString& what);

    std::shared_ptr<TempHome> homeHolder;
    TempHome& home;
    platform::VirtualEventService events;
    platform::SettingsStore settingsStore;
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner modal{false};
    platform::RecordingShellService shell;
    std::optional<platform::Scenario> scenario;
    std::unique_ptr<platform::LinePlatform> platform;
    std::unique_ptr<platform::MediaBackend> media;
    LoggingRoles hooks; // for a test that replaces one of the program's roles
    std::unique_ptr<app::Program> program;
    // The program's parts under their usual names.
    core::ConfigStore& config;
    core::Strings& strings;
    records::StatusLog& statusLog;
    app::RunState& state;
    app::Lifecycle& lifecycle;
    app::AppServices& services;
    app::frmMain* window() const { return program->mainWindow(); }
    std::unique_ptr<platform::ScenarioPlayer> player;
    QString scenarioError;
    int programEnds = 0;

private:
    bool crashed_ = false;
};

} // namespace qlnrec::test
