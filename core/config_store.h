#pragma once
// The program's view of the settings store: reads with defaults and lenient numbers, plain
// saves, journaled saves (settings.txt in the program folder) and the start-at-login entry.
// Callers name keys from the settings table (core/settings_table.h); the plain section/key
// functions remain for code that has not moved to the table yet.
#include "core/program_texts.h"
#include "core/settings_table.h"

#include <QString>

namespace qlnrec::platform {
class SettingsStore;
class DialogService;
class ShellService;
} // namespace qlnrec::platform

namespace qlnrec::core {

class ConfigStore {
public:
    static constexpr const char* kJournalFileName = "settings.txt";

    ConfigStore(platform::SettingsStore& store, QString programFolder);
    ~ConfigStore();
    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    // Where journal failures are reported (not owned; may be null: failures are then only
    // written to standard error).
    void setDialogService(platform::DialogService* dialogs) { dialogs_ = dialogs; }
    // The shell that writes the start-at-login entry for programPath (not owned).
    void setShellService(platform::ShellService* shell, QString programPath);
    // While the program starts, a journal that cannot be appended is ignored silently; after
    // that the first failure of the run is reported once.
    void setStartingUp(bool startingUp) { startingUp_ = startingUp; }

    platform::SettingsStore& store() { return store_; }
    const QString& programFolder() const { return programFolder_; }
    QString journalPath() const;

    // The stored value, or defaultValue when the key is absent.
    QString getSetting(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The lenient numeric value of a setting: garbled text reads as 0.
    double getNumber(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The numeric value rounded to an int (halves to even), clamped to the int range.
    int getInt(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    bool contains(const QString& section, const QString& key) const;

    // Reads and saves by table entry: an absent key reads as the entry's default, and a save is
    // journaled exactly when the entry says so. save returns false when a journal line could not
    // be appended (the value is saved either way).
    QString get(const SettingKey& key) const;
    double getNumber(const SettingKey& key) const;
    int getInt(const SettingKey& key) const;
    bool contains(const SettingKey& key) const;
    bool save(const SettingKey& key, const QString& value);

    void saveSetting(const QString& section, const QString& key, const QString& value);
    // Saves, then (unless the section is "Data") appends "section@key@value" CR LF to the
    // journal. Returns false when the journal line could not be appended (the value is saved
    // either way).
    bool saveSettingLogged(const QString& section, const QString& key, const QString& value);

    // The start-at-login entry: on starts the program at login, off leaves the entry present
    // but inactive. False when there is no shell or the entry cannot be written.
    bool setAutoStart(bool on);

    bool journalFailureReported() const { return journalFailureReported_; }
    // The settings file could not be written this run (reported once, by message box).
    bool settingsFailureReported() const { return settingsFailureReported_; }

private:
    bool appendJournalLine(const QString& line, QString* error) const;
    QString messageText(ProgramText id) const;
    void reportJournalFailure(const QString& error);
    void reportSettingsFailure(const QString& reason);

    platform::SettingsStore& store_;
    QString programFolder_;
    platform::DialogService* dialogs_ = nullptr;
    platform::ShellService* shell_ = nullptr;
    QString programPath_;
    bool startingUp_ = false;
    bool journalFailureReported_ = false;
    bool settingsFailureReported_ = false;
};

} // namespace qlnrec::core
