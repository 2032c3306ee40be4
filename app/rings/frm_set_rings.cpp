#include "app/rings/frm_set_rings.h"

#include "app/rings/frm_set_time.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui_frm_set_rings.h"

namespace qlnrec::app {

frmSetRings::frmSetRings(RingRuleDialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context), list_(context.file), ui_(std::make_unique<Ui::frmSetRings>())
{
    ui_->setupUi(this);
    lstRingEntry = ui_->lstRingEntry;
    cmdAddEntry = ui_->cmdAddEntry;
    cmdDeleteEntry = ui_->cmdDeleteEntry;
    Command2 = ui_->Command2;

    // Headless runs leave the list by Exit.
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("Command2"));
    const core::Strings& s = context.strings;
    setWindowTitle(s.loadText(1089));
    cmdAddEntry->setText(s.loadText(1091));
    cmdDeleteEntry->setText(s.loadText(1092));
    Command2->setText(s.loadText(1014));

    connect(cmdAddEntry, &QPushButton::clicked, this, &frmSetRings::cmdAddEntry_Click);
    connect(cmdDeleteEntry, &QPushButton::clicked, this, &frmSetRings::cmdDeleteEntry_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSetRings::Command2_Click);
}

frmSetRings::~frmSetRings() = default;

void frmSetRings::Form_Load()
{
    list_.FillRingRuleList();
    showEntries();
}

void frmSetRings::cmdAddEntry_Click()
{
    frmSetTime entry(context_, this);
    if (context_.runner.run(entry) == QDialog::Accepted) {
        list_.FillRingRuleList();
        showEntries();
    }
}

void frmSetRings::cmdDeleteEntry_Click()
{
    const int selected = lstRingEntry->selectedItems().isEmpty() ? -1 : lstRingEntry->currentRow();
    const RingRuleList::DeleteResult result = list_.deleteEntry(selected);
    if (result == RingRuleList::DeleteResult::NothingSelected) {
        return;
    }
    showEntries();
    if (result == RingRuleList::DeleteResult::NotWritten) {
        context_.dialogs.messageBox(context_.strings.text(core::ProgramText::RingRuleNotWritten),
                                    QLatin1String(RingRuleEntry::kMessageTitle),
                                    platform::MessageIcon::Exclamation);
    }
}

void frmSetRings::Command2_Click()
{
    reject();
}

void frmSetRings::showEntries()
{
    lstRingEntry->clear();
    lstRingEntry->addItems(list_.entries());
}

void showRingRules(RingRuleDialogContext& context, QWidget* owner)
{
    frmSetRings dialog(context, owner);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.Form_Load();
    context.runner.run(dialog);
}

} // namespace qlnrec::app
