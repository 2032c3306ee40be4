#pragma once
// Keeps the setup dialog the way the running program uses it: loaded hidden at start, shown
// modally on request, and loaded afresh (its load handler runs again) the next time any of its
// fields is read after it was closed.
#include "app/setup/frm_setup.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace qlnrec::platform {
class ModalRunner;
}

namespace qlnrec::app {

class SetupHost {
public:
    // Shows the dialog through runner (not owned; it must outlive the host).
    SetupHost(SetupContext& context, platform::ModalRunner& runner);
    // Shows the dialog with QDialog::exec() until setModalRunner names another runner.
    explicit SetupHost(SetupContext& context);
    ~SetupHost();
    SetupHost(const SetupHost&) = delete;
    SetupHost& operator=(const SetupHost&) = delete;

    void setModalRunner(platform::ModalRunner& runner) { runner_ = &runner; }
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
    std::unique_ptr<platform::ModalRunner> ownRunner_;
    platform::ModalRunner* runner_ = nullptr;
    std::unique_ptr<frmSetup> form_;
};

} // namespace qlnrec::app
