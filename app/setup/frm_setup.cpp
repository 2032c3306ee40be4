#include "app/setup/frm_setup.h"

#include "core/config_store.h"
#include "app/setup/line_device_text.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/text_helpers.h"
#include "platform/telephony/telephony_service.h"
#include "telephony/line_state.h"
#include "ui_frm_setup.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <vector>

namespace qlnrec::app {

namespace {
const QString kConfig = QStringLiteral("Config");
const QString kTitle = QStringLiteral("Quillon");
const char* const kCountries[] = {"North America", "Sweden", "United Kingdom", "Australia"};

QString lineKey(int line)
{
    return QStringLiteral("Line%1").arg(line);
}

// A check box shows a stored "0"/"1" value: any nonzero number ticks it.
bool ticked(const QString& value)
{
    return platform::roundHalfEven(platform::leadingNumber(value)) != 0;
}

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
    : QDialog(parent), c_(context), openers_(std::move(openers)), ui_(std::make_unique<Ui::frmSetup>())
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

    for (const char* country : kCountries) {
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
    const core::Strings& s = c_.strings;
    setWindowTitle(s.loadText(1009));
    Frame2->setTitle(s.loadText(1068));
    Label1->setText(s.loadText(1069));
    for (QLineEdit* field : txtLine) {
        field->setText(s.loadText(1070));
    }
    ui_->lblRings->setText(s.loadText(1072));
    ui_->lblSaveFile->setText(s.loadText(1074));
    ui_->Frame3->setTitle(s.loadText(1112));
    ChkPopCallId->setText(s.loadText(1102));
    ChkMinOnStart->setText(s.loadText(1103));
    chkAction->setText(s.loadText(1106));
    chkStartUp->setText(s.loadText(1107));
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
    // 1. Captions.
    setCaptions();
    // 2.
    txtSilenceSecond->setText(c_.config.getSetting(kConfig, QStringLiteral("SilenceD"), QStringLiteral("5")));
    // 3, 4. The line devices; a line without a usable device cannot be chosen.
    listLineDevices();
    for (int line = 0; line < 4; ++line) {
        if (!Check1[static_cast<std::size_t>(line)]->isEnabled()) {
            c_.config.saveSettingLogged(kConfig, lineKey(line), QStringLiteral("0"));
        }
    }
    // 5 .. 13.
    loadSettings();
}

void frmSetup::listLineDevices()
{
    telephony::LineState& lines = c_.lines;
    lines.mediaMode.fill(0);
    const int count = std::min(lines.lineDeviceCount, 4);
    std::vector<unsigned char> caps(kDevCapsSize);
    for (int device = 0; device < count; ++device) {
        std::fill(caps.begin(), caps.end(), 0);
        platform::setTapiDword(caps.data(), 0, kDevCapsSize);
        QString name;
        std::uint32_t mediaModes = 0;
        if (c_.tapi.lineGetDevCaps(lines.lineApp, static_cast<std::uint32_t>(device), lines.lineApiVersion, 0,
                                   reinterpret_cast<platform::LINEDEVCAPS*>(caps.data())) == 0) {
            name = lineNameFromDevCaps(caps.data(), caps.size());
            mediaModes = platform::tapiDword(caps.data(), offsetof(platform::LINEDEVCAPS, dwMediaModes));
        }
        const LineDeviceDescription d = describeLineDevice(name, mediaModes, c_.strings);
        const auto index = static_cast<std::size_t>(device);
        txtLine[index]->setText(d.text);
        Check1[index]->setEnabled(d.selectable);
        if (d.voiceMode != 0) {
            lines.mediaMode[index] = d.voiceMode;
        }
    }
}

void frmSetup::loadSettings()
{
    core::ConfigStore& config = c_.config;
    telephony::SettingsSnapshot& snapshot = c_.settings;
    auto value = [&config](const char* key, const char* defaultValue) {
        return config.getSetting(kConfig, QLatin1String(key), QLatin1String(defaultValue));
    };

    // 5.
    for (int line = 0; line < 4; ++line) {
        Check1[static_cast<std::size_t>(line)]->setChecked(
            ticked(config.getSetting(kConfig, lineKey(line), QStringLiteral("0"))));
    }
    // 6.
    chkSilence->setChecked(ticked(value("Silence", "0")));
    txtSilenceLevel->setText(value("SilenceLevel", "100"));
    // 7.
    const QString rings = config.getSetting(kConfig, QStringLiteral("Rings"));
    txtRings->setText(rings.isEmpty() ? QStringLiteral("8") : rings);
    // 8.
    const QString folder = config.getSetting(kConfig, QStringLiteral("SaveFile"));
    txtSaveFile->setText(folder.isEmpty() ? c_.programFolder + QStringLiteral("/waveFiles/") : folder);
    // 9. A language that is not one of the three shows English, as the program then runs.
    const int language = config.getInt(kConfig, QStringLiteral("Language"));
    Option1[static_cast<std::size_t>(language >= 0 && language < 3 ? language : 0)]->setChecked(true);
    // 10.
    const int format =
        config.getInt(kConfig, QStringLiteral("WaveFileFormat"), QStringLiteral("0")) == 1 ? 1 : 0;
    Option2[static_cast<std::size_t>(format)]->setChecked(true);
    snapshot.waveFileFormat = format;
    // 11.
    ChkPopCallId->setChecked(ticked(value("PopCallId", "0")));
    ChkMinOnStart->setChecked(ticked(value("MinOnStart", "0")));
    snapshot.popCallIdEnabled = ChkPopCallId->isChecked() ? 1 : 0;
    snapshot.minimizeOnStart = ChkMinOnStart->isChecked() ? 1 : 0;
    // 12.
    snapshot.answerManually = config.getInt(kConfig, QStringLiteral("ActionMan"), QStringLiteral("0"));
    chkAction->setChecked(snapshot.answerManually != 0);
    // 13.
    chkStartUp->setChecked(ticked(value("AutoStart", "0")));
    chkFBS->setChecked(ticked(value("FBS", "0")));
    const int country = config.getInt(kConfig, QStringLiteral("Country"), QStringLiteral("0"));
    comCountry->setCurrentIndex(country >= 0 && country < comCountry->count() ? country : 0);
    chkUnknown->setChecked(ticked(value("BlockUnknown", "0")));
    snapshot.blockUnknownEnabled = chkUnknown->isChecked() ? 1 : 0;
}

void frmSetup::Check1_Click(int line)
{
    if (Check1[static_cast<std::size_t>(line)]->isChecked()) {
        return;
    }
    // A line taken out of use forgets its learned ring timing.
    const QString section = lineKey(line);
    for (int k = 1; k <= 6; ++k) {
        c_.config.saveSetting(section, QStringLiteral("Param%1").arg(k), QStringLiteral("6500"));
    }
    c_.config.saveSetting(section, QStringLiteral("Calls"), QStringLiteral("32665"));
}

void frmSetup::txtSilenceLevel_LostFocus()
{
    const double level = platform::leadingNumber(txtSilenceLevel->text());
    if (level < kMinSilenceLevel) {
        txtSilenceLevel->setText(QString::number(kMinSilenceLevel));
    } else if (level > kMaxSilenceLevel) {
        txtSilenceLevel->setText(QString::number(kMaxSilenceLevel));
    }
}

void frmSetup::Command6_Click()
{
    const QString picked = c_.dialogs.browseFolder(QLatin1String(kFolderPickerTitle), txtSaveFile->text());
    if (picked.isEmpty()) {
        return;
    }
    const qsizetype nul = picked.indexOf(QChar(0));
    txtSaveFile->setText(nul >= 0 ? picked.left(nul) : picked);
}

void frmSetup::information(int textId)
{
    c_.dialogs.messageBox(c_.strings.loadText(textId), kTitle, platform::MessageIcon::Information);
}

QString frmSetup::checkValue(const QCheckBox* box) const
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

bool frmSetup::createFolderPath(const QString& folder, QString* failed)
{
    for (qsizetype slash = folder.indexOf(QLatin1Char('/')); slash >= 0;
         slash = folder.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = folder.left(slash + 1);
        const QFileInfo info(part);
        if (info.exists() ? info.isDir() : QDir().mkdir(part)) {
            continue;
        }
        if (failed) {
            *failed = part;
        }
        return false;
    }
    return true;
}

bool frmSetup::saveRecordingsFolder()
{
    QString folder = txtSaveFile->text();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
        txtSaveFile->setText(folder);
    }
    if (folder.isEmpty()) {
        information(1080);
        txtSaveFile->setFocus();
        return false;
    }
    if (folder.startsWith(QStringLiteral("~/"))) {
        folder = QDir::homePath() + folder.mid(1);
    }
    // The recordings must land where the user can find them again, and a recording that cannot
    // be written is lost: a folder that cannot be made or written stops the save here.
    QString problem;
    QString failed;
    if (!QDir::isAbsolutePath(folder)) {
        problem =
            QStringLiteral("The folder \"%1\" is not a full path. Please give the whole path, beginning "
                           "with \"/\".")
                .arg(folder);
    } else if (!createFolderPath(folder, &failed)) {
        problem = QStringLiteral("The folder \"%1\" cannot be created. Please choose another folder for your "
                                 "wave files.")
                      .arg(failed);
    } else if (!QFileInfo(folder).isWritable()) {
        problem =
            QStringLiteral("The folder \"%1\" cannot be written to. Please choose another folder for your "
                           "wave files.")
                .arg(folder);
    }
    if (!problem.isEmpty()) {
        c_.dialogs.messageBox(problem, kTitle, platform::MessageIcon::Critical);
        txtSaveFile->setFocus();
        return false;
    }
    txtSaveFile->setText(folder);
    c_.config.saveSettingLogged(kConfig, QStringLiteral("SaveFile"), folder);
    return true;
}

void frmSetup::cmdSave_Click()
{
    core::ConfigStore& config = c_.config;
    auto save = [&config](const char* key, const QString& value) {
        config.saveSettingLogged(kConfig, QLatin1String(key), value);
    };
    // 1.
    bool anyLine = false;
    for (const QCheckBox* box : Check1) {
        anyLine = anyLine || box->isChecked();
    }
    if (!anyLine) {
        information(1078);
    }
    // 2.
    for (int line = 0; line < 4; ++line) {
        config.saveSettingLogged(kConfig, lineKey(line), checkValue(Check1[static_cast<std::size_t>(line)]));
    }
    // 3.
    if (!saveRecordingsFolder()) {
        return;
    }
    // 4.
    if (!txtRings->text().isEmpty()) {
        save("Rings", txtRings->text());
    }
    // 5, 6.
    int language = 0;
    for (int i = 0; i < 3; ++i) {
        if (Option1[static_cast<std::size_t>(i)]->isChecked()) {
            language = i;
        }
    }
    save("Language", QString::number(language));
    save("WaveFileFormat", Option2[1]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    // 7.
    for (int line = 0; line < 4; ++line) {
        config.saveSettingLogged(QStringLiteral("Modem"), lineKey(line),
                                 txtLine[static_cast<std::size_t>(line)]->text());
    }
    // 8.
    save("PopCallID", checkValue(ChkPopCallId));
    save("MinOnStart", checkValue(ChkMinOnStart));
    save("ActionMan", checkValue(chkAction));
    save("AutoStart", checkValue(chkStartUp));
    config.setAutoStart(chkStartUp->isChecked());
    // 9. A level typed and saved straight away (Enter) never left the field: bound it here too.
    txtSilenceLevel_LostFocus();
    save("Silence", checkValue(chkSilence));
    save("SilenceLevel", txtSilenceLevel->text());
    save("SilenceD", txtSilenceSecond->text());
    save("FBS", checkValue(chkFBS));
    save("Country", QString::number(std::max(comCountry->currentIndex(), 0)));
    save("BlockUnknown", checkValue(chkUnknown));
    // 10, 11. The caller ends the program.
    information(1081);
    outcome_ = SetupOutcome::Saved;
    accept();
}

void frmSetup::cmdExit_Click()
{
    outcome_ = SetupOutcome::Exited;
    reject();
}

} // namespace qlnrec::app
