#include "app/program.h"

#include "app/forms/frm_main.h"
#include "app/shutdown.h"
#include "audio/default_prompts.h"
#include "core/program_folders.h"
#include "core/settings_table.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "platform/core/settings_store.h"
#include "platform/shell/shell_service.h"
#include "platform/telephony/line_platform.h"
#include "platform/telephony/line_provider.h"
#include "records/status_list_menu.h"
#include "tools/backup_model.h"
#include "tools/mail_recording.h"
#include "ui/audio/prompt_recorder_dialog.h"
#include "ui/blocklist/frm_blackpub.h"
#include "ui/blocklist/frm_pb_add1.h"
#include "ui/phonebook/frm_book_result.h"
#include "ui/phonebook/frm_dial_out.h"
#include "ui/phonebook/frm_dial_records.h"
#include "ui/phonebook/frm_pb_add.h"
#include "ui/phonebook/frm_pb_edit.h"
#include "ui/records/frm_brows.h"
#include "ui/records/frm_view_log.h"
#include "ui/records/player_binder.h"
#include "ui/records/recordings_lists_binder.h"
#include "ui/telephony/frm_pop_call_id.h"
#include "ui/tools/frm_backup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace qlnrec::app {

namespace {
// The settings hold numbers, names and folders: a settings file (and any folder) made for them is
// the user's only. The store rewrites the file keeping its rights, so creating it private is
// enough; a file that exists keeps the rights it has.
void makeSettingsFilePrivate(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path)) {
        return;
    }
    core::ProgramFolders::makePrivatePath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Volume controls of the common desktops, tried in order.
const char* const kVolumeControls[] = {"pavucontrol", "pavucontrol-qt", "gnome-control-center", "kmix"};
} // namespace

Program::Program(const ProgramPlatform& platform)
    : platform_(platform), config_(platform.settings, platform.programFolder),
      statusLog_(platform.events, platform.programFolder), acm_(acmRegistry_),
      mci_(platform.events, platform.media, &acm_), controls_(*this),
      lines_(lineContext(), roles_, controls_), answering_(lines_, platform.programFolder, answeringLinks()),
      setupContext_{lines_.state(), lines_.settings(), platform.lines.telephony(), config_,
                    strings_,       platform.dialogs,  platform.programFolder},
      setup_(setupContext_, platform.modal), recorder_(recorderServices(), lines_, audio::RecorderSettings{},
                                                       recorderHooks(), platform.sigscanCandidates),
      prompts_(platform.lines.wave(), lines_.state()),
      ringRules_(platform.events, platform.programFolder, strings_,
                 [this](const QString& text) { statusLog_.addStatusLine(text); }),
      ringRuleDialogs_{ringRules_.file(), platform.dialogs, platform.modal, strings_},
      phoneBookFile_(platform.programFolder, phoneBookCodec_), blockList_(platform.programFolder),
      screeningRules_(platform.programFolder), screening_(blockList_, screeningRules_), dialRecords_(config_),
      dialer_(lines_, dialRecords_, phoneBookFile_, platform.programFolder),
      callerId_(lines_, platform.programFolder, callerIdLinks()), blocking_(lines_),
      popup_(lines_, popupWindowFactory()), player_(platform.events, mci_, platform.dialogs, strings_, {}),
      tray_(platform.shell, platform.events, statusLog_, strings_, trayWindow()),
      notifier_(platform.shell, config_, strings_),
      windows_(strings_, platform.modal), services_{platform.events, platform.dialogs, platform.shell,
                                                    config_,         strings_,         statusLog_,
                                                    state_,          windows_,         *this,
                                                    *this,           lifecycle_},
      startup_(services_)
{
    makeSettingsFilePrivate(platform.settings.filePath());
    config_.setDialogService(&platform.dialogs);
    if (!platform.programPath.isEmpty()) {
        config_.setShellService(&platform.shell, platform.programPath);
    }
    statusLog_.setShellService(&platform.shell);
    statusLog_.setStrings(&strings_);
    state_.programFolder = platform.programFolder;
    platform::registerBuiltInAcmDrivers(acmRegistry_);
    lifecycle_.endProgram = platform.endProgram;

    lines_.manager().setEndProgram([this] {
        lifecycle_.exitCode = 1;
        runShutdown(services_, mainWindow());
    });
    // The settings snapshot is complete only at the end of the load; each capture reads it.
    recorder_.engine().setSettingsSource([this] { return recorderSettings(); });

    setup_.setOpeners(setupOpeners());
    bindDialerHooks();
    bindRoles();
    reportProviderHealth();
}

