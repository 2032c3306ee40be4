#include "tools/verified_copy.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace qlnrec::tools {

namespace {

using Kind = VerifiedCopyResult::Kind;

QString reasonOf(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

VerifiedCopyResult failure(Kind kind, int error = errno)
{
    return {kind, reasonOf(error)};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // A late write error of some file systems shows only here.
    bool close()
    {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

// The temporary file in the target goes away unless it got its name.
class PartialFile {
public:
    explicit PartialFile(QByteArray path) : path_(std::move(path)) {}
    ~PartialFile()
    {
        if (!path_.isEmpty()) {
            ::unlink(path_.constData());
        }
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    void release() { path_.clear(); }

private:
    QByteArray path_;
};

// Reads until size bytes or the end of the file; -1 on an error.
ssize_t readFully(int fd, char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Renames without ever replacing an existing name; errno EEXIST when the name is taken.
int renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    // File systems without it (FAT, some network shares): a hard link refuses a taken name too.
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    if (errno == EEXIST) {
        return -1;
    }
    if (::access(to, F_OK) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

enum class Comparison { Same, Differs, SourceError, TargetError };

// Reads both files from the start and compares them byte for byte.
Comparison compareFiles(int source, int target, std::vector<char>& a, std::vector<char>& b)
{
    if (::lseek(source, 0, SEEK_SET) != 0) {
        return Comparison::SourceError;
    }
    if (::lseek(target, 0, SEEK_SET) != 0) {
        return Comparison::TargetError;
    }
    for (;;) {
        const ssize_t n = readFully(source, a.data(), a.size());
        if (n < 0) {
            return Comparison::SourceError;
        }
        const ssize_t m = readFully(target, b.data(), b.size());
        if (m < 0) {
            return Comparison::TargetError;
        }
        if (n != m || std::memcmp(a.data(), b.data(), static_cast<std::size_t>(n)) != 0) {
            return Comparison::Differs;
        }
        if (n == 0) {
            return Comparison::Same;
        }
    }
}

bool syncFolder(const QByteArray& folder)
{
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.valid() && ::fsync(dir.get()) == 0;
}

} // namespace

VerifiedCopyResult copyVerified(const VerifiedCopyRequest& request, const std::atomic<bool>& cancel,
                                const std::function<void(std::int64_t)>& progress)
{
    const QByteArray source = QFile::encodeName(request.sourcePath);
    const QByteArray folder = QFile::encodeName(request.targetFolder);
    const QByteArray target = QFile::encodeName(request.targetFolder + QLatin1Char('/') + request.name);
    const QByteArray temp =
        QFile::encodeName(request.targetFolder + QStringLiteral("/.qlnrec-backup-%1.part").arg(::getpid()));

    Descriptor in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    struct stat before {};
    if (!in.valid() || ::fstat(in.get(), &before) != 0) {
        return failure(Kind::SourceFailed);
    }
    if (!request.replace && ::access(target.constData(), F_OK) == 0) {
        return failure(Kind::Exists, EEXIST);
    }

    ::unlink(temp.constData()); // left by a run that crashed
    Descriptor out(::open(temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid()) {
        return failure(Kind::TargetFailed);
    }
    PartialFile partial(temp);

    std::vector<char> chunk(kCopyChunkBytes);
    for (;;) {
        if (cancel.load()) {
            return {Kind::Cancelled, {}};
        }
        const ssize_t n = readFully(in.get(), chunk.data(), chunk.size());
        if (n < 0) {
            return failure(Kind::SourceFailed);
        }
        if (n == 0) {
            break;
        }
        if (!writeFully(out.get(), chunk.data(), static_cast<std::size_t>(n))) {
            return failure(Kind::TargetFailed);
        }
        progress(n);
    }
    // The backup keeps the recording's rights and its time (the call's time to the user).
    ::fchmod(out.get(), before.st_mode & 07777);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(out.get(), times);
    if (::fsync(out.get()) != 0) {
        return failure(Kind::TargetFailed);
    }
    // Drops the written pages from the cache, so the comparison reads what the disk holds.
    ::posix_fadvise(out.get(), 0, 0, POSIX_FADV_DONTNEED);

    std::vector<char> readBack(kCopyChunkBytes);
    switch (compareFiles(in.get(), out.get(), chunk, readBack)) {
    case Comparison::Same:
        break;
    case Comparison::Differs:
        return {Kind::TargetFailed, request.strings.text(core::ProgramText::CopyReadBackDiffers)};
    case Comparison::SourceError:
        return failure(Kind::SourceFailed);
    case Comparison::TargetError:
        return failure(Kind::TargetFailed);
    }
    struct stat after {};
    if (::stat(source.constData(), &after) != 0 || !sameFile(before, after)) {
        return {Kind::Changed, request.strings.text(core::ProgramText::CopyChangedMeanwhile)};
    }
    if (!out.close()) {
        return failure(Kind::TargetFailed);
    }

    const int renamed = request.replace ? ::rename(temp.constData(), target.constData())
                                        : renameNoReplace(temp.constData(), target.constData());
    if (renamed != 0) {
        return failure(errno == EEXIST ? Kind::Exists : Kind::TargetFailed);
    }
    partial.release();
    // The name must be on the disk before the only other copy goes.
    if (!syncFolder(folder)) {
        return failure(Kind::TargetFailed);
    }
    if (request.removeSource && ::unlink(source.constData()) != 0) {
        return {Kind::SourceFailed,
                request.strings.text(core::ProgramText::CopySourceNotRemoved).arg(reasonOf(errno))};
    }
    return {};
}

} // namespace qlnrec::tools
