#include "records/log_viewer.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/shell_service.h"
#include "records/status_log.h"

#include <QDir>
#include <QFile>

namespace qlnrec::records {

namespace {

// Names come from our own listing of the log folder, but never let one reach outside it.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QStringLiteral(".") && name != QStringLiteral("..");
}

} // namespace

LogViewer::LogViewer(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
                     const core::Strings& strings)
    : log_(log), dialogs_(dialogs), shell_(shell), strings_(strings)
{
}

QString LogViewer::caption() const
{
    return strings_.loadText(1046);
}

QString LogViewer::exitCaption() const
{
    return strings_.loadText(1047);
}

QString LogViewer::printCaption() const
{
    return strings_.loadText(1048);
}

QString LogViewer::folder() const
{
    return log_.logFolder();
}

QString LogViewer::heldOpenMessage() const
{
    // The description of the run-time error the program met deleting an open file (error 55).
    return strings_.text(core::ProgramText::LogFileHeldOpen);
}

QString LogViewer::noPrinterMessage(const core::Strings& strings)
{
    return strings.text(core::ProgramText::NoPrinter);
}

QString LogViewer::pathOf(const QString& fileName) const
{
    return folder() + QLatin1Char('/') + fileName;
}

const QStringList& LogViewer::refreshFiles()
{
    files_ = QDir(folder()).entryList(QDir::Files, QDir::Name);
    return files_;
}

bool LogViewer::display(const QString& fileName)
{
    displayed_.clear();
    if (!isPlainFileName(fileName)) {
        return false;
    }
    const QString path = pathOf(fileName);
    if (log_.isHeldOpen(path)) {
        // Today's file is the one the log appends to; it is read through the log, which reopens
        // it for appending afterwards.
        displayed_ = log_.readOpenFile();
        return true;
    }
    QStringList lines;
    if (!StatusLog::readLogLines(path, lines, log_.legacyEncoding())) {
        return false;
    }
    displayed_ = lines;
    return true;
}

bool LogViewer::deleteFile(const QString& fileName)
{
    if (!isPlainFileName(fileName)) {
        return false;
    }
    const QString path = pathOf(fileName);
    if (log_.isHeldOpen(path)) {
        dialogs_.messageBox(heldOpenMessage(), QStringLiteral("Quillon"), platform::MessageIcon::Critical);
        return false;
    }
    const bool removed = QFile::remove(path);
    refreshFiles();
    return removed;
}

LogViewer::PrintOutcome LogViewer::print(const QString& pdfPathForTests)
{
    if (displayed_.isEmpty()) {
        dialogs_.messageBox(strings_.loadText(1049), strings_.loadText(1046),
                            platform::MessageIcon::Information);
        return PrintOutcome::NothingToPrint;
    }
    if (!shell_.printLines(displayed_, pdfPathForTests)) {
        // Say so rather than let the user wait for a page that never comes.
        dialogs_.messageBox(noPrinterMessage(strings_), strings_.loadText(1046),
                            platform::MessageIcon::Information);
        return PrintOutcome::NoPrinter;
    }
    return PrintOutcome::Printed;
}

} // namespace qlnrec::records
