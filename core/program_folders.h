#pragma once
// Where the program keeps its files: the program ("home") folder, the recordings folder and the
// private folders for the per-line recording files. Folders the program makes are private to the
// user (0700): recordings and logs hold other people's voices and numbers.
#include <QString>

namespace qlnrec::core {

class Strings;

class ProgramFolders {
public:
    // The program folder: homeOverride (the --home option) when given, else $QLNREC_HOME, else
    // $XDG_DATA_HOME/qlnrec, else ~/.local/share/qlnrec. Absolute, without a trailing "/".
    static QString resolveProgramFolder(const QString& homeOverride = {});

    // Creates the folder (and its parents) when missing and checks that files can be written
    // in it. False with a reason in *error otherwise, worded in the language of strings (the
    // reason ends up in a message box).
    static bool ensureWritableFolder(const QString& path, const Strings& strings, QString* error);

    // The recordings folder: the "SaveFile" setting, or the program folder when that is empty;
    // always ending in "/".
    static QString recordingsFolder(const QString& saveFileSetting, const QString& programFolder);

    // A temporary folder only this user can enter (mode 0700, owned by us, not a symbolic
    // link), ending in "/": $XDG_RUNTIME_DIR/<applicationName> when the runtime folder is
    // usable, else <system temp>/<applicationName>-<uid>. When that name is taken by someone
    // else, a fresh uniquely named folder is made instead. Empty with *error when nothing works.
    static QString privateTempFolder(const QString& applicationName, QString* error = nullptr);

    // Checks that path is a real directory (not a link) owned by this user and closes its
    // permissions to 0700. False with a reason otherwise.
    static bool securePrivateFolder(const QString& path, QString* error);

    // Creates path and its missing parents, each new folder readable by this user only (0700).
    // Folders that exist keep their rights: the user may have chosen a shared one on purpose.
    static bool makePrivatePath(const QString& path);

    // Where recordings still being made are kept: "<recordings folder>.unfinished/", private to
    // this user. It sits on the recordings folder's own disk, so finishing a recording is a copy
    // on the same disk and what a crash leaves behind is still there at the next start (a
    // runtime folder is usually in memory). Empty with *error when it cannot be made private.
    static QString unfinishedRecordingsFolder(const QString& recordingsFolder, QString* error = nullptr);
};

} // namespace qlnrec::core
