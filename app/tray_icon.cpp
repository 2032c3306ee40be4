#include "app/tray_icon.h"

#include "core/status_line.h"
#include "core/strings.h"
#include "platform/core/event_service.h"
#include "platform/core/shell_service.h"

namespace qlnrec::app {

TrayIcon::TrayIcon(platform::ShellService& shell, platform::EventService& events, core::StatusLine& status,
                   const core::Strings& strings, Window window)
    : shell_(shell), events_(events), status_(status), strings_(strings), window_(std::move(window))
{
}

void TrayIcon::windowMinimised()
{
    if (shown_) {
        return;
    }
    if (!shell_.trayAvailable()) {
        // Hiding the window with no icon to bring it back would lose it.
        if (!noTraySaid_) {
            noTraySaid_ = true;
            status_.addStatusLine(strings_.text(core::ProgramText::TrayNoNotificationArea));
        }
        return;
    }
    shown_ = true;
    shell_.addTrayIcon(strings_.text(core::ProgramText::TrayTip),
                       [this](platform::TrayClick click) { clicked(click); });
    // After the minimise has finished: it shows the window as its last step.
    events_.post([this] {
        if (shown_) {
            window_.hide();
        }
    });
}

void TrayIcon::remove()
{
    if (shown_) {
        shown_ = false;
        shell_.removeTrayIcon();
    }
}

void TrayIcon::clicked(platform::TrayClick click)
{
    switch (click) {
    case platform::TrayClick::Left:
        window_.restore();
        remove();
        break;
    case platform::TrayClick::Right:
        // What the click started finishes first; the window stays in the tray.
        events_.post([this] { window_.quickDial(); });
        break;
    case platform::TrayClick::Double:
    case platform::TrayClick::Middle:
        break;
    }
}

} // namespace qlnrec::app
