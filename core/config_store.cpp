#include "core/config_store.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/shell_service.h"
#include "platform/core/text_helpers.h"

#include <QFile>

#include <cstdio>
#include <limits>

namespace qlnrec::core {

namespace {
// A value that holds a line break would split its journal entry in two; the journal is a
// one-line-per-save record, so breaks are written as blanks there (the store keeps the value).
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}
} // namespace

ConfigStore::ConfigStore(platform::SettingsStore& store, QString programFolder)
    : store_(store), programFolder_(std::move(programFolder))
{
    store_.setWriteFailureHandler([this](const QString& reason) { reportSettingsFailure(reason); });
}

ConfigStore::~ConfigStore()
{
    store_.setWriteFailureHandler({});
}

void ConfigStore::setShellService(platform::ShellService* shell, QString programPath)
{
    shell_ = shell;
    programPath_ = std::move(programPath);
}

QString ConfigStore::journalPath() const
{
    return programFolder_ + QLatin1Char('/') + QLatin1String(kJournalFileName);
}

QString ConfigStore::getSetting(const QString& section, const QString& key, const QString& defaultValue) const
{
    return store_.getSetting(section, key, defaultValue);
}

double ConfigStore::getNumber(const QString& section, const QString& key, const QString& defaultValue) const
{
    return platform::leadingNumber(getSetting(section, key, defaultValue));
}

int ConfigStore::getInt(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::int64_t v = platform::roundHalfEven(getNumber(section, key, defaultValue));
    if (v > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (v < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(v);
}

bool ConfigStore::contains(const QString& section, const QString& key) const
{
    return store_.contains(section, key);
}

QString ConfigStore::get(const SettingKey& key) const
{
    return getSetting(key.section, key.key, key.absentValue());
}

double ConfigStore::getNumber(const SettingKey& key) const
{
    return getNumber(key.section, key.key, key.absentValue());
}

int ConfigStore::getInt(const SettingKey& key) const
{
    return getInt(key.section, key.key, key.absentValue());
}

bool ConfigStore::contains(const SettingKey& key) const
{
    return contains(key.section, key.key);
}

bool ConfigStore::save(const SettingKey& key, const QString& value)
{
    if (key.journaled) {
        return saveSettingLogged(key.section, key.key, value);
    }
    saveSetting(key.section, key.key, value);
    return true;
}

void ConfigStore::saveSetting(const QString& section, const QString& key, const QString& value)
{
    store_.saveSetting(section, key, value);
}

bool ConfigStore::saveSettingLogged(const QString& section, const QString& key, const QString& value)
{
    store_.saveSetting(section, key, value);
    if (section.compare(QLatin1String("Data"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    QString error;
    const QString line =
        oneLine(section) + QLatin1Char('@') + oneLine(key) + QLatin1Char('@') + oneLine(value);
    if (appendJournalLine(line, &error)) {
        return true;
    }
    if (!startingUp_) {
        reportJournalFailure(error);
    }
    return false;
}

bool ConfigStore::appendJournalLine(const QString& line, QString* error) const
{
    QFile file(journalPath());
    // The journal holds numbers and names: readable by the user only.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray bytes = line.toUtf8() + "\r\n";
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        *error = file.errorString();
    }
    file.close();
    return written;
}

QString ConfigStore::messageText(ProgramText id) const
{
    // The language stored in this file: the failure may come before the program has read it.
    return Strings(Strings::offsetForLanguageSetting(get(keys::kLanguage))).text(id);
}

void ConfigStore::reportJournalFailure(const QString& error)
{
    std::fprintf(stderr, "qlnrec: cannot append to %s: %s\n", qPrintable(journalPath()), qPrintable(error));
    if (journalFailureReported_) {
        return;
    }
    journalFailureReported_ = true;
    if (dialogs_) {
        dialogs_->messageBox(messageText(ProgramText::SettingsJournalNotWritten).arg(journalPath(), error),
                             QStringLiteral("Quillon"), platform::MessageIcon::Exclamation);
    }
}

void ConfigStore::reportSettingsFailure(const QString& reason)
{
    std::fprintf(stderr, "qlnrec: cannot write %s: %s\n", qPrintable(store_.filePath()), qPrintable(reason));
    if (settingsFailureReported_ || !dialogs_) {
        return;
    }
    // A message box, not a status line: the user who changed a setting learns at once that it
    // is not on disk yet, and a status line may scroll away unseen. Once per run: the recordings
    // lists are saved after every call.
    settingsFailureReported_ = true;
    dialogs_->messageBox(messageText(ProgramText::SettingsFileNotWritten).arg(store_.filePath(), reason),
                         QStringLiteral("Quillon"), platform::MessageIcon::Exclamation);
}

bool ConfigStore::setAutoStart(bool on)
{
    if (!shell_) {
        return false;
    }
    return shell_->setAutoStart(on, programPath_);
}

} // namespace qlnrec::core
