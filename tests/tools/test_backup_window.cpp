// The backup window over the model: "Delete Source Files" kept across a restart, a backup run from
// OK with the target's file list refreshed, Cancel stopping a running job before it closes the
// window. Screenshots:
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen
//       build/<dir>/bin/test_tools_backup --gtest_filter='BackupWindowScreenshot.*'
#include "tests/tools/backup_rig.h"
#include "ui/tools/frm_backup.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace qlnrec::test {
namespace {

QStringList items(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.item(i)->text().trimmed();
    }
    return texts;
}

TEST(BackupWindow, DeleteSourceFilesSurvivesARestart)
{
    BackupRig rig;
    {
        ui::frmBackup form(rig.model, rig.strings, rig.home.root());
        EXPECT_FALSE(form.Check1->isChecked());
        form.Check1->setChecked(true);
        QFocusEvent focusOut(QEvent::FocusOut);
        QApplication::sendEvent(form.Check1, &focusOut);
    }
    platform::SettingsStore restarted(QStringLiteral("qlnrec"), rig.home.configFile());
    EXPECT_EQ(restarted.getSetting(QStringLiteral("Config"), QStringLiteral("CopyMove")),
              QStringLiteral("1"));
    ui::frmBackup form(rig.model, rig.strings, rig.home.root());
    EXPECT_TRUE(form.Check1->isChecked());
}

TEST(BackupWindow, OkBacksUpIntoThePickedFolderAndShowsItsNewFiles)
{
    BackupRig rig;
    rig.record(QStringLiteral("A~1.wav"), 2 * 1024 * 1024);
    rig.record(QStringLiteral("A~2.wav"), 1000);
    const QString target = rig.home.path(QStringLiteral("backups"));
    QDir().mkpath(target + QStringLiteral("/2026"));
    ui::frmBackup form(rig.model, rig.strings, rig.home.root());
    form.show();

    // Into the folder by its entry in Dir1, as a double click does.
    const auto found = form.Dir1->findItems(QStringLiteral("backups"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    form.Dir1_Change(found.front());
    EXPECT_EQ(form.folder(), target);
    EXPECT_EQ(items(*form.Dir1).last(), QStringLiteral("2026"));
    EXPECT_TRUE(items(*form.File1).isEmpty());

    QEventLoop loop;
    QObject::connect(&rig.model.job(), &tools::BackupJob::finished, &loop, &QEventLoop::quit);
    form.OKButton->click();
    ASSERT_TRUE(rig.model.job().running());
    EXPECT_FALSE(form.OKButton->isEnabled());
    EXPECT_TRUE(form.ProgressBar1->isVisible());
    loop.exec();
    EXPECT_EQ(items(*form.File1), (QStringList{QStringLiteral("A~1.wav"), QStringLiteral("A~2.wav")}));
    EXPECT_TRUE(form.OKButton->isEnabled());
    EXPECT_FALSE(form.ProgressBar1->isVisible());
    EXPECT_TRUE(form.isVisible());

    // Cancel stops a running job first and closes the window only when none runs.
    rig.record(QStringLiteral("A~3.wav"), 2 * 1024 * 1024);
    rig.dialogs.queueMessageResult(platform::MessageResult::Ok);
    rig.dialogs.queueMessageResult(platform::MessageResult::Yes);
    form.OKButton->click();
    ASSERT_TRUE(rig.model.job().running());
    form.CancelButton->click();
    EXPECT_TRUE(form.isVisible());
    loop.exec();
    rig.expectNothingLost(target);
    form.CancelButton->click();
    EXPECT_FALSE(form.isVisible());
}

void shoot(int languageOffset, const QString& suffix)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    QDir().mkpath(folder);
    BackupRig rig(languageOffset);
    rig.config.save(core::keys::kCopyMove, QStringLiteral("1"));
    const QString target = rig.home.path(QStringLiteral("Backups"));
    for (const char* sub : {"2025", "2026", "Old calls"}) {
        QDir().mkpath(target + QLatin1Char('/') + QString::fromLatin1(sub));
    }
    for (const char* name :
         {"A~L 0~2026-11-30~09-12-44~5551234 Smith Anna.wav", "M~L 1~2026-12-01~17-03-10~UNKNOWN.wav",
          "O~L 0~2026-12-02~08-45-00~5550101.wav"}) {
        writeFile(target + QLatin1Char('/') + QString::fromLatin1(name), "RIFF");
    }
    ui::frmBackup form(rig.model, rig.strings, target);
    form.show();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    const QString path = QDir(folder).filePath(QStringLiteral("frmbackup-%1.png").arg(suffix));
    ASSERT_TRUE(form.grab().save(path, "PNG")) << path.toStdString();
}

TEST(BackupWindowScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("en"));
}

TEST(BackupWindowScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("zh"));
}

} // namespace
} // namespace qlnrec::test
