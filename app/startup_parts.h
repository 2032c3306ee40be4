#pragma once
// The subsystems the main window's load sequence and shutdown call, in a fixed order. Each
// method has an empty default so the order is settled here while the subsystems fill them in.
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace qlnrec::app {

enum class SetupOutcome { Exited, Saved };

class StartupParts {
public:
    virtual ~StartupParts() = default;

    // Load sequence, in the order the main window calls them.
    virtual void resetLineState() {} // per-line call records
    virtual void initTelephony() {}  // telephony interface
    virtual SetupOutcome showSetupModal(QWidget* /*owner*/) { return SetupOutcome::Exited; }
    virtual void setRingTimerInterval(int /*line*/, std::uint32_t /*intervalMs*/) {}
    // A learned ring interval (number 1..6) of a line as the load sequence reads or resets it.
    virtual void setRingInterval(int /*line*/, int /*number*/, int /*intervalMs*/) {}
    virtual void loadSetupHidden() {}                      // hidden setup dialog
    virtual bool minimizeOnStart() const { return false; } // held by the setup dialog
    virtual void openLines() {}
    virtual void loadRecordingLists() {}
    // Recordings an earlier run left unfinished (it crashed, or a file could not be written)
    // are written and listed; needs the recordings lists.
    virtual void recoverRecordings() {}
    // The device text of a line as the hidden setup dialog shows it; nullopt while there is no
    // setup dialog to ask.
    virtual std::optional<QString> lineDeviceText(int /*line*/) const { return std::nullopt; }
    virtual void loadPhoneBook() {}
    virtual void loadRingRules() {}
    virtual void findTrueSpeechDriver() {}
    virtual void loadBlockList() {}

    // Shutdown.
    virtual void finishRecordings() {} // every recording in progress or being finished is written
    virtual void closeMedia() {}       // the recording player's media alias
    virtual void closeLines() {}       // every open line, then the telephony interface
    virtual void unloadWindows() {}    // windows the subsystems own
};

// What the main window's buttons and keys ask for.
class MainWindowCommands {
public:
    virtual ~MainWindowCommands() = default;
    virtual void openSetup(QWidget* /*owner*/) {}       // cmdParam
    virtual void openLogViewer(QWidget* /*owner*/) {}   // cmdLog
    virtual void openBackup(QWidget* /*owner*/) {}      // cmdBackup
    virtual void openHelp() {}                          // cmdHelp
    virtual void browseWaveFiles(QWidget* /*owner*/) {} // cmdBrows
    virtual void play() {}                              // cmdPlay
    virtual void stop() {}                              // cmdStop
    virtual void pause() {}                             // cmdPause
    virtual void openDialer(QWidget* /*owner*/) {}      // cmdDialOut
    virtual void quickDial(QWidget* /*owner*/) {}       // right button on lblDial
    virtual void openVolumeControl() {}                 // lblSpeaker
    virtual void windowMinimised() {}                   // to the notification area
    // The status list's pop-up menu: mmuPrintLog, and mmuAddToBlack on the selected line.
    virtual void printStatusLog() {}
    virtual void addCallerToBlackList(QWidget* /*owner*/, const QString& /*statusLine*/) {}
    // mmuAddPB: the phone book's add form with the caller of the selected line.
    virtual void addCallerToPhoneBook(QWidget* /*owner*/, const QString& /*statusLine*/) {}
};

} // namespace qlnrec::app