Program::~Program()
{
    delete recordingListsBinder_.data();
    delete playerBinder_.data();
    delete blackListAdd_.data();
    delete phoneBookAdd_.data();
    delete dialWindow_.data();
}

void Program::bindRoles()
{
    roles_.recording = &recorder_;
    roles_.prompts = &prompts_;
    roles_.ringRules = &ringRules_;
    roles_.answering = &answering_;
    roles_.callerId = &callerId_;
    roles_.popup = &popup_;
    roles_.blocking = &blocking_;
    roles_.phoneBook = &phoneBookTable_;
    roles_.blockList = &screening_;
}

telephony::LineContext Program::lineContext()
{
    return telephony::LineContext{platform_.events,
                                  platform_.lines.telephony(),
                                  platform_.lines.wave(),
                                  platform_.dialogs,
                                  config_,
                                  strings_,
                                  statusLog_};
}

audio::Recorder::Services Program::recorderServices()
{
    return audio::Recorder::Services{platform_.events, platform_.lines.wave(), acm_, platform_.dialogs};
}

audio::Recorder::Hooks Program::recorderHooks()
{
    audio::Recorder::Hooks hooks;
    hooks.addStatusLine = [this](const QString& text) { statusLog_.addStatusLine(text); };
    hooks.strings = &strings_;
    hooks.finishedRecording = [this](const QString& name) {
        if (recordingLists_) {
            recordingLists_->AddFinishedRecording(name);
        }
        notifier_.recordingFinished(name);
    };
    // The called party of an outgoing call answered: with the legal box ticked, the legal notice
    // plays before the recording proper.
    hooks.legalChecked = [this] { return controls_.legalChecked(); };
    hooks.playLegalOutgoing = [this](int line) { answering_.playLegalOutgoing(line); };
    return hooks;
}

telephony::AnsweringSequence::Links Program::answeringLinks()
{
    telephony::AnsweringSequence::Links links;
    links.playOnComputer = [this](const QString& path) { mci_.sndPlaySound(path, platform::SND_ASYNC); };
    links.awaitReply = [this](int line) { dialer_.awaitReply(line); };
    return links;
}

telephony::CallerIdDisplay::Links Program::callerIdLinks()
{
    telephony::CallerIdDisplay::Links links;
    links.pushReceivedNumber = [this](const QString& number) { dialRecords_.pushReceivedNumber(number); };
    links.callerLetThrough = [this](const QString& number, const QString& name) {
        // Not blocked: the phone book's name, else the one the line sent.
        notifier_.incomingCall(number, phoneBookTable_.nameFor(number).value_or(name));
    };
    links.showInDialer = [this](const QString& number) {
        loadDialWindow();
        dialer_.setNumber(number);
    };
    return links;
}

void Program::bindDialerHooks()
{
    phonebook::Dialer::Hooks& hooks = dialer_.hooks();
    hooks.showRecords = [this] {
        ui::frmDialRecords form(dialRecords_, strings_, dialWindow_);
        if (platform_.modal.run(form) == QDialog::Accepted && !form.chosen().isEmpty()) {
            dialer_.dialNumber(form.chosen());
        }
    };
    hooks.addEntry = [this] {
        ui::frmPBAdd form(dialer_.lists(), strings_, platform_.dialogs, platform_.modal, dialWindow_);
        form.runModal();
    };
    hooks.editEntry = [this] {
        const auto outcome =
            ui::frmPBEdit::editSelected(dialer_.lists(), dialer_.selected(), dialer_.search(), strings_,
                                        platform_.dialogs, platform_.modal, dialWindow_);
        if (outcome.searchAgain) {
            dialer_.searchName();
        }
    };
    hooks.searchName = [this] {
        ui::BookResultHooks result;
        result.takeNumber = [this](const QString& number, bool focusNumber) {
            dialer_.setNumber(number);
            if (focusNumber && dialWindow_) {
                dialWindow_->txtDialOut->setFocus();
            }
        };
        result.editEntry = [this](int position) {
            dialer_.select(position);
            dialer_.editEntry();
        };
        result.listsChanged = [this] { dialer_.listsChanged(); };
        ui::frmBookResult::search(dialer_.lists(), dialer_.findText(), dialer_.search(), strings_,
                                  platform_.dialogs, platform_.modal, dialWindow_, result);
    };
    hooks.reloadPhoneBookTable = [this] { phoneBookTable_.load(phoneBookFile_); };
    // The window object stays for the run; an unloaded one is loaded afresh when next needed.
    hooks.closeWindow = [this] {
        dialWindowLoaded_ = false;
        if (dialWindow_) {
            dialWindow_->unload();
        }
    };
}

