#include "platform/shell/shell_service.h"

namespace qlnrec::platform {

bool DesktopShellService::openDocument(const QString&)
{
    return false;
}
bool DesktopShellService::exploreFolder(const QString&)
{
    return false;
}
bool DesktopShellService::startProgram(const QString&, const QStringList&)
{
    return false;
}
bool DesktopShellService::setAutoStart(bool, const QString&)
{
    return false;
}
bool DesktopShellService::printLines(const QStringList&, const QString&)
{
    return false;
}
int DesktopShellService::sendMail(const MailRequest&)
{
    return kMailFailure;
}

bool RecordingShellService::openDocument(const QString&)
{
    return false;
}
bool RecordingShellService::exploreFolder(const QString&)
{
    return false;
}
bool RecordingShellService::startProgram(const QString&, const QStringList&)
{
    return false;
}
bool RecordingShellService::setAutoStart(bool, const QString&)
{
    return false;
}
bool RecordingShellService::printLines(const QStringList&, const QString&)
{
    return false;
}
int RecordingShellService::sendMail(const MailRequest&)
{
    return kMailFailure;
}
void RecordingShellService::clear() {}

QString autoStartEntryPath()
{
    return {};
}
bool printLinesTo(const QStringList&, const QString&)
{
    return false;
}

} // namespace qlnrec::platform
