#include "tests/support/small_disk.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/mount.h>

namespace qlnrec::test {

namespace {
QString fillerPath(const QString& folder)
{
    return folder + QStringLiteral("/.filler");
}
} // namespace

SmallDisk::SmallDisk(const QString& folder, std::int64_t bytes) : folder_(folder)
{
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        whyNot_ =
            QStringLiteral("cannot mount a tmpfs (%1); these tests need root").arg(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk()
{
    if (mounted_) {
        // Lazily: a file the program still holds open does not keep the disk mounted.
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
}

void SmallDisk::fill(std::int64_t leaveBytes)
{
    QFile filler(fillerPath(folder_));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return;
    }
    const std::vector<char> block(64 * 1024, '\0');
    while (filler.write(block.data(), static_cast<qint64>(block.size())) > 0 && filler.flush()) {
    }
    filler.close();
    if (leaveBytes > 0) {
        QFile(fillerPath(folder_))
            .resize(std::max<qint64>(0, QFile(fillerPath(folder_)).size() - leaveBytes));
    }
}

void SmallDisk::freeSpace()
{
    QFile::remove(fillerPath(folder_));
}

bool SmallDisk::setReadOnly(bool readOnly)
{
    const unsigned long flags = readOnly ? MS_REMOUNT | MS_RDONLY : MS_REMOUNT;
    return ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", flags, nullptr) == 0;
}

} // namespace qlnrec::test
