#pragma once
// The services and state the start-up, the main window and the shutdown work with, handed to
// them as one plainly named bundle. The program builds it once (Application); tests build it
// from test backends.
#include <functional>

namespace qlnrec::core {
class ConfigStore;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class EventService;
class DialogService;
class ShellService;
} // namespace qlnrec::platform

namespace qlnrec::records {
class StatusLog;
}

namespace qlnrec::app {

class ModalWindows;
class StartupParts;
class MainWindowCommands;
struct RunState;

// Where the run stands, and how it ends.
struct Lifecycle {
    bool shuttingDown = false;
    bool ended = false;
    int exitCode = 0;
    // Leaves the event loop with the exit code (tests record it instead).
    std::function<void(int exitCode)> endProgram;
};

struct AppServices {
    platform::EventService& events;
    platform::DialogService& dialogs;
    platform::ShellService& shell;
    core::ConfigStore& config;
    core::Strings& strings; // the language is chosen at start
    records::StatusLog& statusLog;
    RunState& state;
    ModalWindows& windows;
    StartupParts& parts;
    MainWindowCommands& commands;
    Lifecycle& lifecycle;
};

} // namespace qlnrec::app
