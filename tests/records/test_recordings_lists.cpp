// The two recordings lists: capacity, stored keys, loading with gaps, selection, the user's
// operations (delete, rename, play, mark as read) and the widgets that show them.
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "records/recordings_lists.h"
#include "tests/support/temp_home.h"
#include "ui/records/recordings_lists_binder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace qlnrec;
using records::RecordingLists;

namespace {

class ListsTest : public ::testing::Test {
protected:
    test::TempHome home;
    platform::SettingsStore store{QStringLiteral("qlnrec"), home.configFile()};
    core::ConfigStore config{store, home.programFolder()};
    platform::ScriptedDialogService dialogs;
    core::Strings strings;
    QString folder = home.path(QStringLiteral("rec/"));
    std::unique_ptr<RecordingLists> lists;
    int plays = 0;
    QStringList shown;

    void SetUp() override
    {
        QDir().mkpath(folder);
        QDir().mkpath(home.programFolder());
        lists = std::make_unique<RecordingLists>(config, dialogs, strings, folder);
        lists->pressPlay = [this] { ++plays; };
        lists->showSelection = [this](const QString& name) { shown << name; };
    }
    QString file(const QString& name)
    {
        test::writeFile(folder + name, "RIFF....");
        return name;
    }
    QString stored(const QString& section, int i) const
    {
        return store.getSetting(section, RecordingLists::slotKey(i));
    }
};

} // namespace

TEST_F(ListsTest, FinishedRecordingsGoToTheListOfTheirKindAndAreStored)
{
    lists->AddFinishedRecording(file("A~L 0~1.wav"));
    lists->AddFinishedRecording(file("M~L 1~2.wav"));
    lists->AddFinishedRecording(file("O~L 2~3.wav"));
    lists->AddFinishedRecording("A~L 0~missing.wav"); // no file: not listed
    EXPECT_EQ(lists->unread(), QStringList{"A~L 0~1.wav"});
    EXPECT_EQ(lists->recent(), (QStringList{"M~L 1~2.wav", "O~L 2~3.wav"}));
    EXPECT_EQ(stored("Data", 0), "M~L 1~2.wav");
    EXPECT_EQ(stored("Data", 1), "O~L 2~3.wav");
    EXPECT_EQ(stored("DataUnread", 0), "A~L 0~1.wav");
    for (int i = 2; i < 50; ++i) {
        ASSERT_TRUE(store.contains("Data", RecordingLists::slotKey(i))) << i;
        EXPECT_EQ(stored("Data", i), "");
    }
    EXPECT_TRUE(store.contains("DataUnread", " 49"));
    // The keys carry one leading blank; nothing was journaled for these sections.
    EXPECT_EQ(RecordingLists::slotKey(0), " 0");
    EXPECT_EQ(RecordingLists::slotKey(49), " 49");
    EXPECT_FALSE(QFile::exists(config.journalPath()));
    // The newest entry of each list is selected; the list whose selection moved last holds the
    // selection.
    EXPECT_EQ(lists->recentSelected(), 1);
    EXPECT_EQ(lists->unreadSelected(), 0);
    EXPECT_EQ(lists->selectedRecording(), "O~L 2~3.wav");
    EXPECT_FALSE(lists->selectedFromUnread());
}

TEST_F(ListsTest, TheFiftyFirstEntryDropsTheOldest)
{
    for (int i = 0; i < 51; ++i) {
        lists->AddFinishedRecording(file(QString("M~%1.wav").arg(i, 2, 10, QChar('0'))));
    }
    ASSERT_EQ(lists->recent().size(), 50);
    EXPECT_EQ(lists->recent().first(), "M~01.wav");
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(stored("Data", i), QString("M~%1.wav").arg(i + 1, 2, 10, QChar('0')));
    }
    EXPECT_EQ(lists->selectedRecording(), "M~50.wav");
}

TEST_F(ListsTest, LoadingClosesGapsAndSelectsTheLastEntries)
{
    store.saveSetting("Data", " 0", "M~a.wav");
    store.saveSetting("Data", " 1", "");
    store.saveSetting("Data", " 2", "M~c.wav");
    store.saveSetting("Data", " 7", "M~h.wav");
    store.saveSetting("DataUnread", " 3", "A~x.wav");
    lists->LoadRecordingLists();
    EXPECT_EQ(lists->recent(), (QStringList{"M~a.wav", "M~c.wav", "M~h.wav"}));
    EXPECT_EQ(lists->unread(), QStringList{"A~x.wav"});
    EXPECT_EQ(lists->recentSelected(), 2);
    EXPECT_EQ(lists->unreadSelected(), 0);
    EXPECT_EQ(lists->selectedRecording(), "A~x.wav");
    EXPECT_EQ(shown.last(), "A~x.wav");
    // A list with three entries writes " 0".." 2" and empties " 3".." 49" at the next save.
    lists->SaveRecordingLists();
    EXPECT_EQ(stored("Data", 1), "M~c.wav");
    EXPECT_EQ(stored("Data", 2), "M~h.wav");
    EXPECT_EQ(stored("Data", 7), "");
    EXPECT_EQ(stored("DataUnread", 0), "A~x.wav");
    EXPECT_EQ(stored("DataUnread", 3), "");
}

