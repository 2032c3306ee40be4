// The main window's load sequence: its order, its markers, the folders and files it makes and
// the settings it reads and rewrites.
#include "app/forms/frm_main.h"
#include "app/main_window_loader.h"
#include "app/startup_parts.h"
#include "app_harness.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::frmMain;
using app::LoadResult;
using app::MainWindowLoader;

class LoadSequenceTest : public ::testing::Test {
protected:
    LoadResult load()
    {
        MainWindowLoader loader(h.services);
        return loader.run(window);
    }
    void setRecordingsFolder()
    {
        h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"),
                            h.programFolder() + QStringLiteral("/waveFiles/"));
    }

    AppHarness h;
    frmMain window{h.services};
};

// What the loader hands to line control: the learned intervals and ring timer settings, and the
// device text each line reports. Every other part does nothing.
class RingIntervalParts final : public app::StartupParts {
public:
    void setRingInterval(int line, int number, int intervalMs) override
    {
        intervals.at(static_cast<std::size_t>(line)).at(static_cast<std::size_t>(number - 1)) = intervalMs;
    }
    void setRingTimerInterval(int line, std::uint32_t intervalMs) override
    {
        timers.at(static_cast<std::size_t>(line)) = intervalMs;
    }
    std::optional<QString> lineDeviceText(int line) const override
    {
        return deviceText.at(static_cast<std::size_t>(line));
    }
    std::array<std::array<int, app::kRingIntervalCount>, app::kLineCount> intervals{};
    std::array<std::optional<std::uint32_t>, app::kLineCount> timers{};
    std::array<std::optional<QString>, app::kLineCount> deviceText{};
};

// The harness's services with the ring-interval parts in place of the logging ones.
app::AppServices withParts(const app::AppServices& s, app::StartupParts& parts)
{
    return app::AppServices{s.events, s.dialogs, s.shell, s.config,   s.strings,  s.statusLog,
                            s.state,  s.windows, parts,   s.commands, s.lifecycle};
}

TEST_F(LoadSequenceTest, StepsRunInOrderWithTheirMarkersWrittenAsTheyHappen)
{
    setRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param1"), QStringLiteral("7000"));
    QStringList stepsAtCall;
    h.log.onCall = [&](const QString& name) { stepsAtCall.append(name + QLatin1Char('|') + h.steps()); };

    ASSERT_EQ(load(), LoadResult::Loaded);

    EXPECT_EQ(h.log.calls,
              (QStringList{QStringLiteral("resetLineState"), QStringLiteral("initTelephony"),
                           QStringLiteral("setRingTimerInterval 0 7000"),
                           QStringLiteral("setRingTimerInterval 1 6500"),
                           QStringLiteral("setRingTimerInterval 2 6500"),
                           QStringLiteral("setRingTimerInterval 3 6500"), QStringLiteral("loadSetupHidden"),
                           QStringLiteral("openLines"), QStringLiteral("loadRecordingLists"),
                           QStringLiteral("recoverRecordings"), QStringLiteral("loadPhoneBook"),
                           QStringLiteral("loadRingRules"), QStringLiteral("minimizeOnStart"),
                           QStringLiteral("findTrueSpeechDriver"), QStringLiteral("loadBlockList")}));
    EXPECT_EQ(stepsAtCall.first(), QStringLiteral("resetLineState|1\r\n2\r\n"));
    EXPECT_EQ(stepsAtCall[1], QStringLiteral("initTelephony|1\r\n2\r\n6\r\n8\r\n"));
    EXPECT_EQ(stepsAtCall[6], QStringLiteral("loadSetupHidden|1\r\n2\r\n6\r\n8\r\n9\r\n"));
    EXPECT_EQ(stepsAtCall[11], QStringLiteral("loadRingRules|1\r\n2\r\n6\r\n8\r\n9\r\n10\r\n"));
    EXPECT_EQ(h.steps(), QStringLiteral("1\r\n2\r\n6\r\n8\r\n9\r\n10\r\n"));

    const QString folder = h.programFolder();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/LogFiles")).isDir());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/waveFiles")).isDir());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/LogFiles/26-12-07.txt")));
    EXPECT_TRUE(h.statusLog.isOpen());
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("QlnPath")), folder);
    EXPECT_EQ(h.state.recordingsFolder, folder + QStringLiteral("/waveFiles/"));
    EXPECT_TRUE(h.state.tempFolder.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(h.state.tempFolder).isDir());
    EXPECT_TRUE(window.hasWindowRegion());
    EXPECT_TRUE(window.Timer7.isEnabled());
    EXPECT_EQ(h.count(QStringLiteral("frmTip")), 0);
}

