#include "core/program_folders.h"

#include "core/strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qlnrec::core {

namespace {
QString cleanAbsolute(const QString& path)
{
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) {
        p.chop(1);
    }
    return p;
}

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}
} // namespace

QString ProgramFolders::resolveProgramFolder(const QString& homeOverride)
{
    if (!homeOverride.isEmpty()) {
        return cleanAbsolute(homeOverride);
    }
    const QString env = qEnvironmentVariable("QLNREC_HOME");
    if (!env.isEmpty()) {
        return cleanAbsolute(env);
    }
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // The XDG rules ignore a relative value.
    if (data.isEmpty() || QDir::isRelativePath(data)) {
        data = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return cleanAbsolute(data + QStringLiteral("/qlnrec"));
}

bool ProgramFolders::ensureWritableFolder(const QString& path, const Strings& strings, QString* error)
{
    QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        *error = strings.text(ProgramText::FolderIsAFile).arg(path);
        return false;
    }
    if (!info.exists() && !makePrivatePath(path)) {
        *error = strings.text(ProgramText::FolderCannotMake).arg(path);
        return false;
    }
    QTemporaryFile probe(path + QStringLiteral("/.write-test-XXXXXX"));
    if (!probe.open()) {
        *error = strings.text(ProgramText::FolderNotWritable).arg(path, probe.errorString());
        return false;
    }
    return true;
}

QString ProgramFolders::recordingsFolder(const QString& saveFileSetting, const QString& programFolder)
{
    if (saveFileSetting.isEmpty()) {
        return withSlash(programFolder);
    }
    return withSlash(saveFileSetting);
}

bool ProgramFolders::securePrivateFolder(const QString& path, QString* error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(path);
        return false;
    }
    if (st.st_uid != ::getuid()) {
        *error = QStringLiteral("%1 belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        *error = QStringLiteral("%1 cannot be made private").arg(path);
        return false;
    }
    return true;
}

bool ProgramFolders::makePrivatePath(const QString& path)
{
    const QString target = cleanAbsolute(path);
    if (QFileInfo(target).isDir()) {
        return true;
    }
    // The missing folders, innermost first; each is made 0700 from the start, so there is no
    // moment in which another user could open it.
    QStringList missing;
    for (QString p = target; !p.isEmpty() && !QFileInfo::exists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (p == QFileInfo(p).path()) {
            break;
        }
    }
    for (const QString& p : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(p).constData(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return QFileInfo(target).isDir();
}

QString ProgramFolders::unfinishedRecordingsFolder(const QString& recordingsFolder, QString* error)
{
    QString reason;
    if (recordingsFolder.isEmpty() || !QFileInfo(recordingsFolder).isDir()) {
        reason = QStringLiteral("%1 is not a folder").arg(recordingsFolder);
    } else {
        const QString path = cleanAbsolute(recordingsFolder) + QStringLiteral("/.unfinished");
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            reason = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        } else if (securePrivateFolder(path, &reason)) {
            return withSlash(path);
        }
    }
    if (error) {
        *error = reason;
    }
    return {};
}

QString ProgramFolders::privateTempFolder(const QString& applicationName, QString* error)
{
    QString reason;
    auto tryFolder = [&](const QString& path) -> bool {
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            reason = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        return securePrivateFolder(path, &reason);
    };

    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        const QString candidate = cleanAbsolute(runtime) + QLatin1Char('/') + applicationName;
        if (tryFolder(candidate)) {
            return withSlash(candidate);
        }
    }
    const QString shared = cleanAbsolute(QDir::tempPath());
    const QString candidate =
        shared + QLatin1Char('/') + applicationName + QLatin1Char('-') + QString::number(::getuid());
    if (tryFolder(candidate)) {
        return withSlash(candidate);
    }
    // Someone else holds the usual name: take a fresh one nobody can predict.
    QByteArray pattern = QFile::encodeName(candidate + QStringLiteral("-XXXXXX"));
    if (char* made = ::mkdtemp(pattern.data())) {
        const QString path = QFile::decodeName(made);
        if (securePrivateFolder(path, &reason)) {
            return withSlash(path);
        }
    }
    if (error) {
        *error = reason;
    }
    return {};
}

} // namespace qlnrec::core
