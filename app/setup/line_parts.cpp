#include "app/setup/line_parts.h"

#include "app/app_services.h"
#include "core/config_store.h"
#include "app/forms/frm_main.h"
#include "app/run_state.h"
#include "app/shutdown.h"
#include "telephony/line_context.h"

#include <QCheckBox>
#include <QPushButton>

namespace qlnrec::app {

// What line control reads from the windows: the hidden setup dialog's rings field and the main
// window's option boxes. Before the main window exists the boxes' stored values stand in (each
// click on a box stores it, so the two agree).
class LineParts::Controls final : public telephony::LineControls {
public:
    explicit Controls(LineParts& parts) : parts_(parts) {}

    QString ringsFieldText() const override { return parts_.setup_->ringsText(); }
    bool legalChecked() const override { return box(&frmMain::chkLegal, "Legal", "0"); }
    bool ringCountChecked() const override { return box(&frmMain::chkRingCount, "RingCount", "1"); }

private:
    bool box(QCheckBox* frmMain::*member, const char* key, const char* defaultValue) const
    {
        if (const frmMain* window = parts_.mainWindow_ ? parts_.mainWindow_() : nullptr) {
            return (window->*member)->isChecked();
        }
        return parts_.services_.config.getNumber(QStringLiteral("Config"), QLatin1String(key),
                                                 QLatin1String(defaultValue)) != 0;
    }

    LineParts& parts_;
};

LineParts::LineParts(AppServices& services, platform::TelephonyService& tapi, platform::WaveService& wave,
                     telephony::CallFlowHooks* hooks)
    : services_(services), controls_(std::make_unique<Controls>(*this))
{
    const telephony::LineContext context{
        services.events, tapi, wave, services.dialogs, services.config, services.strings, services.statusLog};
    lines_ = std::make_unique<telephony::LineSystem>(context, hooks ? *hooks : defaultHooks_, *controls_);
    lines_->manager().setEndProgram([this] {
        services_.lifecycle.exitCode = 1;
        runShutdown(services_, mainWindow_ ? mainWindow_() : nullptr);
    });
    setupContext_ = std::make_unique<SetupContext>(
        SetupContext{lines_->state(), lines_->settings(), tapi, services.config, services.strings,
                     services.dialogs, services.state.programFolder});
    setup_ = std::make_unique<SetupHost>(*setupContext_);
}

LineParts::~LineParts() = default;

void LineParts::resetLineState()
{
    for (telephony::LineSlot& slot : lines_->state().slot) {
        slot.clear();
    }
    lines_->manager().resetLines();
}

void LineParts::initTelephony()
{
    // The program folder is known by now; the setup dialog proposes its recordings folder below it.
    setupContext_->programFolder = services_.state.programFolder;
    lines_->manager().initializeTelephony();
}

SetupOutcome LineParts::showSetupModal(QWidget* owner)
{
    setupContext_->programFolder = services_.state.programFolder;
    return setup_->showModal(owner);
}

void LineParts::setRingTimerInterval(int line, std::uint32_t intervalMs)
{
    if (telephony::LineState::validLine(line)) {
        telephony::LineTimers::at(lines_->timers().Timer1, line).setInterval(intervalMs);
    }
}

void LineParts::setRingInterval(int line, int number, int intervalMs)
{
    if (telephony::LineState::validLine(line) && number >= 1 && number <= telephony::kRingIntervalCount) {
        lines_->state()[line].ringInterval(number) = intervalMs;
    }
}

void LineParts::loadSetupHidden()
{
    setupContext_->programFolder = services_.state.programFolder;
    setup_->loadHidden();
}

bool LineParts::minimizeOnStart() const
{
    return lines_->settings().minimizeOnStart != 0;
}

void LineParts::openLines()
{
    // The fast-busy switch is read once at start, like the detector settings it belongs to.
    lines_->settings().fastBusySwitch =
        services_.config.getInt(QStringLiteral("Config"), QStringLiteral("FBS"), QStringLiteral("0"));
    lines_->manager().openConfiguredLines();
}

std::optional<QString> LineParts::lineDeviceText(int line) const
{
    return setup_->lineDeviceText(line);
}

void LineParts::closeLines()
{
    lines_->timers().disableAll();
    lines_->manager().CloseLines();
}

void LineParts::unloadWindows()
{
    setup_->unload();
}

void LineParts::openSetup(QWidget* owner)
{
    if (showSetupModal(owner) != SetupOutcome::Saved) {
        return;
    }
    if (auto* window = qobject_cast<frmMain*>(owner)) {
        window->cmdExit->click();
        return;
    }
    runShutdown(services_, mainWindow_ ? mainWindow_() : nullptr);
}

} // namespace qlnrec::app
