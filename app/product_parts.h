#pragma once
// The program's own filling of the load sequence and the main window's commands: what exists
// is called, and features still to come show a stand-in window that only closes.
#include "app/startup_parts.h"

#include <functional>
#include <memory>

namespace qlnrec::platform {
class LinePlatform;
class MciService;
} // namespace qlnrec::platform

namespace qlnrec::app {

struct AppServices;
class LineParts;
class frmMain;

class ProductParts final : public StartupParts, public MainWindowCommands {
public:
    ProductParts();
    ~ProductParts() override;

    // services is filled in after construction (the bundle refers to this object too).
    void setServices(AppServices* services) { services_ = services; }
    // The media control service (its "MyMedia" player is closed at shutdown) and the lines.
    void setMci(platform::MciService* mci) { mci_ = mci; }
    void setLines(platform::LinePlatform* lines) { lines_ = lines; }
    platform::LinePlatform* lines() const { return lines_; }
    // The main window once it exists (line control reads its option boxes).
    void setMainWindow(std::function<frmMain*()> mainWindow) { mainWindow_ = std::move(mainWindow); }
    // Line control and the setup dialog over the lines; null until both the services and the
    // lines are set.
    LineParts* lineParts() const;

    // StartupParts
    void resetLineState() override;
    void initTelephony() override;
    SetupOutcome showSetupModal(QWidget* owner) override;
    void setRingTimerInterval(int line, std::uint32_t intervalMs) override;
    void setRingInterval(int line, int number, int intervalMs) override;
    void loadSetupHidden() override;
    bool minimizeOnStart() const override;
    void openLines() override;
    std::optional<QString> lineDeviceText(int line) const override;
    void closeMedia() override;
    void closeLines() override;
    void unloadWindows() override;

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
    std::function<frmMain*()> mainWindow_;
    mutable std::unique_ptr<LineParts> lineParts_;
};

} // namespace qlnrec::app
