#include "app/product_parts.h"

#include "app/app_services.h"
#include "app/config/config_store.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/strings/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/mci/mci_service.h"
#include "platform/shell/shell_service.h"
#include "records/frm_view_log.h"

namespace qlnrec::app {

namespace {
// Volume controls of the common desktops, tried in order.
const char* const kVolumeControls[] = {"pavucontrol", "pavucontrol-qt", "gnome-control-center", "kmix"};
} // namespace

void ProductParts::standIn(QWidget* owner, const QString& title)
{
    services_->windows.showStandIn(
        owner, title,
        QStringLiteral("%1 is not available in this version of Quillon Recorder yet.").arg(title));
}

SetupOutcome ProductParts::showSetupModal(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1009));
    return SetupOutcome::Exited;
}

bool ProductParts::minimizeOnStart() const
{
    return services_->config.getNumber(QStringLiteral("Config"), QStringLiteral("MinOnStart"),
                                       QStringLiteral("0")) != 0;
}

void ProductParts::closeMedia()
{
    if (mci_) {
        mci_->mciSendString(QStringLiteral("close MyMedia"));
    }
}

void ProductParts::openSetup(QWidget* owner)
{
    showSetupModal(owner);
}

void ProductParts::openLogViewer(QWidget* owner)
{
    records::frmViewLog viewer(services_->statusLog, services_->dialogs, services_->shell, services_->strings,
                               owner);
    viewer.exec();
}

void ProductParts::openBackup(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1034));
}

void ProductParts::openHelp()
{
    services_->shell.openDocument(services_->strings.helpDocumentPath(services_->state.programFolder));
}

void ProductParts::browseWaveFiles(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1055));
}

void ProductParts::openDialer(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1083));
}

void ProductParts::quickDial(QWidget* owner)
{
    standIn(owner, services_->strings.loadText(1083));
}

void ProductParts::openVolumeControl()
{
    for (const char* program : kVolumeControls) {
        if (services_->shell.startProgram(QLatin1String(program))) {
            return;
        }
    }
    services_->dialogs.messageBox(
        QStringLiteral("No volume control was found. Install pavucontrol to set the volume from here."),
        QStringLiteral("Quillon"), platform::MessageIcon::Information);
}

} // namespace qlnrec::app
