#pragma once
// The program's own filling of the load sequence and the main window's commands: what exists
// is called, and features still to come show a stand-in window that only closes.
#include "app/startup_parts.h"

namespace qlnrec::platform {
class LinePlatform;
class MciService;
} // namespace qlnrec::platform

namespace qlnrec::app {

struct AppServices;

class ProductParts final : public StartupParts, public MainWindowCommands {
public:
    // services is filled in after construction (the bundle refers to this object too).
    void setServices(AppServices* services) { services_ = services; }
    // The media control service (its "MyMedia" player is closed at shutdown) and the lines.
    void setMci(platform::MciService* mci) { mci_ = mci; }
    void setLines(platform::LinePlatform* lines) { lines_ = lines; }
    platform::LinePlatform* lines() const { return lines_; }

    // StartupParts
    SetupOutcome showSetupModal(QWidget* owner) override;
    bool minimizeOnStart() const override;
    void closeMedia() override;

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
    platform::MciService* mci_ = nullptr;
    platform::LinePlatform* lines_ = nullptr;
};

} // namespace qlnrec::app
