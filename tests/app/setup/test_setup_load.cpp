// The setup dialog as a window: its controls show what the load read, its fields and buttons
// reach the model, and the host loads, shows and unloads it. What the load and save do is
// tested on the model (test_setup_model.cpp).
#include "tests/e2e/program_rig.h"

#include "app/setup/setup_host.h"
#include "platform/dialogs/modal_runners.h"
#include "ui_frm_setup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <array>

namespace qlnrec::test {
namespace {

const QString kNotDetected = QStringLiteral("Not Detected Voice Modem Line");

TEST(SetupLoad, OneVoiceModemIsListedWithItsMediaModes)
{
    ProgramRig h(QStringLiteral("sim:1"));
    app::frmSetup& f = h.loadSetup();
    EXPECT_EQ(f.txtLine[0]->text(), QStringLiteral("Simulated Voice Modem 1  [28]"));
    EXPECT_TRUE(f.Check1[0]->isEnabled());
    for (int line = 1; line < 4; ++line) {
        EXPECT_EQ(f.txtLine[static_cast<std::size_t>(line)]->text(), kNotDetected) << line;
    }
    EXPECT_EQ(h.lines().state().mediaMode[0], platform::LINEMEDIAMODE_INTERACTIVEVOICE);
}

TEST(SetupLoad, ShowsTheStoredSettingsAndCopiesTheSwitchesIntoTheRun)
{
    ProgramRig h{QStringLiteral("sim:2")};
    h.store(QStringLiteral("Line1"), QStringLiteral("1"));
    h.store(QStringLiteral("Rings"), QStringLiteral("3"));
    h.store(QStringLiteral("SaveFile"), QStringLiteral("/srv/calls/"));
    h.store(QStringLiteral("Language"), QStringLiteral("2"));
    h.store(QStringLiteral("WaveFileFormat"), QStringLiteral("1"));
    h.store(QStringLiteral("PopCallID"), QStringLiteral("1")); // read back as "PopCallId"
    h.store(QStringLiteral("MinOnStart"), QStringLiteral("1"));
    h.store(QStringLiteral("ActionMan"), QStringLiteral("1"));
    h.store(QStringLiteral("AutoStart"), QStringLiteral("1"));
    h.store(QStringLiteral("Silence"), QStringLiteral("1"));
    h.store(QStringLiteral("SilenceLevel"), QStringLiteral("321"));
    h.store(QStringLiteral("SilenceD"), QStringLiteral("9"));
    h.store(QStringLiteral("FBS"), QStringLiteral("1"));
    h.store(QStringLiteral("Country"), QStringLiteral("3"));
    h.store(QStringLiteral("BlockUnknown"), QStringLiteral("1"));
    app::frmSetup& f = h.loadSetup();

    EXPECT_FALSE(f.Check1[0]->isChecked());
    EXPECT_TRUE(f.Check1[1]->isChecked());
    EXPECT_EQ(f.txtRings->text(), QStringLiteral("3"));
    EXPECT_EQ(f.txtSaveFile->text(), QStringLiteral("/srv/calls/"));
    EXPECT_TRUE(f.Option1[2]->isChecked());
    EXPECT_TRUE(f.Option2[1]->isChecked());
    EXPECT_TRUE(f.ChkPopCallId->isChecked());
    EXPECT_TRUE(f.ChkMinOnStart->isChecked());
    EXPECT_TRUE(f.chkAction->isChecked());
    EXPECT_TRUE(f.chkStartUp->isChecked());
    EXPECT_TRUE(f.chkSilence->isChecked());
    EXPECT_EQ(f.txtSilenceLevel->text(), QStringLiteral("321"));
    EXPECT_EQ(f.txtSilenceSecond->text(), QStringLiteral("9"));
    EXPECT_TRUE(f.chkFBS->isChecked());
    EXPECT_EQ(f.comCountry->currentText(), QStringLiteral("Australia"));
    EXPECT_TRUE(f.chkUnknown->isChecked());

    const telephony::SettingsSnapshot& s = h.lines().settings();
    EXPECT_EQ(s.waveFileFormat, 1);
    EXPECT_EQ(s.popCallIdEnabled, 1);
    EXPECT_EQ(s.minimizeOnStart, 1);
    EXPECT_EQ(s.answerManually, 1);
    EXPECT_EQ(s.blockUnknownEnabled, 1);
    EXPECT_TRUE(h.takeJournal().isEmpty()); // loading writes nothing for usable lines
}

TEST(SetupLoad, AnEmptyStoreShowsTheDefaults)
{
    ProgramRig h{QStringLiteral("sim:2")};
    app::frmSetup& f = h.loadSetup();
    EXPECT_EQ(f.txtRings->text(), QStringLiteral("8"));
    EXPECT_EQ(f.txtSaveFile->text(), h.home.programFolder() + QStringLiteral("/waveFiles/"));
    EXPECT_EQ(f.txtSilenceLevel->text(), QStringLiteral("100"));
    EXPECT_EQ(f.txtSilenceSecond->text(), QStringLiteral("5"));
    EXPECT_TRUE(f.Option1[0]->isChecked());
    EXPECT_TRUE(f.Option2[0]->isChecked());
    EXPECT_EQ(f.comCountry->currentIndex(), 0);
    EXPECT_EQ(f.comCountry->count(), 4);
    EXPECT_EQ(h.lines().settings().answerManually, 0);
    EXPECT_EQ(f.txtStopTimer->text(), QStringLiteral("0"));
}

TEST(SetupLoad, TheSilenceLevelIsHeldBetween20And500WhenTheFieldIsLeft)
{
    ProgramRig h{QStringLiteral("sim:2")};
    app::frmSetup& f = h.loadSetup();
    const std::array<std::pair<const char*, const char*>, 6> cases{
        {{"5", "20"}, {"900", "500"}, {"250", "250"}, {"20", "20"}, {"500", "500"}, {"loud", "20"}}};
    for (const auto& [typed, shown] : cases) {
        f.txtSilenceLevel->setText(QLatin1String(typed));
        emit f.txtSilenceLevel->editingFinished();
        EXPECT_EQ(f.txtSilenceLevel->text(), QLatin1String(shown)) << typed;
    }
}

TEST(SetupLoad, UntickingALineForgetsItsRingTiming)
{
    ProgramRig h{QStringLiteral("sim:2")};
    h.store(QStringLiteral("Line1"), QStringLiteral("1"));
    h.config.saveSetting(QStringLiteral("Line1"), QStringLiteral("Param3"), QStringLiteral("7100"));
    h.config.saveSetting(QStringLiteral("Line1"), QStringLiteral("Calls"), QStringLiteral("32700"));
    app::frmSetup& f = h.loadSetup();

    f.Check1[0]->click(); // ticking sets nothing
    EXPECT_EQ(h.setting(QStringLiteral("Line0"), QStringLiteral("Param1")), QString());
    f.Check1[1]->click();
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(h.setting(QStringLiteral("Line1"), QStringLiteral("Param%1").arg(k)),
                  QStringLiteral("6500"))
            << k;
    }
    EXPECT_EQ(h.setting(QStringLiteral("Line1"), QStringLiteral("Calls")), QStringLiteral("32665"));
    EXPECT_TRUE(h.takeJournal().isEmpty()); // these writes are not journaled
    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("Line1")),
              QStringLiteral("1")); // until saved
}

