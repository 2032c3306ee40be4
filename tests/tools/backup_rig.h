#pragma once
// The backup window's surroundings for tests: a recordings folder with recordings of known
// content, the settings store, the recordings lists, scripted message boxes and the model; run()
// starts a backup and waits, in the event loop, for the job to end.
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "records/recordings_lists.h"
#include "tests/support/temp_home.h"
#include "tools/backup_model.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <optional>

namespace qlnrec::test {

class BackupRig {
public:
    // By default the recordings have a folder of their own; else they lie in the program folder
    // beside the program's own sounds.
    explicit BackupRig(int languageOffset = core::Strings::kEnglish, bool recordingsInProgramFolder = false)
        : strings(languageOffset),
          recordings(recordingsInProgramFolder ? home.programFolder() + QLatin1Char('/')
                                               : home.path(QStringLiteral("recordings/")))
    {
        QDir().mkpath(home.programFolder());
        QDir().mkpath(recordings);
    }

    // A recording of `bytes` random bytes; aged unless it is still being written.
    QByteArray record(const QString& name, qsizetype bytes, bool aged = true)
    {
        QByteArray data(bytes, Qt::Uninitialized);
        QRandomGenerator random(static_cast<quint32>(qHash(name)));
        for (char& c : data) {
            c = static_cast<char>(random.generate());
        }
        writeFile(recordings + name, data);
        if (aged) {
            QFile file(recordings + name);
            file.open(QIODevice::ReadWrite);
            file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
        }
        originals[name] = data;
        return data;
    }

    // Starts the backup as OK does and waits for the job; nullopt when nothing started.
    std::optional<tools::BackupSummary> run(const QString& target, bool move)
    {
        std::optional<tools::BackupSummary> summary;
        model.finished = [&](const tools::BackupSummary& s) { summary = s; };
        if (model.start(target, move)) {
            QEventLoop loop;
            QObject::connect(&model.job(), &tools::BackupJob::finished, &loop, &QEventLoop::quit);
            loop.exec();
        }
        model.finished = nullptr;
        return summary;
    }

    // Every recording is still in the recordings folder or in the target, whole; and no
    // partial file is left in the target.
    void expectNothingLost(const QString& target) const
    {
        for (auto it = originals.cbegin(); it != originals.cend(); ++it) {
            const bool inSource = readFile(recordings + it.key()) == it.value();
            const bool inTarget = readFile(target + QLatin1Char('/') + it.key()) == it.value();
            EXPECT_TRUE(inSource || inTarget) << it.key().toStdString();
        }
        EXPECT_EQ(QDir(target).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
                  QStringList());
    }

    QString lastMessage() const
    {
        const auto messages = dialogs.messages();
        return messages.empty() ? QString() : messages.back().text;
    }

    TempHome home;
    platform::SettingsStore store{QStringLiteral("qlnrec"), home.configFile()};
    core::ConfigStore config{store, home.programFolder()};
    platform::ScriptedDialogService dialogs;
    core::Strings strings;
    QString recordings;
    records::RecordingLists lists{config, dialogs, strings, recordings};
    tools::BackupModel model{config, strings, dialogs, lists, {QStringLiteral("Greeting.wav")}};
    QMap<QString, QByteArray> originals;
};

} // namespace qlnrec::test
