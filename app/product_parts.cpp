#include "app/product_parts.h"

#include "app/app_services.h"
#include "core/config_store.h"
#include "app/forms/frm_main.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/setup/line_parts.h"
#include "core/strings.h"
#include "audio/recorder.h"
#include "platform/acm/acm.h"
#include "platform/core/dialog_service.h"
#include "platform/mci/mci_service.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "ui/records/frm_view_log.h"
#include "records/recordings_lists.h"
#include "ui/records/recordings_lists_binder.h"
#include "records/status_log.h"

#include <cstdio>

namespace qlnrec::app {

namespace {
// Volume controls of the common desktops, tried in order.
const char* const kVolumeControls[] = {"pavucontrol", "pavucontrol-qt", "gnome-control-center", "kmix"};
} // namespace

void ProductParts::standIn(QWidget* owner, const QString& title)
{
    services_->windows.showStandIn(
        owner, title,
        QStringLiteral("%1 is not available in this version of Quillon Recorder yet.").arg(title));
}

ProductParts::ProductParts()
    : acmRegistry_(std::make_unique<platform::AcmDriverRegistry>()),
      acm_(std::make_unique<platform::AcmService>(*acmRegistry_)),
      recordingHooks_(std::make_unique<audio::RecordingHooks>())
{
    platform::registerBuiltInAcmDrivers(*acmRegistry_);
}

ProductParts::~ProductParts()
{
    delete recordingListsBinder_.data();
}

LineParts* ProductParts::lineParts() const
{
    if (!lineParts_ && services_ && lines_) {
        lineParts_ = std::make_unique<LineParts>(*services_, lines_->telephony(), lines_->wave(),
                                                 recordingHooks_.get());
        lineParts_->setMainWindow([this] { return mainWindow_ ? mainWindow_() : nullptr; });
        if (dynamic_cast<AutoModalWindows*>(&services_->windows)) {
            // Headless runs never wait for the user: the dialog is left with its Exit button.
            lineParts_->setDialogRunner([](QDialog& dialog) {
                std::fprintf(stderr, "Window frmSetup: Exit\n");
                std::fflush(stderr);
                static_cast<frmSetup&>(dialog).cmdExit_Click();
            });
        }
    }
    return lineParts_.get();
}

void ProductParts::resetLineState()
{
    if (LineParts* lines = lineParts()) {
        lines->resetLineState();
    }
}

void ProductParts::initTelephony()
{
    if (LineParts* lines = lineParts()) {
        lines->initTelephony();
    }
}

SetupOutcome ProductParts::showSetupModal(QWidget* owner)
{
    if (LineParts* lines = lineParts()) {
        return lines->showSetupModal(owner);
    }
    standIn(owner, services_->strings.loadText(1009));
    return SetupOutcome::Exited;
}

void ProductParts::setRingTimerInterval(int line, std::uint32_t intervalMs)
{
    if (LineParts* lines = lineParts()) {
        lines->setRingTimerInterval(line, intervalMs);
    }
}

void ProductParts::setRingInterval(int line, int number, int intervalMs)
{
    if (LineParts* lines = lineParts()) {
        lines->setRingInterval(line, number, intervalMs);
    }
}

void ProductParts::loadSetupHidden()
{
    if (LineParts* lines = lineParts()) {
        lines->loadSetupHidden();
    }
}

bool ProductParts::minimizeOnStart() const
{
    if (const LineParts* lines = lineParts()) {
        return lines->minimizeOnStart();
    }
    return services_->config.getNumber(QStringLiteral("Config"), QStringLiteral("MinOnStart"),
                                       QStringLiteral("0")) != 0;
}

void ProductParts::openLines()
{
    if (LineParts* lines = lineParts()) {
        recorder(); // calls may be recorded from the moment the lines are open
        lines->openLines();
    }
}

std::optional<QString> ProductParts::lineDeviceText(int line) const
{
    if (const LineParts* lines = lineParts()) {
        return lines->lineDeviceText(line);
    }
    return std::nullopt;
}

void ProductParts::closeLines()
{
    if (LineParts* lines = lineParts()) {
        lines->closeLines();
    }
}

void ProductParts::unloadWindows()
{
    if (LineParts* lines = lineParts()) {
        lines->unloadWindows();
    }
}

audio::Recorder* ProductParts::recorder() const
{
    LineParts* parts = lineParts();
    if (!recorder_ && parts) {
        AppServices& s = *services_;
        audio::Recorder::Hooks hooks;
        hooks.addStatusLine = [&s](const QString& text) { s.statusLog.addStatusLine(text); };
        hooks.finishedRecording = [this](const QString& name) {
            if (recordingLists_) {
                recordingLists_->AddFinishedRecording(name);
            }
        };
        recorder_ = std::make_unique<audio::Recorder>(
            audio::Recorder::Services{s.events, lines_->wave(), *acm_, s.dialogs}, parts->lines(),
            audio::RecorderSettings{}, std::move(hooks));
        // The settings snapshot is complete only at the end of the load; each capture reads it.
        telephony::LineSystem& lines = parts->lines();
        recorder_->engine().setSettingsSource([&s, &lines] {
            audio::RecorderSettings settings;
            settings.outputFormat = lines.settings().waveFileFormat == 1 ? audio::OutputFormat::TrueSpeech
                                                                         : audio::OutputFormat::Pcm;
            settings.recordingsFolder = s.state.recordingsFolder;
            settings.tempFolder = s.state.tempFolder;
            const DetectorSettings& d = s.state.detector;
            settings.triggers = audio::StopTriggerSettings{d.silence, d.silenceLevel, d.silenceSeconds,
                                                           d.fastBusy, d.country};
            settings.silenceDetectedText = s.strings.loadText(1119);
            return settings;
        });
        recordingHooks_->setEngine(&recorder_->engine());
    }
    return recorder_.get();
}

void ProductParts::loadRecordingLists()
{
    recordingLists_ = std::make_unique<records::RecordingLists>(services_->config, services_->dialogs,
                                                                services_->state.recordingsFolder);
    recordingLists_->pressPlay = [this] { services_->commands.play(); };
    if (frmMain* window = mainWindow_ ? mainWindow_() : nullptr) {
        recordingListsBinder_ = new records::RecordingListsBinder(
            *recordingLists_, window->lstLastTen, window->lstUnread, window->lblFileName, window);
    }
    recordingLists_->LoadRecordingLists();
}

void ProductParts::findTrueSpeechDriver()
{
    if (audio::Recorder* r = recorder()) {
        r->FindTrueSpeechDriver();
    }
}

void ProductParts::play()
{
    // The player's hand-over: a recording played from the unread list has been heard.
    if (recordingLists_) {
        recordingLists_->markSelectedAsRead();
    }
}

void ProductParts::closeMedia()
{
    if (mci_) {
        mci_->mciSendString(QStringLiteral("close MyMedia"));
    }
}

void ProductParts::openSetup(QWidget* owner)
{
    if (LineParts* lines = lineParts()) {
        lines->openSetup(owner);
        return;
    }
    showSetupModal(owner);
}

void ProductParts::openLogViewer(QWidget* owner)
{
    records::frmViewLog viewer(services_->statusLog, services_->dialogs, services_->shell, services_->strings,
                               owner);
    viewer.exec();
}

void ProductParts::openBackup(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1034));
}

void ProductParts::openHelp()
{
    services_->shell.openDocument(services_->strings.helpDocumentPath(services_->state.programFolder));
}

void ProductParts::browseWaveFiles(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1055));
}

void ProductParts::openDialer(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1083));
}

void ProductParts::quickDial(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1083));
}

void ProductParts::openVolumeControl()
{
    for (const char* program : kVolumeControls) {
        if (services_->shell.startProgram(QLatin1String(program))) {
            return;
        }
    }
    services_->dialogs.messageBox(
        QStringLiteral("No volume control was found. Install pavucontrol to set the volume from here."),
        QStringLiteral("Quillon"), platform::MessageIcon::Information);
}

} // namespace qlnrec::app
