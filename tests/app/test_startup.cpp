// The start-up routine: one copy only, the language and splash, the first start, the what's-new
// window, and the orderly shutdown.
#include "app/forms/frm_main.h"
#include "app/forms/frm_splash.h"
#include "app/single_instance.h"
#include "app/startup_routine.h"
#include "app_harness.h"

#include <QFileInfo>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::SingleInstanceGuard;
using app::StartupRoutine;
using Outcome = app::StartupRoutine::Outcome;

class StartupTest : public ::testing::Test {
protected:
    QString lockPath() const { return h.home.path(QStringLiteral("qlnrec.lock")); }
    void storeRecordingsFolder()
    {
        h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("SaveFile"),
                            h.programFolder() + QStringLiteral("/waveFiles/"));
    }

    AppHarness h;
    SingleInstanceGuard guard{lockPath()};
    StartupRoutine startup{h.services};
};

TEST_F(StartupTest, FirstStartStoresEnglishAndGoesStraightToTheMainWindow)
{
    ASSERT_EQ(startup.start(guard), Outcome::MainWindow);
    EXPECT_EQ(startup.splash(), nullptr);
    ASSERT_NE(startup.mainWindow(), nullptr);
    EXPECT_TRUE(startup.mainWindow()->isVisible());
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("Language")), QStringLiteral("0"));
    EXPECT_TRUE(h.journal().startsWith(QStringLiteral("Config@Language@0\r\n")));
    EXPECT_EQ(h.strings.languageOffset(), 0);
    EXPECT_LT(h.indexOf(QStringLiteral("frmTip")), h.indexOf(QStringLiteral("showSetupModal")));
    EXPECT_LT(h.indexOf(QStringLiteral("showSetupModal")), h.indexOf(QStringLiteral("loadRecordingLists")));
    EXPECT_TRUE(startup.mainWindow()->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(startup.mainWindow()->mask().isEmpty());
}

TEST_F(StartupTest, ExitInTheDisclaimerEndsWithOnlyLanguageAndProgramFolderStored)
{
    h.windows.disclaimer = app::DisclaimerChoice::Exit;
    EXPECT_EQ(startup.start(guard), Outcome::Ended);
    EXPECT_EQ(h.storedKeys(),
              (QStringList{QStringLiteral("Config/Language"), QStringLiteral("Config/QlnPath")}));
    EXPECT_EQ(h.journal(), QStringLiteral("Config@Language@0\r\n"));
    EXPECT_EQ(h.programEnds, 1);
    EXPECT_EQ(h.count(QStringLiteral("showSetupModal")), 0);
    EXPECT_EQ(h.count(QStringLiteral("closeLines")), 1);
    EXPECT_FALSE(h.statusLog.isOpen());
    EXPECT_FALSE(startup.mainWindow() && startup.mainWindow()->isVisible());
}

TEST_F(StartupTest, StoredLanguageShowsTheSplashForTwoAndAHalfSeconds)
{
    storeRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("2"));
    ASSERT_EQ(startup.start(guard), Outcome::Splash);
    ASSERT_NE(startup.splash(), nullptr);
    EXPECT_TRUE(startup.splash()->isVisible());
    EXPECT_EQ(h.strings.languageOffset(), 2000);

    h.events.advance(2499);
    EXPECT_EQ(startup.mainWindow(), nullptr);
    h.events.advance(1);
    ASSERT_NE(startup.mainWindow(), nullptr);
    EXPECT_TRUE(startup.mainWindow()->isVisible());
    EXPECT_FALSE(startup.splash()->isVisible());
    EXPECT_EQ(startup.mainWindow()->cmdParam->text(), core::Strings::resource(3009));
    EXPECT_EQ(h.count(QStringLiteral("frmTip")), 0);
    EXPECT_FALSE(h.journal().contains(QStringLiteral("Language")));
}

TEST_F(StartupTest, UnreadableLanguageKeepsEnglishAndOverrideWinsForThisRunOnly)
{
    storeRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("abc"));
    ASSERT_EQ(startup.start(guard), Outcome::Splash);
    EXPECT_EQ(h.strings.languageOffset(), 0);

    AppHarness other;
    other.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("0"));
    SingleInstanceGuard otherGuard(other.home.path(QStringLiteral("lock")));
    StartupRoutine otherStartup(other.services);
    ASSERT_EQ(otherStartup.start(otherGuard, QStringLiteral("1")), Outcome::Splash);
    EXPECT_EQ(other.strings.languageOffset(), 1000);
    EXPECT_EQ(other.config.getSetting(QStringLiteral("Config"), QStringLiteral("Language")),
              QStringLiteral("0"));
}

TEST_F(StartupTest, WhatsNewAppearsOnceThreeSecondsAfterTheLoad)
{
    ASSERT_EQ(startup.start(guard), Outcome::MainWindow);
    h.events.advance(2999);
    EXPECT_EQ(h.count(QStringLiteral("frmWhatsNew")), 0);
    h.events.advance(1);
    EXPECT_EQ(h.count(QStringLiteral("frmWhatsNew")), 1);
    h.events.advance(60000);
    EXPECT_EQ(h.count(QStringLiteral("frmWhatsNew")), 1);
    EXPECT_FALSE(startup.mainWindow()->Timer7.isEnabled());
}

