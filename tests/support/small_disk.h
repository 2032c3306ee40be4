#pragma once
// A really small disk for tests of a full or read-only disk: a tmpfs mounted on a folder for the
// life of the object (root only; where mounting is not permitted, mounted() is false and
// whyNot() says why). Always unmounted when the object goes, even after a failed assertion.
#include <QString>

#include <cstdint>

namespace qlnrec::test {

class SmallDisk {
public:
    // Mounts a tmpfs of `bytes` on `folder` (made when missing).
    SmallDisk(const QString& folder, std::int64_t bytes = 2 * 1024 * 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const QString& whyNot() const { return whyNot_; }

    // Fills the disk with a filler file until only about `leaveBytes` are free (a page or so).
    void fill(std::int64_t leaveBytes = 0);
    // Deletes the filler file: the space is free again.
    void freeSpace();
    // Mounts the disk again read-only (or writable again). False when the kernel refuses.
    bool setReadOnly(bool readOnly);

private:
    QString folder_;
    QString whyNot_;
    bool mounted_ = false;
};

} // namespace qlnrec::test
