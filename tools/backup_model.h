#pragma once
// What the backup window does, without widgets: the "CopyMove" setting, the confirmations, the
// check of the target, the question about names already in the target, the emptying of the
// recordings lists before a move, the job itself and the summary at its end.
#include "tools/backup_job.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace qlnrec::core {
class ConfigStore;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::records {
class RecordingLists;
}

namespace qlnrec::tools {

// The recordings of folder: its "*.wav" files in any letter case, by name, with their sizes;
// without the names in leaveOut.
std::vector<BackupItem> findRecordings(const QString& folder, const QStringList& leaveOut = {});

// The message shown when a job has ended.
QString backupSummaryText(const BackupSummary& summary, const core::Strings& strings);

class BackupModel {
public:
    // programFiles: the program's own sounds (greeting, prompts); when the recordings folder is
    // the program folder they are not recordings and a move must not take them away from the
    // answering machine.
    BackupModel(core::ConfigStore& config, const core::Strings& strings, platform::DialogService& dialogs,
                records::RecordingLists& lists, const QStringList& programFiles);

    // "Delete Source Files", kept under "CopyMove".
    bool deleteSourceFiles() const;
    void storeDeleteSourceFiles(bool on);

    // OK: asks for the confirmation, checks the target, asks about names already there, empties
    // the recordings lists before a move and starts the job. False when nothing started (the user
    // declined, or the reason was said). The summary is shown when the job has ended, then
    // finished is called.
    bool start(const QString& targetFolder, bool move);

    BackupJob& job() { return job_; }
    const QString& recordingsFolder() const { return recordingsFolder_; }

    std::function<void(const BackupSummary&)> finished;

private:
    void say(const QString& text);
    bool askAboutExisting(std::vector<BackupItem>& items, const QString& targetFolder);
    void report(const BackupSummary& summary);

    core::ConfigStore& config_;
    const core::Strings& strings_;
    platform::DialogService& dialogs_;
    records::RecordingLists& lists_;
    QString recordingsFolder_;
    QStringList leaveOut_;
    BackupJob job_;
};

} // namespace qlnrec::tools
