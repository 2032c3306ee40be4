// The phone book's add, edit and search result windows as the dial window uses them, over a real
// PhoneBook.txt that is read back with the store after every change. Screenshots:
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen
//       build/<dir>/bin/test_ui_phonebook --gtest_filter='PhoneBookScreenshot.*'
#include "core/strings.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_search.h"
#include "platform/core/dialog_service.h"
#include "platform/dialogs/modal_runners.h"
#include "tests/support/temp_home.h"
#include "ui/phonebook/frm_book_result.h"
#include "ui/phonebook/frm_pb_add.h"
#include "ui/phonebook/frm_pb_edit.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using phonebook::makeEntry;
using phonebook::PhoneBookEntry;

// The dial window's side of the three windows: its lists over PhoneBook.txt, its number box, and
// its Edit, which searches again after an edit started from a result window.
class PhoneBookWindows {
public:
    explicit PhoneBookWindows(int languageOffset = core::Strings::kEnglish) : strings(languageOffset)
    {
        QDir().mkpath(home.programFolder());
        lists.load();
        hooks.takeNumber = [this](const QString& number, bool) { txtDialOut = number; };
        hooks.listsChanged = [this] { ++listRefreshes; };
        hooks.editEntry = [this](int position) {
            const auto outcome =
                ui::frmPBEdit::editSelected(lists, position, search, strings, dialogs, runner, nullptr);
            if (outcome.searchAgain) {
                searchName(search.lastSearchTerm);
            }
        };
    }

    void seed(std::initializer_list<std::pair<const char*, const char*>> entries)
    {
        for (const auto& [name, number] : entries) {
            ASSERT_TRUE(lists.append(makeEntry(QString::fromUtf8(name), QString::fromUtf8(number))));
        }
    }
    void searchName(const QString& term)
    {
        ui::frmBookResult::search(lists, term, search, strings, dialogs, runner, nullptr, hooks);
    }
    // PhoneBook.txt as a fresh load reads it.
    std::vector<PhoneBookEntry> stored() const
    {
        phonebook::PhoneBookLists fresh(file);
        fresh.load();
        return fresh.entries();
    }
    std::vector<PhoneBookEntry> entries(std::initializer_list<std::pair<const char*, const char*>> expected)
    {
        std::vector<PhoneBookEntry> result;
        for (const auto& [name, number] : expected) {
            result.push_back(makeEntry(QString::fromUtf8(name), QString::fromUtf8(number)));
        }
        return result;
    }

    TempHome home;
    phonebook::PhoneBookRecordCodec codec;
    phonebook::PhoneBookFile file{home.programFolder(), codec};
    phonebook::PhoneBookLists lists{file};
    platform::ScriptedDialogService dialogs;
    platform::AutoModalRunner runner{false};
    core::Strings strings;
    phonebook::PhoneBookSearchState search;
    ui::BookResultHooks hooks;
    QString txtDialOut;
    int listRefreshes = 0;
};

QStringList texts(const QListWidget& list)
{
    QStringList result;
    for (int i = 0; i < list.count(); ++i) {
        result << list.item(i)->text();
    }
    return result;
}

ui::frmBookResult& resultWindow(QDialog& dialog)
{
    return dynamic_cast<ui::frmBookResult&>(dialog);
}

TEST(PhoneBookSearch, NamesHoldTheTermCaseSensitivelyAsTypedPaddingIncluded)
{
    PhoneBookWindows w;
    w.seed(
        {{"Smith John", "5551234"}, {"JOHN SMITHERS", "5550001"}, {"Jane Doe", "5550002"}, {"smithy", "1"}});
    auto positions = [&](const QString& term) {
        std::vector<int> found;
        for (const auto& hit : phonebook::findInNames(w.lists, term)) {
            found.push_back(hit.position);
        }
        return found;
    };
    EXPECT_EQ(positions("Smith"), std::vector<int>{0});
    EXPECT_EQ(positions("smith"), std::vector<int>{3});
    EXPECT_EQ(positions("SMITH"), std::vector<int>{1});
    EXPECT_EQ(positions(" Doe"), std::vector<int>{2});
    // Names are listed padded to their width, so a trailing blank still matches.
    EXPECT_EQ(positions("Doe "), std::vector<int>{2});
    EXPECT_TRUE(positions("zzz").empty());
    EXPECT_TRUE(positions("").empty());
}

TEST(PhoneBookWindows, AnEmptyTermIsRefusedAndATermFoundNowhereShowsAnEmptyResult)
{
    PhoneBookWindows w;
    w.seed({{"Smith John", "5551234"}});
    w.searchName({});
    ASSERT_EQ(w.dialogs.messages().size(), 1u);
    EXPECT_EQ(w.dialogs.messages().front().text, "Please enter a search term");
    EXPECT_EQ(w.dialogs.messages().front().title, "PhoneBook Search");
    EXPECT_EQ(w.runner.runCount("frmBookResult"), 0);

    int shownHits = -1;
    w.runner.script("frmBookResult", [&](QDialog& d) { shownHits = resultWindow(d).lstName->count(); });
    w.searchName("smith");
    EXPECT_EQ(shownHits, 0);
    EXPECT_EQ(w.search.lastSearchTerm, "smith");
}

