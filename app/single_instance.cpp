#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLockFile>

namespace qlnrec::app {

SingleInstanceGuard::SingleInstanceGuard(QString lockPath)
    : lockPath_(std::move(lockPath)), lock_(std::make_unique<QLockFile>(lockPath_))
{
    // Never treat a live holder's lock as stale by age; a dead holder's lock is taken over.
    lock_->setStaleLockTime(0);
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    release();
}

QString SingleInstanceGuard::lockPathFor(const QString& runtimeFolder, const QString& applicationName,
                                         const QString& settingsFilePath)
{
    const QByteArray key = QCryptographicHash::hash(QFileInfo(settingsFilePath).absoluteFilePath().toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(12);
    return runtimeFolder + applicationName + QLatin1Char('-') + QString::fromLatin1(key) +
           QStringLiteral(".lock");
}

bool SingleInstanceGuard::tryAcquire()
{
    if (held_) {
        return true;
    }
    held_ = lock_->tryLock(0);
    return held_;
}

void SingleInstanceGuard::release()
{
    if (held_) {
        lock_->unlock();
        held_ = false;
    }
}

} // namespace qlnrec::app
