#pragma once
// The program's start: one copy only, the language, the splash window (when a language is
// stored) and then the main window with its load sequence.
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace qlnrec::app {

struct AppServices;
class frmMain;
class frmSplash;
class SingleInstanceGuard;

class StartupRoutine {
public:
    enum class Outcome {
        AlreadyRunning, // another copy runs: the box was shown, end at once
        Splash,         // the splash shows; the main window follows from its timer
        MainWindow,     // the main window is loaded and shown
        Ended,          // the load ended the program (disclaimer "Exit", setup saved)
    };

    explicit StartupRoutine(AppServices& services);
    ~StartupRoutine();
    StartupRoutine(const StartupRoutine&) = delete;
    StartupRoutine& operator=(const StartupRoutine&) = delete;

    // languageOverride: a "Language" value to use for this run instead of the stored one.
    Outcome start(SingleInstanceGuard& guard, const std::optional<QString>& languageOverride = std::nullopt);

    // Called each time the main window has loaded and is shown.
    void setOnMainWindowShown(std::function<void()> callback) { onMainWindowShown_ = std::move(callback); }

    // The main window and its load sequence on their own, as the splash window's timer shows
    // them (whole-program tests start here).
    Outcome loadMainWindow() { return showMainWindow(); }

    frmMain* mainWindow() const { return main_.get(); }
    frmSplash* splash() const { return splash_.get(); }

    // A request to end from outside the windows (SIGTERM, SIGINT, a finished scenario): the
    // same orderly shutdown as closing the main window.
    void requestShutdown();

private:
    Outcome showMainWindow();

    AppServices& s_;
    std::unique_ptr<frmSplash> splash_;
    std::unique_ptr<frmMain> main_;
    std::function<void()> onMainWindowShown_;
};

} // namespace qlnrec::app
