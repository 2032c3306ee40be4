#include "app/setup/frm_setup.h"

#include "core/strings.h"
#include "platform/core/modal_runner.h"
#include "ui_frm_setup.h"

#include <QGuiApplication>

namespace qlnrec::app {

namespace {
// The hourglass while the devices are probed.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
} // namespace

frmSetup::frmSetup(SetupContext& context, SetupDialogOpeners openers, QWidget* parent)
    : QDialog(parent), strings_(context.strings), model_(context), openers_(std::move(openers)),
      ui_(std::make_unique<Ui::frmSetup>())
{
    ui_->setupUi(this);
    Check1 = {ui_->Check1_0, ui_->Check1_1, ui_->Check1_2, ui_->Check1_3};
    txtLine = {ui_->txtLine_0, ui_->txtLine_1, ui_->txtLine_2, ui_->txtLine_3};
    txtRings = ui_->txtRings;
    txtSaveFile = ui_->txtSaveFile;
    Option1 = {ui_->Option1_0, ui_->Option1_1, ui_->Option1_2};
    Option2 = {ui_->Option2_0, ui_->Option2_1};
    ChkPopCallId = ui_->ChkPopCallId;
    ChkMinOnStart = ui_->ChkMinOnStart;
    chkAction = ui_->chkAction;
    chkStartUp = ui_->chkStartUp;
    chkNotify = ui_->chkNotify;
    chkSilence = ui_->chkSilence;
    txtSilenceLevel = ui_->txtSilenceLevel;
    txtSilenceSecond = ui_->txtSilenceSecond;
    chkFBS = ui_->chkFBS;
    comCountry = ui_->comCountry;
    chkUnknown = ui_->chkUnknown;
    txtStopTimer = ui_->txtStopTimer;
    cmdSave = ui_->cmdSave;
    cmdExit = ui_->cmdExit;
    cmdRings = ui_->cmdRings;
    cmdBlackList = ui_->cmdBlackList;
    Command1 = ui_->Command1;
    cmdRecLegal = ui_->cmdRecLegal;
    subOperatorButtons = {ui_->Command2, ui_->Command3, ui_->Command4, ui_->Command5};
    Command6 = ui_->Command6;
    Frame2 = ui_->Frame2;
    Frame4 = ui_->Frame4;
    Label1 = ui_->Label1;

    // Headless runs leave the dialog by Exit.
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("cmdExit"));
    for (const char* country : SetupModel::kCountries) {
        comCountry->addItem(QLatin1String(country));
    }
    cmdRings->setEnabled(static_cast<bool>(openers_.ringRules));
    cmdBlackList->setEnabled(static_cast<bool>(openers_.blackList));
    Command1->setEnabled(static_cast<bool>(openers_.lineGreeting));
    cmdRecLegal->setEnabled(static_cast<bool>(openers_.lineGreeting));
    for (QPushButton* button : subOperatorButtons) {
        button->setEnabled(static_cast<bool>(openers_.soundCardPrompt));
    }
    wireControls();
}

frmSetup::~frmSetup() = default;

void frmSetup::wireControls()
{
    for (int line = 0; line < 4; ++line) {
        connect(Check1[static_cast<std::size_t>(line)], &QCheckBox::clicked, this,
                [this, line] { Check1_Click(line); });
    }
    connect(txtSilenceLevel, &QLineEdit::editingFinished, this, &frmSetup::txtSilenceLevel_LostFocus);
    connect(Command6, &QPushButton::clicked, this, &frmSetup::Command6_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSetup::cmdSave_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmSetup::cmdExit_Click);
    connect(cmdRings, &QPushButton::clicked, this, [this] {
        if (openers_.ringRules) {
            openers_.ringRules(this);
        }
    });
    connect(cmdBlackList, &QPushButton::clicked, this, [this] {
        if (openers_.blackList) {
            openers_.blackList(this);
        }
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (openers_.lineGreeting) {
            openers_.lineGreeting(this, QStringLiteral("Greeting.wav"));
        }
    });
    connect(cmdRecLegal, &QPushButton::clicked, this, [this] {
        if (openers_.lineGreeting) {
            openers_.lineGreeting(this, QStringLiteral("legal.wav"));
        }
    });
    for (int k = 0; k < 4; ++k) {
        connect(subOperatorButtons[static_cast<std::size_t>(k)], &QPushButton::clicked, this, [this, k] {
            if (openers_.soundCardPrompt) {
                openers_.soundCardPrompt(this, QStringLiteral("0%1.wav").arg(k + 1));
            }
        });
    }
}