ui::frmDialOut& Program::loadDialWindow()
{
    if (!dialWindow_) {
        dialWindow_ = new ui::frmDialOut(dialer_, strings_);
    }
    if (!dialWindowLoaded_) {
        dialer_.load();
        dialWindowLoaded_ = true;
    }
    return *dialWindow_;
}

telephony::IncomingCallPopup::WindowFactory Program::popupWindowFactory()
{
    // A window of its own (no parent): the popup model owns it and drops it when it unloads.
    return [this](telephony::IncomingCallPopup& model) {
        return std::make_unique<ui::frmPopCallID>(model, platform_.modal, strings_);
    };
}

audio::RecorderSettings Program::recorderSettings() const
{
    audio::RecorderSettings settings;
    settings.outputFormat =
        lines_.settings().waveFileFormat == 1 ? audio::OutputFormat::TrueSpeech : audio::OutputFormat::Pcm;
    settings.recordingsFolder = state_.recordingsFolder;
    settings.tempFolder = state_.tempFolder;
    const auto& d = state_.detector;
    settings.triggers =
        audio::StopTriggerSettings{d.silence, d.silenceLevel, d.silenceSeconds, d.fastBusy, d.country};
    settings.silenceDetectedText = strings_.loadText(1119);
    return settings;
}

// A modem that stops answering (or comes back) is reported in the status list.
void Program::reportProviderHealth()
{
    for (const auto& provider : platform_.lines.providers()) {
        provider->setStatusListener([this](platform::LineDevice* device, bool, const QString& text) {
            QString prefix;
            for (std::uint32_t id = 0; id < platform_.lines.deviceCount(); ++id) {
                if (platform_.lines.telephony().device(id) == device) {
                    prefix = QStringLiteral("Line%1 ").arg(id);
                }
            }
            statusLog_.addStatusLine(prefix + text);
        });
    }
}

// ---- what line control reads from the windows ----

QString Program::WindowLineControls::ringsFieldText() const
{
    return program_.setup_.ringsText();
}

bool Program::WindowLineControls::legalChecked() const
{
    return box(&frmMain::chkLegal, core::keys::kLegal);
}

bool Program::WindowLineControls::ringCountChecked() const
{
    return box(&frmMain::chkRingCount, core::keys::kRingCount);
}

bool Program::WindowLineControls::box(QCheckBox* frmMain::*member, const core::SettingKey& key) const
{
    // Each click on a box stores it, so before the window exists the stored value stands in.
    if (const frmMain* window = program_.mainWindow()) {
        return (window->*member)->isChecked();
    }
    return program_.config_.getNumber(key) != 0;
}

// ---- load sequence ----

void Program::resetLineState()
{
    for (telephony::LineSlot& slot : lines_.state().slot) {
        slot.clear();
    }
    lines_.manager().resetLines();
}

void Program::initTelephony()
{
    lines_.manager().initializeTelephony();
}

SetupOutcome Program::showSetupModal(QWidget* owner)
{
    return setup_.showModal(owner);
}

void Program::setRingTimerInterval(int line, std::uint32_t intervalMs)
{
    if (telephony::LineState::validLine(line)) {
        telephony::LineTimers::at(lines_.timers().Timer1, line).setInterval(intervalMs);
    }
}

void Program::setRingInterval(int line, int number, int intervalMs)
{
    if (telephony::LineState::validLine(line) && number >= 1 && number <= telephony::kRingIntervalCount) {
        lines_.state()[line].ringInterval(number) = intervalMs;
    }
}

void Program::loadSetupHidden()
{
    setup_.loadHidden();
}

bool Program::minimizeOnStart() const
{
    return lines_.settings().minimizeOnStart != 0;
}

void Program::openLines()
{
    // Line control takes the fast-busy switch as the lines open; the detectors read the same key
    // at the end of the load (nothing can change it in between: a saved setup ends the run).
    lines_.settings().fastBusySwitch = config_.getInt(core::keys::kFastBusy);
    lines_.manager().openConfiguredLines();
}

