#include "app/forms/frm_whats_new.h"

#include "core/strings.h"
#include "ui_frm_whats_new.h"

namespace qlnrec::app {

frmWhatsNew::frmWhatsNew(const core::Strings& strings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmWhatsNew>())
{
    ui_->setupUi(this);
    setWindowTitle(strings.text(core::ProgramText::WhatsNewTitle));
    ui_->txtWhatsNew->setHtml(strings.text(core::ProgramText::WhatsNewNotes));
    connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmWhatsNew::frmWhatsNew(QWidget* parent) : frmWhatsNew(core::Strings(), parent) {}

frmWhatsNew::~frmWhatsNew() = default;

} // namespace qlnrec::app
