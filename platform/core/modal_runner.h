#pragma once
// Every modal window of the program runs through a ModalRunner, so tests and headless runs never
// wait for a person. The real runner shows the window and waits; the automatic one answers at
// once: with what a test scripted for that window, or by pressing the window's default button,
// and writes "Window <name>: <button>" to standard error.
class QDialog;

namespace qlnrec::platform {

// The dynamic property through which a dialog names the object name of the button an automatic
// runner presses when nothing was scripted (for example "cmdExit"). Without it the dialog is
// rejected.
inline constexpr const char* kDefaultButtonProperty = "qlnrecDefaultButton";

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Runs dialog modally; returns when it has closed, with its result code.
    virtual int run(QDialog& dialog) = 0;
    // Shows dialog without waiting (a window that stays beside the main window, such as the
    // incoming-call popup). The automatic runner does not show it: it answers it with what a test
    // scripted for it, if anything, and leaves it open.
    virtual void showModeless(QDialog& dialog) = 0;
};

} // namespace qlnrec::platform
