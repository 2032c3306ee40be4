#include "app/setup/setup_host.h"

#include "platform/dialogs/modal_runners.h"

#include <QLineEdit>

namespace qlnrec::app {

SetupHost::SetupHost(SetupContext& context, platform::ModalRunner& runner)
    : context_(context), runner_(&runner)
{
}

SetupHost::SetupHost(SetupContext& context)
    : context_(context), ownRunner_(std::make_unique<platform::WidgetModalRunner>()),
      runner_(ownRunner_.get())
{
}

SetupHost::~SetupHost() = default;

void SetupHost::loadHidden()
{
    if (form_) {
        return;
    }
    form_ = std::make_unique<frmSetup>(context_, openers_);
    form_->Form_Load();
}

frmSetup& SetupHost::form()
{
    loadHidden();
    return *form_;
}

SetupOutcome SetupHost::showModal(QWidget* owner)
{
    frmSetup& dialog = form();
    if (owner) {
        dialog.setParent(owner, dialog.windowFlags() | Qt::Dialog);
    }
    dialog.setWindowModality(Qt::ApplicationModal);
    runner_->run(dialog);
    const SetupOutcome outcome = dialog.outcome();
    unload();
    return outcome;
}

void SetupHost::unload()
{
    if (form_) {
        form_->hide();
        // The owner may be deleted before this host; the dialog must not be deleted twice.
        form_->setParent(nullptr);
    }
    form_.reset();
}

QString SetupHost::ringsText()
{
    return form().txtRings->text();
}

QString SetupHost::lineDeviceText(int line)
{
    if (line < 0 || line >= SetupFields::kLines) {
        return {};
    }
    return form().txtLine[static_cast<std::size_t>(line)]->text();
}

} // namespace qlnrec::app
