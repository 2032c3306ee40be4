#pragma once
// The status list and the daily log: every progress line of the program is stamped with the
// time of day, kept in the status list and appended at once to the day's file in "LogFiles".
#include "core/status_line.h"
#include "platform/core/event_service.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QFile;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class ShellService;
}

namespace qlnrec::records {

class StatusLog final : public core::StatusLine {
public:
    static constexpr std::uint32_t kRolloverIntervalMs = 60000;
    // The list keeps this many of the latest lines (the day files keep every line): a program
    // left running for weeks must not grow without end. The oldest go a tenth at a time.
    static constexpr int kListCapacity = 5000;

    // programFolder: the folder that holds "LogFiles".
    StatusLog(platform::EventService& events, QString programFolder);
    ~StatusLog() override;
    StatusLog(const StatusLog&) = delete;
    StatusLog& operator=(const StatusLog&) = delete;

    // The shell that prints (not owned). Without one, printing reports that nothing was printed.
    void setShellService(platform::ShellService* shell) { shell_ = shell; }
    // The program's strings (not owned), for the lines the log says itself; English without.
    void setStrings(const core::Strings* strings) { strings_ = strings; }

    // Creates "LogFiles" when missing, reads an existing day file's lines into the list and keeps
    // the day file open for appending; enables the rollover timer.
    void openAtStart();
    // Appends text + " " + the time of day to the list and the day file (written through at
    // once).
    void addStatusLine(const QString& text) override { addStampedLine(text); }
    // The same, returning the stamped line.
    QString addStampedLine(const QString& text);
    // Closes the day file and disables the rollover timer.
    void close();
    bool isOpen() const;

    const QStringList& lines() const { return lines_; }
    // Called after lines were appended to the list, with the row of the first new line; the
    // main window appends them to lstStatus and selects the last entry.
    std::function<void(int firstNewRow)> onLinesAppended;
    // Called when the oldest `count` lines left the list (before onLinesAppended of the lines
    // that made room necessary); the main window drops as many rows from the top.
    std::function<void(int count)> onLinesDropped;

    // Prints every entry of the list, one printed line each. PDF path for tests; false when no
    // printer is available.
    bool printLog(const QString& pdfPathForTests = {});

    // The rollover tick: switches to the new day's file in the first 90 seconds after midnight.
    void timLogTick();
    platform::Timer& timLog() { return *timLog_; }

    QString logFolder() const;                     // programFolder + "/LogFiles"
    static QString dayFileName(const QDate& date); // "yy-mm-dd.txt"
    // The day file held open for appending (empty when closed).
    QString currentFilePath() const { return currentPath_; }
    // Whether path names the day file held open; such a file cannot be deleted, and reading it
    // goes through readOpenFile().
    bool isHeldOpen(const QString& path) const;
    // Reads the held-open day file: closes it, reads its lines, and reopens it for appending,
    // so logging goes on.
    QStringList readOpenFile();

    // Reads the lines of a log file (CR LF, LF or CR ends). Lines are UTF-8; lines that are not
    // are read in the legacy code page the file was written in (LogTextDecoder), legacyEncoding
    // being the one tried first. False when the file cannot be opened.
    static bool readLogLines(const QString& path, QStringList& lines,
                             const QByteArray& legacyEncoding = QByteArrayLiteral("windows-1252"));
    // The legacy code page of the user-interface language ("windows-1252", "GB18030", "Big5").
    void setLegacyEncoding(const QByteArray& encodingName) { legacyEncoding_ = encodingName; }
    const QByteArray& legacyEncoding() const { return legacyEncoding_; }

private:
    void openDayFile(const QDate& date);
    bool reopenForAppend();
    void appendToList(const QStringList& newLines);
    // text + " " + the time of day.
    QString stamped(const QString& text) const;

    platform::EventService& events_;
    QString programFolder_;
    QString currentPath_;
    std::unique_ptr<QFile> file_;
    QStringList lines_;
    std::unique_ptr<platform::Timer> timLog_;
    QByteArray legacyEncoding_ = QByteArrayLiteral("windows-1252");
    platform::ShellService* shell_ = nullptr;
    const core::Strings* strings_ = nullptr;
    bool writeFailureReported_ = false;
};

} // namespace qlnrec::records
