#pragma once
// The running system as one object: every part built eagerly, in one written order, from the
// platform services it is given. The product (app/application.cpp), the whole-program tests and
// the benchmarks all build this same object; only the services differ (real devices and dialogs,
// or virtual time, simulated lines and automatic dialogs).
//
// Order of building (each part may use the ones above it):
//   settings (ConfigStore) -> strings -> status list and day log -> run state
//   -> compression service with the built-in drivers -> media control
//   -> call-flow roles (all do-nothing) -> line control (LineSystem, reads the roles at every
//      call event) -> setup dialog host -> recorder (the recording role)
//   -> the roles are bound -> the services bundle, the start-up windows and the start-up routine.
// Nothing runs until startup().start(): the lines open in the load sequence, when every role is
// already bound, so no early call can miss the recorder.
#include "app/app_services.h"
#include "app/call_notifier.h"
#include "app/modal_windows.h"
#include "app/rings/ring_rule_dialogs.h"
#include "app/rings/ring_rules.h"
#include "app/run_state.h"
#include "app/setup/setup_host.h"
#include "app/startup_parts.h"
#include "app/startup_routine.h"
#include "app/tray_icon.h"
#include "audio/prompt_player.h"
#include "audio/prompt_recorders.h"
#include "audio/recorder.h"
#include "blocklist/block_list.h"
#include "blocklist/call_screening.h"
#include "blocklist/screening_rules.h"
#include "core/config_store.h"
#include "core/strings.h"
#include "phonebook/dial_records.h"
#include "phonebook/dialer.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_table.h"
#include "platform/acm/acm.h"
#include "platform/mci/mci_service.h"
#include "records/list_player.h"
#include "records/recording_player.h"
#include "records/recordings_lists.h"
#include "records/status_log.h"
#include "telephony/answering_sequence.h"
#include "telephony/call_blocking.h"
#include "telephony/call_flow_roles.h"
#include "telephony/caller_id_display.h"
#include "telephony/incoming_call_popup.h"
#include "telephony/line_controls.h"
#include "telephony/line_system.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace qlnrec::platform {
class EventService;
class DialogService;
class ModalRunner;
class ShellService;
class SettingsStore;
class LinePlatform;
class MediaBackend;
} // namespace qlnrec::platform

class QCheckBox;

namespace qlnrec::ui {
class frmDialOut;
}

namespace qlnrec::core {
struct SettingKey;
}

namespace qlnrec::app {

class frmMain;

// The platform services a program runs on. Every reference must outlive the Program.
struct ProgramPlatform {
    platform::EventService& events;
    platform::DialogService& dialogs;
    platform::ModalRunner& modal;
    platform::ShellService& shell;
    platform::SettingsStore& settings;
    platform::LinePlatform& lines;
    platform::MediaBackend& media;
    QString programFolder; // without a trailing "/"
    // The program file the start-at-login entry starts (empty: none is written).
    QString programPath;
    // Where the analysis library is looked for (empty: beside the program).
    QStringList sigscanCandidates;
    // How the run ends (the product leaves its event loop; tests count).
    std::function<void(int exitCode)> endProgram;
};

class Program final : public StartupParts, public MainWindowCommands {
public:
    explicit Program(const ProgramPlatform& platform);
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // ---- the parts, in the order they are built ----
    core::ConfigStore& config() { return config_; }
    core::Strings& strings() { return strings_; }
    records::StatusLog& statusLog() { return statusLog_; }
    RunState& state() { return state_; }
    platform::AcmService& acm() { return acm_; }
    platform::MciService& mci() { return mci_; }
    telephony::LineSystem& lines() { return lines_; }
    telephony::AnsweringSequence& answering() { return answering_; }
    SetupHost& setup() { return setup_; }
    audio::Recorder& recorder() { return recorder_; }
    audio::PromptPlayer& prompts() { return prompts_; }
    telephony::CallerIdDisplay& callerId() { return callerId_; }
    telephony::IncomingCallPopup& popup() { return popup_; }
    phonebook::PhoneBookTable& phoneBookTable() { return phoneBookTable_; }
    blocklist::BlockList& blockList() { return blockList_; }
    blocklist::ScreeningRules& screeningRules() { return screeningRules_; }
    blocklist::CallScreening& screening() { return screening_; }
    phonebook::DialRecords& dialRecords() { return dialRecords_; }
    phonebook::Dialer& dialer() { return dialer_; }
    // The dial window, loaded (hidden) when it is not; it unloads when its Exit closes it.
    ui::frmDialOut& loadDialWindow();
    // The call-flow roles line control reads. The program binds its own at construction; a test
    // may put a logging object in place of a role before the lines open.
    telephony::CallFlowRoles& roles() { return roles_; }
    AppServices& services() { return services_; }
    Lifecycle& lifecycle() { return lifecycle_; }
    StartupRoutine& startup() { return startup_; }
    // Exist from the load step that reads them.
    records::RecordingLists* recordingLists() { return recordingLists_ ? &*recordingLists_ : nullptr; }
    records::ListPlayer* listPlayer() { return listPlayer_ ? &*listPlayer_ : nullptr; }
    // The main window's player of recordings.
    records::RecordingPlayer& player() { return player_; }
    frmMain* mainWindow() const { return startup_.mainWindow(); }
    // The recorder's settings as the run state and the setup snapshot hold them now (each capture
    // reads them afresh when it opens).
    audio::RecorderSettings recorderSettings() const;