TEST(SetupLoad, TheFolderPickerFillsTheFolderField)
{
    ProgramRig h{QStringLiteral("sim:2")};
    app::frmSetup& f = h.loadSetup();
    h.dialogs.queueText(QStringLiteral("/home/me/calls") + QChar(0) + QStringLiteral("rest"));
    f.Command6->click();
    ASSERT_EQ(h.dialogs.requests().size(), 1u);
    EXPECT_EQ(h.dialogs.requests()[0].kind, platform::DialogRequest::Kind::Folder);
    EXPECT_EQ(h.dialogs.requests()[0].title, QStringLiteral("Please select your folder: "));
    EXPECT_EQ(f.txtSaveFile->text(), QStringLiteral("/home/me/calls"));
    f.Command6->click(); // cancelled: the field keeps its text
    EXPECT_EQ(f.txtSaveFile->text(), QStringLiteral("/home/me/calls"));
}

TEST(SetupLoad, ButtonsOfDialogsNotYetThereAreDisabled)
{
    ProgramRig h{QStringLiteral("sim:2")};
    app::frmSetup& f = h.loadSetup();
    for (QPushButton* button : {f.cmdRings, f.cmdBlackList, f.Command1, f.cmdRecLegal}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    for (QPushButton* button : f.subOperatorButtons) {
        EXPECT_FALSE(button->isEnabled());
    }

    QStringList opened;
    app::SetupDialogOpeners openers;
    openers.ringRules = [&](QWidget*) { opened.append(QStringLiteral("rings")); };
    openers.lineGreeting = [&](QWidget*, const QString& file) { opened.append(file); };
    openers.soundCardPrompt = [&](QWidget*, const QString& file) { opened.append(file); };
    app::frmSetup& g = h.loadSetup(openers);
    EXPECT_FALSE(g.cmdBlackList->isEnabled());
    g.cmdRings->click();
    g.Command1->click();
    g.cmdRecLegal->click();
    g.subOperatorButtons[1]->click();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("rings"), QStringLiteral("Greeting.wav"),
                                   QStringLiteral("legal.wav"), QStringLiteral("02.wav")}));
}

