#pragma once
// The backup of the recordings on a worker thread: the window stays responsive and the recorder
// keeps writing while gigabytes go over. Each file is copied with copyVerified (verified before it
// gets its name; a move removes a source only then). Progress and the end come back to the
// thread that started the job as queued calls.
//
// A target that fails (full, unplugged, read-only, a copy that reads back wrong) stops the job:
// every recording is then still in the recordings folder or verified in the target. A recording
// that cannot be read, or that changed while it was copied, fails alone and the job goes on.
#include "core/strings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace qlnrec::tools {

enum class BackupMode { Copy, Move };

struct BackupItem {
    QString name;
    std::int64_t bytes = 0;
    bool replace = false; // the user agreed to replace the target's file of that name
};

struct BackupRequest {
    QString sourceFolder; // ends in "/"
    QString targetFolder; // without trailing "/"
    BackupMode mode = BackupMode::Copy;
    std::vector<BackupItem> items;
    core::Strings strings; // a copy: the worker thread words the reasons with it
};

struct BackupProgress {
    int filesDone = 0;
    int filesTotal = 0;
    std::int64_t bytesDone = 0;
    std::int64_t bytesTotal = 0;
    QString currentName;
};

struct BackupSummary {
    BackupMode mode = BackupMode::Copy;
    QStringList done;    // copied (moved) and verified
    QStringList skipped; // "name: why"
    QStringList failed;  // "name: why"
    QString stoppedBy;   // why the job ended early (empty when it ran through or was cancelled)
    bool cancelled = false;
};

class BackupJob : public QObject {
    Q_OBJECT
public:
    explicit BackupJob(QObject* parent = nullptr);
    // Cancels a running job and waits for it: its partial file is removed.
    ~BackupJob() override;

    // Starts the worker; false when a job is still running.
    bool start(BackupRequest request);
    // Stops between two chunks; finished follows.
    void cancel() { cancel_ = true; }
    bool running() const { return worker_.joinable(); }

signals:
    void progress(const qlnrec::tools::BackupProgress& progress);
    void finished(const qlnrec::tools::BackupSummary& summary);

private:
    void run(const BackupRequest& request);
    void post(const BackupProgress& state);

    std::thread worker_;
    std::atomic<bool> cancel_{false};
};

} // namespace qlnrec::tools
