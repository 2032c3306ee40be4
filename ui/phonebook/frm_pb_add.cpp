#include "ui/phonebook/frm_pb_add.h"

#include "phonebook/phone_book_forms.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui/phonebook/entry_form_controls.h"

#include <QLineEdit>
#include <QPushButton>

namespace qlnrec::ui {

frmPBAdd::frmPBAdd(phonebook::PhoneBookLists& lists, const core::Strings& strings,
                   platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent,
                   const QString& number)
    : QDialog(parent), lists_(lists), dialogs_(dialogs), runner_(runner), strings_(strings)
{
    setObjectName(QStringLiteral("frmPBAdd"));
    const EntryFormControls c = buildEntryForm(*this, strings, QStringLiteral("Tele:"));
    Text1 = c.Text1;
    Text2 = c.Text2;
    OKButton = c.OKButton;
    CancelButton = c.CancelButton;
    Text2->setText(number);
    connect(OKButton, &QPushButton::clicked, this, &frmPBAdd::OKButton_Click);
}

bool frmPBAdd::runModal()
{
    return runner_.run(*this) == QDialog::Accepted;
}

void frmPBAdd::showModeless()
{
    runner_.showModeless(*this);
}

void frmPBAdd::OKButton_Click()
{
    const phonebook::SaveOutcome outcome = phonebook::addEntry(lists_, Text1->text(), Text2->text());
    if (outcome != phonebook::SaveOutcome::Saved) {
        dialogs_.messageBox(phonebook::saveProblemText(outcome, strings_), windowTitle(),
                            platform::MessageIcon::Critical);
    }
    if (outcome == phonebook::SaveOutcome::ListsFull) {
        return; // the typed entry stays in the form
    }
    emit entryAdded();
    accept();
}

} // namespace qlnrec::ui