std::optional<QString> Program::lineDeviceText(int line) const
{
    return const_cast<SetupHost&>(setup_).lineDeviceText(line);
}

void Program::loadRecordingLists()
{
    delete recordingListsBinder_.data();
    delete playerBinder_.data();
    listPlayer_.reset();
    recordingLists_.emplace(config_, platform_.dialogs, strings_, state_.recordingsFolder);
    listPlayer_.emplace(platform_.events, *recordingLists_, player_);
    recordingLists_->mailTo = [this](const QString& name) {
        tools::mailRecording(state_.recordingsFolder, name, platform_.shell, platform_.dialogs, strings_);
    };
    if (frmMain* window = mainWindow()) {
        recordingListsBinder_ = new records::RecordingListsBinder(
            *recordingLists_, window->lstLastTen, window->lstUnread, window->lblFileName, window);
        playerBinder_ =
            new records::PlayerBinder(player_, window->cmdPlay, window->cmdPause, window->HScroll1,
                                      window->lblFileName, window->lblFileSize, window);
    }
    recordingLists_->LoadRecordingLists();
}

void Program::loadRingRules()
{
    ringRules_.LoadRingRuleTable();
}

void Program::loadPhoneBook()
{
    // Names are stored in the code page of the language chosen at this start.
    phoneBookCodec_.setLegacyEncoding(strings_.legacyEncoding());
    phoneBookTable_.load(phoneBookFile_);
}

void Program::loadBlockList()
{
    blockList_.load();
    // A bad rule is said once at start; the other rules work.
    screeningRules_.load();
    for (const QString& error : screeningRules_.errorTexts(strings_)) {
        statusLog_.addStatusLine(error);
    }
}

void Program::findTrueSpeechDriver()
{
    recorder_.FindTrueSpeechDriver();
}

void Program::recoverRecordings()
{
    recorder_.engine().RecoverUnfinished();
}

// ---- shutdown ----

void Program::finishRecordings()
{
    recorder_.engine().FinishAllNow();
}

void Program::closeMedia()
{
    mci_.mciSendString(QStringLiteral("close MyMedia"));
}

void Program::closeLines()
{
    lines_.timers().disableAll();
    lines_.manager().CloseLines();
}

void Program::unloadWindows()
{
    tray_.remove();
    setup_.unload();
}

// ---- main window commands ----

audio::PromptRecorderBase::Services Program::promptRecorderServices()
{
    return {platform_.events, mci_, platform_.dialogs, platform_.shell, strings_};
}

SetupDialogOpeners Program::setupOpeners()
{
    SetupDialogOpeners openers;
    openers.ringRules = [this](QWidget* owner) { showRingRules(ringRuleDialogs_, owner); };
    openers.blackList = [this](QWidget* owner) {
        ui::frmBlackpub form({blockList_, screeningRules_, screening_, config_, strings_}, platform_.dialogs,
                             platform_.modal, owner);
        platform_.modal.run(form);
    };
    openers.lineGreeting = [this](QWidget* owner, const QString& promptFile) {
        audio::LineGreetingRecorder model(promptRecorderServices(), recorder_.engine(), lines_.state(),
                                          platform_.programFolder, promptFile);
        ui::frmGreeting form(model, strings_, platform_.dialogs, owner);
        platform_.modal.run(form);
    };
    openers.soundCardPrompt = [this](QWidget* owner, const QString& promptFile) {
        audio::SoundCardPromptRecorder model(promptRecorderServices(), platform_.programFolder, promptFile);
        ui::frmGreeting1 form(model, strings_, platform_.dialogs, owner);
        platform_.modal.run(form);
    };
    return openers;
}

void Program::standIn(QWidget* owner, const QString& title)
{
    windows_.showStandIn(owner, title, strings_.text(core::ProgramText::NotAvailableYet).arg(title));
}

void Program::openSetup(QWidget* owner)
{
    // A save ends the program as the main window's Exit does.
    if (showSetupModal(owner) != SetupOutcome::Saved) {
        return;
    }
    if (auto* window = qobject_cast<frmMain*>(owner)) {
        window->cmdExit->click();
        return;
    }
    runShutdown(services_, mainWindow());
}

void Program::printStatusLog()
{
    records::StatusListMenu(statusLog_, platform_.dialogs, strings_).printLog();
}

