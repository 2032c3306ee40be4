#include "app/demo_scenario.h"

#include "core/program_folders.h"
#include "core/strings.h"
#include "platform/core/settings_store.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace qlnrec::app {

QString demoScenarioText()
{
    // The caller speaks where espeak-ng is installed; otherwise a tone stands in for the voice,
    // so the demonstration runs on any machine.
    const bool canSpeak = !QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty();
    const QString message =
        canSpeak
            ? QStringLiteral("audio speech=\"Hello, this is the demonstration caller. I am sorry I missed "
                             "you. Please call me back when you can. Goodbye.\"")
            : QStringLiteral("audio tone=440 duration=6");
    return QStringLiteral(
               "# A demonstration call on simulated line 0: the caller lets it ring until the\n"
               "# program answers, hears the greeting and the beep, leaves a message and hangs up.\n"
               "line 0 name=\"Demo Voice Modem\"\n"
               "5s   0 ring 8\n"
               "6s   0 callerid number=5551234567 name=\"Demo Caller\"\n"
               "+0   0 wait offhook timeout=120\n"
               "+0   0 wait generated timeout=120\n"
               "+0.5 0 %1\n"
               "+9   0 hangup\n"
               "+4   0 end\n")
        .arg(message);
}

std::unique_ptr<DemoProfile> DemoProfile::create(const QString& home, QString* error)
{
    if (!home.isEmpty()) {
        const QString folder = core::ProgramFolders::resolveProgramFolder(home);
        // Said on the terminal, in English.
        if (!core::ProgramFolders::ensureWritableFolder(folder, core::Strings(), error)) {
            return nullptr;
        }
        auto profile = std::unique_ptr<DemoProfile>(new DemoProfile(folder));
        profile->keep();
        return profile;
    }
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qlnrec-demo-XXXXXX"));
    if (!dir.isValid()) {
        *error = QStringLiteral("cannot make a folder for the demonstration in %1 (%2)")
                     .arg(QDir::tempPath(), dir.errorString());
        return nullptr;
    }
    dir.setAutoRemove(false);
    return std::unique_ptr<DemoProfile>(new DemoProfile(dir.path()));
}

DemoProfile::~DemoProfile()
{
    if (!keep_) {
        QDir(folder_).removeRecursively();
    }
}

QString DemoProfile::settingsPath() const
{
    return folder_ + QStringLiteral("/qlnrec.conf");
}

void DemoProfile::prepareSettings(platform::SettingsStore& store) const
{
    // Made private to the user before the first setting goes in; a file there stays as it is.
    QFile(store.filePath()).open(QIODevice::Append, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString config = QStringLiteral("Config");
    store.saveSetting(config, QStringLiteral("SaveFile"), folder_ + QStringLiteral("/waveFiles/"));
    store.saveSetting(config, QStringLiteral("Line0"), QStringLiteral("1"));
    store.saveSetting(config, QStringLiteral("Rings"), QStringLiteral("4"));
    store.saveSetting(config, QStringLiteral("PopCallID"), QStringLiteral("1"));
}

} // namespace qlnrec::app
