#pragma once
// The dial window's Import, Export and Manage commands over the working lists: CSV import and
// export through the platform's file pickers and message boxes, and the unreach.csv side file.
#include "phonebook/phone_book_lists.h"

#include <QByteArray>
#include <QString>

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::phonebook {

class PhoneBookTransfer {
public:
    PhoneBookTransfer(PhoneBookLists& lists, platform::DialogService& dialogs, QString programFolder,
                      QByteArray legacyEncoding);

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
    QByteArray legacyEncoding_;
};

} // namespace qlnrec::phonebook