void Program::addCallerToBlackList(QWidget* owner, const QString& statusLine)
{
    records::StatusListMenu(statusLog_, platform_.dialogs, strings_)
        .addToBlackList(statusLine, [this, owner](const QString& number) {
            // One add form at a time: a second request starts afresh with the new number.
            delete blackListAdd_.data();
            auto* form = new ui::frmPBAdd1(blockList_, platform_.dialogs, strings_, owner);
            form->setAttribute(Qt::WA_DeleteOnClose);
            form->Text2->setText(number);
            blackListAdd_ = form;
            platform_.modal.showModeless(*form);
        });
}

void Program::addCallerToPhoneBook(QWidget* owner, const QString& statusLine)
{
    records::StatusListMenu(statusLog_, platform_.dialogs, strings_)
        .addToPhoneBook(statusLine, [this, owner](const QString& number) {
            delete phoneBookAdd_.data();
            // The entry joins the dial window's lists (loaded hidden when the window is not open),
            // so a later delete or save there keeps it.
            loadDialWindow();
            auto* form = new ui::frmPBAdd(dialer_.lists(), strings_, platform_.dialogs, platform_.modal,
                                          owner, number);
            form->setAttribute(Qt::WA_DeleteOnClose);
            // Caller ID names the caller from the next call on, not only after the dial window's Exit.
            QObject::connect(form, &ui::frmPBAdd::entryAdded, form, [this] {
                phoneBookTable_.load(phoneBookFile_);
                dialer_.listsChanged();
            });
            phoneBookAdd_ = form;
            platform_.modal.showModeless(*form);
        });
}

void Program::openLogViewer(QWidget* owner)
{
    records::frmViewLog viewer(statusLog_, platform_.dialogs, platform_.shell, strings_, owner);
    platform_.modal.run(viewer);
}

void Program::openBackup(QWidget* owner)
{
    if (!recordingLists_) {
        return;
    }
    tools::BackupModel model(config_, strings_, platform_.dialogs, *recordingLists_,
                             audio::promptFileNames());
    ui::frmBackup form(model, strings_, QDir::homePath(), owner);
    platform_.modal.run(form);
}

void Program::openHelp()
{
    platform_.shell.openDocument(strings_.helpDocumentPath(state_.programFolder));
}

void Program::browseWaveFiles(QWidget* owner)
{
    // Both players play through the one media alias: the main window's player and its Play All
    // stop before the browser's player takes it (closing the browser closes its player again).
    if (listPlayer_) {
        listPlayer_->timPlayAll.setEnabled(false);
    }
    player_.stop();
    records::frmBrows form(
        {platform_.events, mci_, platform_.dialogs, platform_.shell, strings_},
        records::WaveBrowser::startFolderFor(config_.get(core::keys::kSaveFile), platform_.programFolder),
        owner);
    platform_.modal.run(form);
}

void Program::play()
{
    if (listPlayer_) {
        listPlayer_->play();
    }
}

void Program::stop()
{
    player_.stop();
}

void Program::pause()
{
    player_.pause();
}

void Program::openDialer(QWidget* /*owner*/)
{
    dialer_.setQuickDialClose(false);
    platform_.modal.run(loadDialWindow());
}

void Program::quickDial(QWidget* owner)
{
    ui::frmDialOut& window = loadDialWindow();
    dialer_.quickDial();
    // From the main window over it and waiting; from the tray on its own.
    if (owner) {
        platform_.modal.run(window);
    } else {
        platform_.modal.showModeless(window);
    }
}

void Program::windowMinimised()
{
    tray_.windowMinimised();
}

TrayIcon::Window Program::trayWindow()
{
    TrayIcon::Window window;
    window.hide = [this] {
        if (frmMain* w = mainWindow()) {
            w->hide();
        }
    };
    window.restore = [this] {
        if (frmMain* w = mainWindow()) {
            w->showNormal();
            w->raise();
            w->activateWindow();
        }
    };
    // From the tray the dial window has no owner and does not wait.
    window.quickDial = [this] { quickDial(nullptr); };
    return window;
}

void Program::openVolumeControl()
{
    for (const char* program : kVolumeControls) {
        if (platform_.shell.startProgram(QLatin1String(program))) {
            return;
        }
    }
    platform_.dialogs.messageBox(strings_.text(core::ProgramText::NoVolumeControl), QStringLiteral("Quillon"),
                                 platform::MessageIcon::Information);
}

} // namespace qlnrec::app
