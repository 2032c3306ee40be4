#pragma once
// The main window's two lists of recordings, fifty names each, kept in the settings store: the
// recent list ("Data") for calls the user handled and the unread list ("DataUnread") for calls
// the program answered. A recording moves from the unread to the recent list when it is played.
//
// RecordingLists is the plain model with every operation the user has on the lists;
// RecordingListsBinder (ui/records) ties it to the window's list widgets, label and context menus.
#include "core/settings_table.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qlnrec::core {
class ConfigStore;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::records {

class RecordingLists {
public:
    static constexpr int kCapacity = core::kListSlotCount;

    // recordingsFolder ends in "/".
    RecordingLists(core::ConfigStore& config, platform::DialogService& dialogs, const core::Strings& strings,
                   QString recordingsFolder);

    // The store key of slot i: the index with one leading blank (" 0" .. " 49").
    static QString slotKey(int index);

    void LoadRecordingLists();
    // Lists a finished recording whose file exists: names beginning with "A" (answered by the
    // program) go to the unread list, others to the recent list.
    void AddFinishedRecording(const QString& name);
    // Drops the oldest entry of a list over capacity, saves, and selects the last entries.
    void UpdateRecordingLists();
    void SaveRecordingLists();
    // Clears both lists and every stored key (after a backup that moved the files away).
    void emptyLists();

    const QStringList& recent() const { return recent_; }
    const QStringList& unread() const { return unread_; }
    // Selected row of each list, -1 for none.
    int recentSelected() const { return recentSelected_; }
    int unreadSelected() const { return unreadSelected_; }
    const QString& selectedRecording() const { return selectedRecording_; }
    bool selectedFromUnread() const { return selectedFromUnread_; }
    const QString& recordingsFolder() const { return folder_; }

    // User operations.
    void clickRecent(int row);
    void clickUnread(int row);
    void doubleClickRecent(int row);
    void doubleClickUnread(int row);
    void playRecent();   // mmuPlay
    void playUnread();   // mmuPlay1
    void playAll();      // mmuPlayAll
    void deleteRecent(); // mmuDelete
    void deleteUnread(); // mmuDelete1
    void renameRecent(); // mmuRename
    void mailRecent();   // mmumailto

    // The player's hand-over after it started playing: when the selection came from the unread
    // list, its selected entry moves to the end of the recent list and both lists are saved.
    void markSelectedAsRead();

    // Where the lists reach the rest of the program; unset ones do nothing.
    std::function<void()> changed;                     // contents or selection changed
    std::function<void(const QString&)> showSelection; // lblFileName
    std::function<void()> pressPlay;                   // cmdPlay
    std::function<void()> startPlayAll;                // enables timPlayAll
    std::function<void(const QString& name)> mailTo;   // mail the recording

private:
    void select(QStringList& list, int& selected, int row, bool fromUnread);
    void notify();

    core::ConfigStore& config_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
    QString folder_;
    QStringList recent_;
    QStringList unread_;
    int recentSelected_ = -1;
    int unreadSelected_ = -1;
    QString selectedRecording_;
    bool selectedFromUnread_ = false;
};

} // namespace qlnrec::records
