#pragma once
// What the setup dialog does, without the window: its load (the line devices probed, the
// settings read into plain fields, the switches copied into the run's snapshot) and its save
// (checked, written in a fixed order with the journal, the recordings folder created, the closing
// message). The dialog shows the fields and writes them back before a save.
#include <QString>

#include <array>
#include <cstdint>

namespace qlnrec::core {
class ConfigStore;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class DialogService;
class TelephonyService;
} // namespace qlnrec::platform

namespace qlnrec::telephony {
struct LineState;
struct SettingsSnapshot;
} // namespace qlnrec::telephony

namespace qlnrec::app {

struct SetupContext {
    telephony::LineState& lines;
    telephony::SettingsSnapshot& settings;
    platform::TelephonyService& tapi;
    core::ConfigStore& config;
    const core::Strings& strings;
    platform::DialogService& dialogs;
    QString programFolder; // without a trailing "/"
};

// The dialog's fields as plain values, indexed like its controls.
struct SetupFields {
    static constexpr int kLines = 4;

    std::array<QString, kLines> lineText;      // txtLine: the device text
    std::array<bool, kLines> lineSelectable{}; // Check1 enabled
    std::array<bool, kLines> lineUsed{};       // Check1 ticked
    QString rings;                             // txtRings
    QString saveFile;                          // txtSaveFile
    int language = 0;                          // Option1: 0 English, 1 GB, 2 BIG5
    int waveFileFormat = 0;                    // Option2: 0 PCM, 1 TrueSpeech
    bool popCallId = false;                    // ChkPopCallId
    bool minimizeOnStart = false;              // ChkMinOnStart
    bool answerManually = false;               // chkAction
    bool autoStart = false;                    // chkStartUp
    bool notify = true;                        // chkNotify: desktop notifications
    bool silence = false;                      // chkSilence
    QString silenceLevel;                      // txtSilenceLevel
    QString silenceSeconds;                    // txtSilenceSecond
    bool fastBusy = false;                     // chkFBS
    int country = 0;                           // comCountry list index
    bool blockUnknown = false;                 // chkUnknown
};

class SetupModel {
public:
    static constexpr std::uint32_t kDevCapsSize = 2241;
    static constexpr const char* kFolderPickerTitle = "Please select your folder: ";
    static constexpr const char* kCountries[] = {"North America", "Sweden", "United Kingdom", "Australia"};

    enum class SaveResult {
        Saved,          // every setting saved and the closing message shown
        FolderRejected, // the recordings folder is missing or unusable; only the lines were saved
    };

    explicit SetupModel(SetupContext& context);

    SetupFields& fields() { return fields_; }
    const SetupFields& fields() const { return fields_; }

    // The load handler: probes the line devices (their texts and voice media modes), switches
    // off lines without a usable device, reads the settings into the fields and copies the
    // switches the dialog owns into the run's snapshot.
    void load();

    // A line box left unticked: the line forgets its learned ring timing.
    void lineUnticked(int line);
    // The silence level field left: a level outside the dialog's range is replaced by the
    // nearest bound; a level inside it keeps its text.
    void holdSilenceLevel();
    // The folder picker: true when a folder was picked (it replaces saveFile).
    bool browseFolder();

    // The save button, in the dialog's order. The caller ends the program after Saved.
    SaveResult save();

    // Creates every missing folder of an absolute path ending in "/", from the root down.
    // False with the folder that failed in *failed.
    static bool createFolderPath(const QString& folder, QString* failed);

private:
    void listLineDevices();
    void readSettings();
    bool saveRecordingsFolder();
    void information(int textId);

    SetupContext& c_;
    SetupFields fields_;
};

} // namespace qlnrec::app
