// The setup dialog's behaviour without its window: the line devices probed at load, the
// settings read and copied into the run, the field rules, and the save with its order, journal,
// recordings folder and messages.
#include "tests/app/setup/full_save_journal.h"
#include "tests/e2e/program_rig.h"

#include "app/setup/line_device_text.h"
#include "app/setup/setup_model.h"
#include "core/detector_settings.h"
#include "platform/telephony/telephony_service.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace qlnrec::test {
namespace {

using app::SetupModel;

const QString kNotDetected = QStringLiteral("Not Detected Voice Modem Line");

// A model over the rig's lines, after the telephony interface was initialised as at start.
class SetupModelTest : public ::testing::Test {
protected:
    explicit SetupModelTest(const QString& lines = QStringLiteral("sim:2")) : h(lines) {}

    SetupModel& loaded()
    {
        h.program->resetLineState();
        h.program->initTelephony();
        model.emplace(context);
        model->load();
        return *model;
    }
    // The model loaded, with the journal of its load forgotten.
    SetupModel& loadedQuietly()
    {
        SetupModel& m = loaded();
        h.takeJournal();
        return m;
    }
    QString folder(const QString& relative) const { return h.home.root() + QLatin1Char('/') + relative; }
    QString setting(const char* key) const { return h.setting(QStringLiteral("Config"), QLatin1String(key)); }

