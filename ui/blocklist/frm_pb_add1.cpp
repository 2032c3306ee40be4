#include "ui/blocklist/frm_pb_add1.h"

#include "platform/core/modal_runner.h"
#include "ui_frm_pb_add1.h"

namespace qlnrec::ui {

frmPBAdd1::frmPBAdd1(blocklist::BlockList& store, platform::DialogService& dialogs, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmPBAdd1>()), editor_(store, dialogs)
{
    ui_->setupUi(this);
    Text2 = ui_->Text2;
    Text1 = ui_->Text1;
    OKButton = ui_->OKButton;
    CancelButton = ui_->CancelButton;
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));

    connect(OKButton, &QPushButton::clicked, this, &frmPBAdd1::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmPBAdd1::CancelButton_Click);
    // Enter in the number presses OK and goes no further (no button is the dialog's default).
    connect(Text2, &QLineEdit::returnPressed, OKButton, &QPushButton::click);
}

frmPBAdd1::~frmPBAdd1() = default;

void frmPBAdd1::OKButton_Click()
{
    if (editor_.add(Text2->text()) == blocklist::BlockListEditor::AddOutcome::Added) {
        done(QDialog::Accepted);
        return;
    }
    Text2->setFocus();
    Text2->selectAll();
}

void frmPBAdd1::CancelButton_Click()
{
    done(QDialog::Rejected);
}

} // namespace qlnrec::ui
