#pragma once
// frmPBEdit: the selected phone book entry, as listed, to be changed and written over itself.
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
struct PhoneBookSearchState;
} // namespace qlnrec::phonebook

namespace qlnrec::ui {

class frmPBEdit final : public QDialog {
    Q_OBJECT
public:
    // index: the entry's position in lists (valid; see editSelected for the dial window's Edit).
    frmPBEdit(phonebook::PhoneBookLists& lists, int index, const core::Strings& strings,
              platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent);

    // Shows the form and waits; true when OK changed the entry.
    bool runModal();

    struct EditOutcome {
        bool saved = false;       // the lists changed: the dial window shows them again
        bool searchAgain = false; // the edit came from a result window: press Search Name again
    };
    // The dial window's Edit (cmdEdit): "Please select an entry" without a selection
    // (selectedIndex < 0), else the form for that entry. An OK of an edit started from a result
    // window clears editFromSearch and asks for a fresh search for the last term.
    static EditOutcome editSelected(phonebook::PhoneBookLists& lists, int selectedIndex,
                                    phonebook::PhoneBookSearchState& search, const core::Strings& strings,
                                    platform::DialogService& dialogs, platform::ModalRunner& runner,
                                    QWidget* parent);

    QLineEdit* Text1 = nullptr; // name
    QLineEdit* Text2 = nullptr; // number
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    void OKButton_Click();

    phonebook::PhoneBookLists& lists_;
    int index_;
    platform::DialogService& dialogs_;
    platform::ModalRunner& runner_;
    const core::Strings& strings_;
};

} // namespace qlnrec::ui