    ProgramRig h;
    app::SetupContext context{
        h.lines().state(), h.lines().settings(),  h.platform->telephony(), h.config, h.strings,
        h.dialogs,         h.home.programFolder()};
    std::optional<SetupModel> model;
};

class SetupModelFourLines : public SetupModelTest {
protected:
    SetupModelFourLines() : SetupModelTest(QStringLiteral("sim:4")) {}
};

// Load.

TEST_F(SetupModelTest, OneVoiceModemIsListedAndTheLinesWithoutADeviceSayNotDetected)
{
    h.setDevice(1, QStringLiteral("Simulated Voice Modem 2"), 0); // no media modes: no voice
    const app::SetupFields& f = loaded().fields();
    EXPECT_EQ(f.lineText[0], QStringLiteral("Simulated Voice Modem 1  [28]"));
    EXPECT_TRUE(f.lineSelectable[0]);
    EXPECT_FALSE(f.lineSelectable[1]);
    EXPECT_EQ(f.lineText[2], kNotDetected);
    EXPECT_EQ(f.lineText[3], kNotDetected);
    EXPECT_EQ(h.lines().state().mediaMode[0], platform::LINEMEDIAMODE_INTERACTIVEVOICE);
}

TEST_F(SetupModelFourLines, EachKindOfDeviceGetsItsTextAndVoiceMode)
{
    h.setDevice(0, QStringLiteral("Voice Modem"), 4 | 16);   // voice and data only
    h.setDevice(1, QStringLiteral("Answering Box"), 8 | 16); // automated voice
    h.setDevice(2, QStringLiteral("Data Modem"), 16);        // no voice at all
    h.setDevice(3, QString(), 4 | 8);                        // no name
    const app::SetupFields& f = loaded().fields();

    EXPECT_EQ(f.lineText[0], QStringLiteral("  [20 Line does not support voice]Voice Modem"));
    EXPECT_EQ(f.lineText[1], QStringLiteral("Answering Box  [24]"));
    EXPECT_EQ(f.lineText[2], QStringLiteral("Data Modem  [16] [ Line does not support voice]"));
    EXPECT_EQ(f.lineText[3], QStringLiteral("Invalid type of line"));
    EXPECT_EQ(f.lineSelectable, (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ(h.lines().state().mediaMode, (std::array<std::uint32_t, 4>{0, 8, 0, 0}));
}

TEST_F(SetupModelTest, ADeviceWhoseCapabilitiesCannotBeReadIsInvalid)
{
    h.platform->telephony().injectError(platform::TelephonyService::Operation::GetDevCaps, 1,
                                        platform::LINEERR_NODEVICE);
    const app::SetupFields& f = loaded().fields();
    EXPECT_TRUE(f.lineSelectable[0]);
    EXPECT_EQ(f.lineText[1], QStringLiteral("Invalid type of line"));
    EXPECT_FALSE(f.lineSelectable[1]);
}

TEST_F(SetupModelTest, UnusableLinesAreSwitchedOffAndJournaled)
{
    h.setDevice(1, QStringLiteral("Voice Modem"), 20);
    h.store(QStringLiteral("Line0"), QStringLiteral("1"));
    h.store(QStringLiteral("Line1"), QStringLiteral("1"));
    h.store(QStringLiteral("Line3"), QStringLiteral("1")); // no device, but the box can be ticked
    const app::SetupFields& f = loaded().fields();

    EXPECT_EQ(setting("Line1"), QStringLiteral("0"));
    EXPECT_EQ(h.takeJournal(), QStringList{QStringLiteral("Config@Line1@0")});
    EXPECT_EQ(f.lineUsed, (std::array<bool, 4>{true, false, false, true}));
    EXPECT_TRUE(f.lineSelectable[3]);
}

TEST(SetupLineNames, AreReadWithinTheirBoundsAndWithoutControlCharacters)
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

TEST_F(SetupModelTest, ReadsTheStoredSettingsAndCopiesTheSwitchesIntoTheRun)
{
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Line1", "1"},
             {"Rings", "3"},
             {"SaveFile", "/srv/calls/"},
             {"Language", "2"},
             {"WaveFileFormat", "1"},
             {"PopCallID", "1"}, // read back as written, whatever the letter case
             {"MinOnStart", "1"},
             {"ActionMan", "2"}, // a number, not only a box: the run keeps it
             {"AutoStart", "1"},
             {"Silence", "1"},
             {"SilenceLevel", "321"},
             {"SilenceD", "9"},
             {"FBS", "1"},
             {"Country", "3"},
             {"BlockUnknown", "1"}}) {
        h.store(QLatin1String(key), QLatin1String(value));
    }
    const app::SetupFields& f = loaded().fields();

    EXPECT_EQ(f.lineUsed, (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ(f.rings, QStringLiteral("3"));
    EXPECT_EQ(f.saveFile, QStringLiteral("/srv/calls/"));
    EXPECT_EQ(f.language, 2);
    EXPECT_EQ(f.waveFileFormat, 1);
    EXPECT_TRUE(f.popCallId && f.minimizeOnStart && f.answerManually && f.autoStart && f.silence &&
                f.fastBusy && f.blockUnknown);
    EXPECT_EQ(f.silenceLevel, QStringLiteral("321"));
    EXPECT_EQ(f.silenceSeconds, QStringLiteral("9"));
    EXPECT_EQ(f.country, 3);

    const telephony::SettingsSnapshot& s = h.lines().settings();
    EXPECT_EQ(s.waveFileFormat, 1);
    EXPECT_EQ(s.popCallIdEnabled, 1);
    EXPECT_EQ(s.minimizeOnStart, 1);
    EXPECT_EQ(s.answerManually, 2);
    EXPECT_EQ(s.blockUnknownEnabled, 1);
    EXPECT_TRUE(h.takeJournal().isEmpty()); // loading writes nothing for usable lines
}

TEST_F(SetupModelTest, AnEmptyStoreGivesTheDialogsDefaultsWhileTheDetectorsKeepTheirs)
{
    const app::SetupFields& f = loaded().fields();
    EXPECT_EQ(f.rings, QStringLiteral("8"));
    EXPECT_EQ(f.saveFile, h.home.programFolder() + QStringLiteral("/waveFiles/"));
    EXPECT_EQ(f.silenceLevel, QStringLiteral("100"));
    EXPECT_EQ(f.silenceSeconds, QStringLiteral("5"));
    EXPECT_EQ(f.language, 0);
    EXPECT_EQ(f.waveFileFormat, 0);
    EXPECT_EQ(f.country, 0);
    EXPECT_EQ(h.lines().settings().answerManually, 0);
    // With "SilenceLevel" absent the detectors use 800 while the dialog proposes 100.
    EXPECT_EQ(core::DetectorSettings::read(h.config).silenceLevel, 800);
}

TEST_F(SetupModelTest, GarbledChoicesFallBackToTheFirstOption)
{
    h.store(QStringLiteral("Language"), QStringLiteral("7"));
    h.store(QStringLiteral("WaveFileFormat"), QStringLiteral("x"));
    h.store(QStringLiteral("Country"), QStringLiteral("-2"));
    const app::SetupFields& f = loaded().fields();
    EXPECT_EQ(f.language, 0);
    EXPECT_EQ(f.waveFileFormat, 0);
    EXPECT_EQ(h.lines().settings().waveFileFormat, 0);
    EXPECT_EQ(f.country, 0);
}

TEST_F(SetupModelTest, TheSilenceLevelIsHeldBetween20And500)
{
    SetupModel& m = loaded();
    const std::array<std::pair<const char*, const char*>, 7> cases{{{"5", "20"},
                                                                    {"900", "500"},
                                                                    {"250", "250"},
                                                                    {"20", "20"},
                                                                    {"500", "500"},
                                                                    {"loud", "20"},
                                                                    {"300 dB", "300 dB"}}};
    for (const auto& [typed, held] : cases) {
        m.fields().silenceLevel = QLatin1String(typed);
        m.holdSilenceLevel();
        EXPECT_EQ(m.fields().silenceLevel, QLatin1String(held)) << typed;
    }
}

TEST_F(SetupModelTest, AnUntickedLineForgetsItsRingTimingWithoutAJournal)
{
    h.config.saveSetting(QStringLiteral("Line1"), QStringLiteral("Param3"), QStringLiteral("7100"));
    h.config.saveSetting(QStringLiteral("Line1"), QStringLiteral("Calls"), QStringLiteral("32700"));
    SetupModel& m = loadedQuietly();
    m.lineUnticked(1);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(h.setting(QStringLiteral("Line1"), QStringLiteral("Param%1").arg(k)),
                  QStringLiteral("6500"))
            << k;
    }
    EXPECT_EQ(h.setting(QStringLiteral("Line1"), QStringLiteral("Calls")), QStringLiteral("32665"));
    EXPECT_EQ(h.setting(QStringLiteral("Line0"), QStringLiteral("Param1")), QString());
    EXPECT_TRUE(h.takeJournal().isEmpty());
    m.lineUnticked(4); // no such line: nothing is written
    EXPECT_FALSE(h.config.contains(QStringLiteral("Line4"), QStringLiteral("Calls")));
}

TEST_F(SetupModelTest, TheFolderPickerTakesThePathUpToTheFirstNul)
{
    SetupModel& m = loaded();
    h.dialogs.queueText(QStringLiteral("/home/me/calls") + QChar(0) + QStringLiteral("rest"));
    EXPECT_TRUE(m.browseFolder());
    EXPECT_EQ(h.dialogs.requests().back().title, QStringLiteral("Please select your folder: "));
    EXPECT_EQ(m.fields().saveFile, QStringLiteral("/home/me/calls"));
    EXPECT_FALSE(m.browseFolder()); // cancelled: the field keeps its text
    EXPECT_EQ(m.fields().saveFile, QStringLiteral("/home/me/calls"));
}

// Save.

TEST_F(SetupModelTest, SavesEverySettingInItsOrderWithItsJournalLine)
{
    SetupModel& m = loadedQuietly();
    app::SetupFields& f = m.fields();
    f.lineUsed[0] = true;
    f.saveFile = folder(QStringLiteral("calls"));
    f.rings = QStringLiteral("4");
    f.language = 1;
    f.waveFileFormat = 1;
    f.popCallId = true;
    f.autoStart = true;
    f.silence = true;
    f.silenceLevel = QStringLiteral("250");
    f.silenceSeconds = QStringLiteral("7");
    f.fastBusy = true;
    f.country = 2;
    f.blockUnknown = true;
    EXPECT_EQ(m.save(), SetupModel::SaveResult::Saved);

    const QString calls = folder(QStringLiteral("calls/"));
    EXPECT_EQ(h.takeJournal(), fullSaveJournal(calls));
    EXPECT_EQ(setting("SaveFile"), calls);
    EXPECT_TRUE(QFileInfo(calls).isDir());
    ASSERT_EQ(h.shell.requests().size(), 1u);
    EXPECT_EQ(h.shell.requests()[0].kind, QStringLiteral("autostart"));
    EXPECT_EQ(h.shell.requests()[0].arguments, QStringList{QStringLiteral("on")});
    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    EXPECT_EQ(h.dialogs.messages()[0].text,
              QStringLiteral("             Setting is complete,please reload Quillon            "));
    EXPECT_EQ(h.dialogs.messages()[0].icon, platform::MessageIcon::Information);
}

TEST_F(SetupModelTest, EveryMissingFolderAlongThePathIsCreatedFromTheTopDown)
{
    SetupModel& m = loadedQuietly();
    m.fields().lineUsed[1] = true;
    m.fields().saveFile = folder(QStringLiteral("a/b/c"));
    EXPECT_EQ(m.save(), SetupModel::SaveResult::Saved);
    EXPECT_TRUE(QFileInfo(folder(QStringLiteral("a/b/c"))).isDir());
    EXPECT_EQ(setting("SaveFile"), folder(QStringLiteral("a/b/c/")));
    EXPECT_EQ(m.fields().saveFile, folder(QStringLiteral("a/b/c/")));
}

TEST_F(SetupModelTest, AFolderThatCannotBeCreatedStopsTheSaveWithAClearMessage)
{
    writeFile(folder(QStringLiteral("taken")), "a file, not a folder");
    SetupModel& m = loadedQuietly();
    m.fields().lineUsed[0] = true;
    m.fields().saveFile = folder(QStringLiteral("taken/calls/"));
    m.fields().rings = QStringLiteral("2");
    EXPECT_EQ(m.save(), SetupModel::SaveResult::FolderRejected);

    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    const platform::DialogRequest box = h.dialogs.messages()[0];
    EXPECT_EQ(box.icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(box.text.contains(folder(QStringLiteral("taken/")))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("cannot be created")));
    // The lines were saved before the folder; nothing after it.
    EXPECT_EQ(h.takeJournal().size(), 4);
    EXPECT_EQ(setting("SaveFile"), QString());
    EXPECT_EQ(setting("Rings"), QString());
}

TEST_F(SetupModelTest, ARelativeFolderIsRefused)
{
    SetupModel& m = loadedQuietly();
    m.fields().lineUsed[0] = true;
    m.fields().saveFile = QStringLiteral("calls");
    EXPECT_EQ(m.save(), SetupModel::SaveResult::FolderRejected);
    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    EXPECT_TRUE(h.dialogs.messages()[0].text.contains(QStringLiteral("not a full path")));
    EXPECT_EQ(setting("SaveFile"), QString());
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("calls/"))));
}

