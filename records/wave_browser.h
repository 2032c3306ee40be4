#pragma once
// The wave file browser without widgets: a drive (mount point), a folder in it and the files of
// that folder matching a pattern; the selected file is played through the browser's own player,
// deleted, or its folder shown in the file manager. frmBrows (ui/records) shows it.
#include "records/recording_player.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace qlnrec::platform {
class ShellService;
}

namespace qlnrec::records {

class WaveBrowser {
public:
    struct Services {
        platform::EventService& events;
        platform::MciService& mci;
        platform::DialogService& dialogs;
        platform::ShellService& shell;
        const core::Strings& strings;
    };

    // One row of the folder list: the folders from the drive down to the current one, then the
    // current one's subfolders.
    struct FolderEntry {
        QString path;
        QString label;
        int depth = 0;
        bool current = false;
    };

    static const QString kWavePattern; // "*.wav"

    // Starts at startFolder, or its nearest existing parent (empty: the user's home).
    WaveBrowser(const Services& services, const QString& startFolder);
    WaveBrowser(const WaveBrowser&) = delete;
    WaveBrowser& operator=(const WaveBrowser&) = delete;

    // The recordings folder when one is stored, else the program folder; a folder that is gone
    // gives its nearest existing parent.
    static QString startFolderFor(const QString& saveFile, const QString& programFolder);
    // "*" + the trimmed text + "*"; an empty text gives "**", every file.
    static QString searchPattern(const QString& text);
    // File-name patterns as the file list takes them: "*" any run of characters, "?" one
    // character, everything else itself, letter case ignored.
    static bool matchesPattern(const QString& fileName, const QString& pattern);
    // The folder, a "/" only when it does not end with one, and the name.
    static QString joinPath(const QString& folder, const QString& name);

    // Drive1: the mounted real file systems, the root and the user's home, sorted.
    const QStringList& drives() const { return drives_; }
    // The drive holding the current folder (the longest drive path it lies in).
    QString drive() const;
    void chooseDrive(const QString& drive);

    // Dir1.
    const QString& folder() const { return folder_; }
    // False (and nothing changes) when the path is not an existing folder.
    bool setFolder(const QString& path);
    std::vector<FolderEntry> folderEntries() const;

    // File1: the files of the folder matching the pattern, sorted by name.
    const QString& pattern() const { return pattern_; }
    const QStringList& files() const { return files_; }
    void refreshFiles();
    // Command2.
    void search(const QString& text);
    // The selected name ("" for none); a name not in the list selects nothing.
    void select(const QString& name);
    const QString& selected() const { return selected_; }
    // The selected file's full path ("" when nothing is selected).
    QString selectedPath() const;

    // cmdPlay (also a double click on the file list and mmuPlay): resumes when paused, else plays
    // the selected file; nothing when no file is selected.
    RecordingPlayer::PlayResult play();
    // mmuDelete: deletes the selected file at once and refreshes the list; a file being played is
    // stopped and closed first. A delete that fails is said. False when nothing was deleted.
    bool deleteSelected();
    // Command1: shows the folder in the file manager.
    void explore();
    // The window closes: the player stops and its media alias is closed.
    void close();

    RecordingPlayer& player() { return player_; }

private:
    static QRegularExpression patternExpression(const QString& pattern);
    static QStringList mountedDrives();
    QString caption() const;

    Services services_;
    RecordingPlayer player_;
    QStringList drives_;
    QString folder_;
    QString pattern_;
    QStringList files_;
    QString selected_;
    QString playingPath_;
};

} // namespace qlnrec::records