void frmSetup::setCaptions()
{
    const core::Strings& s = strings_;
    setWindowTitle(s.loadText(1009));
    Frame2->setTitle(s.loadText(1068));
    Label1->setText(s.loadText(1069));
    ui_->lblRings->setText(s.loadText(1072));
    ui_->lblSaveFile->setText(s.loadText(1074));
    ui_->Frame3->setTitle(s.loadText(1112));
    ChkPopCallId->setText(s.loadText(1102));
    ChkMinOnStart->setText(s.loadText(1103));
    chkAction->setText(s.loadText(1106));
    chkStartUp->setText(s.loadText(1107));
    chkNotify->setText(s.text(core::ProgramText::SetupNotifications));
    Frame4->setTitle(s.loadText(1108));
    chkSilence->setText(s.loadText(1109));
    ui_->lblSilenceLevel2->setText(s.loadText(1123));
    ui_->lblSilenceSecond->setText(s.loadText(1117));
    cmdSave->setText(s.loadText(1077));
    cmdExit->setText(s.loadText(1014));
    cmdRings->setText(s.loadText(1089));
    Command1->setText(s.loadText(1073));
    cmdRecLegal->setText(s.loadText(1111));
    ui_->Frame5->setTitle(s.loadText(1075));
    ui_->lblSubOperators->setText(s.loadText(1076));
}

void frmSetup::Form_Load()
{
    BusyCursor busy;
    setCaptions();
    model_.load();
    showFields();
}

void frmSetup::showFields()
{
    const SetupFields& f = model_.fields();
    for (std::size_t line = 0; line < Check1.size(); ++line) {
        txtLine[line]->setText(f.lineText[line]);
        Check1[line]->setEnabled(f.lineSelectable[line]);
        Check1[line]->setChecked(f.lineUsed[line]);
    }
    txtRings->setText(f.rings);
    txtSaveFile->setText(f.saveFile);
    Option1[static_cast<std::size_t>(f.language)]->setChecked(true);
    Option2[static_cast<std::size_t>(f.waveFileFormat)]->setChecked(true);
    ChkPopCallId->setChecked(f.popCallId);
    ChkMinOnStart->setChecked(f.minimizeOnStart);
    chkAction->setChecked(f.answerManually);
    chkStartUp->setChecked(f.autoStart);
    chkNotify->setChecked(f.notify);
    chkSilence->setChecked(f.silence);
    txtSilenceLevel->setText(f.silenceLevel);
    txtSilenceSecond->setText(f.silenceSeconds);
    chkFBS->setChecked(f.fastBusy);
    comCountry->setCurrentIndex(f.country);
    chkUnknown->setChecked(f.blockUnknown);
}

void frmSetup::takeFields()
{
    SetupFields& f = model_.fields();
    for (std::size_t line = 0; line < Check1.size(); ++line) {
        f.lineText[line] = txtLine[line]->text();
        f.lineUsed[line] = Check1[line]->isChecked();
    }
    f.rings = txtRings->text();
    f.saveFile = txtSaveFile->text();
    f.language = Option1[2]->isChecked() ? 2 : Option1[1]->isChecked() ? 1 : 0;
    f.waveFileFormat = Option2[1]->isChecked() ? 1 : 0;
    f.popCallId = ChkPopCallId->isChecked();
    f.minimizeOnStart = ChkMinOnStart->isChecked();
    f.answerManually = chkAction->isChecked();
    f.autoStart = chkStartUp->isChecked();
    f.notify = chkNotify->isChecked();
    f.silence = chkSilence->isChecked();
    f.silenceLevel = txtSilenceLevel->text();
    f.silenceSeconds = txtSilenceSecond->text();
    f.fastBusy = chkFBS->isChecked();
    f.country = comCountry->currentIndex();
    f.blockUnknown = chkUnknown->isChecked();
}

void frmSetup::Check1_Click(int line)
{
    if (!Check1[static_cast<std::size_t>(line)]->isChecked()) {
        model_.lineUnticked(line);
    }
}

void frmSetup::txtSilenceLevel_LostFocus()
{
    model_.fields().silenceLevel = txtSilenceLevel->text();
    model_.holdSilenceLevel();
    txtSilenceLevel->setText(model_.fields().silenceLevel);
}

void frmSetup::Command6_Click()
{
    model_.fields().saveFile = txtSaveFile->text();
    if (model_.browseFolder()) {
        txtSaveFile->setText(model_.fields().saveFile);
    }
}

void frmSetup::cmdSave_Click()
{
    takeFields();
    const SetupModel::SaveResult result = model_.save();
    // The save completes the folder and bounds the level; the window shows what was saved.
    txtSaveFile->setText(model_.fields().saveFile);
    txtSilenceLevel->setText(model_.fields().silenceLevel);
    if (result != SetupModel::SaveResult::Saved) {
        txtSaveFile->setFocus();
        return;
    }
    outcome_ = SetupOutcome::Saved;
    accept();
}

void frmSetup::cmdExit_Click()
{
    outcome_ = SetupOutcome::Exited;
    reject();
}

} // namespace qlnrec::app
