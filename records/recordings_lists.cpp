#include "records/recordings_lists.h"

#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"

#include <QFileInfo>

namespace qlnrec::records {

namespace {

const QString kRenamePrompt = QStringLiteral("Please Input New File Name");
const QString kRenameTitle = QStringLiteral("Rename File");
const QString kErrorTitle = QStringLiteral("Quillon Recorder");
// "File not found", the table's own wording of it.
constexpr int kFileNotFoundId = 1002;

// Keeps a stored selection pointing at the same entry after row `removed` went away.
void afterRemoval(int& selected, int removed)
{
    if (selected == removed) {
        selected = -1;
    } else if (selected > removed) {
        --selected;
    }
}

} // namespace

RecordingLists::RecordingLists(core::ConfigStore& config, platform::DialogService& dialogs,
                               const core::Strings& strings, QString recordingsFolder)
    : config_(config), dialogs_(dialogs), strings_(strings), folder_(std::move(recordingsFolder))
{
}

QString RecordingLists::slotKey(int index)
{
    return core::listSlotKey(index);
}

void RecordingLists::notify()
{
    if (changed) {
        changed();
    }
}

void RecordingLists::LoadRecordingLists()
{
    recent_.clear();
    unread_.clear();
    recentSelected_ = unreadSelected_ = -1;
    for (int i = 0; i < kCapacity; ++i) {
        const QString name = config_.get(core::listEntry(core::ListSection::Recent, i));
        if (!name.isEmpty()) {
            recent_.append(name);
        }
    }
    for (int i = 0; i < kCapacity; ++i) {
        const QString name = config_.get(core::listEntry(core::ListSection::Unread, i));
        if (!name.isEmpty()) {
            unread_.append(name);
        }
    }
    select(recent_, recentSelected_, static_cast<int>(recent_.size()) - 1, false);
    select(unread_, unreadSelected_, static_cast<int>(unread_.size()) - 1, true);
    notify();
}

void RecordingLists::AddFinishedRecording(const QString& name)
{
    if (name.isEmpty() || !QFileInfo::exists(folder_ + name)) {
        return;
    }
    if (name.startsWith(QLatin1Char('A'))) {
        unread_.append(name);
    } else {
        recent_.append(name);
    }
    UpdateRecordingLists();
}

void RecordingLists::UpdateRecordingLists()
{
    if (recent_.size() > kCapacity) {
        recent_.removeFirst();
        afterRemoval(recentSelected_, 0);
    }
    if (unread_.size() > kCapacity) {
        unread_.removeFirst();
        afterRemoval(unreadSelected_, 0);
    }
    SaveRecordingLists();
    select(recent_, recentSelected_, static_cast<int>(recent_.size()) - 1, false);
    select(unread_, unreadSelected_, static_cast<int>(unread_.size()) - 1, true);
    notify();
}

namespace {

// One write of the settings file for a whole list save, however many keys change.
class StoreBatch {
public:
    explicit StoreBatch(platform::SettingsStore& store) : store_(store) { store_.beginBatch(); }
    ~StoreBatch() { store_.endBatch(); }
    StoreBatch(const StoreBatch&) = delete;
    StoreBatch& operator=(const StoreBatch&) = delete;

private:
    platform::SettingsStore& store_;
};

} // namespace

void RecordingLists::SaveRecordingLists()
{
    const StoreBatch batch(config_.store());
    for (int i = 0; i < kCapacity; ++i) {
        const QString value = i < recent_.size() ? recent_.at(i) : QString();
        const core::SettingKey key = core::listEntry(core::ListSection::Recent, i);
        if (!config_.contains(key) || config_.get(key) != value) {
            config_.save(key, value);
        }
    }
    for (int i = 0; i < kCapacity; ++i) {
        const QString value = i < unread_.size() ? unread_.at(i) : QString();
        const core::SettingKey key = core::listEntry(core::ListSection::Unread, i);
        if (!config_.contains(key) || config_.get(key) != value) {
            config_.save(key, value);
        }
    }
}

void RecordingLists::emptyLists()
{
    recent_.clear();
    unread_.clear();
    recentSelected_ = unreadSelected_ = -1;
    const StoreBatch batch(config_.store());
    for (int i = 0; i < kCapacity; ++i) {
        config_.save(core::listEntry(core::ListSection::Recent, i), QString());
        config_.save(core::listEntry(core::ListSection::Unread, i), QString());
    }
    notify();
}

void RecordingLists::select(QStringList& list, int& selected, int row, bool fromUnread)
{
    if (row == selected) {
        return;
    }
    selected = row;
    // A changed selection acts as a click on the entry.
    selectedRecording_ = row >= 0 && row < list.size() ? list.at(row) : QString();
    selectedFromUnread_ = fromUnread;
    if (showSelection) {
        showSelection(selectedRecording_);
    }
}

void RecordingLists::clickRecent(int row)
{
    if (row < 0 || row >= recent_.size()) {
        return;
    }
    recentSelected_ = row;
    selectedRecording_ = recent_.at(row);
    selectedFromUnread_ = false;
    if (showSelection) {
        showSelection(selectedRecording_);
    }
    notify();
}

void RecordingLists::clickUnread(int row)
{
    if (row < 0 || row >= unread_.size()) {
        return;
    }
    unreadSelected_ = row;
    selectedRecording_ = unread_.at(row);
    selectedFromUnread_ = true;
    if (showSelection) {
        showSelection(selectedRecording_);
    }
    notify();
}

void RecordingLists::doubleClickRecent(int row)
{
    clickRecent(row);
    if (pressPlay && row >= 0 && row < recent_.size()) {
        pressPlay();
    }
}

void RecordingLists::doubleClickUnread(int row)
{
    clickUnread(row);
    if (pressPlay && row >= 0 && row < unread_.size()) {
        pressPlay();
    }
}

void RecordingLists::playRecent()
{
    selectedRecording_ = recentSelected_ >= 0 ? recent_.at(recentSelected_) : QString();
    selectedFromUnread_ = false;
    if (pressPlay) {
        pressPlay();
    }
}

void RecordingLists::playUnread()
{
    selectedRecording_ = unreadSelected_ >= 0 ? unread_.at(unreadSelected_) : QString();
    selectedFromUnread_ = true;
    if (pressPlay) {
        pressPlay();
    }
}

void RecordingLists::playAll()
{
    if (startPlayAll) {
        startPlayAll();
    }
}

void RecordingLists::deleteRecent()
{
    if (recentSelected_ < 0) {
        return;
    }
    const int row = recentSelected_;
    recent_.removeAt(row);
    afterRemoval(recentSelected_, row);
    UpdateRecordingLists();
}

void RecordingLists::deleteUnread()
{
    if (unreadSelected_ < 0) {
        return;
    }
    const int row = unreadSelected_;
    unread_.removeAt(row);
    afterRemoval(unreadSelected_, row);
    UpdateRecordingLists();
}

void RecordingLists::mailRecent()
{
    if (mailTo && recentSelected_ >= 0) {
        mailTo(recent_.at(recentSelected_));
    }
}

void RecordingLists::renameRecent()
{
    if (recentSelected_ < 0) {
        return;
    }
    const QString oldName = recent_.at(recentSelected_);
    const std::optional<QString> answer = dialogs_.inputBox(kRenamePrompt, kRenameTitle, oldName);
    if (!answer || answer->isEmpty()) {
        return;
    }
    QString newName = *answer;
    if (newName.right(4).toLower() != QStringLiteral(".wav")) {
        newName += QStringLiteral(".wav");
    }
    const auto fail = [this](const QString& description) {
        dialogs_.messageBox(QStringLiteral("Error:") + description, kErrorTitle,
                            platform::MessageIcon::Critical);
    };
    // The new name stays a name in the recordings folder: no folder part, no control characters.
    const bool badName =
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(u'\0')) ||
        std::any_of(newName.begin(), newName.end(), [](QChar c) { return c.unicode() < 32; });
    if (badName) {
        fail(strings_.text(core::ProgramText::RenameBadName));
        return;
    }
    const QString from = folder_ + oldName;
    const QString to = folder_ + newName;
    if (!QFileInfo::exists(from)) {
        fail(strings_.loadText(kFileNotFoundId));
        return;
    }
    if (newName != oldName && QFileInfo::exists(to)) {
        fail(strings_.text(core::ProgramText::RenameNameTaken));
        return;
    }
    if (newName != oldName && !QFile::rename(from, to)) {
        fail(strings_.text(core::ProgramText::RenameAccessError));
        return;
    }
    recent_[recentSelected_] = newName;
    if (!selectedFromUnread_ && selectedRecording_ == oldName) {
        selectedRecording_ = newName;
        if (showSelection) {
            showSelection(selectedRecording_);
        }
    }
    UpdateRecordingLists();
}

void RecordingLists::markSelectedAsRead()
{
    if (!selectedFromUnread_ || unreadSelected_ < 0 || unreadSelected_ >= unread_.size()) {
        return;
    }
    const int row = unreadSelected_;
    recent_.append(unread_.at(row));
    unread_.removeAt(row);
    afterRemoval(unreadSelected_, row);
    UpdateRecordingLists();
}

} // namespace qlnrec::records
