#include "app/forms/frm_stand_in.h"

#include "ui_frm_stand_in.h"

namespace qlnrec::app {

frmStandIn::frmStandIn(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmStandIn>())
{
    ui_->setupUi(this);
    setWindowTitle(title);
    ui_->lblMessage->setText(text);
    connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmStandIn::~frmStandIn() = default;

} // namespace qlnrec::app
