#pragma once
// A whole start-up environment from test backends: virtual time, a private home, a scripted
// dialog service, a recording shell, and parts that log the order in which they are called.
#include "app/app_services.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/startup_parts.h"
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "records/status_log.h"
#include "tests/support/temp_home.h"

#include <QMouseEvent>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace qlnrec::test {

// Every hook and window appends its name to one shared call log.
class CallLog {
public:
    void add(const QString& name)
    {
        calls.append(name);
        if (onCall) {
            onCall(name);
        }
    }
    QStringList calls;
    std::function<void(const QString&)> onCall;
};

class RecordingParts final : public app::StartupParts, public app::MainWindowCommands {
public:
    explicit RecordingParts(CallLog& log) : log_(log) {}

    void resetLineState() override { log_.add(QStringLiteral("resetLineState")); }
    void initTelephony() override { log_.add(QStringLiteral("initTelephony")); }
    app::SetupOutcome showSetupModal(QWidget*) override
    {
        log_.add(QStringLiteral("showSetupModal"));
        return setupOutcome;
    }
    void setRingTimerInterval(int line, std::uint32_t intervalMs) override
    {
        log_.add(QStringLiteral("setRingTimerInterval %1 %2").arg(line).arg(intervalMs));
    }
    void loadSetupHidden() override { log_.add(QStringLiteral("loadSetupHidden")); }
    bool minimizeOnStart() const override
    {
        log_.add(QStringLiteral("minimizeOnStart"));
        return minimise;
    }
    void openLines() override { log_.add(QStringLiteral("openLines")); }
    void loadRecordingLists() override { log_.add(QStringLiteral("loadRecordingLists")); }
    void recoverRecordings() override { log_.add(QStringLiteral("recoverRecordings")); }
    std::optional<QString> lineDeviceText(int line) const override
    {
        return deviceText[static_cast<std::size_t>(line)];
    }
    void loadPhoneBook() override { log_.add(QStringLiteral("loadPhoneBook")); }
    void loadRingRules() override
    {
        log_.add(QStringLiteral("loadRingRules"));
        if (ringRulesThrow) {
            throw std::runtime_error("unreadable rule");
        }
    }
    void findTrueSpeechDriver() override { log_.add(QStringLiteral("findTrueSpeechDriver")); }
    void loadBlockList() override { log_.add(QStringLiteral("loadBlockList")); }
    void finishRecordings() override { log_.add(QStringLiteral("finishRecordings")); }
    void closeMedia() override { log_.add(QStringLiteral("closeMedia")); }
    void closeLines() override { log_.add(QStringLiteral("closeLines")); }

    void openSetup(QWidget*) override { log_.add(QStringLiteral("openSetup")); }
    void openLogViewer(QWidget*) override { log_.add(QStringLiteral("openLogViewer")); }
    void openBackup(QWidget*) override { log_.add(QStringLiteral("openBackup")); }
    void openHelp() override { log_.add(QStringLiteral("openHelp")); }
    void browseWaveFiles(QWidget*) override { log_.add(QStringLiteral("browseWaveFiles")); }
    void play() override { log_.add(QStringLiteral("play")); }
    void stop() override { log_.add(QStringLiteral("stop")); }
    void pause() override { log_.add(QStringLiteral("pause")); }
    void openDialer(QWidget*) override { log_.add(QStringLiteral("openDialer")); }
    void quickDial(QWidget*) override { log_.add(QStringLiteral("quickDial")); }
    void openVolumeControl() override { log_.add(QStringLiteral("openVolumeControl")); }

    app::SetupOutcome setupOutcome = app::SetupOutcome::Exited;
    bool minimise = false;
    bool ringRulesThrow = false;
    std::array<std::optional<QString>, app::kLineCount> deviceText{};

private:
    CallLog& log_;
};

class FakeWindows final : public app::ModalWindows {
public:
    explicit FakeWindows(CallLog& log) : log_(log) {}
    app::DisclaimerChoice showDisclaimer(QWidget*) override
    {
        log_.add(QStringLiteral("frmTip"));
        return disclaimer;
    }
    void showWhatsNew(QWidget*) override { log_.add(QStringLiteral("frmWhatsNew")); }
    void showStandIn(QWidget*, const QString& title, const QString&) override
    {
        log_.add(QStringLiteral("standIn ") + title);
    }
    app::DisclaimerChoice disclaimer = app::DisclaimerChoice::Agree;

private:
    CallLog& log_;
};

class AppHarness {
public:
    AppHarness();
    ~AppHarness();

    QString programFolder() const { return home.programFolder(); }
    QString journal() const { return QString::fromUtf8(readFile(config.journalPath())); }
    QString steps() const
    {
        return QString::fromUtf8(readFile(programFolder() + QStringLiteral("/Steps.txt")));
    }
    // Every "section/key" in the settings file, sorted.
    QStringList storedKeys() const;
    QByteArray settingsFileBytes() const { return readFile(home.configFile()); }
    // Number of calls with this name (or starting with it when prefix).
    int count(const QString& name) const { return static_cast<int>(log.calls.count(name)); }
    int indexOf(const QString& name) const { return static_cast<int>(log.calls.indexOf(name)); }

    TempHome home;
    platform::VirtualEventService events;
    platform::SettingsStore store;
    core::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    platform::RecordingShellService shell;
    core::Strings strings;
    records::StatusLog statusLog;
    app::RunState state;
    CallLog log;
    RecordingParts parts{log};
    FakeWindows windows{log};
    app::Lifecycle lifecycle;
    app::AppServices services;
    int programEnds = 0;
};

// Mouse helpers: a press and release of a button at a point of a widget.
void sendPress(QWidget* widget, Qt::MouseButton button, QPoint at = QPoint(3, 3));
void sendRelease(QWidget* widget, Qt::MouseButton button, QPoint at = QPoint(3, 3));
void sendClick(QWidget* widget, QPoint at = QPoint(3, 3));
void sendMove(QWidget* widget, QPoint at);
void sendKey(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace qlnrec::test
