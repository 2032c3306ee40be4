// The phone book kept from the status list during a run: a caller shown without a name is added
// from the list's menu, named on the very next call, and kept by the dial window's own lists; a
// line without a caller is said and opens nothing.
#include "tests/e2e/recording/recording_rig.h"

#include "phonebook/phone_book_lists.h"
#include "ui/phonebook/frm_pb_add.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace qlnrec;
using platform::CallerIdField;

TEST(PhoneBookFromTheStatusList, ACallerAddedFromTheMenuIsNamedOnTheNextCallAndStaysInTheDialWindow)
{
    test::RecordingRig rig;
    phonebook::PhoneBookRecordCodec codec;
    phonebook::PhoneBookFile file(rig.home.programFolder(), codec);
    auto stored = [&file] {
        phonebook::PhoneBookLists lists(file);
        lists.load();
        return lists.entries();
    };
    {
        phonebook::PhoneBookLists lists(file);
        lists.load();
        ASSERT_TRUE(lists.append(phonebook::makeEntry("DOE JANE", "5550000")));
    }
    rig.program->loadPhoneBook();
    rig.store("Rings", "8");
    rig.openLines({0, 1});

    auto ringWithCallerId = [&rig](int line) {
        rig.sim(line).ring(8, 2000, 4000);
        ASSERT_TRUE(rig.runUntil([&] { return rig.slot(line).hCall != 0; }, 10000));
        rig.run(500);
        rig.sim(line).sendCallerId(CallerIdField::present("5551234"), CallerIdField::absent());
        rig.run(400);
    };
    ringWithCallerId(0);
    const QStringList lines = rig.statusLog.lines();
    const auto callerLine = std::find_if(
        lines.begin(), lines.end(), [](const QString& line) { return line.startsWith("CallerID:5551234 "); });
    ASSERT_NE(callerLine, lines.end()) << rig.statusTexts().join('|').toStdString();
    EXPECT_FALSE(rig.statusTexts().contains("SMITH JOHN"));

    rig.dialogs.clear();
    rig.program->addCallerToPhoneBook(nullptr, lines.front());
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages().front().text, "Plese select a Caller ID entry");
    EXPECT_EQ(rig.dialogs.messages().front().title, "Add Caller ID To Phonebook");
    EXPECT_EQ(rig.modal.runCount("frmPBAdd"), 0);

    QString offered;
    rig.modal.script("frmPBAdd", [&offered](QDialog& dialog) {
        auto& form = static_cast<ui::frmPBAdd&>(dialog);
        offered = form.Text2->text();
        form.Text1->setText("SMITH JOHN");
        form.OKButton->click();
    });
    rig.program->addCallerToPhoneBook(nullptr, *callerLine);
    EXPECT_EQ(offered, "5551234");
    const std::vector<phonebook::PhoneBookEntry> both{phonebook::makeEntry("DOE JANE", "5550000"),
                                                      phonebook::makeEntry("SMITH JOHN", "5551234")};
    EXPECT_EQ(stored(), both);

    // The next call is named from the phone book at once.
    ringWithCallerId(1);
    EXPECT_TRUE(rig.statusTexts().contains("SMITH JOHN")) << rig.statusTexts().join('|').toStdString();

    // The dial window's lists hold the new entry, so its own delete keeps it.
    phonebook::Dialer& dialer = rig.program->dialer();
    ASSERT_EQ(dialer.lists().entries(), both);
    dialer.select(0);
    dialer.deleteSelected();
    EXPECT_EQ(stored(), std::vector<phonebook::PhoneBookEntry>{both[1]});
}
