#pragma once
// The setup dialog. Loaded hidden while the main window loads, it probes the line devices,
// fills the lines' voice media modes and copies the switches it owns into the settings
// snapshot; from then on its rings field and line device texts are the live values other parts
// read. Saving writes every setting and ends the program, so everything is read afresh at the
// next start. What it does lives in SetupModel; the window shows the model's fields, writes them
// back before a save and wires its buttons.
#include "app/setup/setup_model.h"
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

namespace qlnrec::app {

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
    explicit frmSetup(SetupContext& context, SetupDialogOpeners openers = {}, QWidget* parent = nullptr);
    ~frmSetup() override;

    // The load handler: captions, then the model's load shown in the controls.
    void Form_Load();
    // Saved after a successful save; Exited otherwise.
    SetupOutcome outcome() const { return outcome_; }
    SetupModel& model() { return model_; }

    // Event handlers, callable from tests as a click would call them.
    void Check1_Click(int line);
    void txtSilenceLevel_LostFocus();
    void Command6_Click();
    void cmdSave_Click();
    void cmdExit_Click();

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
    QCheckBox* chkNotify = nullptr;
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
    void wireControls();
    // The model's fields into the controls, and back.
    void showFields();
    void takeFields();

    const core::Strings& strings_;
    SetupModel model_;
    SetupDialogOpeners openers_;
    std::unique_ptr<Ui::frmSetup> ui_;
    SetupOutcome outcome_ = SetupOutcome::Exited;
};

} // namespace qlnrec::app
