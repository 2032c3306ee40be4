#pragma once
// Line control and the setup dialog as the start-up, the main window and the shutdown use
// them: the per-line records, the telephony interface's initialisation, the hidden setup
// dialog, the opening and closing of the lines, and the setup dialog shown from the main window.
// The program's StartupParts and MainWindowCommands forward the matching calls here.
#include "app/setup/setup_host.h"
#include "app/startup_parts.h"
#include "telephony/call_flow_hooks.h"
#include "telephony/line_system.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace qlnrec::platform {
class TelephonyService;
class WaveService;
} // namespace qlnrec::platform

namespace qlnrec::app {

struct AppServices;
class frmMain;

class LineParts {
public:
    // hooks: where calls go on after line control (recording, prompts, caller ID, ...); the
    // default does nothing. Every argument must outlive this object.
    LineParts(AppServices& services, platform::TelephonyService& tapi, platform::WaveService& wave,
              telephony::CallFlowHooks* hooks = nullptr);
    ~LineParts();
    LineParts(const LineParts&) = delete;
    LineParts& operator=(const LineParts&) = delete;

    telephony::LineSystem& lines() { return *lines_; }
    SetupHost& setup() { return *setup_; }

    // The main window, whose option boxes the calls read (null before it exists).
    void setMainWindow(std::function<frmMain*()> mainWindow) { mainWindow_ = std::move(mainWindow); }
    void setDialogRunner(SetupHost::DialogRunner runner) { setup_->setDialogRunner(std::move(runner)); }
    void setSetupOpeners(SetupDialogOpeners openers) { setup_->setOpeners(std::move(openers)); }

    // Load sequence.
    void resetLineState();
    void initTelephony();
    SetupOutcome showSetupModal(QWidget* owner);
    void setRingTimerInterval(int line, std::uint32_t intervalMs);
    void setRingInterval(int line, int number, int intervalMs);
    void loadSetupHidden();
    bool minimizeOnStart() const;
    void openLines();
    std::optional<QString> lineDeviceText(int line) const;
    // Shutdown.
    void closeLines();
    void unloadWindows();

    // The main window's setup button: a save ends the program as the main window's Exit does.
    void openSetup(QWidget* owner);

private:
    class Controls;

    AppServices& services_;
    std::unique_ptr<Controls> controls_;
    telephony::CallFlowHooks defaultHooks_;
    std::unique_ptr<telephony::LineSystem> lines_;
    std::unique_ptr<SetupContext> setupContext_;
    std::unique_ptr<SetupHost> setup_;
    std::function<frmMain*()> mainWindow_;
};

} // namespace qlnrec::app
