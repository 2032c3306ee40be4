// The two ring rule windows: the focus stays in an hour field holding 24, and pictures of both
// windows for the documentation. The pictures are taken only when QLNREC_SCREENSHOT_DIR names a
// folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_ring_rules --gtest_filter='RingRuleScreenshot.*'
#include "app/rings/frm_set_rings.h"
#include "app/rings/frm_set_time.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/dialogs/modal_runners.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

class RingRuleWindows {
public:
    explicit RingRuleWindows(int languageOffset = core::Strings::kEnglish) : strings(languageOffset)
    {
        QDir().mkpath(home.programFolder());
    }

    TempHome home;
    app::RingRulesFile file{home.programFolder()};
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner runner{false};
    core::Strings strings;
    app::RingRuleDialogContext context{file, dialogs, runner, strings};
};

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
}

TEST(RingRuleEntryWindow, AnHourOfTwentyFourKeepsTheFocusInItsField)
{
    RingRuleWindows w;
    app::frmSetTime entry(w.context);
    entry.show();
    entry.activateWindow();
    settle();
    entry.Text2->setFocus();
    entry.Text2->setText(QStringLiteral("24"));
    entry.Text3->setFocus();
    settle();
    EXPECT_TRUE(entry.Text2->hasFocus());

    entry.Text2->setText(QStringLiteral("23"));
    entry.Text3->setFocus();
    settle();
    EXPECT_TRUE(entry.Text3->hasFocus());
}

void shoot(int languageOffset, const QString& suffix)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    QDir().mkpath(folder);
    RingRuleWindows w(languageOffset);
    w.file.rewrite(
        {QStringLiteral("3,08:00:00-17:30:00,2,3,4,5,6"), QStringLiteral("1,22:00:00-06:00:00,1,7")});

    app::frmSetRings list(w.context);
    list.Form_Load();
    list.lstRingEntry->setCurrentRow(0);
    list.show();
    settle();
    const QString listPath = QDir(folder).filePath(QStringLiteral("set-rings-%1.png").arg(suffix));
    ASSERT_TRUE(list.grab().save(listPath, "PNG")) << listPath.toStdString();

    app::frmSetTime entry(w.context);
    entry.Text1->setText(QStringLiteral("3"));
    entry.Text2->setText(QStringLiteral("08"));
    entry.Text3->setText(QStringLiteral("00"));
    entry.Text4->setText(QStringLiteral("17"));
    entry.Text5->setText(QStringLiteral("30"));
    for (std::size_t day = 1; day <= 5; ++day) {
        entry.Check1[day]->setChecked(true);
    }
    entry.show();
    settle();
    const QString entryPath = QDir(folder).filePath(QStringLiteral("set-time-%1.png").arg(suffix));
    ASSERT_TRUE(entry.grab().save(entryPath, "PNG")) << entryPath.toStdString();
}

TEST(RingRuleScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("en"));
}

TEST(RingRuleScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("zh"));
}

} // namespace
} // namespace qlnrec::test