TEST_F(ListsTest, ClicksSelectAndDoubleClicksPlay)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("M~2.wav"));
    lists->AddFinishedRecording(file("A~3.wav"));
    lists->clickRecent(0);
    EXPECT_EQ(lists->selectedRecording(), "M~1.wav");
    EXPECT_FALSE(lists->selectedFromUnread());
    EXPECT_EQ(shown.last(), "M~1.wav");
    lists->doubleClickUnread(0);
    EXPECT_EQ(lists->selectedRecording(), "A~3.wav");
    EXPECT_TRUE(lists->selectedFromUnread());
    EXPECT_EQ(plays, 1);
    lists->playRecent(); // the recent list's selected entry, as recent
    EXPECT_EQ(lists->selectedRecording(), "M~1.wav");
    EXPECT_FALSE(lists->selectedFromUnread());
    EXPECT_EQ(plays, 2);
    lists->clickRecent(7); // no such row
    EXPECT_EQ(lists->selectedRecording(), "M~1.wav");
}

TEST_F(ListsTest, DeletingLeavesTheFileAndSavesTheList)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("M~2.wav"));
    lists->AddFinishedRecording(file("A~3.wav"));
    lists->clickRecent(0);
    lists->deleteRecent();
    EXPECT_EQ(lists->recent(), QStringList{"M~2.wav"});
    EXPECT_TRUE(QFile::exists(folder + "M~1.wav"));
    EXPECT_EQ(stored("Data", 0), "M~2.wav");
    EXPECT_EQ(stored("Data", 1), "");
    lists->clickUnread(0);
    lists->deleteUnread();
    EXPECT_TRUE(lists->unread().isEmpty());
    EXPECT_EQ(stored("DataUnread", 0), "");
    EXPECT_TRUE(QFile::exists(folder + "A~3.wav"));
    lists->deleteUnread(); // nothing selected: nothing happens
}

TEST_F(ListsTest, PlayingAnUnreadEntryMovesItToTheEndOfTheRecentList)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("A~2.wav"));
    lists->AddFinishedRecording(file("A~3.wav"));
    lists->clickUnread(0);
    lists->markSelectedAsRead();
    EXPECT_EQ(lists->recent(), (QStringList{"M~1.wav", "A~2.wav"}));
    EXPECT_EQ(lists->unread(), QStringList{"A~3.wav"});
    EXPECT_EQ(stored("Data", 1), "A~2.wav");
    EXPECT_EQ(stored("DataUnread", 0), "A~3.wav");
    EXPECT_EQ(stored("DataUnread", 1), "");
    // A selection from the recent list is not moved.
    lists->clickRecent(0);
    lists->markSelectedAsRead();
    EXPECT_EQ(lists->unread(), QStringList{"A~3.wav"});
}

TEST_F(ListsTest, RenameAppendsWavAndRenamesTheFile)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("M~2.wav"));
    lists->clickRecent(0);
    dialogs.queueText(QString("Mother"));
    lists->renameRecent();
    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].text, "Please Input New File Name");
    EXPECT_EQ(dialogs.requests()[0].title, "Rename File");
    EXPECT_EQ(lists->recent(), (QStringList{"Mother.wav", "M~2.wav"}));
    EXPECT_TRUE(QFile::exists(folder + "Mother.wav"));
    EXPECT_FALSE(QFile::exists(folder + "M~1.wav"));
    EXPECT_EQ(stored("Data", 0), "Mother.wav");

    // A name that ends in ".wav" in any letter case is used as typed.
    lists->clickRecent(1);
    dialogs.queueText(QString("Boss.WAV"));
    lists->renameRecent();
    EXPECT_EQ(lists->recent().at(1), "Boss.WAV");
    EXPECT_TRUE(QFile::exists(folder + "Boss.WAV"));

    // Cancel and an empty answer change nothing.
    dialogs.queueText(std::nullopt);
    lists->renameRecent();
    dialogs.queueText(QString());
    lists->renameRecent();
    EXPECT_EQ(lists->recent(), (QStringList{"Mother.wav", "Boss.WAV"}));
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(ListsTest, RenameFailuresShowTheErrorAndChangeNothing)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("M~2.wav"));
    QDir().mkpath(home.path("outside"));
    const auto attempt = [&](int row, const QString& answer) {
        lists->clickRecent(row);
        dialogs.clear();
        dialogs.queueText(answer);
        lists->renameRecent();
        const auto boxes = dialogs.messages();
        return boxes.empty() ? QString() : boxes[0].text + "|" + boxes[0].title;
    };
    // A name that is taken.
    EXPECT_EQ(attempt(0, "M~2.wav"), "Error:File already exists|Quillon Recorder");
    // A name with a folder part must not move the file out of the recordings folder.
    EXPECT_EQ(attempt(0, "../outside/stolen"), "Error:Bad file name or number|Quillon Recorder");
    EXPECT_FALSE(QFile::exists(home.path("outside/stolen.wav")));
    // The file has gone.
    QFile::remove(folder + "M~2.wav");
    EXPECT_EQ(attempt(1, "new"), "Error:File not found|Quillon Recorder");
    EXPECT_EQ(dialogs.messages()[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(lists->recent(), (QStringList{"M~1.wav", "M~2.wav"}));
    EXPECT_TRUE(QFile::exists(folder + "M~1.wav"));
}

TEST_F(ListsTest, EmptyingClearsListsAndKeys)
{
    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("A~2.wav"));
    lists->emptyLists();
    EXPECT_TRUE(lists->recent().isEmpty());
    EXPECT_TRUE(lists->unread().isEmpty());
    EXPECT_EQ(stored("Data", 0), "");
    EXPECT_EQ(stored("DataUnread", 0), "");
}

