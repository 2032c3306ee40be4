#pragma once
// The program's start-up and line control over simulated lines in virtual time: the real load
// sequence, the hidden setup dialog and the line parts, with the parts that follow a call
// replaced by hooks that log what they are asked.
#include "app/app_services.h"
#include "core/config_store.h"
#include "app/forms/frm_main.h"
#include "app/main_window_loader.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/setup/frm_setup.h"
#include "app/setup/line_parts.h"
#include "app/startup_parts.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "records/status_log.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <memory>
#include <optional>

namespace qlnrec::test {

class LoggingHooks final : public telephony::CallFlowHooks {
public:
    void startRecording(int line) override { calls.append(QStringLiteral("startRecording %1").arg(line)); }
    void playGreeting(int line) override { calls.append(QStringLiteral("playGreeting %1").arg(line)); }
    void playLegal(int line) override { calls.append(QStringLiteral("playLegal %1").arg(line)); }
    void playDoNotCall(int line) override { calls.append(QStringLiteral("playDoNotCall %1").arg(line)); }
    void callerIdArrived(platform::HCALL) override { calls.append(QStringLiteral("callerIdArrived")); }
    QStringList calls;
};

// The program's hooks as the product fills them: every line hook goes to the line parts.
class LineForwardingParts final : public app::StartupParts, public app::MainWindowCommands {
public:
    void resetLineState() override { lines->resetLineState(); }
    void initTelephony() override { lines->initTelephony(); }
    app::SetupOutcome showSetupModal(QWidget* owner) override { return lines->showSetupModal(owner); }
    void setRingTimerInterval(int line, std::uint32_t ms) override { lines->setRingTimerInterval(line, ms); }
    void setRingInterval(int line, int number, int ms) override { lines->setRingInterval(line, number, ms); }
    void loadSetupHidden() override { lines->loadSetupHidden(); }
    bool minimizeOnStart() const override { return lines->minimizeOnStart(); }
    void openLines() override { lines->openLines(); }
    std::optional<QString> lineDeviceText(int line) const override { return lines->lineDeviceText(line); }
    void closeLines() override { lines->closeLines(); }
    void unloadWindows() override { lines->unloadWindows(); }
    void openSetup(QWidget* owner) override { lines->openSetup(owner); }
    app::LineParts* lines = nullptr;
};

class AgreeingWindows final : public app::ModalWindows {
public:
    app::DisclaimerChoice showDisclaimer(QWidget*) override
    {
        ++disclaimers;
        return app::DisclaimerChoice::Agree;
    }
    void showWhatsNew(QWidget*) override {}
    void showStandIn(QWidget*, const QString&, const QString&) override {}
    int disclaimers = 0;
};

class LinesRig {
public:
    // linesSpec: the simulated lines; scenarioName: a file in the scenarios folder whose line
    // settings apply before the start (may be empty).
    explicit LinesRig(const QString& linesSpec = QStringLiteral("sim:4"), const QString& scenarioName = {});
    ~LinesRig();

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

    telephony::LineSystem& lines() { return lineParts->lines(); }
    platform::SimLine& sim(int line) { return *platform->simLine(static_cast<std::uint32_t>(line)); }
    telephony::LineSlot& slot(int line) { return lineParts->lines().state()[line]; }
    // Status lines without the time of day.
    QStringList statusTexts() const;
    // Lines of today's log file, as written.
    QStringList dayFileLines() const;
    // Clock time (ms since the lines' provider started) of the first activity entry of a line
    // whose text contains `what`; -1 when there is none.
    std::int64_t activityTime(int line, const QString& what);

    TempHome home;
    platform::VirtualEventService events;
    platform::SettingsStore settingsStore;
    core::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    platform::RecordingShellService shell;
    core::Strings strings;
    records::StatusLog statusLog;
    app::RunState state;
    AgreeingWindows windows;
    LineForwardingParts parts;
    app::Lifecycle lifecycle;
    app::AppServices services;
    std::optional<platform::Scenario> scenario;
    std::unique_ptr<platform::LinePlatform> platform;
    LoggingHooks hooks;
    std::unique_ptr<app::LineParts> lineParts;
    std::unique_ptr<app::frmMain> window;
    std::unique_ptr<platform::ScenarioPlayer> player;
    QString scenarioError;
    int programEnds = 0;
};

} // namespace qlnrec::test
