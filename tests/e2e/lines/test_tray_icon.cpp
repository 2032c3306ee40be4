// The program minimised to the desktop's notification area, in a whole run: the window hides
// behind the icon; a right click records the call in progress on the telephone set while the
// window stays hidden; a left click brings the window back; with no notification area the window
// stays in the task bar and the user is told once; the icon goes at shutdown.
#include "tests/e2e/program_rig.h"

#include "app/tray_icon.h"
#include "phonebook/dialer.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using platform::TrayClick;

TEST(TrayIcon, HidesTheWindowARightClickRecordsTheCallInProgressALeftClickBringsItBack)
{
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.configureLines({0});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    app::frmMain& window = *rig.window();
    window.show();
    rig.run(0);

    window.showMinimized();
    rig.run(0);
    EXPECT_TRUE(rig.shell.trayIconShown());
    EXPECT_EQ(rig.shell.trayTip(), QStringLiteral("Quillon Recorder - Right Click To Record Outgoing Call"));
    EXPECT_FALSE(window.isVisible());

    // A double click does nothing; a right click joins the call dialled on the telephone set.
    rig.shell.clickTray(TrayClick::Double);
    rig.run(500);
    EXPECT_FALSE(rig.sim(0).offHook());
    rig.shell.clickTray(TrayClick::Right);
    rig.run(2000);
    EXPECT_TRUE(rig.sim(0).offHook());
    EXPECT_TRUE(rig.program->dialer().calling());
    EXPECT_EQ(rig.slot(0).recordState, telephony::kAwaitingReply);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(rig.shell.trayIconShown());
    rig.program->dialer().drop();
    rig.run(2000);
    EXPECT_FALSE(rig.sim(0).offHook());

    rig.shell.clickTray(TrayClick::Left);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(rig.shell.trayIconShown());

    // No notification area: the window must stay reachable, and the user hears why once.
    rig.shell.trayAvailableAnswer = false;
    const QString why =
        QStringLiteral("This desktop has no notification area: the minimised window stays in the task bar");
    for (int i = 0; i < 2; ++i) {
        window.showMinimized();
        rig.run(0);
        EXPECT_TRUE(window.isVisible());
        window.showNormal();
    }
    EXPECT_EQ(rig.statusTexts().count(why), 1);
    EXPECT_FALSE(rig.shell.trayIconShown());

    // Minimised at shutdown: the icon goes with the program.
    rig.shell.trayAvailableAnswer = true;
    window.showMinimized();
    ASSERT_TRUE(rig.shell.trayIconShown());
    window.cmdExit->click();
    EXPECT_FALSE(rig.shell.trayIconShown());
}

} // namespace
} // namespace qlnrec::test