TEST_F(LoadSequenceTest, FirstStartShowsDisclaimerThenSetupBeforeAnyListLoads)
{
    ASSERT_EQ(load(), LoadResult::Loaded);
    const int tip = h.indexOf(QStringLiteral("frmTip"));
    const int setup = h.indexOf(QStringLiteral("showSetupModal"));
    ASSERT_GE(tip, 0);
    EXPECT_EQ(setup, tip + 1);
    EXPECT_GT(tip, h.indexOf(QStringLiteral("initTelephony")));
    EXPECT_LT(setup, h.indexOf(QStringLiteral("loadSetupHidden")));
    EXPECT_LT(setup, h.indexOf(QStringLiteral("loadRecordingLists")));
    // Setup left with "Exit": no recordings folder is stored, the program folder serves.
    EXPECT_FALSE(h.config.contains(QStringLiteral("Config"), QStringLiteral("SaveFile")));
    EXPECT_EQ(h.state.recordingsFolder, h.programFolder() + QLatin1Char('/'));
}

TEST_F(LoadSequenceTest, DisclaimerExitOrSavedSetupEndTheLoadAtOnce)
{
    h.windows.disclaimer = app::DisclaimerChoice::Exit;
    EXPECT_EQ(load(), LoadResult::EndProgram);
    EXPECT_EQ(h.count(QStringLiteral("showSetupModal")), 0);
    EXPECT_EQ(h.count(QStringLiteral("openLines")), 0);
    EXPECT_EQ(h.steps(), QStringLiteral("1\r\n2\r\n6\r\n8\r\n9\r\n"));

    AppHarness second;
    frmMain secondWindow(second.services);
    second.parts.setupOutcome = app::SetupOutcome::Saved;
    EXPECT_EQ(MainWindowLoader(second.services).run(secondWindow), LoadResult::EndProgram);
    EXPECT_EQ(second.count(QStringLiteral("showSetupModal")), 1);
    EXPECT_EQ(second.count(QStringLiteral("loadSetupHidden")), 0);
}

TEST_F(LoadSequenceTest, TodaysEarlierLogLinesAreShownBeforeAnyNewLine)
{
    setRecordingsFolder();
    QDir().mkpath(h.programFolder() + QStringLiteral("/LogFiles"));
    writeFile(h.programFolder() + QStringLiteral("/LogFiles/26-12-07.txt"),
              "Line0 is ready 09:00:01\r\nLine0 Ring... 09:10:00\r\n");
    ASSERT_EQ(load(), LoadResult::Loaded);
    ASSERT_EQ(window.lstStatus->count(), 2);
    EXPECT_EQ(window.lstStatus->item(0)->text(), QStringLiteral("Line0 is ready 09:00:01"));
    EXPECT_EQ(window.lstStatus->currentRow(), 1);
}

