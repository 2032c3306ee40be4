#pragma once
// The program's own filling of the load sequence and the main window's commands: what exists
// is called, and features still to come show a stand-in window that only closes.
#include "app/startup_parts.h"

namespace qlnrec::app {

struct AppServices;

class ProductParts final : public StartupParts, public MainWindowCommands {
public:
    // services is filled in after construction (the bundle refers to this object too).
    void setServices(AppServices* services) { services_ = services; }

    // StartupParts
    SetupOutcome showSetupModal(QWidget* owner) override;
    bool minimizeOnStart() const override;

    // MainWindowCommands
    void openSetup(QWidget* owner) override;
    void openLogViewer(QWidget* owner) override;
    void openBackup(QWidget* owner) override;
    void openHelp() override;
    void browseWaveFiles(QWidget* owner) override;
    void openDialer(QWidget* owner) override;
    void quickDial(QWidget* owner) override;
    void openVolumeControl() override;

private:
    void standIn(QWidget* owner, const QString& title);

    AppServices* services_ = nullptr;
};

} // namespace qlnrec::app
