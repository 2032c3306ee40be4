#include "platform/dialogs/qt_dialog_service.h"

namespace qlnrec::platform {

MessageResult QtDialogService::messageBox(const QString&, const QString&, MessageIcon, MessageButtons buttons)
{
    return defaultResult(buttons);
}
std::optional<QString> QtDialogService::inputBox(const QString&, const QString&, const QString&)
{
    return std::nullopt;
}
QString QtDialogService::openFileName(const QString&, const QString&, const QString&)
{
    return {};
}
QString QtDialogService::saveFileName(const QString&, const QString&, const QString&)
{
    return {};
}
QString QtDialogService::browseFolder(const QString&, const QString&)
{
    return {};
}
QString QtDialogService::qtFilter(const QString& filter)
{
    return filter;
}

} // namespace qlnrec::platform
