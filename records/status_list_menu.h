#pragma once
// What the status list's pop-up menu does, without the menu: print the list, and take the caller's
// number out of the selected status line ("CallerID:5551234 [SMITH JOHN] 14:05:09") for the
// windows that add it to a list.
#include <QString>

#include <functional>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::records {

class StatusLog;

class StatusListMenu {
public:
    StatusListMenu(StatusLog& log, platform::DialogService& dialogs, const core::Strings& strings);

    // The number after "CallerID" (and its ":") up to the next blank or "["; empty when the line
    // names none. The blank in front of the time ends a number without a name; "[Blocked]" follows
    // a blocked caller's number without one.
    static QString callerNumberOf(const QString& statusLine);

    // mmuPrintLog: every entry, one printed line each; without a printer a box says so. False
    // when nothing was printed.
    bool printLog(const QString& pdfPathForTests = {});

    // mmuAddToBlack: opens the add form with the caller's number of the selected line; a line
    // without one gets "Plese select a Caller ID entry" and nothing opens.
    void addToBlackList(const QString& selectedLine, const std::function<void(const QString& number)>& open);
    // mmuAddPB: the same for the phone book's add form.
    void addToPhoneBook(const QString& selectedLine, const std::function<void(const QString& number)>& open);

private:
    void addCaller(const QString& selectedLine, const QString& refusalTitle,
                   const std::function<void(const QString& number)>& open);

    StatusLog& log_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
};

} // namespace qlnrec::records
