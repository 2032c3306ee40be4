// Backing up the recordings: copy and move verified byte for byte, the lists emptied by a move,
// names already in the target, recordings still being written, and targets that fail (full,
// read-only): whatever happens, every recording stays in the recordings folder or whole in the
// target.
#include "tests/support/small_disk.h"
#include "tests/tools/backup_rig.h"

#include <QFileInfo>

namespace qlnrec::test {
namespace {

using platform::MessageButtons;
using platform::MessageResult;

TEST(Backup, CopyThenMoveKeepEveryRecordingWholeAndTheMoveEmptiesTheLists)
{
    BackupRig rig(core::Strings::kEnglish, /*recordingsInProgramFolder=*/true);
    rig.record(QStringLiteral("A~L 0~2026-12-08~10-00-00~5551234 Zoë.wav"), 3 * 1024 * 1024 + 17);
    rig.record(QStringLiteral("M~L 1~2026-12-08~11-00-00~UNKNOWN.wav"), 16000);
    rig.record(QStringLiteral("O~L 0~2026-12-08~12-00-00~555.WAV"), 0);
    rig.record(QStringLiteral("Greeting.wav"), 4000); // the answering machine's, not a recording
    test::writeFile(rig.recordings + QStringLiteral("notes.txt"), "not a recording");
    rig.lists.AddFinishedRecording(QStringLiteral("A~L 0~2026-12-08~10-00-00~5551234 Zoë.wav"));
    rig.lists.AddFinishedRecording(QStringLiteral("M~L 1~2026-12-08~11-00-00~UNKNOWN.wav"));
    const QString copies = rig.home.path(QStringLiteral("usb stick/copies"));
    const QString moved = rig.home.path(QStringLiteral("usb stick/moved"));
    QDir().mkpath(copies);
    QDir().mkpath(moved);

    auto summary = rig.run(copies, false);
    ASSERT_TRUE(summary);
    EXPECT_EQ(rig.dialogs.messages().front().text, QStringLiteral("Confirm Copy £¿"));
    EXPECT_EQ(rig.dialogs.messages().front().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(rig.lastMessage(), QStringLiteral("Copied: 3\nSkipped: 0\nFailed: 0"));
    EXPECT_EQ(QDir(copies).entryList(QDir::Files | QDir::Hidden).size(), 3);
    for (const QString& name : summary->done) {
        EXPECT_EQ(readFile(copies + QLatin1Char('/') + name), rig.originals[name]) << name.toStdString();
        EXPECT_EQ(readFile(rig.recordings + name), rig.originals[name]) << name.toStdString();
        EXPECT_EQ(QFileInfo(copies + QLatin1Char('/') + name).lastModified(),
                  QFileInfo(rig.recordings + name).lastModified());
    }
    EXPECT_EQ(rig.lists.recent().size() + rig.lists.unread().size(), 2);

    // A recording the recorder has just finished stays for the next backup.
    const QString fresh = QStringLiteral("A~L 2~2026-12-08~13-00-00~5550000.wav");
    rig.record(fresh, 8000, /*aged=*/false);
    rig.dialogs.clear();
    summary = rig.run(moved, true);
    ASSERT_TRUE(summary);
    EXPECT_EQ(rig.dialogs.messages().front().text, QStringLiteral("Confirm Copy And Delete Source Files?"));
    EXPECT_EQ(summary->done.size(), 3);
    EXPECT_EQ(summary->skipped, QStringList{fresh + QStringLiteral(": still being written")});
    for (const QString& name : summary->done) {
        EXPECT_EQ(readFile(moved + QLatin1Char('/') + name), rig.originals[name]) << name.toStdString();
        EXPECT_FALSE(QFileInfo::exists(rig.recordings + name)) << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + fresh));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("Greeting.wav")));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("notes.txt")));
    EXPECT_TRUE(rig.lists.recent().isEmpty());
    EXPECT_TRUE(rig.lists.unread().isEmpty());
    for (int i = 0; i < records::RecordingLists::kCapacity; ++i) {
        for (const char* section : {"Data", "DataUnread"}) {
            const QString key = records::RecordingLists::slotKey(i);
            EXPECT_TRUE(rig.store.contains(QString::fromLatin1(section), key))
                << section << key.toStdString();
            EXPECT_EQ(rig.store.getSetting(QString::fromLatin1(section), key), QString())
                << section << key.toStdString();
        }
    }
    rig.expectNothingLost(moved);

    // The copies are there already: No leaves them as they are and says so.
    QFile::remove(rig.recordings + fresh);
    rig.dialogs.clear();
    rig.record(QStringLiteral("M~L 1~2026-12-08~11-00-00~UNKNOWN.wav"), 500); // a newer take of that name
    rig.dialogs.queueMessageResult(MessageResult::Ok);
    rig.dialogs.queueMessageResult(MessageResult::No);
    summary = rig.run(copies, false);
    ASSERT_TRUE(summary);
    EXPECT_EQ(rig.dialogs.messages()[1].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(summary->done.isEmpty());
    EXPECT_EQ(readFile(copies + QStringLiteral("/M~L 1~2026-12-08~11-00-00~UNKNOWN.wav")).size(), 16000);
    // Yes replaces it.
    rig.dialogs.queueMessageResult(MessageResult::Ok);
    rig.dialogs.queueMessageResult(MessageResult::Yes);
    summary = rig.run(copies, false);
    ASSERT_TRUE(summary);
    EXPECT_EQ(readFile(copies + QStringLiteral("/M~L 1~2026-12-08~11-00-00~UNKNOWN.wav")).size(), 500);
}

