// The black list windows as the user drives them: Enter in the number adds it (a refused number
// keeps the form open), the list shows it on top at once, a double click deletes without asking.
// Pictures of both windows for the documentation are taken when QLNREC_SCREENSHOT_DIR names a
// folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_blocklist --gtest_filter='BlackListScreenshot.*'
#include "blocklist/block_list.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/dialogs/modal_runners.h"
#include "tests/support/temp_home.h"
#include "ui/blocklist/frm_blackpub.h"
#include "ui/blocklist/frm_pb_add1.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

class BlackListWindows {
public:
    BlackListWindows() { QDir().mkpath(home.programFolder()); }

    TempHome home;
    blocklist::BlockList store{home.programFolder()};
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner runner{false};
};

void pressEnter(QWidget* widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

QStringList shown(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.item(i)->text();
    }
    return texts;
}

TEST(BlackListWindows, EnterAddsOnTopAndADoubleClickDeletes)
{
    BlackListWindows w;
    w.store.append(-900);
    w.store.append(111);
    w.store.load();
    ui::frmBlackpub dialog(w.store, w.dialogs, w.runner);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Black List Setup"));
    EXPECT_EQ(shown(*dialog.List1), QStringList({"111", "-900"}));
    EXPECT_EQ(dialog.List1->toolTip(), QStringLiteral("Double click to delete"));

    int finished = -1;
    w.runner.script(QStringLiteral("frmPBAdd1"), [&](QDialog& form) {
        auto& add = static_cast<ui::frmPBAdd1&>(form);
        finished = 0;
        QObject::connect(&add, &QDialog::finished, [&finished] { ++finished; });
        add.Text2->setText(QStringLiteral("555 1234"));
        pressEnter(add.Text2);
        EXPECT_EQ(finished, 0); // refused: the form stays
        add.Text2->setText(QStringLiteral("0555"));
        pressEnter(add.Text2);
    });
    dialog.cmdAdd->click();
    EXPECT_EQ(finished, 1);
    ASSERT_EQ(w.dialogs.messages().size(), 1u);
    EXPECT_EQ(w.dialogs.messages()[0].text, QStringLiteral("The telephone number field must be numeric"));
    EXPECT_EQ(shown(*dialog.List1), QStringList({"555", "111", "-900"}));
    EXPECT_TRUE(w.store.contains(QStringLiteral("555")));

    emit dialog.List1->itemDoubleClicked(dialog.List1->item(1));
    EXPECT_EQ(shown(*dialog.List1), QStringList({"555", "-900"}));
    EXPECT_FALSE(w.store.contains(QStringLiteral("111")));
    EXPECT_EQ(w.dialogs.messages().size(), 1u); // no question asked
}

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
}

void shoot(int languageOffset, const QString& suffix)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR not set";
    }
    // The windows' texts are the same in every language; the caller's name is the user's own.
    BlackListWindows w;
    for (double number : {-8005550199.0, -8665550123.0, 2125550147.0, 5551234.0, 4155550100.0}) {
        w.store.append(number);
    }
    w.store.load();
    ui::frmBlackpub dialog(w.store, w.dialogs, w.runner);
    dialog.List1->setCurrentRow(1);
    dialog.show();
    settle();
    ASSERT_TRUE(
        dialog.grab().save(QDir(folder).filePath(QStringLiteral("frmblackpub-%1.png").arg(suffix)), "PNG"));

    ui::frmPBAdd1 add(w.store, w.dialogs);
    add.Text2->setText(QStringLiteral("5551234"));
    add.Text1->setText(languageOffset == core::Strings::kEnglish ? QStringLiteral("SMITH JOHN")
                                                                 : QStringLiteral("张伟"));
    add.show();
    settle();
    ASSERT_TRUE(
        add.grab().save(QDir(folder).filePath(QStringLiteral("frmpbadd1-%1.png").arg(suffix)), "PNG"));
}

TEST(BlackListScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("en"));
}

TEST(BlackListScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("zh"));
}

} // namespace
} // namespace qlnrec::test
