#pragma once
// The setup dialog. Loaded hidden while the main window loads, it probes the line devices,
// fills the lines' voice media modes and copies the switches it owns into the settings
// snapshot; from then on its rings field and line device texts are the live values other parts
// read. Saving writes every setting and ends the program, so everything is read afresh at the
// next start.
#include "app/startup_parts.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class frmSetup;
}

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

// The dialogs the setup dialog opens. A button whose dialog is not given stays disabled.
struct SetupDialogOpeners {
    std::function<void(QWidget* owner)> ringRules;                                  // cmdRings
    std::function<void(QWidget* owner)> blackList;                                  // cmdBlackList
    std::function<void(QWidget* owner, const QString& promptFile)> lineGreeting;    // Command1, cmdRecLegal
    std::function<void(QWidget* owner, const QString& promptFile)> soundCardPrompt; // Command2..Command5
};

class frmSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr std::uint32_t kDevCapsSize = 2241;
    static constexpr int kMinSilenceLevel = 20;
    static constexpr int kMaxSilenceLevel = 500;
    static constexpr const char* kFolderPickerTitle = "Please select your folder: ";

    explicit frmSetup(SetupContext& context, SetupDialogOpeners openers = {}, QWidget* parent = nullptr);
    ~frmSetup() override;

    // The load handler: captions, device list, settings, switches into the snapshot.
    void Form_Load();
    // Saved after a successful save; Exited otherwise.
    SetupOutcome outcome() const { return outcome_; }

    // Event handlers, callable from tests as a click would call them.
    void Check1_Click(int line);
    void txtSilenceLevel_LostFocus();
    void Command6_Click();
    void cmdSave_Click();
    void cmdExit_Click();

    // Creates every missing folder of an absolute path ending in "/", from the root down.
    // False with the folder that failed in *failed.
    static bool createFolderPath(const QString& folder, QString* failed);

    // Controls, by their names (control arrays by line or option index).
    std::array<QCheckBox*, 4> Check1{};
    std::array<QLineEdit*, 4> txtLine{};
    QLineEdit* txtRings = nullptr;
    QLineEdit* txtSaveFile = nullptr;
    std::array<QRadioButton*, 3> Option1{};
    std::array<QRadioButton*, 2> Option2{};
    QCheckBox* ChkPopCallId = nullptr;
    QCheckBox* ChkMinOnStart = nullptr;
    QCheckBox* chkAction = nullptr;
    QCheckBox* chkStartUp = nullptr;
    QCheckBox* chkSilence = nullptr;
    QLineEdit* txtSilenceLevel = nullptr;
    QLineEdit* txtSilenceSecond = nullptr;
    QCheckBox* chkFBS = nullptr;
    QComboBox* comCountry = nullptr;
    QCheckBox* chkUnknown = nullptr;
    QLineEdit* txtStopTimer = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdRings = nullptr;
    QPushButton* cmdBlackList = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdRecLegal = nullptr;
    std::array<QPushButton*, 4> subOperatorButtons{}; // Command2..Command5
    QPushButton* Command6 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* Label1 = nullptr;

    Ui::frmSetup& ui() { return *ui_; }

private:
    void setCaptions();
    void listLineDevices();
    void loadSettings();
    void wireControls();
    bool saveRecordingsFolder();
    void information(int textId);
    QString checkValue(const QCheckBox* box) const;

    SetupContext& c_;
    SetupDialogOpeners openers_;
    std::unique_ptr<Ui::frmSetup> ui_;
    SetupOutcome outcome_ = SetupOutcome::Exited;
};

} // namespace qlnrec::app
