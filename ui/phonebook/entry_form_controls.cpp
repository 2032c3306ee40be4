#include "ui/phonebook/entry_form_controls.h"

#include "core/strings.h"
#include "phonebook/phone_book_entry.h"
#include "phonebook/phone_book_forms.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
constexpr int kPhoneBookTitleId = 1090; // "PhoneBook"

QLineEdit* field(QDialog& form, const char* name, int width)
{
    auto* edit = new QLineEdit(&form);
    edit->setObjectName(QString::fromLatin1(name));
    // Room for a whole field; longer text is still accepted and cut when it is stored.
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * width + 12);
    return edit;
}
} // namespace

EntryFormControls buildEntryForm(QDialog& form, const core::Strings& strings, const QString& numberLabel)
{
    // The forms have no caption of their own; the phone book's name is a neutral one.
    form.setWindowTitle(strings.loadText(kPhoneBookTitleId));
    EntryFormControls c{
        field(form, "Text1", phonebook::kNameWidth), field(form, "Text2", phonebook::kTelephoneWidth),
        new QPushButton(QStringLiteral("OK"), &form), new QPushButton(QStringLiteral("Cancel"), &form)};
    c.OKButton->setObjectName(QStringLiteral("OKButton"));
    c.CancelButton->setObjectName(QStringLiteral("CancelButton"));
    c.OKButton->setDefault(true);
    // Unattended runs leave the phone book as it is.
    form.setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));
    QObject::connect(c.CancelButton, &QPushButton::clicked, &form, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Name:"), &form), 0, 0);
    grid->addWidget(c.Text1, 0, 1);
    grid->addWidget(new QLabel(numberLabel, &form), 1, 0);
    grid->addWidget(c.Text2, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(c.OKButton);
    buttons->addWidget(c.CancelButton);
    auto* layout = new QVBoxLayout(&form);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    return c;
}

void showSelectAnEntry(platform::DialogService& dialogs)
{
    dialogs.messageBox(QString::fromLatin1(phonebook::kSelectAnEntry),
                       QString::fromLatin1(phonebook::kMessageTitle), platform::MessageIcon::Critical);
}

} // namespace qlnrec::ui
