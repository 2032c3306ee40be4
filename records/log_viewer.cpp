#include "records/log_viewer.h"

#include "app/strings/strings.h"
#include "records/status_log.h"

namespace qlnrec::records {

LogViewer::LogViewer(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
                     const app::Strings& strings)
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
const QStringList& LogViewer::refreshFiles()
{
    return files_;
}
bool LogViewer::display(const QString&)
{
    return false;
}
bool LogViewer::deleteFile(const QString&)
{
    return false;
}
LogViewer::PrintOutcome LogViewer::print(const QString&)
{
    return PrintOutcome::NothingToPrint;
}
QString LogViewer::heldOpenMessage()
{
    return {};
}
QString LogViewer::pathOf(const QString& fileName) const
{
    return folder() + QLatin1Char('/') + fileName;
}

} // namespace qlnrec::records
