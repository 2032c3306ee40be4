// The settings journal and the program's reads of the settings store.
#include "app_harness.h"

#include <QDir>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

TEST(SettingsJournal, JournaledSaveAppendsOneCrLfLinePerSaveAndStoresTheValue)
{
    AppHarness h;
    EXPECT_TRUE(h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("Language"),
                                           QStringLiteral("0")));
    EXPECT_TRUE(h.config.saveSettingLogged(QStringLiteral("Modem"), QStringLiteral("Line2"),
                                           QStringLiteral("Simulated Voice Modem 3  [28]")));
    EXPECT_TRUE(h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("Language"),
                                           QStringLiteral("2")));
    EXPECT_EQ(h.journal(), QStringLiteral("Config@Language@0\r\nModem@Line2@Simulated Voice Modem 3  [28]\r\n"
                                          "Config@Language@2\r\n"));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("Language")), QStringLiteral("2"));
}

TEST(SettingsJournal, DataSectionIsSavedButNeverJournaled)
{
    AppHarness h;
    h.config.saveSettingLogged(QStringLiteral("Data"), QStringLiteral(" 0"),
                               QStringLiteral("A~L 0~2026.wav"));
    h.config.saveSettingLogged(QStringLiteral("data"), QStringLiteral(" 1"),
                               QStringLiteral("M~L 1~2026.wav"));
    h.config.saveSetting(QStringLiteral("DataUnread"), QStringLiteral(" 0"),
                         QStringLiteral("A~L 2~2026.wav"));
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("QlnPath"), h.programFolder());
    EXPECT_FALSE(QFile::exists(h.config.journalPath()));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Data"), QStringLiteral(" 0")),
              QStringLiteral("A~L 0~2026.wav"));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Data"), QStringLiteral(" 1")),
              QStringLiteral("M~L 1~2026.wav"));
}

TEST(SettingsJournal, ValueWithLineBreakStaysOneJournalLine)
{
    AppHarness h;
    h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("SaveFile"),
                               QStringLiteral("/a\r\nb/"));
    EXPECT_EQ(h.journal(), QStringLiteral("Config@SaveFile@/a  b/\r\n"));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("SaveFile")),
              QStringLiteral("/a\r\nb/"));
}

TEST(SettingsJournal, UnwritableJournalIsSilentWhileStartingAndReportedOnceAfterwards)
{
    AppHarness h;
    // A folder where the journal file should be: no one, not even root, can append to it.
    ASSERT_TRUE(QDir().mkpath(h.config.journalPath()));

    h.config.setStartingUp(true);
    EXPECT_FALSE(h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("Language"),
                                            QStringLiteral("0")));
    EXPECT_TRUE(h.dialogs.messages().empty());

    h.config.setStartingUp(false);
    EXPECT_FALSE(
        h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("Legal"), QStringLiteral("1")));
    EXPECT_FALSE(
        h.config.saveSettingLogged(QStringLiteral("Config"), QStringLiteral("Rings"), QStringLiteral("4")));
    const auto boxes = h.dialogs.messages();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Quillon"));
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(boxes[0].text.contains(h.config.journalPath()));
    // The settings themselves are not lost.
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("Legal")), QStringLiteral("1"));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("Rings")), QStringLiteral("4"));
}

TEST(SettingsReads, NumbersAreReadLenientlyWithDefaultsForAbsentKeys)
{
    AppHarness h;
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("SilenceLevel"), QStringLiteral("garbled"));
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("SilenceD"), QStringLiteral(" 12s"));
    h.config.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param1"), QStringLiteral("6500.5"));
    h.config.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param2"), QStringLiteral("99999999999"));
    EXPECT_EQ(
        h.config.getInt(QStringLiteral("Config"), QStringLiteral("SilenceLevel"), QStringLiteral("800")), 0);
    EXPECT_EQ(h.config.getInt(QStringLiteral("Config"), QStringLiteral("SilenceD"), QStringLiteral("5")), 12);
    EXPECT_EQ(h.config.getInt(QStringLiteral("Config"), QStringLiteral("FBS"), QStringLiteral("0")), 0);
    EXPECT_EQ(h.config.getInt(QStringLiteral("Config"), QStringLiteral("Absent"), QStringLiteral("800")),
              800);
    EXPECT_EQ(h.config.getInt(QStringLiteral("Config"), QStringLiteral("Absent")), 0);
    EXPECT_EQ(h.config.getInt(QStringLiteral("line0"), QStringLiteral("PARAM1")), 6500); // half to even
    EXPECT_EQ(h.config.getInt(QStringLiteral("Line0"), QStringLiteral("Param2")),
              std::numeric_limits<int>::max());
}

TEST(SettingsReads, AutoStartGoesThroughTheShellWithTheProgramPath)
{
    AppHarness h;
    EXPECT_TRUE(h.config.setAutoStart(true));
    EXPECT_TRUE(h.config.setAutoStart(false));
    const auto& requests = h.shell.requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].kind, QStringLiteral("autostart"));
    EXPECT_TRUE(QFile::exists(platform::autoStartEntryPath()));
    const QString entry = QString::fromUtf8(readFile(platform::autoStartEntryPath()));
    EXPECT_TRUE(entry.contains(QStringLiteral("Hidden=true"))) << entry.toStdString();
}

} // namespace
} // namespace qlnrec::test
