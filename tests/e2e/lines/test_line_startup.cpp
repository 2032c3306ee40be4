// Line control inside the program's start-up and shutdown: the ring timing read at start, the
// device change check, a telephony interface that cannot start, the first start's setup dialog
// and the closing of the lines.
#include "tests/e2e/program_rig.h"

#include "app/setup/frm_setup.h"
#include "app/shutdown.h"
#include "platform/telephony/telephony_service.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

const QString kConfig = QStringLiteral("Config");

TEST(LineStartup, RingTimingIsCappedAndADeviceChangeForgetsTheFirstInterval)
{
    ProgramRig rig(QStringLiteral("sim:2"));
    rig.configureLines({0, 1});
    rig.store(QStringLiteral("Line0"), QStringLiteral("Param1"), QStringLiteral("20000"));
    rig.store(QStringLiteral("Line0"), QStringLiteral("Param4"), QStringLiteral("7000"));
    rig.store(QStringLiteral("Modem"), QStringLiteral("Line0"),
              QStringLiteral("Simulated Voice Modem 1  [28]"));
    rig.store(QStringLiteral("Line1"), QStringLiteral("Param1"), QStringLiteral("9000"));
    rig.store(QStringLiteral("Line1"), QStringLiteral("Calls"), QStringLiteral("32700"));
    rig.store(QStringLiteral("Modem"), QStringLiteral("Line1"), QStringLiteral("An old modem  [28]"));
    QFile::remove(rig.config.journalPath());
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);

    telephony::LineSystem& lines = rig.program->lines();
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Param1")), QStringLiteral("13000"));
    EXPECT_EQ(rig.slot(0).ringInterval(1), 13000);
    EXPECT_EQ(rig.slot(0).ringInterval(4), 7000);
    EXPECT_EQ(telephony::LineTimers::at(lines.timers().Timer1, 0).interval(), 13000u);
    // Line 1 shows another device than last saved: its first interval and weight start again.
    EXPECT_EQ(rig.setting(QStringLiteral("Line1"), QStringLiteral("Param1")), QStringLiteral("6500"));
    EXPECT_EQ(rig.setting(QStringLiteral("Line1"), QStringLiteral("Calls")), QStringLiteral("32665"));
    EXPECT_EQ(rig.slot(1).ringInterval(1), 6500);
    EXPECT_EQ(rig.setting(QStringLiteral("Modem"), QStringLiteral("Line1")),
              QStringLiteral("Simulated Voice Modem 2  [28]"));
    const QString journal = QString::fromUtf8(readFile(rig.config.journalPath()));
    EXPECT_TRUE(journal.contains(QStringLiteral("Modem@Line1@Simulated Voice Modem 2  [28]\r\n")));
    EXPECT_FALSE(journal.contains(QStringLiteral("Modem@Line0@")));
    // Lines 2 and 3 have no device: their text is the "not detected" one.
    EXPECT_EQ(rig.setting(QStringLiteral("Modem"), QStringLiteral("Line2")),
              QStringLiteral("Not Detected Voice Modem Line"));
}

TEST(LineStartup, TheHiddenSetupDialogChoosesTheMediaModeAndCopiesTheSwitches)
{
    ProgramRig rig(QStringLiteral("sim:2"));
    platform::SimLineConfig automated = rig.sim(1).config();
    automated.mediaModes = 8 | 16;
    rig.sim(1).setConfig(automated);
    rig.configureLines({0, 1});
    rig.store(kConfig, QStringLiteral("MinOnStart"), QStringLiteral("1"));
    rig.store(kConfig, QStringLiteral("ActionMan"), QStringLiteral("1"));
    rig.store(kConfig, QStringLiteral("FBS"), QStringLiteral("1"));
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);

    const telephony::LineSystem& lines = rig.program->lines();
    EXPECT_EQ(lines.state().mediaMode[0], 4u);
    EXPECT_EQ(lines.state().mediaMode[1], 8u);
    EXPECT_NE(rig.slot(1).hLine, 0u);
    EXPECT_TRUE(rig.state.minimizeOnStart);
    EXPECT_EQ(lines.settings().answerManually, 1);
    EXPECT_EQ(lines.settings().fastBusySwitch, 1);
    EXPECT_TRUE(rig.program->setup().isLoaded());
    EXPECT_FALSE(rig.program->setup().form().isVisible());
}

