#pragma once
// The program's own filling of the load sequence and the main window's commands: what exists
// is called, and features still to come show a stand-in window that only closes.
#include "app/startup_parts.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace qlnrec::platform {
class LinePlatform;
class MciService;
class AcmDriverRegistry;
class AcmService;
} // namespace qlnrec::platform

namespace qlnrec::audio {
class Recorder;
class RecordingHooks;
} // namespace qlnrec::audio

namespace qlnrec::records {
class RecordingLists;
class RecordingListsBinder;
} // namespace qlnrec::records

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
    // The compression service with the built-in drivers, shared by the recorder and the player.
    platform::AcmService& acm() { return *acm_; }
    void setLines(platform::LinePlatform* lines) { lines_ = lines; }
    platform::LinePlatform* lines() const { return lines_; }
    // The main window once it exists (line control reads its option boxes).
    void setMainWindow(std::function<frmMain*()> mainWindow) { mainWindow_ = std::move(mainWindow); }
    // Line control and the setup dialog over the lines; null until both the services and the
    // lines are set.
    LineParts* lineParts() const;
    // The recording engine over the lines (null without lines) and the recordings lists (null
    // before the load step that reads them).
    audio::Recorder* recorder() const;
    records::RecordingLists* recordingLists() const { return recordingLists_.get(); }

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
    void loadRecordingLists() override;
    void findTrueSpeechDriver() override;
    void closeMedia() override;
    void closeLines() override;
    void unloadWindows() override;

    // MainWindowCommands
    void openSetup(QWidget* owner) override;
    void openLogViewer(QWidget* owner) override;
    void openBackup(QWidget* owner) override;
    void openHelp() override;
    void browseWaveFiles(QWidget* owner) override;
    void play() override;
    void openDialer(QWidget* owner) override;
    void quickDial(QWidget* owner) override;
    void openVolumeControl() override;

private:
    void standIn(QWidget* owner, const QString& title);

    AppServices* services_ = nullptr;
    platform::MciService* mci_ = nullptr;
    platform::LinePlatform* lines_ = nullptr;
    std::function<frmMain*()> mainWindow_;
    // Recording: the compression drivers and service and the hooks line control calls, which
    // line control needs for as long as it lives; the engine and the lists, which need it.
    std::unique_ptr<platform::AcmDriverRegistry> acmRegistry_;
    std::unique_ptr<platform::AcmService> acm_;
    std::unique_ptr<audio::RecordingHooks> recordingHooks_;
    mutable std::unique_ptr<LineParts> lineParts_;
    mutable std::unique_ptr<audio::Recorder> recorder_;
    std::unique_ptr<records::RecordingLists> recordingLists_;
    // Lives with the main window's lists.
    QPointer<QObject> recordingListsBinder_;
};

} // namespace qlnrec::app
