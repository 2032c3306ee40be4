#pragma once
// Keeps the setup dialog the way the running program uses it: loaded hidden at start, shown
// modally on request, and loaded afresh (its load handler runs again) the next time any of its
// fields is read after it was closed.
#include "app/setup/frm_setup.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace qlnrec::app {

class SetupHost {
public:
    // Runs a modal dialog and returns when it has closed. The default is QDialog::exec();
    // headless runs answer at once.
    using DialogRunner = std::function<void(QDialog& dialog)>;

    explicit SetupHost(SetupContext& context);
    ~SetupHost();
    SetupHost(const SetupHost&) = delete;
    SetupHost& operator=(const SetupHost&) = delete;

    void setDialogRunner(DialogRunner runner) { runner_ = std::move(runner); }
    void setOpeners(SetupDialogOpeners openers) { openers_ = std::move(openers); }

    // Loads the dialog without showing it, unless it is loaded already.
    void loadHidden();
    bool isLoaded() const { return form_ != nullptr; }
    // The loaded dialog; loads it (hidden) first when it is not.
    frmSetup& form();
    // Shows the dialog modally over owner. Whatever the outcome, the dialog is unloaded
    // afterwards.
    SetupOutcome showModal(QWidget* owner);
    void unload();

    // The fields other parts read.
    QString ringsText();
    QString lineDeviceText(int line);

private:
    SetupContext& context_;
    SetupDialogOpeners openers_;
    DialogRunner runner_;
    std::unique_ptr<frmSetup> form_;
};

} // namespace qlnrec::app
