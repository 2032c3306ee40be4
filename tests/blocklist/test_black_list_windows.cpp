// The black list windows as the user drives them: Enter in the number adds it (a refused number
// keeps the form open), the list shows it on top at once, a double click deletes without asking.
// The Rules tab adds, edits and deletes rules through frmScreenRule, the test box names the
// deciding rule, and the screening options are settings at once.
// Pictures of the windows (both tabs, frmPBAdd1, frmScreenRule) are taken when
// QLNREC_SCREENSHOT_DIR names a folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_blocklist --gtest_filter='BlackListScreenshot.*'
#include "blocklist/block_list.h"
#include "blocklist/call_screening.h"
#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/dialogs/modal_runners.h"
#include "tests/support/temp_home.h"
#include "ui/blocklist/frm_blackpub.h"
#include "ui/blocklist/frm_pb_add1.h"
#include "ui/blocklist/frm_screen_rule.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

class BlackListWindows {
public:
    explicit BlackListWindows(int languageOffset = core::Strings::kEnglish) : strings(languageOffset)
    {
        QDir().mkpath(home.programFolder());
    }

    TempHome home;
    blocklist::BlockList store{home.programFolder()};
    blocklist::ScreeningRules rules{home.programFolder()};
    blocklist::CallScreening screening{store, rules};
    platform::SettingsStore settings{QStringLiteral("qlnrec"), home.configFile()};
    core::ConfigStore config{settings, home.programFolder()};
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner runner{false};
    core::Strings strings;
    ui::BlackListData data{store, rules, screening, config, strings};
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
    ui::frmBlackpub dialog(w.data, w.dialogs, w.runner);
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

QStringList shownRules(const QTreeWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        texts << QStringList{item->text(0), item->text(1), item->text(2)}.join(' ').trimmed();
    }
    return texts;
}

// frmScreenRule as the user fills it: each press of OK in turn with the texts given.
void typeRule(platform::AutoModalRunner& runner, std::vector<std::array<QString, 3>> attempts)
{
    runner.script(QStringLiteral("frmScreenRule"), [attempts](QDialog& dialog) {
        auto& form = static_cast<ui::frmScreenRule&>(dialog);
        for (const auto& [action, pattern, label] : attempts) {
            form.cboAction->setCurrentText(action);
            form.txtPattern->setText(pattern);
            form.txtLabel->setText(label);
            form.OKButton->click();
        }
    });
}

TEST(BlackListWindows, TheRulesTabEditsTestsAndSetsTheOptions)
{
    BlackListWindows w;
    w.store.append(-5550103);
    w.store.load();
    writeFile(w.rules.path(), "block 900* Premium rate\nwhat is this\n");
    w.rules.load();
    ui::frmBlackpub dialog(w.data, w.dialogs, w.runner);
    EXPECT_EQ(shownRules(*dialog.lstRules), QStringList({"block 900* Premium rate"}));
    EXPECT_EQ(dialog.lblRuleErrors->text(), "screening.txt line 2: \"what\" is neither block nor allow");

    // A pattern with letters is refused and the form stays for a mended one.
    typeRule(w.runner, {{"Allow", "555-01x1", "Anna"}, {"Allow", "555-0101", "Anna"}});
    dialog.cmdRuleAdd->click();
    ASSERT_EQ(w.dialogs.messages().size(), 1u);
    EXPECT_TRUE(w.dialogs.messages()[0].text.startsWith("This rule cannot be kept: a pattern holds digits"));
    EXPECT_EQ(shownRules(*dialog.lstRules), QStringList({"block 900* Premium rate", "allow 555-0101 Anna"}));

    dialog.txtTestNumber->setText("(555) 010-1");
    EXPECT_EQ(dialog.lblTestResult->text(), "Allowed by rule 2: allow 555-0101 Anna");
    dialog.txtTestNumber->setText("5550103");
    EXPECT_EQ(dialog.lblTestResult->text(), "Blocked: on the block list");

    typeRule(w.runner, {{"Block", "9001*", ""}});
    emit dialog.lstRules->itemDoubleClicked(dialog.lstRules->topLevelItem(0), 0);
    dialog.lstRules->setCurrentItem(dialog.lstRules->topLevelItem(1));
    dialog.cmdRuleDelete->click();
    EXPECT_EQ(shownRules(*dialog.lstRules), QStringList({"block 9001*"}));
    EXPECT_EQ(readFile(w.rules.path()), "block 9001*\r\nwhat is this\r\n");

    EXPECT_EQ(w.config.get(core::keys::kScreenKnownOnly), "0");
    dialog.chkKnownOnly->setChecked(true);
    dialog.chkPhoneBookWins->setChecked(true);
    EXPECT_EQ(w.config.get(core::keys::kScreenKnownOnly), "1");
    EXPECT_EQ(w.config.get(core::keys::kScreenPhoneBookWins), "1");
}

