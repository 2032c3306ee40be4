#include "tools/backup_job.h"

#include "tools/verified_copy.h"

#include <QFile>

#include <chrono>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qlnrec::tools {

namespace {

// A recording changed this recently may still be in the writer's hands (the recorder writes a
// finished call's file in one go); it is left for the next backup.
constexpr auto kQuietTime = std::chrono::seconds(5);
// Progress goes to the window at most this often; a file's end is always shown.
constexpr auto kProgressInterval = std::chrono::milliseconds(50);

bool recentlyChanged(const struct stat& info)
{
    const auto changed =
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    return std::chrono::system_clock::now() - changed < kQuietTime;
}

// The backup is background work: the GUI thread (which also runs the recorder's timers) and the
// recorder's writes to the disk go first. Only this thread is lowered.
void lowerThisThread()
{
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    ::setpriority(PRIO_PROCESS, thread, 10);
    constexpr int kBestEffortClass = 2;
    constexpr int kLowestLevel = 7;
    constexpr int kWhoThread = 1;
    ::syscall(SYS_ioprio_set, kWhoThread, thread, (kBestEffortClass << 13) | kLowestLevel);
}

QString line(const QString& name, const QString& why)
{
    return name + QStringLiteral(": ") + why;
}

} // namespace

BackupJob::BackupJob(QObject* parent) : QObject(parent) {}

BackupJob::~BackupJob()
{
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool BackupJob::start(BackupRequest request)
{
    if (running()) {
        return false;
    }
    cancel_ = false;
    worker_ = std::thread([this, request = std::move(request)] { run(request); });
    return true;
}

void BackupJob::post(const BackupProgress& state)
{
    QMetaObject::invokeMethod(
        this, [this, state] { emit progress(state); }, Qt::QueuedConnection);
}

void BackupJob::run(const BackupRequest& request)
{
    lowerThisThread();
    BackupSummary summary;
    summary.mode = request.mode;
    BackupProgress state;
    state.filesTotal = static_cast<int>(request.items.size());
    for (const BackupItem& item : request.items) {
        state.bytesTotal += item.bytes;
    }
    auto lastPost = std::chrono::steady_clock::now();
    post(state);
    const auto text = [&request](core::ProgramText id) { return request.strings.text(id); };

    for (const BackupItem& item : request.items) {
        if (cancel_.load()) {
            summary.cancelled = true;
            break;
        }
        state.currentName = item.name;
        const std::int64_t bytesBefore = state.bytesDone;
        const QString sourcePath = request.sourceFolder + item.name;
        struct stat info {};
        VerifiedCopyResult result;
        if (::stat(QFile::encodeName(sourcePath).constData(), &info) != 0) {
            summary.skipped << line(item.name, text(core::ProgramText::BackupSourceGone));
        } else if (recentlyChanged(info)) {
            summary.skipped << line(item.name, text(core::ProgramText::BackupStillWritten));
        } else {
            const VerifiedCopyRequest copy{sourcePath,
                                           request.targetFolder,
                                           item.name,
                                           item.replace,
                                           request.mode == BackupMode::Move,
                                           request.strings};
            result = copyVerified(copy, cancel_, [&](std::int64_t bytes) {
                state.bytesDone += bytes;
                const auto now = std::chrono::steady_clock::now();
                if (now - lastPost >= kProgressInterval) {
                    lastPost = now;
                    post(state);
                }
            });
            using Kind = VerifiedCopyResult::Kind;
            switch (result.kind) {
            case Kind::Copied:
                summary.done << item.name;
                break;
            case Kind::Changed:
                summary.skipped << line(item.name, text(core::ProgramText::BackupStillWritten));
                break;
            case Kind::Exists:
                summary.skipped << line(item.name, text(core::ProgramText::BackupNameInTarget));
                break;
            case Kind::SourceFailed:
                summary.failed << line(item.name, result.reason);
                break;
            case Kind::TargetFailed:
                summary.failed << line(item.name, result.reason);
                summary.stoppedBy = text(core::ProgramText::BackupTargetRefused)
                                        .arg(item.name, request.targetFolder, result.reason);
                break;
            case Kind::Cancelled:
                summary.cancelled = true;
                break;
            }
        }
        // The bar counts every planned byte once, whatever became of the file.
        state.bytesDone = bytesBefore + item.bytes;
        ++state.filesDone;
        lastPost = std::chrono::steady_clock::now();
        post(state);
        if (!summary.stoppedBy.isEmpty() || summary.cancelled) {
            break;
        }
    }

    QMetaObject::invokeMethod(
        this,
        [this, summary] {
            worker_.join();
            emit finished(summary);
        },
        Qt::QueuedConnection);
}

} // namespace qlnrec::tools