TEST_F(SetupModelTest, AnEmptyFolderAsksForOneAndKeepsOnlyTheLines)
{
    SetupModel& m = loadedQuietly();
    m.fields().lineUsed[0] = true;
    m.fields().saveFile.clear();
    EXPECT_EQ(m.save(), SetupModel::SaveResult::FolderRejected);
    EXPECT_EQ(h.messageTexts(), QStringList{QStringLiteral("Please select the path of your wave files")});
    EXPECT_EQ(h.dialogs.messages()[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(h.takeJournal(),
              (QStringList{QStringLiteral("Config@Line0@1"), QStringLiteral("Config@Line1@0"),
                           QStringLiteral("Config@Line2@0"), QStringLiteral("Config@Line3@0")}));
}

TEST_F(SetupModelTest, WithNoLineTickedItSaysSoAndSavesAnyway)
{
    SetupModel& m = loadedQuietly();
    m.fields().rings.clear();                      // an empty rings field is not saved
    m.fields().silenceLevel = QStringLiteral("3"); // saved without leaving the field
    EXPECT_EQ(m.save(), SetupModel::SaveResult::Saved);
    EXPECT_EQ(h.messageTexts(),
              (QStringList{QStringLiteral("Please select line"), h.strings.loadText(1081)}));
    EXPECT_EQ(setting("Rings"), QString());
    EXPECT_EQ(setting("SilenceLevel"), QStringLiteral("20"));
    EXPECT_EQ(setting("SaveFile"), h.home.programFolder() + QStringLiteral("/waveFiles/"));
}

TEST_F(SetupModelTest, TheDialogsProposedSilenceLevelIsWhatASaveStores)
{
    // Absent, the detectors would use 800; saving the untouched dialog stores its 100.
    SetupModel& m = loadedQuietly();
    m.fields().lineUsed[0] = true;
    EXPECT_EQ(m.save(), SetupModel::SaveResult::Saved);
    EXPECT_EQ(setting("SilenceLevel"), QStringLiteral("100"));
    EXPECT_EQ(core::DetectorSettings::read(h.config).silenceLevel, 100);
}

} // namespace
} // namespace qlnrec::test
