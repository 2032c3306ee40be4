// The whole program: Backup on the main window moves the recordings away while a call is being
// recorded. The call's recording is neither moved nor damaged, and it is listed after the lists
// were emptied for the move.
#include "tests/e2e/recording/recording_rig.h"
#include "ui/tools/frm_backup.h"

#include <QCheckBox>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

TEST(BackupDuringACall, TheRecordingOfACallMadeDuringAMoveStaysWholeAndListed)
{
    RecordingRig rig;
    rig.openLines({0});
    QMap<QString, QByteArray> old;
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("M~L 1~2026-12-0%1~10-00-00~5551234.wav").arg(i + 1);
        QByteArray data(16 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(static_cast<quint32>(i))
            .fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
        writeFile(rig.recordings + name, data);
        QFile file(rig.recordings + name);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime);
        rig.lists->AddFinishedRecording(name);
        old[name] = data;
    }
    const QString target = rig.home.path(QStringLiteral("backup"));
    QDir().mkpath(target);

    QString callRecording;
    rig.modal.script(QStringLiteral("frmBackup"), [&](QDialog& dialog) {
        auto& form = static_cast<ui::frmBackup&>(dialog);
        form.setFolder(target);
        form.Check1->setChecked(true);
        QEventLoop loop;
        QObject::connect(&form, &ui::frmBackup::backupEnded, &loop, &QEventLoop::quit);
        bool ended = false;
        QObject::connect(&form, &ui::frmBackup::backupEnded, [&] { ended = true; });
        form.OKButton->click();
        ASSERT_FALSE(form.OKButton->isEnabled()); // the job runs

        ASSERT_TRUE(rig.monitoredCall(0));
        callRecording = rig.engine().line(0).recordingName;
        rig.run(4000);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.finishRecording(0));
        if (!ended) {
            loop.exec();
        }
        form.CancelButton->click();
    });
    rig.program->openBackup(nullptr);

    ASSERT_FALSE(callRecording.isEmpty());
    EXPECT_TRUE(QFile::exists(rig.recordingPath(callRecording)));
    EXPECT_GT(QFileInfo(rig.recordingPath(callRecording)).size(), 44);
    EXPECT_FALSE(QFile::exists(target + QLatin1Char('/') + callRecording));
    EXPECT_EQ(rig.lists->recent(), QStringList{callRecording});
    EXPECT_EQ(rig.setting(QStringLiteral("Data"), QStringLiteral(" 0")), callRecording);
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        EXPECT_EQ(readFile(target + QLatin1Char('/') + it.key()), it.value()) << it.key().toStdString();
        EXPECT_FALSE(QFile::exists(rig.recordingPath(it.key()))) << it.key().toStdString();
    }
    EXPECT_EQ(rig.messageTexts().last(), QStringLiteral("Moved: 3\nSkipped: 0\nFailed: 0"));
}

} // namespace
} // namespace qlnrec::test