TEST(LineStartup, ATelephonyInterfaceThatCannotStartEndsTheProgramAfterItsMessage)
{
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.configureLines({0});
    rig.platform->telephony().injectError(platform::TelephonyService::Operation::Initialize, std::nullopt,
                                          platform::LINEERR_NODRIVER);
    EXPECT_EQ(rig.start(), app::LoadResult::EndProgram);
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(
        rig.dialogs.messages()[0].text,
        QStringLiteral("Compatibility problem with your modem and TAPI (Windows),please contact your modem "
                       "provider"));
    EXPECT_TRUE(rig.lifecycle.shuttingDown);
    EXPECT_EQ(rig.lifecycle.exitCode, 1);
    EXPECT_EQ(rig.programEnds, 1);
    EXPECT_FALSE(rig.sim(0).isOpen());
    EXPECT_EQ(rig.modal.runCount(QStringLiteral("frmTip")), 0);
}

TEST(LineStartup, TheFirstStartShowsTheRealSetupDialogAndASaveEndsTheProgram)
{
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.modal.script(QStringLiteral("frmSetup"), [](QDialog& dialog) {
        auto& setup = static_cast<app::frmSetup&>(dialog);
        EXPECT_EQ(setup.txtLine[0]->text(), QStringLiteral("Simulated Voice Modem 1  [28]"));
        setup.Check1[0]->setChecked(true);
        setup.cmdSave->click();
    });
    EXPECT_EQ(rig.start(), app::LoadResult::EndProgram);
    EXPECT_EQ(rig.modal.runCount(QStringLiteral("frmTip")), 1);
    EXPECT_EQ(rig.setting(kConfig, QStringLiteral("Line0")), QStringLiteral("1"));
    EXPECT_EQ(rig.setting(kConfig, QStringLiteral("SaveFile")),
              rig.home.programFolder() + QStringLiteral("/waveFiles/"));
    EXPECT_EQ(rig.dialogs.messages().back().text, rig.strings.loadText(1081));
    EXPECT_FALSE(rig.sim(0).isOpen()); // the lines are opened at the next start
}

TEST(LineStartup, LeavingTheFirstSetupWithExitGoesOnWithoutLines)
{
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.modal.script(QStringLiteral("frmSetup"),
                     [](QDialog& dialog) { static_cast<app::frmSetup&>(dialog).cmdExit->click(); });
    EXPECT_EQ(rig.start(), app::LoadResult::Loaded);
    EXPECT_EQ(rig.setting(kConfig, QStringLiteral("SaveFile")), QString());
    EXPECT_EQ(rig.slot(0).hLine, 0u);
    EXPECT_TRUE(rig.statusTexts().isEmpty());
    EXPECT_TRUE(rig.program->setup().isLoaded()); // loaded again, hidden, at step 18
}

TEST(LineStartup, ShutdownClosesEveryLineAndStopsTheTimers)
{
    ProgramRig rig(QStringLiteral("sim:2"));
    rig.configureLines({0, 1});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    rig.sim(1).ring(1);
    rig.run(100);
    telephony::LineSystem& lines = rig.program->lines();
    ASSERT_TRUE(telephony::LineTimers::at(lines.timers().Timer1, 1).isEnabled());

    app::runShutdown(rig.services, rig.window());
    EXPECT_FALSE(rig.sim(0).isOpen());
    EXPECT_FALSE(rig.sim(1).isOpen());
    EXPECT_FALSE(telephony::LineTimers::at(lines.timers().Timer1, 1).isEnabled());
    EXPECT_FALSE(rig.program->setup().isLoaded());
    EXPECT_EQ(rig.programEnds, 1);
}

} // namespace
} // namespace qlnrec::test
