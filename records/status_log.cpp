#include "records/status_log.h"

#include "platform/shell/shell_service.h"

#include <QFile>

namespace qlnrec::records {

StatusLog::StatusLog(platform::EventService& events, QString programFolder)
    : events_(events), programFolder_(std::move(programFolder)),
      timLog_(std::make_unique<platform::Timer>(events, kRolloverIntervalMs))
{
}

StatusLog::~StatusLog() = default;

void StatusLog::openAtStart() {}
QString StatusLog::addStatusLine(const QString& text)
{
    return text;
}
void StatusLog::close() {}
bool StatusLog::isOpen() const
{
    return false;
}
bool StatusLog::printLog(const QString&)
{
    return false;
}
void StatusLog::timLogTick() {}
QString StatusLog::logFolder() const
{
    return programFolder_ + QStringLiteral("/LogFiles");
}
QString StatusLog::dayFileName(const QDate& date)
{
    return date.toString(QStringLiteral("yy-MM-dd.txt"));
}
bool StatusLog::isHeldOpen(const QString&) const
{
    return false;
}
QStringList StatusLog::readOpenFile()
{
    return {};
}
bool StatusLog::readLogLines(const QString&, QStringList&)
{
    return false;
}

} // namespace qlnrec::records
