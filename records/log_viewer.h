#pragma once
// What the log viewer window does, without the window: list the log files, display one,
// delete one, print what is displayed. frmViewLog wires its controls to this.
#include "core/strings.h"

#include <QString>
#include <QStringList>

namespace qlnrec::platform {
class DialogService;
class ShellService;
} // namespace qlnrec::platform

namespace qlnrec::records {

class StatusLog;

class LogViewer {
public:
    LogViewer(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
              const core::Strings& strings);

    QString caption() const;      // text 1046
    QString exitCaption() const;  // text 1047
    QString printCaption() const; // text 1048
    QString folder() const;       // the LogFiles folder shown in File1

    // The file names of the log folder, sorted by name (refreshes the list).
    const QStringList& refreshFiles();
    const QStringList& files() const { return files_; }

    // Fills displayedLines() from the named file of the log folder. The day file held open is
    // read through the log so that logging goes on. False when the file cannot be read (the
    // list stays empty).
    bool display(const QString& fileName);
    const QStringList& displayedLines() const { return displayed_; }

    // Deletes the named log file and refreshes the list. Today's file, which the program holds
    // open, is refused with a critical box titled "Quillon"; other failures are silent.
    bool deleteFile(const QString& fileName);

    enum class PrintOutcome { Printed, NothingToPrint, NoPrinter };
    // Prints the displayed lines, one per printed line. With nothing displayed an information box
    // (text 1049, title 1046) asks for a file and the caller puts the focus on File1; without a
    // printer an information box says so.
    PrintOutcome print(const QString& pdfPathForTests = {});

    QString heldOpenMessage() const;
    static QString noPrinterMessage(const core::Strings& strings);

private:
    QString pathOf(const QString& fileName) const;

    StatusLog& log_;
    platform::DialogService& dialogs_;
    platform::ShellService& shell_;
    const core::Strings strings_; // held by value: a copy is one int and cannot dangle
    QStringList files_;
    QStringList displayed_;
};

} // namespace qlnrec::records