TEST_F(StartupTest, TheDemonstrationShowsNoWhatsNew)
{
    h.state.demonstration = true;
    ASSERT_EQ(startup.start(guard), Outcome::MainWindow);
    h.events.advance(60000);
    EXPECT_EQ(h.count(QStringLiteral("frmWhatsNew")), 0);
}

TEST_F(StartupTest, MinimiseOnStartShowsTheWindowMinimised)
{
    storeRecordingsFolder();
    h.parts.minimise = true;
    ASSERT_EQ(startup.start(guard), Outcome::MainWindow);
    EXPECT_TRUE(startup.mainWindow()->windowState().testFlag(Qt::WindowMinimized));
    EXPECT_TRUE(h.state.minimizeOnStart);
}

TEST_F(StartupTest, ClosingTheWindowShutsDownInOrderWithoutWritingSettings)
{
    storeRecordingsFolder();
    ASSERT_EQ(startup.start(guard), Outcome::MainWindow);
    h.statusLog.addStatusLine(QStringLiteral("Line0 is ready"));
    const QByteArray settingsBefore = h.settingsFileBytes();
    const QString journalBefore = h.journal();
    bool logOpenAtCloseLines = true;
    h.log.onCall = [&](const QString& name) {
        if (name == QStringLiteral("closeLines")) {
            logOpenAtCloseLines = h.statusLog.isOpen();
        }
    };
    h.log.calls.clear();

    startup.mainWindow()->cmdExit->click();
    EXPECT_EQ(h.log.calls, (QStringList{QStringLiteral("finishRecordings"), QStringLiteral("closeMedia"),
                                        QStringLiteral("closeLines")}));
    EXPECT_FALSE(logOpenAtCloseLines);
    EXPECT_FALSE(h.statusLog.timLog().isEnabled());
    EXPECT_FALSE(startup.mainWindow()->hasWindowRegion());
    EXPECT_FALSE(startup.mainWindow()->isVisible());
    EXPECT_EQ(h.programEnds, 1);
    EXPECT_EQ(h.settingsFileBytes(), settingsBefore);
    EXPECT_EQ(h.journal(), journalBefore);
    EXPECT_TRUE(readFile(h.programFolder() + QStringLiteral("/LogFiles/26-12-07.txt"))
                    .endsWith("Line0 is ready 14:05:09\r\n"));
    // The what's-new timer died with the window.
    h.events.advance(10000);
    EXPECT_EQ(h.count(QStringLiteral("frmWhatsNew")), 0);
}

TEST_F(StartupTest, ShutdownRequestDuringTheSplashEndsWithoutAMainWindow)
{
    storeRecordingsFolder();
    h.store.saveSetting(QStringLiteral("Config"), QStringLiteral("Language"), QStringLiteral("0"));
    ASSERT_EQ(startup.start(guard), Outcome::Splash);
    startup.requestShutdown();
    EXPECT_EQ(h.programEnds, 1);
    h.events.advance(5000);
    EXPECT_EQ(startup.mainWindow(), nullptr);
    startup.requestShutdown();
    EXPECT_EQ(h.programEnds, 1);
}

TEST_F(StartupTest, SecondCopyIsRefusedAndTheFirstKeepsItsLock)
{
    SingleInstanceGuard first(lockPath());
    ASSERT_TRUE(first.tryAcquire());

    EXPECT_EQ(startup.start(guard), Outcome::AlreadyRunning);
    const auto boxes = h.dialogs.messages();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Quillon Is Already Running"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("Quillon"));
    EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(startup.mainWindow(), nullptr);
    EXPECT_EQ(startup.splash(), nullptr);
    EXPECT_TRUE(h.storedKeys().isEmpty());
    EXPECT_TRUE(h.log.calls.isEmpty());

    EXPECT_TRUE(first.isHeld());
    EXPECT_TRUE(QFileInfo::exists(lockPath()));
    first.release();
    EXPECT_TRUE(guard.tryAcquire());
}

TEST(SingleInstanceLock, KeyedByApplicationAndSettingsFile)
{
    const QString a =
        SingleInstanceGuard::lockPathFor(QStringLiteral("/run/user/1000/qlnrec/"), QStringLiteral("qlnrec"),
                                         QStringLiteral("/home/u/.config/qlnrec/qlnrec.conf"));
    EXPECT_TRUE(a.startsWith(QStringLiteral("/run/user/1000/qlnrec/qlnrec-")));
    EXPECT_TRUE(a.endsWith(QStringLiteral(".lock")));
    EXPECT_EQ(a, SingleInstanceGuard::lockPathFor(QStringLiteral("/run/user/1000/qlnrec/"),
                                                  QStringLiteral("qlnrec"),
                                                  QStringLiteral("/home/u/.config/qlnrec/qlnrec.conf")));
    EXPECT_NE(a, SingleInstanceGuard::lockPathFor(QStringLiteral("/run/user/1000/qlnrec/"),
                                                  QStringLiteral("qlnrec"),
                                                  QStringLiteral("/tmp/test/qlnrec.conf")));
    EXPECT_NE(a, SingleInstanceGuard::lockPathFor(QStringLiteral("/run/user/1000/qlnrec/"),
                                                  QStringLiteral("other"),
                                                  QStringLiteral("/home/u/.config/qlnrec/qlnrec.conf")));
}

} // namespace
} // namespace qlnrec::test