TEST(Backup, NothingHappensWithoutConsentAWrongTargetOrNoRecordings)
{
    BackupRig rig;
    rig.record(QStringLiteral("A~L 0~1.wav"), 1000);
    const QString target = rig.home.path(QStringLiteral("target"));
    QDir().mkpath(target);

    rig.dialogs.queueMessageResult(MessageResult::Cancel);
    EXPECT_FALSE(rig.run(target, false));
    rig.dialogs.queueMessageResult(MessageResult::Cancel);
    EXPECT_FALSE(rig.run(target, true));
    EXPECT_EQ(rig.dialogs.messages().size(), 2u);

    // Onto itself a move would delete the only copy.
    EXPECT_FALSE(rig.run(rig.recordings, true));
    EXPECT_EQ(rig.lastMessage(),
              QStringLiteral("The target is the recordings folder itself. Please select another "
                             "folder."));
    EXPECT_FALSE(rig.run(rig.home.path(QStringLiteral("gone")), false));
    EXPECT_TRUE(rig.lastMessage().startsWith(QStringLiteral("The folder ")));
    EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("A~L 0~1.wav")));

    QFile::remove(rig.recordings + QStringLiteral("A~L 0~1.wav"));
    EXPECT_FALSE(rig.run(target, false));
    EXPECT_TRUE(rig.lastMessage().startsWith(QStringLiteral("There are no recordings (*.wav) in ")));
    EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST(Backup, AFullTargetStopsTheMoveWithNothingLost)
{
    BackupRig rig;
    const QString target = rig.home.path(QStringLiteral("small"));
    SmallDisk disk(target, 2 * 1024 * 1024);
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot().toStdString();
    }
    for (const char* name : {"A~1.wav", "A~2.wav", "A~3.wav", "A~4.wav"}) {
        rig.record(QString::fromLatin1(name), 700 * 1024);
    }
    const auto summary = rig.run(target, true);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->done.size(), 2);
    EXPECT_EQ(summary->failed.size(), 1);
    EXPECT_TRUE(summary->stoppedBy.startsWith(QStringLiteral("A~3.wav could not be written to ")));
    EXPECT_TRUE(summary->stoppedBy.endsWith(QStringLiteral("No space left on device")));
    EXPECT_TRUE(rig.lastMessage().startsWith(QStringLiteral("The backup stopped: A~3.wav")));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("A~3.wav")));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("A~4.wav")));
    rig.expectNothingLost(target);
}

TEST(Backup, AReadOnlyTargetStopsAtTheFirstRecordingWithNothingLost)
{
    BackupRig rig;
    const QString target = rig.home.path(QStringLiteral("readonly"));
    SmallDisk disk(target);
    if (!disk.mounted() || !disk.setReadOnly(true)) {
        GTEST_SKIP() << "no read-only disk: " << disk.whyNot().toStdString();
    }
    rig.record(QStringLiteral("A~1.wav"), 5000);
    rig.record(QStringLiteral("A~2.wav"), 5000);
    const auto summary = rig.run(target, true);
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->done.isEmpty());
    EXPECT_TRUE(summary->stoppedBy.endsWith(QStringLiteral("Read-only file system")));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("A~1.wav")));
    EXPECT_TRUE(QFileInfo::exists(rig.recordings + QStringLiteral("A~2.wav")));
    rig.expectNothingLost(target);
}

TEST(Backup, CancelWhileRunningLeavesNoPartialFile)
{
    BackupRig rig;
    for (const char* name : {"A~1.wav", "A~2.wav", "A~3.wav"}) {
        rig.record(QString::fromLatin1(name), 8 * 1024 * 1024);
    }
    const QString target = rig.home.path(QStringLiteral("target"));
    QDir().mkpath(target);
    QObject::connect(&rig.model.job(), &tools::BackupJob::progress, &rig.model.job(),
                     [&](const tools::BackupProgress&) { rig.model.job().cancel(); });
    const auto summary = rig.run(target, true);
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->cancelled || summary->done.size() == 3);
    EXPECT_TRUE(summary->failed.isEmpty());
    rig.expectNothingLost(target);
}

} // namespace
} // namespace qlnrec::test