TEST_F(ListsTest, WidgetsFollowTheListsAndTheMenusActOnTheSelection)
{
    QWidget window;
    auto* recent = new QListWidget(&window);
    auto* unread = new QListWidget(&window);
    auto* label = new QLabel(&window);
    records::RecordingListsBinder binder(*lists, recent, unread, label);
    QMenu* popped = nullptr;
    binder.popup = [&](QMenu* menu, const QPoint&) { popped = menu; };
    QString mailed;
    lists->mailTo = [&](const QString& name) { mailed = name; };
    int playAll = 0;
    lists->startPlayAll = [&] { ++playAll; };

    lists->AddFinishedRecording(file("M~1.wav"));
    lists->AddFinishedRecording(file("M~2.wav"));
    lists->AddFinishedRecording(file("A~3.wav"));
    ASSERT_EQ(recent->count(), 2);
    ASSERT_EQ(unread->count(), 1);
    EXPECT_EQ(recent->item(1)->text(), "M~2.wav");
    EXPECT_EQ(label->text(), "A~3.wav");

    emit recent->itemClicked(recent->item(0));
    EXPECT_EQ(label->text(), "M~1.wav");
    emit recent->customContextMenuRequested(recent->visualItemRect(recent->item(1)).center());
    EXPECT_EQ(popped, binder.mmuFile);
    EXPECT_EQ(lists->selectedRecording(), "M~2.wav");
    binder.mmumailto->trigger();
    EXPECT_EQ(mailed, "M~2.wav");
    binder.mmuDelete->trigger();
    EXPECT_EQ(recent->count(), 1);

    emit unread->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(popped, binder.mmuFile1);
    binder.mmuPlayAll->trigger();
    EXPECT_EQ(playAll, 1);
    emit unread->itemDoubleClicked(unread->item(0));
    EXPECT_EQ(plays, 1);
    EXPECT_TRUE(lists->selectedFromUnread());
    // A busy pointer left by some other window goes back to normal over the recent list.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(recent->viewport(), &move);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QStringList names;
    for (QAction* a : binder.mmuFile->actions()) {
        names << a->text();
    }
    EXPECT_EQ(names, (QStringList{"Play", "Mail To...", "Delete", "Rename"}));
}

TEST(SettingsBatch, WritesTheFileOnceWhenTheOutermostBatchEnds)
{
    test::TempHome home;
    platform::SettingsStore store(QStringLiteral("qlnrec"), home.configFile());
    store.saveSetting("Data", " 0", "before");
    store.beginBatch();
    store.beginBatch();
    store.saveSetting("Data", " 0", "a");
    store.saveSetting("DataUnread", " 1", "b");
    EXPECT_EQ(store.getSetting("Data", " 0"), "a"); // visible at once in this process
    store.endBatch();
    EXPECT_FALSE(test::readFile(home.configFile()).contains("DataUnread"));
    store.endBatch();
    store.endBatch(); // an extra end is harmless
    platform::SettingsStore reread(QStringLiteral("qlnrec"), home.configFile());
    EXPECT_EQ(reread.getSetting("Data", " 0"), "a");
    EXPECT_EQ(reread.getSetting("DataUnread", " 1"), "b");
    store.saveSetting("Data", " 2", "c"); // back to one write per save
    platform::SettingsStore again(QStringLiteral("qlnrec"), home.configFile());
    EXPECT_EQ(again.getSetting("Data", " 2"), "c");
}
