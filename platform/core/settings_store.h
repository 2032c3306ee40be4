#pragma once
// The per-user settings store: application, section, key, string value, kept in an INI file.
// Sections and keys are compared without letter case, as the store the program was written
// for does: a value written as "PopCallID" reads back as "PopCallId". Keys may begin with a
// blank (" 0" .. " 49") and round-trip exactly.
#include <QString>

#include <functional>
#include <memory>

class QSettings;

namespace qlnrec::platform {

class SettingsStore {
public:
    // The file used for an application name: $XDG_CONFIG_HOME/<name>/<name>.conf
    // (~/.config/<name>/<name>.conf when XDG_CONFIG_HOME is unset).
    static QString defaultFilePath(const QString& applicationName);
    // The executable's base name, which names the application.
    static QString applicationNameFromExecutable(const QString& executablePath);

    SettingsStore(const QString& applicationName, const QString& iniFilePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& applicationName() const { return applicationName_; }
    const QString& filePath() const { return filePath_; }

    // GetSetting: the stored value, or defaultValue when the key is absent.
    QString getSetting(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    bool contains(const QString& section, const QString& key) const;
    // SaveSetting: stores the value (under the existing spelling of the section and key when
    // one exists in another letter case) and writes the file.
    void saveSetting(const QString& section, const QString& key, const QString& value);
    void deleteSetting(const QString& section, const QString& key);
    // Writes pending changes now (saveSetting already does).
    void sync();
    // Between beginBatch and the matching endBatch, saves are kept in memory and the file is
    // written once at the end: a caller that saves many keys at once (the recordings lists)
    // rewrites the file once instead of once per key.
    void beginBatch() { ++batchDepth_; }
    void endBatch();

    // Called when the file cannot be written (read-only folder or disk, full disk), once each
    // time writing starts to fail, with the reason. The file keeps its last good contents (it
    // is replaced whole, through a temporary file in the same folder); the changes stay in
    // memory and every later save tries to write them again.
    void setWriteFailureHandler(std::function<void(const QString& reason)> handler)
    {
        onWriteFailed_ = std::move(handler);
    }
    bool writeFailing() const { return failing_; }

private:
    void write();
    bool retryWrite();

    QString storedSection(const QString& section) const;
    QString storedKey(const QString& storedSection, const QString& key) const;

    QString applicationName_;
    QString filePath_;
    std::unique_ptr<QSettings> settings_;
    int batchDepth_ = 0;
    bool failing_ = false;
    std::function<void(const QString&)> onWriteFailed_;
};

} // namespace qlnrec::platform
