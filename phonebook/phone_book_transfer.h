#pragma once
// The dial window's Import, Export and Manage commands over the working lists: CSV import and
// export through the platform's file pickers and message boxes, and the unreach.csv side file.
#include "phonebook/phone_book_lists.h"

#include <QString>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::phonebook {

class PhoneBookTransfer {
public:
    // Messages are in the language of strings; CSV text that is not UTF-8 is read in its code page.
    PhoneBookTransfer(PhoneBookLists& lists, platform::DialogService& dialogs, QString programFolder,
                      const core::Strings& strings);

    // ImportPhoneBook: false when cancelled or the file cannot be read.
    bool importPhoneBook();
    // ExportPhoneBook: false when cancelled, the list is empty or the file cannot be written.
    bool exportPhoneBook();
    // AppendUnreachable: copies entry index to the end of the lists and adds it to unreach.csv.
    bool appendUnreachable(int index);
    // DeleteUnreachableFile.
    void deleteUnreachableFile();

    QString unreachablePath() const;

private:
    void reportFileError(const QString& path);

    PhoneBookLists& lists_;
    platform::DialogService& dialogs_;
    QString programFolder_;
    const core::Strings& strings_;
};

} // namespace qlnrec::phonebook
