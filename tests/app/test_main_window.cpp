// The main window's own behaviours: keys, image labels, list enlargement, option boxes.
#include "app/forms/frm_main.h"
#include "app/forms/image_label.h"
#include "app_harness.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::frmMain;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : window(h.services) { window.setCaptionsAndTips(h.strings); }
    AppHarness h;
    frmMain window;
};

TEST_F(MainWindowTest, LowerCaseDOpensTheDialerAndUpperCaseDoesNothing)
{
    sendKey(&window, Qt::Key_D, QStringLiteral("D"), Qt::ShiftModifier);
    EXPECT_EQ(h.count(QStringLiteral("openDialer")), 0);
    sendKey(&window, Qt::Key_D, QStringLiteral("d"));
    EXPECT_EQ(h.count(QStringLiteral("openDialer")), 1);

    // Also while a list has the focus: the key is the window's, not a search in the list.
    window.lstStatus->addItem(QStringLiteral("dial tone"));
    window.lstStatus->addItem(QStringLiteral("ring"));
    window.lstStatus->setCurrentRow(1);
    sendKey(window.lstStatus, Qt::Key_D, QStringLiteral("d"));
    EXPECT_EQ(h.count(QStringLiteral("openDialer")), 2);
    EXPECT_EQ(window.lstStatus->currentRow(), 1);
    sendKey(window.lstStatus, Qt::Key_D, QStringLiteral("D"), Qt::ShiftModifier);
    EXPECT_EQ(h.count(QStringLiteral("openDialer")), 2);
}

TEST_F(MainWindowTest, ImageLabelsPressTheirCommandButtons)
{
    const std::pair<app::ImageLabel*, const char*> forwards[] = {
        {window.lblSetup, "openSetup"},
        {window.lblLog, "openLogViewer"},
        {window.lblBackup, "openBackup"},
        {window.lblHelp, "openHelp"},
        {window.lblSearch, "browseWaveFiles"},
        {window.lblPlay, "play"},
        {window.lblStop, "stop"},
        {window.lblPause, "pause"},
        {window.lblSpeaker, "openVolumeControl"},
    };
    for (const auto& [label, command] : forwards) {
        h.log.calls.clear();
        sendClick(label);
        EXPECT_EQ(h.log.calls, QStringList{QLatin1String(command)}) << command;
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << command;
    }

    // A press that is released outside the label is no click.
    h.log.calls.clear();
    sendPress(window.lblSetup, Qt::LeftButton);
    sendRelease(window.lblSetup, Qt::LeftButton, QPoint(-20, -20));
    EXPECT_TRUE(h.log.calls.isEmpty());

    // Pause only while its button is enabled.
    window.cmdPause->setEnabled(false);
    sendClick(window.lblPause);
    EXPECT_TRUE(h.log.calls.isEmpty());
}

TEST_F(MainWindowTest, DialLabelLeftButtonOpensTheDialerRightButtonQuickDials)
{
    sendPress(window.lblDial, Qt::LeftButton);
    sendRelease(window.lblDial, Qt::LeftButton);
    EXPECT_EQ(h.log.calls, QStringList{QStringLiteral("openDialer")});
    h.log.calls.clear();
    sendPress(window.lblDial, Qt::RightButton);
    sendRelease(window.lblDial, Qt::RightButton);
    EXPECT_EQ(h.log.calls, QStringList{QStringLiteral("quickDial")});
}

