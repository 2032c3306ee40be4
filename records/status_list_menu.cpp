#include "records/status_list_menu.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "records/log_viewer.h"
#include "records/status_log.h"

namespace qlnrec::records {

StatusListMenu::StatusListMenu(StatusLog& log, platform::DialogService& dialogs, const core::Strings& strings)
    : log_(log), dialogs_(dialogs), strings_(strings)
{
}

QString StatusListMenu::callerNumberOf(const QString& statusLine)
{
    static const QString marker = QStringLiteral("CallerID");
    const qsizetype at = statusLine.indexOf(marker);
    if (at < 0) {
        return {};
    }
    qsizetype from = at + marker.size();
    if (from < statusLine.size() && statusLine.at(from) == QLatin1Char(':')) {
        ++from;
    }
    // A blocked caller without a name has "[Blocked]" right behind the number.
    qsizetype end = from;
    while (end < statusLine.size() && statusLine.at(end) != QLatin1Char(' ') &&
           statusLine.at(end) != QLatin1Char('[')) {
        ++end;
    }
    return statusLine.mid(from, end - from);
}

bool StatusListMenu::printLog(const QString& pdfPathForTests)
{
    if (log_.printLog(pdfPathForTests)) {
        return true;
    }
    dialogs_.messageBox(LogViewer::noPrinterMessage(strings_), QStringLiteral("Print Log"),
                        platform::MessageIcon::Information);
    return false;
}

void StatusListMenu::addToBlackList(const QString& selectedLine,
                                    const std::function<void(const QString& number)>& open)
{
    addCaller(selectedLine, QStringLiteral("Add Caller ID To Black List"), open);
}

void StatusListMenu::addToPhoneBook(const QString& selectedLine,
                                    const std::function<void(const QString& number)>& open)
{
    addCaller(selectedLine, QStringLiteral("Add Caller ID To Phonebook"), open);
}

void StatusListMenu::addCaller(const QString& selectedLine, const QString& refusalTitle,
                               const std::function<void(const QString& number)>& open)
{
    const QString number = callerNumberOf(selectedLine);
    if (number.isEmpty()) {
        dialogs_.messageBox(QStringLiteral("Plese select a Caller ID entry"), refusalTitle,
                            platform::MessageIcon::Information);
        return;
    }
    if (open) {
        open(number);
    }
}

} // namespace qlnrec::records
