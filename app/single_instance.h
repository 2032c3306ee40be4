#pragma once
// One running copy per user and settings store: a lock file in the user's private runtime
// folder. A lock left by a copy that died is taken over.
#include <QString>

#include <memory>

class QLockFile;

namespace qlnrec::app {

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(QString lockPath);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // The lock for an application name and the settings file it uses, in runtimeFolder (which
    // ends in "/"): copies that share a settings store exclude each other.
    static QString lockPathFor(const QString& runtimeFolder, const QString& applicationName,
                               const QString& settingsFilePath);

    // Takes the lock; false when another running copy holds it.
    bool tryAcquire();
    bool isHeld() const { return held_; }
    void release();
    const QString& lockPath() const { return lockPath_; }

private:
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

} // namespace qlnrec::app
