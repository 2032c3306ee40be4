#include "app/shutdown.h"

#include "app/app_services.h"
#include "app/forms/frm_main.h"
#include "app/startup_parts.h"
#include "records/status_log.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace qlnrec::app {

void runShutdown(AppServices& services, frmMain* window)
{
    Lifecycle& lifecycle = services.lifecycle;
    if (lifecycle.shuttingDown) {
        return;
    }
    lifecycle.shuttingDown = true;

    // First, while the lines and the lists are still there: a call being recorded is a
    // conversation that cannot be repeated.
    services.parts.finishRecordings();
    if (window) {
        window->deleteWindowRegion();
        window->Timer7.setEnabled(false);
    }
    services.parts.closeMedia();
    services.statusLog.close();
    services.parts.closeLines();
    services.statusLog.timLog().setEnabled(false);

    services.parts.unloadWindows();
    // Every other window of the program goes too (modal ones end their wait).
    const auto topLevels = QApplication::topLevelWidgets();
    for (QWidget* w : topLevels) {
        QPointer<QWidget> guard(w);
        if (guard && guard != window && guard->isVisible()) {
            guard->close();
        }
    }
    if (window && window->isVisible()) {
        window->hide();
    }

    lifecycle.ended = true;
    if (lifecycle.endProgram) {
        lifecycle.endProgram(lifecycle.exitCode);
    }
}

} // namespace qlnrec::app
