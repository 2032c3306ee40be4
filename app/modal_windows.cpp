#include "app/modal_windows.h"

#include "app/forms/frm_stand_in.h"
#include "app/forms/frm_tip.h"
#include "app/forms/frm_whats_new.h"

#include <cstdio>

namespace qlnrec::app {

DisclaimerChoice WidgetModalWindows::showDisclaimer(QWidget* owner)
{
    frmTip tip(strings_, owner);
    tip.exec();
    return tip.agreed() ? DisclaimerChoice::Agree : DisclaimerChoice::Exit;
}

void WidgetModalWindows::showWhatsNew(QWidget* owner)
{
    frmWhatsNew whatsNew(owner);
    whatsNew.exec();
}

void WidgetModalWindows::showStandIn(QWidget* owner, const QString& title, const QString& text)
{
    frmStandIn standIn(title, text, owner);
    standIn.exec();
}

namespace {
void note(const char* window, const QString& detail)
{
    std::fprintf(stderr, "Window %s: %s\n", window, qPrintable(detail));
    std::fflush(stderr);
}
} // namespace

DisclaimerChoice AutoModalWindows::showDisclaimer(QWidget*)
{
    note("frmTip", QStringLiteral("Agree"));
    return DisclaimerChoice::Agree;
}

void AutoModalWindows::showWhatsNew(QWidget*)
{
    note("frmWhatsNew", QStringLiteral("Close"));
}

void AutoModalWindows::showStandIn(QWidget*, const QString& title, const QString&)
{
    note("frmStandIn", title + QStringLiteral(": Close"));
}

} // namespace qlnrec::app