TEST_F(LoadSequenceTest, RingIntervalsAreCappedAndWrittenBackAndOnlySetIntervalsArmTheTimer)
{
    setRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Line1"), QStringLiteral("Param3"), QStringLiteral("20000"));
    h.store.saveSetting(QStringLiteral("Line1"), QStringLiteral("Param1"), QStringLiteral("13001"));
    h.store.saveSetting(QStringLiteral("Line2"), QStringLiteral("Param1"), QStringLiteral("0"));
    h.store.saveSetting(QStringLiteral("Line3"), QStringLiteral("Param1"), QStringLiteral("garbled"));
    h.store.saveSetting(QStringLiteral("Line3"), QStringLiteral("Param2"), QStringLiteral("-40"));
    h.store.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param6"), QStringLiteral("13000"));
    RingIntervalParts parts;
    app::AppServices services = withParts(h.services, parts);
    MainWindowLoader(services).loadRingIntervals();

    EXPECT_EQ(parts.intervals[1][2], 13000);
    EXPECT_EQ(h.store.getSetting(QStringLiteral("Line1"), QStringLiteral("Param3")), QStringLiteral("13000"));
    EXPECT_EQ(parts.intervals[1][0], 13000);
    EXPECT_EQ(h.store.getSetting(QStringLiteral("Line1"), QStringLiteral("Param1")), QStringLiteral("13000"));
    EXPECT_EQ(parts.intervals[0][5], 13000);
    EXPECT_EQ(parts.intervals[0][1], 6500);
    // Defaults are not written; the cap is not journaled.
    EXPECT_FALSE(h.store.contains(QStringLiteral("Line0"), QStringLiteral("Param2")));
    EXPECT_FALSE(h.journal().contains(QStringLiteral("Param")));

    // Lines 2 (stored 0) and 3 (garbled, read as 0) keep the ring timer's design interval.
    EXPECT_EQ(parts.timers[1], 13000U);
    EXPECT_EQ(parts.timers[0], 6500U);
    EXPECT_EQ(parts.timers[2], std::nullopt);
    EXPECT_EQ(parts.timers[3], std::nullopt);
    // A negative interval cannot be waited for: it reads as 0.
    EXPECT_EQ(parts.intervals[3][1], 0);

    // The whole load does the same through the program's parts.
    ASSERT_EQ(load(), LoadResult::Loaded);
    EXPECT_EQ(h.count(QStringLiteral("setRingTimerInterval 1 13000")), 1);
    EXPECT_EQ(h.count(QStringLiteral("setRingTimerInterval 0 6500")), 1);
    EXPECT_EQ(h.log.calls.filter(QStringLiteral("setRingTimerInterval 2")).size(), 0);
    EXPECT_EQ(h.log.calls.filter(QStringLiteral("setRingTimerInterval 3")).size(), 0);
}

TEST_F(LoadSequenceTest, ChangedLineDeviceResetsItsRingTimingAndJournalsTheNewText)
{
    setRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Modem"), QStringLiteral("Line0"), QStringLiteral("Old Modem  [28]"));
    h.store.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param1"), QStringLiteral("7200"));
    h.store.saveSetting(QStringLiteral("Line0"), QStringLiteral("Calls"), QStringLiteral("32700"));
    h.store.saveSetting(QStringLiteral("Modem"), QStringLiteral("Line1"), QStringLiteral("Same Modem  [28]"));
    h.store.saveSetting(QStringLiteral("Line1"), QStringLiteral("Param1"), QStringLiteral("7300"));
    h.parts.deviceText[0] = QStringLiteral("New Modem  [28]");
    h.parts.deviceText[1] = QStringLiteral("Same Modem  [28]");
    ASSERT_EQ(load(), LoadResult::Loaded);

    EXPECT_EQ(h.store.getSetting(QStringLiteral("Line0"), QStringLiteral("Param1")), QStringLiteral("6500"));
    EXPECT_EQ(h.store.getSetting(QStringLiteral("Line0"), QStringLiteral("Calls")), QStringLiteral("32665"));
    EXPECT_EQ(h.store.getSetting(QStringLiteral("Modem"), QStringLiteral("Line0")),
              QStringLiteral("New Modem  [28]"));
    EXPECT_EQ(h.journal(), QStringLiteral("Modem@Line0@New Modem  [28]\r\n"));
    EXPECT_EQ(h.store.getSetting(QStringLiteral("Line1"), QStringLiteral("Param1")), QStringLiteral("7300"));
    // Lines without a setup dialog answer are left alone.
    EXPECT_FALSE(h.store.contains(QStringLiteral("Modem"), QStringLiteral("Line2")));

    // Line control gets the reset interval; an unchanged line keeps its learned one.
    h.store.saveSetting(QStringLiteral("Modem"), QStringLiteral("Line0"), QStringLiteral("Old Modem  [28]"));
    h.store.saveSetting(QStringLiteral("Line0"), QStringLiteral("Param1"), QStringLiteral("7200"));
    RingIntervalParts parts;
    parts.deviceText = h.parts.deviceText;
    app::AppServices services = withParts(h.services, parts);
    MainWindowLoader loader(services);
    loader.loadRingIntervals();
    EXPECT_EQ(parts.intervals[0][0], 7200);
    loader.checkDeviceChanges();
    EXPECT_EQ(parts.intervals[0][0], 6500);
    EXPECT_EQ(parts.intervals[1][0], 7300);
}

