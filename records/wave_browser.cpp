#include "records/wave_browser.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/shell_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>

namespace qlnrec::records {

namespace {
constexpr int kBrowseWaveFile = 1055;

// Two blanks before the bracket, where the main window's player has three.
RecordingPlayer::Options browserPlayerOptions()
{
    RecordingPlayer::Options options;
    options.checkExists = false;
    options.lengthSeparator = QStringLiteral("s  [");
    return options;
}

// An absolute, clean folder path: no trailing "/" except for the root itself.
QString cleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(withSlash(folder));
}

// A file system that holds the user's files: one mounted from a device (but not a snap package's
// image) or a network share; proc, sysfs, tmpfs and the like are not.
bool holdsUserFiles(const QStorageInfo& volume)
{
    const QByteArray type = volume.fileSystemType();
    if (volume.device().startsWith("/dev/")) {
        return type != "squashfs";
    }
    return type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "fuse.sshfs";
}
} // namespace

const QString WaveBrowser::kWavePattern = QStringLiteral("*.wav");

WaveBrowser::WaveBrowser(const Services& services, const QString& startFolder)
    : services_(services),
      player_(services.events, services.mci, services.dialogs, services.strings, browserPlayerOptions()),
      drives_(mountedDrives()), pattern_(kWavePattern)
{
    if (!setFolder(startFolderFor(startFolder, QDir::homePath()))) {
        setFolder(QDir::rootPath());
    }
}

QString WaveBrowser::startFolderFor(const QString& saveFile, const QString& programFolder)
{
    QString folder = cleanFolder(saveFile.trimmed().isEmpty() ? programFolder : saveFile);
    // A recordings folder on a drive that is gone, or deleted since: its nearest existing parent.
    while (!QFileInfo(folder).isDir() && folder != QDir::rootPath()) {
        folder = cleanFolder(folder + QStringLiteral("/.."));
    }
    return folder;
}

QString WaveBrowser::searchPattern(const QString& text)
{
    return QLatin1Char('*') + text.trimmed() + QLatin1Char('*');
}

// Only "*" and "?" are wildcards: brackets and dots in a typed text are matched as typed.
QRegularExpression WaveBrowser::patternExpression(const QString& pattern)
{
    QString expression;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*')) {
            expression += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            expression += QLatin1Char('.');
        } else {
            expression += QRegularExpression::escape(QString(c));
        }
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

bool WaveBrowser::matchesPattern(const QString& fileName, const QString& pattern)
{
    return patternExpression(pattern).match(fileName).hasMatch();
}

QString WaveBrowser::joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QStringList WaveBrowser::mountedDrives()
{
    QStringList drives{QDir::rootPath(), cleanFolder(QDir::homePath())};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && holdsUserFiles(volume)) {
            drives << cleanFolder(volume.rootPath());
        }
    }
    drives.removeDuplicates();
    std::sort(drives.begin(), drives.end());
    return drives;
}

QString WaveBrowser::drive() const
{
    QString best = QDir::rootPath();
    for (const QString& candidate : drives_) {
        if (isInside(folder_, candidate) && candidate.size() > best.size()) {
            best = candidate;
        }
    }
    return best;
}

void WaveBrowser::chooseDrive(const QString& drive)
{
    setFolder(drive);
}

bool WaveBrowser::setFolder(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        return false;
    }
    folder_ = cleanFolder(path);
    refreshFiles();
    return true;
}

std::vector<WaveBrowser::FolderEntry> WaveBrowser::folderEntries() const
{
    std::vector<FolderEntry> entries;
    const QString top = drive();
    entries.push_back({top, top, 0, top == folder_});
    if (folder_ != top) {
        // The folders between the drive and the current one, each one level deeper.
        const QStringList parts =
            folder_.mid(withSlash(top).size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QString path = top;
        for (const QString& part : parts) {
            path = joinPath(path, part);
            entries.push_back({path, part, static_cast<int>(entries.size()), path == folder_});
        }
    }
    const int depth = static_cast<int>(entries.size());
    const QStringList children =
        QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        entries.push_back({joinPath(folder_, child), child, depth, false});
    }
    return entries;
}

void WaveBrowser::refreshFiles()
{
    files_.clear();
    const QRegularExpression expression = patternExpression(pattern_);
    const QStringList names = QDir(folder_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (expression.match(name).hasMatch()) {
            files_ << name;
        }
    }
    if (!files_.contains(selected_)) {
        selected_.clear();
    }
}

void WaveBrowser::search(const QString& text)
{
    pattern_ = searchPattern(text);
    refreshFiles();
}

void WaveBrowser::select(const QString& name)
{
    selected_ = files_.contains(name) ? name : QString();
}

QString WaveBrowser::selectedPath() const
{
    return selected_.isEmpty() ? QString() : joinPath(folder_, selected_);
}

RecordingPlayer::PlayResult WaveBrowser::play()
{
    const RecordingPlayer::PlayResult result = player_.play(selectedPath(), selected_);
    if (result == RecordingPlayer::PlayResult::Started) {
        playingPath_ = selectedPath();
    }
    return result;
}

bool WaveBrowser::deleteSelected()
{
    const QString path = selectedPath();
    if (path.isEmpty()) {
        return false;
    }
    // The player holds the file open: let it go before the file goes.
    if (!player_.idle() && path == playingPath_) {
        player_.stop();
    }
    QFile file(path);
    const bool removed = file.remove();
    if (!removed) {
        services_.dialogs.messageBox(
            services_.strings.text(core::ProgramText::BrowseCannotDelete).arg(selected_, file.errorString()),
            caption(), platform::MessageIcon::Critical);
    }
    refreshFiles();
    return removed;
}

void WaveBrowser::explore()
{
    if (!services_.shell.exploreFolder(folder_)) {
        services_.dialogs.messageBox(
            services_.strings.text(core::ProgramText::BrowseCannotShowFolder).arg(folder_), caption(),
            platform::MessageIcon::Critical);
    }
}

void WaveBrowser::close()
{
    player_.stop();
    playingPath_.clear();
}

QString WaveBrowser::caption() const
{
    return services_.strings.loadText(kBrowseWaveFile);
}

} // namespace qlnrec::records
