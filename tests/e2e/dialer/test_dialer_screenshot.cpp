// Pictures of the dial window and the dial records for the documentation, in English and
// Simplified Chinese. Runs only when QLNREC_SCREENSHOT_DIR names a folder (under Xvfb, so real
// fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_e2e_dialer --gtest_filter='DialerScreenshot.*'
#include "tests/e2e/dialer/dialer_steps.h"

#include "ui/phonebook/frm_dial_out.h"
#include "ui/phonebook/frm_dial_records.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

void save(QWidget& window, const QString& folder, const QString& fileName)
{
    window.show();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    const QString path = QDir(folder).filePath(fileName);
    ASSERT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    window.hide();
}

void shoot(int languageOffset, const QString& suffix)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    QDir().mkpath(folder);
    ProgramRig rig(QStringLiteral("sim:2"));
    rig.strings = core::Strings(languageOffset);
    rig.store(QStringLiteral("DialPrefix"), QStringLiteral("9,"));
    rig.store(QStringLiteral("Last_CallerID"), QStringLiteral("5551234"));
    phonebook::Dialer& dialer =
        loadDialer(rig, {{"SMITH JOHN", "5551234"}, {"DOE JANE", "5550000"}, {"MILLER ANN", "*72 5550199"}});
    dialer.select(1);
    save(rig.program->loadDialWindow(), folder, QStringLiteral("frmdialout-") + suffix);
    phonebook::DialRecords& records = rig.program->dialRecords();
    records.recordCallMade(QStringLiteral("5550000"));
    records.recordCallMade(QStringLiteral("*72 5550199"));
    records.pushReceivedNumber(QStringLiteral("5551234"));
    ui::frmDialRecords form(records, rig.strings);
    save(form, folder, QStringLiteral("frmdialrecords-") + suffix);
}

TEST(DialerScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("en.png"));
}

TEST(DialerScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("zh.png"));
}

} // namespace
} // namespace qlnrec::test
