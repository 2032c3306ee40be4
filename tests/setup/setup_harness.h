#pragma once
// The setup dialog over simulated line devices, with the telephony interface initialised as the
// start-up leaves it, a scripted dialog service and a recording shell.
#include "app/config/config_store.h"
#include "app/setup/frm_setup.h"
#include "app/strings/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "records/status_log.h"
#include "telephony/line_system.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <memory>

namespace qlnrec::test {

class SetupHarness {
public:
    // linesSpec: the simulated devices; configure(i) may change line i before initialisation.
    explicit SetupHarness(const QString& linesSpec = QStringLiteral("sim:2"));
    ~SetupHarness();

    platform::SimLine& sim(int line) { return *platform->simLine(static_cast<std::uint32_t>(line)); }
    void setDevice(int line, const QString& name, std::uint32_t mediaModes);
    // lineInitialize and negotiation, as the start-up does before the dialog loads.
    void initTelephony();
    // A dialog, loaded.
    app::frmSetup& load(app::SetupDialogOpeners openers = {});

    QString setting(const QString& section, const QString& key) const
    {
        return config.getSetting(section, key);
    }
    void store(const QString& key, const QString& value)
    {
        config.saveSetting(QStringLiteral("Config"), key, value);
    }
    // Journal lines written so far (and forgets them, so the next call shows only new ones).
    QStringList takeJournal();
    QStringList messageTexts() const;

    TempHome home;
    platform::VirtualEventService events;
    platform::SettingsStore settingsStore;
    app::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    platform::RecordingShellService shell;
    app::Strings strings;
    records::StatusLog statusLog;
    std::unique_ptr<platform::LinePlatform> platform;
    telephony::FixedLineControls controls;
    telephony::CallFlowHooks hooks;
    std::unique_ptr<telephony::LineSystem> lines;
    std::unique_ptr<app::SetupContext> context;
    std::unique_ptr<app::frmSetup> form;
};

} // namespace qlnrec::test