TEST_F(MainWindowTest, ExitLabelRunsTheShutdownOnce)
{
    window.show();
    sendClick(window.lblExit);
    EXPECT_TRUE(h.lifecycle.shuttingDown);
    EXPECT_EQ(h.programEnds, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(h.log.calls, (QStringList{QStringLiteral("finishRecordings"), QStringLiteral("closeMedia"),
                                        QStringLiteral("closeLines")}));
    window.close();
    EXPECT_EQ(h.programEnds, 1);
}

TEST_F(MainWindowTest, TitleButtonEnlargesAListAndTheFreeAreaRestoresIt)
{
    window.show();
    window.Command2[app::kLastTenList]->click();
    EXPECT_EQ(window.lstLastTen->geometry(), QRect(35, 68, 536, 324));
    EXPECT_EQ(window.Command2[app::kLastTenList]->geometry(), QRect(35, 57, 536, 14));
    // Brought to the front: the point in the middle of the status list now hits the enlarged list.
    QWidget* hit = window.childAt(window.lstStatus->geometry().center());
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == window.lstLastTen || window.lstLastTen->isAncestorOf(hit));

    // Moving over a list or a button keeps the enlargement; the free body area ends it.
    sendMove(&window, QPoint(300, 200));
    EXPECT_TRUE(window.listLayout().isEnlarged());
    const QPoint freeArea(14, 250);
    ASSERT_EQ(window.childAt(freeArea), nullptr);
    sendMove(&window, freeArea);
    EXPECT_FALSE(window.listLayout().isEnlarged());
    EXPECT_EQ(window.lstLastTen->geometry(), QRect(35, 68, 297, 164));
    EXPECT_EQ(window.lstUnread->geometry(), QRect(35, 245, 298, 147));
    EXPECT_EQ(window.lstStatus->geometry(), QRect(337, 68, 233, 324));
    EXPECT_EQ(window.Command2[app::kStatusList]->geometry(), QRect(337, 57, 233, 14));

    window.Command2[app::kUnreadList]->click();
    EXPECT_EQ(window.lstUnread->geometry(), QRect(35, 68, 536, 329)); // 4930 twips high
}

TEST_F(MainWindowTest, OptionBoxClicksSaveTheirValueWithAJournalLine)
{
    window.chkLegal->click();
    window.chkRingCount->click();
    window.chkLegal->click();
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("Legal")), QStringLiteral("0"));
    EXPECT_EQ(h.config.getSetting(QStringLiteral("Config"), QStringLiteral("RingCount")),
              QStringLiteral("1"));
    EXPECT_EQ(h.journal(), QStringLiteral("Config@Legal@1\r\nConfig@RingCount@1\r\nConfig@Legal@0\r\n"));
}

TEST_F(MainWindowTest, CaptionsAndTipsFollowTheLanguageWhileLiteralTipsStayEnglish)
{
    EXPECT_EQ(window.cmdParam->text(), QStringLiteral("Setup"));
    EXPECT_EQ(window.cmdLog->text(), QStringLiteral("Log Files Management"));
    EXPECT_EQ(window.cmdDialOut->text(), QStringLiteral("Dial"));
    EXPECT_EQ(window.cmdBrows->toolTip(), QStringLiteral("Search Wave Files"));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Name:"));
    EXPECT_EQ(window.lblExit->toolTip(), QStringLiteral("Exit"));
    EXPECT_EQ(window.lblSetup->caption(), QStringLiteral("Setup"));
    EXPECT_EQ(window.lstStatus->toolTip(), QStringLiteral("Click the title button to enlarge this window"));
    EXPECT_EQ(window.Command2[app::kLastTenList]->text(),
              QStringLiteral("Last Fifty Records Handled Manaully"));
    EXPECT_EQ(window.lstLastTen->objectName(), QStringLiteral("lstLastTen"));

    const core::Strings traditional(core::Strings::kTraditionalChinese);
    window.setCaptionsAndTips(traditional);
    EXPECT_EQ(window.cmdParam->text(), core::Strings::resource(3009));
    EXPECT_FALSE(window.cmdParam->text().isEmpty());
    EXPECT_NE(window.cmdParam->text(), QStringLiteral("Setup"));
    EXPECT_EQ(window.lblSetup->toolTip(), core::Strings::resource(3009));
    EXPECT_EQ(window.lblMin->toolTip(), QStringLiteral("Hide to Systray"));
    EXPECT_EQ(window.lblDial->toolTip(), QStringLiteral("Right Click To Record An Existed Outgoing Call"));
}

TEST_F(MainWindowTest, StatusListFollowsTheLogAndSelectsTheNewestLine)
{
    window.attachStatusLog(h.statusLog);
    h.statusLog.openAtStart();
    h.statusLog.addStatusLine(QStringLiteral("Line0 is ready"));
    h.statusLog.addStatusLine(QStringLiteral("Line0 Ring..."));
    ASSERT_EQ(window.lstStatus->count(), 2);
    EXPECT_EQ(window.lstStatus->item(1)->text(), QStringLiteral("Line0 Ring... 14:05:09"));
    EXPECT_EQ(window.lstStatus->currentRow(), 1);
}

} // namespace
} // namespace qlnrec::test