TEST(BlackListWindows, TheRuleErrorsAndTheTestBoxAreInTheWindowsLanguage)
{
    BlackListWindows w(core::Strings::kTraditionalChinese);
    w.store.append(-5550103);
    w.store.load();
    writeFile(w.rules.path(), "what is this\n");
    w.rules.load();
    ui::frmBlackpub dialog(w.data, w.dialogs, w.runner);
    EXPECT_EQ(dialog.lblRuleErrors->text(),
              QStringLiteral("screening.txt 第 1 行：「what」既不是 block 也不是 allow"));
    dialog.txtTestNumber->setText("5550103");
    EXPECT_EQ(dialog.lblTestResult->text(), QStringLiteral("封鎖：在黑名單中"));
    dialog.txtTestNumber->setText("abc");
    EXPECT_EQ(dialog.lblTestResult->text(), QStringLiteral("請輸入含數字的號碼"));
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
    // The Rules tab in the window's language; the caller's name is the user's own.
    BlackListWindows w(languageOffset);
    for (double number : {-8005550199.0, -8665550123.0, 2125550147.0, 5551234.0, 4155550100.0}) {
        w.store.append(number);
    }
    w.store.load();
    ui::frmBlackpub dialog(w.data, w.dialogs, w.runner);
    dialog.List1->setCurrentRow(1);
    dialog.show();
    settle();
    ASSERT_TRUE(
        dialog.grab().save(QDir(folder).filePath(QStringLiteral("frmblackpub-%1.png").arg(suffix)), "PNG"));

    const bool english = languageOffset == core::Strings::kEnglish;
    w.rules.add({{blocklist::ScreeningAction::Block, "900*", english ? "Premium rate" : "声讯台"},
                 {blocklist::ScreeningAction::Block, "1800???????", {}},
                 {blocklist::ScreeningAction::Block, "/1(800|888)[0-9]{7}/",
                  english ? "Toll-free sellers" : "推销电话"},
                 {blocklist::ScreeningAction::Allow, "555-0101", english ? "Anna" : "张伟"}});
    writeFile(w.rules.path(), readFile(w.rules.path()) + "blok 555*\r\n");
    w.rules.load();
    dialog.Form_Load();
    dialog.tabs->setCurrentIndex(1);
    dialog.lstRules->setCurrentItem(dialog.lstRules->topLevelItem(0));
    dialog.txtTestNumber->setText(QStringLiteral("900-555-0147"));
    dialog.chkPhoneBookWins->setChecked(true);
    settle();
    ASSERT_TRUE(dialog.grab().save(
        QDir(folder).filePath(QStringLiteral("frmblackpub-rules-%1.png").arg(suffix)), "PNG"));
    ui::frmScreenRule rule(w.rules.rules().back(), w.dialogs, w.strings);
    rule.show();
    settle();
    ASSERT_TRUE(
        rule.grab().save(QDir(folder).filePath(QStringLiteral("frmscreenrule-%1.png").arg(suffix)), "PNG"));

    ui::frmPBAdd1 add(w.store, w.dialogs, w.strings);
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