    // ---- StartupParts ----
    void resetLineState() override;
    void initTelephony() override;
    SetupOutcome showSetupModal(QWidget* owner) override;
    void setRingTimerInterval(int line, std::uint32_t intervalMs) override;
    void setRingInterval(int line, int number, int intervalMs) override;
    void loadSetupHidden() override;
    bool minimizeOnStart() const override;
    void openLines() override;
    std::optional<QString> lineDeviceText(int line) const override;
    void loadRecordingLists() override;
    void loadRingRules() override;
    void loadPhoneBook() override;
    void loadBlockList() override;
    void recoverRecordings() override;
    void findTrueSpeechDriver() override;
    void finishRecordings() override;
    void closeMedia() override;
    void closeLines() override;
    void unloadWindows() override;

    // ---- MainWindowCommands ----
    void openSetup(QWidget* owner) override;
    void openLogViewer(QWidget* owner) override;
    void openBackup(QWidget* owner) override;
    void openHelp() override;
    void browseWaveFiles(QWidget* owner) override;
    void play() override;
    void stop() override;
    void pause() override;
    void openDialer(QWidget* owner) override;
    void quickDial(QWidget* owner) override;
    void openVolumeControl() override;
    void windowMinimised() override;
    void printStatusLog() override;
    void addCallerToBlackList(QWidget* owner, const QString& statusLine) override;
    void addCallerToPhoneBook(QWidget* owner, const QString& statusLine) override;

    // The dialogs the setup dialog opens.
    SetupDialogOpeners setupOpeners();
    RingRules& ringRules() { return ringRules_; }

private:
    // What line control reads from the windows: the hidden setup dialog's rings field and the
    // main window's option boxes (their stored values before the main window exists).
    class WindowLineControls final : public telephony::LineControls {
    public:
        explicit WindowLineControls(Program& program) : program_(program) {}
        QString ringsFieldText() const override;
        bool legalChecked() const override;
        bool ringCountChecked() const override;

    private:
        bool box(QCheckBox* frmMain::*member, const core::SettingKey& key) const;
        Program& program_;
    };

    telephony::LineContext lineContext();
    audio::Recorder::Services recorderServices();
    audio::Recorder::Hooks recorderHooks();
    audio::PromptRecorderBase::Services promptRecorderServices();
    telephony::AnsweringSequence::Links answeringLinks();
    telephony::CallerIdDisplay::Links callerIdLinks();
    void bindDialerHooks();
    telephony::IncomingCallPopup::WindowFactory popupWindowFactory();
    void bindRoles();
    void reportProviderHealth();
    void standIn(QWidget* owner, const QString& title);
    TrayIcon::Window trayWindow();

    ProgramPlatform platform_;
    core::ConfigStore config_;
    core::Strings strings_;
    records::StatusLog statusLog_;
    RunState state_;
    platform::AcmDriverRegistry acmRegistry_;
    platform::AcmService acm_;
    platform::MciService mci_;
    telephony::CallFlowRoles roles_;
    WindowLineControls controls_;
    telephony::LineSystem lines_;
    telephony::AnsweringSequence answering_;
    SetupContext setupContext_;
    SetupHost setup_;
    audio::Recorder recorder_;
    audio::PromptPlayer prompts_;
    RingRules ringRules_;
    RingRuleDialogContext ringRuleDialogs_;
    phonebook::PhoneBookRecordCodec phoneBookCodec_;
    phonebook::PhoneBookFile phoneBookFile_;
    phonebook::PhoneBookTable phoneBookTable_;
    blocklist::BlockList blockList_;
    blocklist::ScreeningRules screeningRules_;
    blocklist::CallScreening screening_;
    phonebook::DialRecords dialRecords_;
    phonebook::Dialer dialer_;
    QPointer<ui::frmDialOut> dialWindow_;
    bool dialWindowLoaded_ = false;
    telephony::CallerIdDisplay callerId_;
    telephony::CallBlocking blocking_;
    telephony::IncomingCallPopup popup_;
    records::RecordingPlayer player_;
    TrayIcon tray_;
    CallNotifier notifier_;
    std::optional<records::RecordingLists> recordingLists_;
    QPointer<QObject> recordingListsBinder_; // lives with the main window's lists
    QPointer<QDialog> blackListAdd_;         // frmPBAdd1 from the status list; not modal
    QPointer<QDialog> phoneBookAdd_;         // frmPBAdd from the status list; not modal
    std::optional<records::ListPlayer> listPlayer_;
    QPointer<QObject> playerBinder_; // lives with the main window's player controls
    Lifecycle lifecycle_;
    RunnerModalWindows windows_;
    AppServices services_;
    StartupRoutine startup_;
};

} // namespace qlnrec::app
