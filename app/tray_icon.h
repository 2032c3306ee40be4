#pragma once
// The main window's life in the desktop's notification area: minimised, the window hides behind
// an icon; a left click on the icon brings it back, a right click starts recording an outgoing
// call already in progress (the dialer's quick dial). Where the desktop has no notification area
// the window stays minimised in the task bar, and the status list says why, once a run.
#include <QString>

#include <functional>

namespace qlnrec::core {
class StatusLine;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class EventService;
class ShellService;
enum class TrayClick;
} // namespace qlnrec::platform

namespace qlnrec::app {

class TrayIcon {
public:
    // What the icon does to the main window and the dialer.
    struct Window {
        std::function<void()> hide;
        std::function<void()> restore; // normal state, shown, in front
        std::function<void()> quickDial;
    };

    // strings: the current language's, read at each use (the language is set at start).
    TrayIcon(platform::ShellService& shell, platform::EventService& events, core::StatusLine& status,
             const core::Strings& strings, Window window);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The main window became minimised.
    void windowMinimised();
    // Shutdown: the icon goes away.
    void remove();
    bool shown() const { return shown_; }

private:
    void clicked(platform::TrayClick click);

    platform::ShellService& shell_;
    platform::EventService& events_;
    core::StatusLine& status_;
    const core::Strings& strings_;
    Window window_;
    bool shown_ = false;
    bool noTraySaid_ = false;
};

} // namespace qlnrec::app