TEST(PhoneBookWindows, DeletingTwoHitsOfOneResultRemovesExactlyThoseEntries)
{
    PhoneBookWindows w;
    w.seed({{"Smith Anna", "1"}, {"Jones Bob", "2"}, {"Smith Carl", "3"}, {"Smith Dora", "4"}});
    QStringList positionsAfter;
    w.runner.script("frmBookResult", [&](QDialog& d) {
        ui::frmBookResult& r = resultWindow(d);
        r.cmdDelete->click(); // nothing selected
        r.lstTele->setCurrentRow(1);
        EXPECT_EQ(r.lstName->currentRow(), 1); // a click selects the same row in the other lists
        r.cmdDelete->click();                  // Smith Carl
        r.lstName->setCurrentRow(1);
        r.cmdDelete->click(); // Smith Dora, now one position further up
        positionsAfter = texts(*r.lstIndex);
        r.cmdExit->click();
    });
    w.searchName("Smith");

    const auto expected = w.entries({{"Smith Anna", "1"}, {"Jones Bob", "2"}});
    EXPECT_EQ(w.lists.entries(), expected);
    EXPECT_EQ(w.stored(), expected);
    EXPECT_EQ(positionsAfter, QStringList{"0"});
    EXPECT_EQ(w.listRefreshes, 2);
    ASSERT_EQ(w.dialogs.messages().size(), 1u);
    EXPECT_EQ(w.dialogs.messages().front().text, "Please select an entry");
}

TEST(PhoneBookWindows, AnEditFromTheResultWritesTheEntryAndShowsAFreshResultForTheSameTerm)
{
    PhoneBookWindows w;
    w.seed({{"Jones Bob", "2"}, {"Smith Anna", "1"}});
    w.runner.script("frmBookResult", [](QDialog& d) {
        ui::frmBookResult& r = resultWindow(d);
        r.cmdEdit->click(); // nothing selected
        r.lstName->setCurrentRow(0);
        r.cmdEdit->click();
    });
    QStringList formTexts;
    w.runner.script("frmPBEdit", [&](QDialog& d) {
        auto& form = dynamic_cast<ui::frmPBEdit&>(d);
        formTexts << form.Text1->text() << form.Text2->text();
        form.Text1->setText("Smith Anna Maria Theresa von Habsburg");
        form.Text2->setText(" 555 0101");
        form.OKButton->click();
    });
    QStringList secondResult;
    w.runner.script("frmBookResult", [&](QDialog& d) { secondResult = texts(*resultWindow(d).lstName); });
    w.searchName("Smith");

    // The form showed the entry as listed, padded; OK cut the name to its field.
    EXPECT_EQ(formTexts, QStringList({makeEntry("Smith Anna", "").name, makeEntry("", "1").telephone}));
    const auto expected = w.entries({{"Jones Bob", "2"}, {"Smith Anna Maria Theresa von H", " 555 0101"}});
    EXPECT_EQ(w.stored(), expected);
    EXPECT_EQ(secondResult, QStringList{expected[1].name});
    EXPECT_FALSE(w.search.editFromSearch);
    EXPECT_EQ(w.runner.runCount("frmBookResult"), 2);

    // A cancelled edit writes nothing; a double click takes the hit's number, trimmed.
    w.runner.scriptButton("frmPBEdit", "CancelButton");
    EXPECT_FALSE(
        ui::frmPBEdit::editSelected(w.lists, 0, w.search, w.strings, w.dialogs, w.runner, nullptr).saved);
    EXPECT_EQ(w.stored(), expected);
    w.runner.script("frmBookResult", [](QDialog& d) {
        ui::frmBookResult& r = resultWindow(d);
        emit r.lstTele->itemDoubleClicked(r.lstTele->item(0));
    });
    w.searchName("Anna");
    EXPECT_EQ(w.txtDialOut, "555 0101");
}

TEST(PhoneBookWindows, AddPutsTheEntryBehindTheLastOneWithEmptyFieldsAsBlanks)
{
    PhoneBookWindows w;
    w.seed({{"Jones Bob", "2"}});
    w.runner.script("frmPBAdd", [](QDialog& d) {
        auto& form = dynamic_cast<ui::frmPBAdd&>(d);
        form.Text1->setText("Doe Jane");
        form.OKButton->click();
    });
    ui::frmPBAdd add(w.lists, w.strings, w.dialogs, w.runner, nullptr);
    EXPECT_TRUE(add.runModal());
    ui::frmPBAdd cancelled(w.lists, w.strings, w.dialogs, w.runner, nullptr, "5550000");
    EXPECT_FALSE(cancelled.runModal()); // unattended: Cancel

    const auto expected = w.entries({{"Jones Bob", "2"}, {"Doe Jane", ""}});
    EXPECT_EQ(w.stored(), expected);
    EXPECT_EQ(w.lists.entries(), expected);
}

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
}

void shoot(int languageOffset, const QString& suffix, const char* name, const char* number)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    QDir().mkpath(folder);
    PhoneBookWindows w(languageOffset);
    w.seed({{name, number}, {"Smith John", "5551234"}, {"Smith & Sons Plumbing", "(555) 010-2030"}});
    auto save = [&](QWidget& window, const QString& base) {
        window.show();
        settle();
        const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(base, suffix));
        ASSERT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    };

    ui::frmPBAdd add(w.lists, w.strings, w.dialogs, w.runner, nullptr, "5559876");
    add.Text1->setText(QString::fromUtf8(name));
    save(add, "frmpbadd");
    ui::frmPBEdit edit(w.lists, 0, w.strings, w.dialogs, w.runner, nullptr);
    save(edit, "frmpbedit");
    ui::frmBookResult result(w.lists, QString::fromUtf8(name).left(2), w.search, w.strings, w.dialogs,
                             w.runner, nullptr, w.hooks);
    result.lstName->setCurrentRow(0);
    save(result, "frmbookresult");
}

TEST(PhoneBookScreenshot, English)
{
    shoot(core::Strings::kEnglish, "en", "Smith Anna", "5550101");
}

TEST(PhoneBookScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, "zh", "张伟", "13800138000");
}

} // namespace
} // namespace qlnrec::test
