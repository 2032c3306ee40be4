#pragma once
// frmPBAdd: a name and a number typed in and added behind the last entry of the phone book. Opened
// modally by the dial window's Add, and without waiting by the main window's "Add To PhoneBook"
// with the caller's number filled in.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
class ModalRunner;
} // namespace qlnrec::platform

namespace qlnrec::phonebook {
class PhoneBookLists;
}

namespace qlnrec::ui {

class frmPBAdd final : public QDialog {
    Q_OBJECT
public:
    // lists must outlive the form; number: the initial text of Text2.
    frmPBAdd(phonebook::PhoneBookLists& lists, const core::Strings& strings, platform::DialogService& dialogs,
             platform::ModalRunner& runner, QWidget* parent, const QString& number = {});

    // The dial window's Add: shows the form and waits; true when OK added the entry.
    bool runModal();
    // "Add To PhoneBook": shows the form and returns at once (entryAdded() tells of the OK).
    void showModeless();

    QLineEdit* Text1 = nullptr; // name
    QLineEdit* Text2 = nullptr; // number
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

signals:
    // OK added the entry to the lists (and, unless a message said otherwise, to the file).
    void entryAdded();

private:
    void OKButton_Click();

    phonebook::PhoneBookLists& lists_;
    platform::DialogService& dialogs_;
    platform::ModalRunner& runner_;
    const core::Strings& strings_;
};

} // namespace qlnrec::ui
