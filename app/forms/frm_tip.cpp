#include "app/forms/frm_tip.h"

#include "core/strings.h"

#include "ui_frm_tip.h"

namespace qlnrec::app {

frmTip::frmTip(const core::Strings& strings, QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmTip>())
{
    ui_->setupUi(this);
    ui_->lblTip1->setText(strings.loadText(1054));
    ui_->lblTip2->setText(strings.loadText(1059));
    ui_->cmdAgree->setText(strings.loadText(1050));
    ui_->cmdExit->setText(strings.loadText(1047));
    connect(ui_->cmdAgree, &QPushButton::clicked, this, [this] {
        agreed_ = true;
        accept();
    });
    connect(ui_->cmdExit, &QPushButton::clicked, this, [this] {
        agreed_ = false;
        reject();
    });
}

frmTip::~frmTip() = default;

} // namespace qlnrec::app
