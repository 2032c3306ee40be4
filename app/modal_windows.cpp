#include "app/modal_windows.h"

#include "app/forms/frm_stand_in.h"
#include "app/forms/frm_tip.h"
#include "app/forms/frm_whats_new.h"
#include "platform/core/modal_runner.h"

namespace qlnrec::app {

namespace {
void runWithDefault(platform::ModalRunner& runner, QDialog& dialog, const char* defaultButton)
{
    dialog.setProperty(platform::kDefaultButtonProperty, QLatin1String(defaultButton));
    runner.run(dialog);
}
} // namespace

DisclaimerChoice RunnerModalWindows::showDisclaimer(QWidget* owner)
{
    frmTip tip(strings_, owner);
    runWithDefault(runner_, tip, "cmdAgree");
    return tip.agreed() ? DisclaimerChoice::Agree : DisclaimerChoice::Exit;
}

void RunnerModalWindows::showWhatsNew(QWidget* owner)
{
    frmWhatsNew whatsNew(strings_, owner);
    runWithDefault(runner_, whatsNew, "cmdClose");
}

void RunnerModalWindows::showStandIn(QWidget* owner, const QString& title, const QString& text)
{
    frmStandIn standIn(title, text, owner);
    runWithDefault(runner_, standIn, "cmdClose");
}

} // namespace qlnrec::app
