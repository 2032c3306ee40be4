#pragma once
// The controls the add and edit forms share: a name and a number field with their labels, OK and
// Cancel, laid out in the form given.
#include <QString>

class QDialog;
class QLineEdit;
class QPushButton;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::ui {

struct EntryFormControls {
    QLineEdit* Text1;
    QLineEdit* Text2;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

// numberLabel: "Tele:" (add) or "Phone:" (edit). Cancel closes the form; OK is left to the form.
EntryFormControls buildEntryForm(QDialog& form, const core::Strings& strings, const QString& numberLabel);

// "Please select an entry": Edit or Delete pressed without a selected entry.
void showSelectAnEntry(platform::DialogService& dialogs);

} // namespace qlnrec::ui