TEST_F(LoadSequenceTest, DetectorSettingsAreSnapshotOnceWithTheirDefaults)
{
    setRecordingsFolder();
    ASSERT_EQ(load(), LoadResult::Loaded);
    EXPECT_EQ(h.state.detector, (app::DetectorSettings{0, 800, 5, 0, 0}));

    AppHarness other;
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"), QStringLiteral("/x/"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Silence"), QStringLiteral("1"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SilenceLevel"), QStringLiteral("300x"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SilenceD"), QStringLiteral("?"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("FBS"), QStringLiteral("1"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Country"), QStringLiteral("3"));
    frmMain otherWindow(other.services);
    ASSERT_EQ(MainWindowLoader(other.services).run(otherWindow), LoadResult::Loaded);
    EXPECT_EQ(other.state.detector, (app::DetectorSettings{1, 300, 0, 1, 3}));
    // Read once: a later change does not reach the snapshot.
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Country"), QStringLiteral("1"));
    EXPECT_EQ(other.state.detector.country, 3);
}

TEST_F(LoadSequenceTest, StoredTickedBoxesAreSavedAgainButDefaultTicksAreNotWritten)
{
    setRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Legal"), QStringLiteral("1"));
    ASSERT_EQ(load(), LoadResult::Loaded);
    EXPECT_TRUE(window.chkLegal->isChecked());
    EXPECT_TRUE(window.chkRingCount->isChecked());
    EXPECT_EQ(h.journal(), QStringLiteral("Config@Legal@1\r\n"));
    EXPECT_FALSE(h.store.contains(QStringLiteral("Config"), QStringLiteral("RingCount")));
    EXPECT_EQ(window.chkLegal->toolTip(), QStringLiteral("Play Legal Message Before Recording"));
    EXPECT_EQ(window.lblRingCount->text(), QStringLiteral("Display Ring Count For Incoming Calls"));

    AppHarness other;
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"), QStringLiteral("/x/"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("RingCount"), QStringLiteral("1"));
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Legal"), QStringLiteral("0"));
    frmMain otherWindow(other.services);
    ASSERT_EQ(MainWindowLoader(other.services).run(otherWindow), LoadResult::Loaded);
    EXPECT_TRUE(otherWindow.chkRingCount->isChecked());
    EXPECT_FALSE(otherWindow.chkLegal->isChecked());
    EXPECT_EQ(other.journal(), QStringLiteral("Config@RingCount@1\r\n"));

    AppHarness off;
    off.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"), QStringLiteral("/x/"));
    off.store.saveSetting(QStringLiteral("Config"), QStringLiteral("RingCount"), QStringLiteral("0"));
    frmMain offWindow(off.services);
    ASSERT_EQ(MainWindowLoader(off.services).run(offWindow), LoadResult::Loaded);
    EXPECT_FALSE(offWindow.chkRingCount->isChecked());
    EXPECT_TRUE(off.journal().isEmpty());
}

TEST_F(LoadSequenceTest, RingRulesFailureIsIgnoredAndTheLoadGoesOn)
{
    setRecordingsFolder();
    h.parts.ringRulesThrow = true;
    ASSERT_EQ(load(), LoadResult::Loaded);
    EXPECT_EQ(h.log.calls.last(), QStringLiteral("loadBlockList"));
}

TEST_F(LoadSequenceTest, UnwritableProgramFolderDoesNotStopTheLoad)
{
    setRecordingsFolder();
    // Steps.txt cannot be created where a folder of that name stands.
    QDir().mkpath(h.programFolder() + QStringLiteral("/Steps.txt"));
    ASSERT_EQ(load(), LoadResult::Loaded);
    EXPECT_EQ(h.log.calls.last(), QStringLiteral("loadBlockList"));
}

} // namespace
} // namespace qlnrec::test
