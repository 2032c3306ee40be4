#include "ui/phonebook/frm_pb_edit.h"

#include "phonebook/phone_book_forms.h"
#include "phonebook/phone_book_search.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui/phonebook/entry_form_controls.h"

#include <QLineEdit>
#include <QPushButton>

namespace qlnrec::ui {

frmPBEdit::frmPBEdit(phonebook::PhoneBookLists& lists, int index, const core::Strings& strings,
                     platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent)
    : QDialog(parent), lists_(lists), index_(index), dialogs_(dialogs), runner_(runner), strings_(strings)
{
    setObjectName(QStringLiteral("frmPBEdit"));
    const EntryFormControls c = buildEntryForm(*this, strings, QStringLiteral("Phone:"));
    Text1 = c.Text1;
    Text2 = c.Text2;
    OKButton = c.OKButton;
    CancelButton = c.CancelButton;
    if (index >= 0 && index < lists.count()) {
        // As listed, with the padding.
        Text1->setText(lists.at(index).name);
        Text2->setText(lists.at(index).telephone);
    }
    connect(OKButton, &QPushButton::clicked, this, &frmPBEdit::OKButton_Click);
}

bool frmPBEdit::runModal()
{
    return runner_.run(*this) == QDialog::Accepted;
}

void frmPBEdit::OKButton_Click()
{
    const phonebook::SaveOutcome outcome = phonebook::editEntry(lists_, index_, Text1->text(), Text2->text());
    if (outcome != phonebook::SaveOutcome::Saved) {
        dialogs_.messageBox(phonebook::saveProblemText(outcome, strings_), windowTitle(),
                            platform::MessageIcon::Critical);
    }
    if (outcome == phonebook::SaveOutcome::NoEntry) {
        reject();
        return;
    }
    accept();
}

frmPBEdit::EditOutcome frmPBEdit::editSelected(phonebook::PhoneBookLists& lists, int selectedIndex,
                                               phonebook::PhoneBookSearchState& search,
                                               const core::Strings& strings, platform::DialogService& dialogs,
                                               platform::ModalRunner& runner, QWidget* parent)
{
    if (selectedIndex < 0 || selectedIndex >= lists.count()) {
        showSelectAnEntry(dialogs);
        return {};
    }
    frmPBEdit form(lists, selectedIndex, strings, dialogs, runner, parent);
    EditOutcome outcome;
    outcome.saved = form.runModal();
    if (outcome.saved && search.editFromSearch) {
        search.editFromSearch = false;
        outcome.searchAgain = true;
    }
    return outcome;
}

} // namespace qlnrec::ui
