#pragma once
// The demonstration of --demo: one simulated line rings until the program answers; the caller
// hears the greeting and the beep, leaves a message and hangs up. It runs in a profile of its own
// (settings, program folder and recordings in one temporary folder), so a newcomer's first look
// neither asks for a set-up nor touches the user's own files.
#include <QString>

#include <memory>

namespace qlnrec::platform {
class SettingsStore;
}

namespace qlnrec::app {

QString demoScenarioText();

class DemoProfile {
public:
    // A fresh private folder under the system's temporary folder, or the folder the user named
    // with --home (which is kept); nothing with *error set when none can be made.
    static std::unique_ptr<DemoProfile> create(const QString& home, QString* error);
    // Removes the folder with everything the run left in it, unless it is kept.
    ~DemoProfile();
    DemoProfile(const DemoProfile&) = delete;
    DemoProfile& operator=(const DemoProfile&) = delete;

    const QString& folder() const { return folder_; }
    QString settingsPath() const;
    // Line 0 in use, answered on the fourth ring with its caller in the popup, and a recordings
    // folder stored: a start with one stored is not a first start, so neither the disclaimer nor
    // the setup dialog stand between the newcomer and the call.
    void prepareSettings(platform::SettingsStore& store) const;
    // Keep the folder after the run for a look at what the call left behind.
    void keep() { keep_ = true; }
    bool kept() const { return keep_; }

private:
    explicit DemoProfile(QString folder) : folder_(std::move(folder)) {}

    QString folder_;
    bool keep_ = false;
};

} // namespace qlnrec::app