TEST(SetupLoad, CaptionsComeFromTheLanguage)
{
    ProgramRig h{QStringLiteral("sim:2")};
    h.strings = core::Strings(core::Strings::kSimplifiedChinese);
    app::frmSetup& f = h.loadSetup();
    EXPECT_EQ(f.Frame2->title(), h.strings.loadText(1068));
    EXPECT_EQ(f.cmdSave->text(), h.strings.loadText(1077));
    EXPECT_EQ(f.txtLine[3]->text(), h.strings.loadText(1070));
    EXPECT_EQ(f.ui().lblSubOperators->text(), h.strings.loadText(1076));
    // Texts the dialog keeps as designed stay English.
    EXPECT_EQ(f.chkUnknown->text(), QStringLiteral("Block 'UNKOWN' Calls"));
}

TEST(SetupHost, ClosingTheDialogLoadsItAfreshOnTheNextRead)
{
    ProgramRig h{QStringLiteral("sim:2")};
    h.program->initTelephony();
    app::SetupHost& host = h.program->setup();
    host.loadHidden();
    EXPECT_EQ(host.ringsText(), QStringLiteral("8"));
    EXPECT_EQ(host.lineDeviceText(0), QStringLiteral("Simulated Voice Modem 1  [28]"));
    EXPECT_EQ(host.lineDeviceText(9), QString());

    platform::AutoModalRunner runner(false);
    host.setModalRunner(runner);
    runner.script(QStringLiteral("frmSetup"), [](QDialog& dialog) {
        auto& setup = static_cast<app::frmSetup&>(dialog);
        setup.txtRings->setText(QStringLiteral("2")); // typed, then left with Exit
        setup.cmdExit->click();
    });
    EXPECT_EQ(host.showModal(nullptr), app::SetupOutcome::Exited);
    EXPECT_FALSE(host.isLoaded());
    h.store(QStringLiteral("Rings"), QStringLiteral("5"));
    EXPECT_EQ(host.ringsText(), QStringLiteral("5"));
    EXPECT_TRUE(host.isLoaded());

    // Unscripted, a headless run leaves the dialog by its Exit button and saves nothing.
    host.form().txtRings->setText(QStringLiteral("6"));
    EXPECT_EQ(host.showModal(nullptr), app::SetupOutcome::Exited);
    EXPECT_EQ(runner.log().last(), QStringLiteral("frmSetup: Exit"));
    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("Rings")), QStringLiteral("5"));
}

} // namespace
} // namespace qlnrec::test
