// A picture of the log files window for the user guide, showing a day's log. Runs only when
// QLNREC_SCREENSHOT_DIR names a folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_ui_dialogs --gtest_filter='LogFilesScreenshot.*'
#include "tests/e2e/program_rig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

TEST(LogFilesScreenshot, English)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.store(QStringLiteral("Line0"), QStringLiteral("1"));
    rig.start();
    QFile day(rig.home.programFolder() + QStringLiteral("/LogFiles/26-03-13.txt"));
    ASSERT_TRUE(day.open(QIODevice::WriteOnly));
    day.write("Line0 is ready 08:59:58\r\n"
              "Line0 Ring... 09:30:01\r\n"
              " 1 09:30:01\r\n"
              "CallerID:5551234 [Anna] 09:30:02\r\n"
              " 2 09:30:07\r\n"
              " 3 09:30:13\r\n"
              " 4 09:30:19\r\n"
              "Line0 Starts Recording 09:30:26\r\n"
              "Line0 Disconnected 09:30:52\r\n");
    day.close();

    rig.modal.script(QStringLiteral("frmViewLog"), [&folder](QDialog& d) {
        auto* files = d.findChild<QListWidget*>(QStringLiteral("File1"));
        const QList<QListWidgetItem*> found =
            files->findItems(QStringLiteral("26-03-13.txt"), Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty());
        files->setCurrentItem(found.front());
        platform::AutoModalRunner::pressButton(d, QStringLiteral("Command1"));
        d.show();
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
        }
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(QStringLiteral("frmviewlog-en.png"));
        EXPECT_TRUE(d.grab().save(path, "PNG")) << path.toStdString();
        d.hide();
    });
    rig.window()->cmdLog->click();
}

} // namespace
} // namespace qlnrec::test
