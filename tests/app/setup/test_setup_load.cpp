// The setup dialog's load: how each line device is shown and whether it can be chosen, the
// settings it shows and copies into the run, and the field and button behaviour.
#include "tests/e2e/lines/lines_rig.h"

#include "app/setup/line_device_text.h"
#include "app/setup/setup_host.h"
#include "platform/telephony/telephony_service.h"
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
    LinesRig h(QStringLiteral("sim:1"));
    app::frmSetup& f = h.loadSetup();
    EXPECT_EQ(f.txtLine[0]->text(), QStringLiteral("Simulated Voice Modem 1  [28]"));
    EXPECT_TRUE(f.Check1[0]->isEnabled());
    for (int line = 1; line < 4; ++line) {
        EXPECT_EQ(f.txtLine[static_cast<std::size_t>(line)]->text(), kNotDetected) << line;
    }
    EXPECT_EQ(h.lines().state().mediaMode[0], platform::LINEMEDIAMODE_INTERACTIVEVOICE);
}

TEST(SetupLoad, EachKindOfDeviceGetsItsTextAndVoiceMode)
{
    LinesRig h(QStringLiteral("sim:4"));
    h.setDevice(0, QStringLiteral("Voice Modem"), 4 | 16);   // voice and data only
    h.setDevice(1, QStringLiteral("Answering Box"), 8 | 16); // automated voice
    h.setDevice(2, QStringLiteral("Data Modem"), 16);        // no voice at all
    h.setDevice(3, QString(), 4 | 8);                        // no name
    app::frmSetup& f = h.loadSetup();

    EXPECT_EQ(f.txtLine[0]->text(), QStringLiteral("  [20 Line does not support voice]Voice Modem"));
    EXPECT_FALSE(f.Check1[0]->isEnabled());
    EXPECT_EQ(f.txtLine[1]->text(), QStringLiteral("Answering Box  [24]"));
    EXPECT_TRUE(f.Check1[1]->isEnabled());
    EXPECT_EQ(f.txtLine[2]->text(), QStringLiteral("Data Modem  [16] [ Line does not support voice]"));
    EXPECT_FALSE(f.Check1[2]->isEnabled());
    EXPECT_EQ(f.txtLine[3]->text(), QStringLiteral("Invalid type of line"));
    EXPECT_FALSE(f.Check1[3]->isEnabled());
    EXPECT_EQ(h.lines().state().mediaMode, (std::array<std::uint32_t, 4>{0, 8, 0, 0}));
}

TEST(SetupLoad, ADeviceWhoseCapabilitiesCannotBeReadIsInvalid)
{
    LinesRig h{QStringLiteral("sim:2")};
    h.platform->telephony().injectError(platform::TelephonyService::Operation::GetDevCaps, 1,
                                        platform::LINEERR_NODEVICE);
    app::frmSetup& f = h.loadSetup();
    EXPECT_TRUE(f.Check1[0]->isEnabled());
    EXPECT_EQ(f.txtLine[1]->text(), QStringLiteral("Invalid type of line"));
    EXPECT_FALSE(f.Check1[1]->isEnabled());
}

TEST(SetupLoad, UnusableLinesAreSwitchedOffAndJournaled)
{
    LinesRig h{QStringLiteral("sim:2")};
    h.setDevice(1, QStringLiteral("Voice Modem"), 20);
    h.store(QStringLiteral("Line0"), QStringLiteral("1"));
    h.store(QStringLiteral("Line1"), QStringLiteral("1"));
    h.store(QStringLiteral("Line3"), QStringLiteral("1")); // no device, but the box can be ticked
    app::frmSetup& f = h.loadSetup();

    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("Line1")), QStringLiteral("0"));
    EXPECT_EQ(h.takeJournal(), QStringList{QStringLiteral("Config@Line1@0")});
    EXPECT_TRUE(f.Check1[0]->isChecked());
    EXPECT_FALSE(f.Check1[1]->isChecked());
    EXPECT_TRUE(f.Check1[3]->isChecked());
    EXPECT_TRUE(f.Check1[3]->isEnabled());
}

TEST(SetupLoad, LineNamesAreReadWithinTheirBoundsAndWithoutControlCharacters)
{
    std::array<unsigned char, 300> caps{};
    platform::setTapiDword(caps.data(), 32, 10);  // name size
    platform::setTapiDword(caps.data(), 36, 250); // name offset
    const char name[] = "Modem\r\nX\0tail";
    std::copy(std::begin(name), std::end(name), caps.begin() + 250);
    EXPECT_EQ(app::lineNameFromDevCaps(caps.data(), caps.size()), QStringLiteral("Modem  X"));
    platform::setTapiDword(caps.data(), 32, 3);
    EXPECT_EQ(app::lineNameFromDevCaps(caps.data(), caps.size()), QStringLiteral("Mod"));
    platform::setTapiDword(caps.data(), 36, 298);
    platform::setTapiDword(caps.data(), 32, 1000); // runs past the buffer
    caps[298] = 'A';
    caps[299] = 'B';
    EXPECT_EQ(app::lineNameFromDevCaps(caps.data(), caps.size()), QStringLiteral("AB"));
    platform::setTapiDword(caps.data(), 36, 5000);
    EXPECT_EQ(app::lineNameFromDevCaps(caps.data(), caps.size()), QString());
    EXPECT_EQ(app::lineNameFromDevCaps(caps.data(), 20), QString());
}

TEST(SetupLoad, ShowsTheStoredSettingsAndCopiesTheSwitchesIntoTheRun)
{
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
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

TEST(SetupLoad, GarbledChoicesFallBackToTheFirstOption)
{
    LinesRig h{QStringLiteral("sim:2")};
    h.store(QStringLiteral("Language"), QStringLiteral("7"));
    h.store(QStringLiteral("WaveFileFormat"), QStringLiteral("x"));
    h.store(QStringLiteral("Country"), QStringLiteral("-2"));
    app::frmSetup& f = h.loadSetup();
    EXPECT_TRUE(f.Option1[0]->isChecked());
    EXPECT_TRUE(f.Option2[0]->isChecked());
    EXPECT_EQ(h.lines().settings().waveFileFormat, 0);
    EXPECT_EQ(f.comCountry->currentIndex(), 0);
}

TEST(SetupLoad, TheSilenceLevelIsHeldBetween20And500WhenTheFieldIsLeft)
{
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
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
    LinesRig h{QStringLiteral("sim:2")};
    h.lineParts->initTelephony();
    app::SetupHost& host = h.lineParts->setup();
    host.loadHidden();
    EXPECT_EQ(host.ringsText(), QStringLiteral("8"));
    EXPECT_EQ(host.lineDeviceText(0), QStringLiteral("Simulated Voice Modem 1  [28]"));
    EXPECT_EQ(host.lineDeviceText(9), QString());

    host.setDialogRunner([](QDialog& dialog) {
        auto& setup = static_cast<app::frmSetup&>(dialog);
        setup.txtRings->setText(QStringLiteral("2")); // typed, then left with Exit
        setup.cmdExit->click();
    });
    EXPECT_EQ(host.showModal(nullptr), app::SetupOutcome::Exited);
    EXPECT_FALSE(host.isLoaded());
    h.store(QStringLiteral("Rings"), QStringLiteral("5"));
    EXPECT_EQ(host.ringsText(), QStringLiteral("5"));
    EXPECT_TRUE(host.isLoaded());
}

} // namespace
} // namespace qlnrec::test
