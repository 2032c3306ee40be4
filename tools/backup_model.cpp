#include "tools/backup_model.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "records/recordings_lists.h"

#include <QDir>
#include <QFileInfo>

namespace qlnrec::tools {

namespace {

constexpr int kTitleId = 1034;       // "Backup Sound Files"
constexpr int kConfirmCopyId = 1087; // "Confirm Copy £¿"
constexpr int kConfirmMoveId = 1088; // "Confirm Copy And Delete Source Files?"
// Longer lists of names are cut in messages.
constexpr int kNamesShown = 10;

QString nameList(const QStringList& names)
{
    QStringList shown = names.mid(0, kNamesShown);
    if (names.size() > kNamesShown) {
        shown << QStringLiteral("... and %1 more").arg(names.size() - kNamesShown);
    }
    return QStringLiteral("  ") + shown.join(QStringLiteral("\n  "));
}

bool sameFolder(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

} // namespace

std::vector<BackupItem> findRecordings(const QString& folder, const QStringList& leaveOut)
{
    std::vector<BackupItem> items;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.wav")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& file : files) {
        if (!leaveOut.contains(file.fileName())) {
            items.push_back({file.fileName(), file.size(), false});
        }
    }
    return items;
}

QString backupSummaryText(const BackupSummary& summary, const core::Strings& strings)
{
    using core::ProgramText;
    QString text;
    if (summary.cancelled) {
        text += strings.text(ProgramText::BackupCancelled);
    }
    if (!summary.stoppedBy.isEmpty()) {
        text += strings.text(ProgramText::BackupStopped).arg(summary.stoppedBy);
    }
    text += strings.text(ProgramText::BackupSummary)
                .arg(strings.text(summary.mode == BackupMode::Move ? ProgramText::BackupMoved
                                                                   : ProgramText::BackupCopied))
                .arg(summary.done.size())
                .arg(summary.skipped.size())
                .arg(summary.failed.size());
    if (!summary.skipped.isEmpty()) {
        text += QStringLiteral("\n\nSkipped:\n") + nameList(summary.skipped);
    }
    if (!summary.failed.isEmpty()) {
        text += QStringLiteral("\n\nFailed:\n") + nameList(summary.failed);
    }
    return text;
}

BackupModel::BackupModel(core::ConfigStore& config, const core::Strings& strings,
                         platform::DialogService& dialogs, records::RecordingLists& lists,
                         const QStringList& programFiles)
    : config_(config), strings_(strings), dialogs_(dialogs), lists_(lists),
      recordingsFolder_(lists.recordingsFolder())
{
    if (sameFolder(recordingsFolder_, config.programFolder())) {
        leaveOut_ = programFiles;
    }
    QObject::connect(&job_, &BackupJob::finished, &job_,
                     [this](const BackupSummary& summary) { report(summary); });
}

bool BackupModel::deleteSourceFiles() const
{
    return config_.getInt(core::keys::kCopyMove) != 0;
}

void BackupModel::storeDeleteSourceFiles(bool on)
{
    // Each save writes the settings file; the unchanged value is not worth the wait.
    if (config_.contains(core::keys::kCopyMove) && deleteSourceFiles() == on) {
        return;
    }
    config_.save(core::keys::kCopyMove, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void BackupModel::say(const QString& text)
{
    dialogs_.messageBox(text, strings_.loadText(kTitleId), platform::MessageIcon::Exclamation);
}

bool BackupModel::start(const QString& targetFolder, bool move)
{
    if (job_.running()) {
        return false;
    }
    const QString question = strings_.loadText(move ? kConfirmMoveId : kConfirmCopyId);
    if (dialogs_.messageBox(question, strings_.loadText(kTitleId), platform::MessageIcon::Question,
                            platform::MessageButtons::OkCancel) != platform::MessageResult::Ok) {
        return false;
    }
    const QFileInfo target(targetFolder);
    if (targetFolder.isEmpty() || !target.isDir()) {
        say(strings_.text(core::ProgramText::BackupNoFolder).arg(QDir::toNativeSeparators(targetFolder)));
        return false;
    }
    // Copying a folder onto itself would replace each recording with itself; a move would then
    // delete the only copy.
    if (sameFolder(targetFolder, recordingsFolder_)) {
        say(strings_.text(core::ProgramText::BackupTargetIsSource));
        return false;
    }
    BackupRequest request{recordingsFolder_, target.absoluteFilePath(),
                          move ? BackupMode::Move : BackupMode::Copy,
                          findRecordings(recordingsFolder_, leaveOut_), strings_};
    if (!askAboutExisting(request.items, request.targetFolder)) {
        return false;
    }
    if (move) {
        // The lists name recordings that leave the folder.
        lists_.emptyLists();
    }
    if (request.items.empty()) {
        dialogs_.messageBox(strings_.text(core::ProgramText::NoRecordingsToBackUp)
                                .arg(QDir::toNativeSeparators(recordingsFolder_)),
                            strings_.loadText(kTitleId), platform::MessageIcon::Information);
        return false;
    }
    return job_.start(std::move(request));
}

bool BackupModel::askAboutExisting(std::vector<BackupItem>& items, const QString& targetFolder)
{
    QStringList existing;
    const QDir target(targetFolder);
    for (const BackupItem& item : items) {
        if (QFileInfo::exists(target.filePath(item.name))) {
            existing << item.name;
        }
    }
    if (existing.isEmpty()) {
        return true;
    }
    const QString text = strings_.text(core::ProgramText::BackupAlreadyThere)
                             .arg(existing.size())
                             .arg(QDir::toNativeSeparators(targetFolder), nameList(existing));
    switch (dialogs_.messageBox(text, strings_.loadText(kTitleId), platform::MessageIcon::Question,
                                platform::MessageButtons::YesNoCancel)) {
    case platform::MessageResult::Yes:
        for (BackupItem& item : items) {
            item.replace = existing.contains(item.name);
        }
        return true;
    case platform::MessageResult::No:
        return true; // left as they are: the job skips them and says so
    default:
        return false;
    }
}

void BackupModel::report(const BackupSummary& summary)
{
    const bool trouble = !summary.failed.isEmpty() || !summary.stoppedBy.isEmpty();
    dialogs_.messageBox(backupSummaryText(summary, strings_), strings_.loadText(kTitleId),
                        trouble ? platform::MessageIcon::Exclamation : platform::MessageIcon::Information);
    if (finished) {
        finished(summary);
    }
}

} // namespace qlnrec::tools
