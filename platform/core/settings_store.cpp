#include "settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace qlnrec::platform {

namespace {
// QSettings keeps top-level keys in a section called "General"; we never use top-level keys,
// so a section of that name is stored under a distinct group to stay separate.
QString groupFor(const QString& section)
{
    return section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ? QStringLiteral("%General")
                                                                               : section;
}
} // namespace

QString SettingsStore::defaultFilePath(const QString& applicationName)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QLatin1Char('/') + applicationName + QLatin1Char('/') + applicationName +
           QStringLiteral(".conf");
}

QString SettingsStore::applicationNameFromExecutable(const QString& executablePath)
{
    const QString name = QFileInfo(executablePath).completeBaseName();
    return name.isEmpty() ? QStringLiteral("qlnrec") : name;
}

SettingsStore::SettingsStore(const QString& applicationName, const QString& iniFilePath)
    : applicationName_(applicationName), filePath_(iniFilePath)
{
    QDir().mkpath(QFileInfo(iniFilePath).absolutePath());
    settings_ = std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::storedSection(const QString& section) const
{
    const QString wanted = groupFor(section);
    const QStringList groups = settings_->childGroups();
    for (const QString& g : groups) {
        if (g.compare(wanted, Qt::CaseInsensitive) == 0) {
            return g;
        }
    }
    return wanted;
}

QString SettingsStore::storedKey(const QString& group, const QString& key) const
{
    settings_->beginGroup(group);
    const QStringList keys = settings_->childKeys();
    settings_->endGroup();
    for (const QString& k : keys) {
        if (k.compare(key, Qt::CaseInsensitive) == 0) {
            return k;
        }
    }
    return key;
}

QString SettingsStore::getSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const
{
    const QString group = storedSection(section);
    const QString path = group + QLatin1Char('/') + storedKey(group, key);
    const QVariant value = settings_->value(path);
    if (!value.isValid()) {
        return defaultValue;
    }
    // A value containing commas reads back as a list from an INI file; join it again.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

bool SettingsStore::contains(const QString& section, const QString& key) const
{
    const QString group = storedSection(section);
    return settings_->contains(group + QLatin1Char('/') + storedKey(group, key));
}

void SettingsStore::saveSetting(const QString& section, const QString& key, const QString& value)
{
    const QString group = storedSection(section);
    settings_->setValue(group + QLatin1Char('/') + storedKey(group, key), value);
    if (batchDepth_ == 0) {
        write();
    }
}

void SettingsStore::deleteSetting(const QString& section, const QString& key)
{
    const QString group = storedSection(section);
    settings_->remove(group + QLatin1Char('/') + storedKey(group, key));
    write();
}

void SettingsStore::sync()
{
    write();
}

void SettingsStore::write()
{
    if (failing_) {
        failing_ = !retryWrite();
        return;
    }
    // QSettings writes a temporary file in the same folder and renames it over the old one, so
    // a failed write leaves the old file whole.
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        return;
    }
    failing_ = true;
    if (onWriteFailed_) {
        const QFileInfo folder(QFileInfo(filePath_).absolutePath());
        onWriteFailed_(folder.isDir() && !folder.isWritable()
                           ? QStringLiteral("the folder %1 is read-only").arg(folder.filePath())
                           : QStringLiteral("the disk is full or read-only"));
    }
}

bool SettingsStore::retryWrite()
{
    // A QSettings keeps its first error for good. Another one over the same file shares its
    // unsaved changes (Qt keeps one copy of a file's settings per process), and its status tells
    // whether the file takes them now.
    auto fresh = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
    fresh->sync();
    if (fresh->status() != QSettings::NoError) {
        return false;
    }
    settings_ = std::move(fresh);
    return true;
}

void SettingsStore::endBatch()
{
    if (batchDepth_ > 0 && --batchDepth_ == 0) {
        write();
    }
}

} // namespace qlnrec::platform
