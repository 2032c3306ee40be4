// Ring rules without windows: Rings.txt as the entry writes it and the list shows it, deleting,
// the rule table with its fixed places, and which rule holds when.
#include "app/rings/ring_rule_entry.h"
#include "app/rings/ring_rule_list.h"
#include "app/rings/ring_rule_table.h"
#include "app/rings/ring_rules_file.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "tests/support/temp_home.h"

#include <QDir>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::RingRuleEntry;
using app::RingRuleList;
using app::RingRuleTable;

class RingRulesFileTest : public ::testing::Test {
protected:
    RingRulesFileTest() { QDir().mkpath(home.programFolder()); }

    QByteArray bytes() const { return readFile(file.path()); }
    void write(const QStringList& lines)
    {
        writeFile(file.path(), (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    }

    TempHome home;
    app::RingRulesFile file{home.programFolder()};
    platform::ScriptedDialogService dialogs;
};

// Fields as typed: "8" and "0" are written as two digits each.
RingRuleEntry::Fields fields(const QString& rings, const QString& startHour, const QString& startMinute,
                             const QString& endHour, const QString& endMinute,
                             std::initializer_list<int> days)
{
    RingRuleEntry::Fields f{rings, startHour, startMinute, endHour, endMinute, {}};
    for (int day : days) {
        f.days[static_cast<std::size_t>(day - 1)] = true;
    }
    return f;
}

TEST_F(RingRulesFileTest, AddedRulesAreStoredInTheFixedLayoutAndListedWithDayNames)
{
    const core::Strings english;
    RingRuleEntry entry(file, dialogs, english);
    entry.fields() = fields(QStringLiteral("3"), QStringLiteral("8"), QStringLiteral("0"),
                            QStringLiteral("17"), QStringLiteral("30"), {2, 3, 4, 5, 6});
    EXPECT_EQ(entry.ok(), std::nullopt);
    entry.fields() = fields(QStringLiteral("0"), QStringLiteral("22"), QStringLiteral("5"),
                            QStringLiteral("6"), QStringLiteral("00"), {});
    EXPECT_EQ(entry.ok(), std::nullopt);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(bytes(), QByteArrayLiteral("3,08:00:00-17:30:00,2,3,4,5,6\r\n0,22:05:00-06:00:00\r\n"));
    EXPECT_EQ((QFileInfo(file.path()).permissions() & 0x0077).toInt(), 0); // the user's only

    RingRuleList list(file);
    list.FillRingRuleList();
    EXPECT_EQ(list.entries(), (QStringList{QStringLiteral("3,08:00:00-17:30:00,Mon,Tue,Wed,Thu,Fri"),
                                           QStringLiteral("0,22:05:00-06:00:00")}));
}

TEST_F(RingRulesFileTest, DeletingRewritesTheRemainingRulesWithTheirDaysAscending)
{
    write({QStringLiteral("3,08:00:00-17:30:00,6,2"), QStringLiteral("1,22:00:00-06:00:00,1,7"),
           QStringLiteral("5,12:00:00-13:00:00")});
    RingRuleList list(file);
    list.FillRingRuleList();
    EXPECT_EQ(list.entries()[0], QStringLiteral("3,08:00:00-17:30:00,Mon,Fri"));

    EXPECT_EQ(list.deleteEntry(-1), RingRuleList::DeleteResult::NothingSelected);
    EXPECT_EQ(list.entries().size(), 3);
    EXPECT_EQ(list.deleteEntry(1), RingRuleList::DeleteResult::Deleted);
    EXPECT_EQ(bytes(), QByteArrayLiteral("3,08:00:00-17:30:00,2,6\r\n5,12:00:00-13:00:00\r\n"));
    EXPECT_EQ(list.entries(), (QStringList{QStringLiteral("3,08:00:00-17:30:00,Mon,Fri"),
                                           QStringLiteral("5,12:00:00-13:00:00")}));

    // Without a file the list keeps what it shows.
    QFile::remove(file.path());
    list.FillRingRuleList();
    EXPECT_EQ(list.entries().size(), 2);
}

TEST_F(RingRulesFileTest, TheEntryRefusesMissingOrWrongFieldsAndWritesNothing)
{
    const core::Strings english;
    RingRuleEntry entry(file, dialogs, english);
    RingRuleEntry::Fields& f = entry.fields();
    f = fields(QStringLiteral("3"), QStringLiteral("24"), QStringLiteral("60"), QStringLiteral("ab"),
               QString(), {2});
    // Leaving a field: hours 0..23, minutes 0..59; an empty field may be left.
    EXPECT_FALSE(entry.mayLeave(RingRuleEntry::Field::StartHour));
    EXPECT_FALSE(entry.mayLeave(RingRuleEntry::Field::StartMinute));
    EXPECT_FALSE(entry.mayLeave(RingRuleEntry::Field::EndHour));
    EXPECT_TRUE(entry.mayLeave(RingRuleEntry::Field::EndMinute));

    EXPECT_EQ(entry.ok(), RingRuleEntry::Field::EndMinute);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Please Input 'HH:MM'"));
    EXPECT_EQ(dialogs.messages()[0].icon, platform::MessageIcon::Information);

    f.endMinute = QStringLiteral("0");
    EXPECT_EQ(entry.ok(), RingRuleEntry::Field::StartHour); // out of range: the focus, no message
    f.startHour = QStringLiteral("23");
    f.startMinute = QStringLiteral("59");
    f.endHour = QStringLiteral("0");
    f.rings.clear(); // an empty rings field would shift every later character
    EXPECT_EQ(entry.ok(), RingRuleEntry::Field::Rings);
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1].text, QStringLiteral("Please input the number of rings, 0 to 9"));
    EXPECT_FALSE(file.exists());

    f.rings = QStringLiteral("9");
    EXPECT_EQ(entry.ok(), std::nullopt);
    EXPECT_EQ(bytes(), QByteArrayLiteral("9,23:59:00-00:00:00,2\r\n"));
}

QDateTime at(int day, const char* time)
{
    // December 2026: the 6th is a Sunday (weekday 1), the 9th a Wednesday (4).
    return QDateTime(QDate(2026, 12, day),
                     QTime::fromString(QLatin1String(time), QStringLiteral("hh:mm:ss.zzz")));
}

TEST(RingRuleTable, ARuleHoldsOnItsDaysStrictlyInsideItsHoursAndOverMidnightAndTheFirstWins)
{
    RingRuleTable table;
    EXPECT_TRUE(table
                    .LoadRingRuleTable({QStringLiteral("5,08:00:00-18:00:00,4"),
                                        QStringLiteral("7,22:00:00-06:00:00,1,2,3,4,5,6,7"),
                                        QStringLiteral("9,10:00:00-14:00:00,4,5"),
                                        QStringLiteral("2,00:00:00-23:59:59")})
                    .isEmpty());
    EXPECT_EQ(RingRuleTable::weekdayNumber(QDate(2026, 12, 6)), 1);
    EXPECT_EQ(table.FindRingRule(at(9, "12:00:00.000")), 5);
    EXPECT_EQ(table.FindRingRule(at(9, "08:00:00.700")), std::nullopt); // not at the start itself
    EXPECT_EQ(table.FindRingRule(at(9, "08:00:01.000")), 5);
    EXPECT_EQ(table.FindRingRule(at(9, "23:00:00.000")), 7);
    EXPECT_EQ(table.FindRingRule(at(10, "05:00:00.000")), 7);
    EXPECT_EQ(table.FindRingRule(at(10, "12:00:00.000")), 9);
    EXPECT_EQ(table.FindRingRule(at(6, "12:00:00.000")), std::nullopt); // no day, never
}

TEST(RingRuleTable, AFieldThatDoesNotReadKeepsItsPreviousValueAndTheRestCounts)
{
    RingRuleTable table;
    table.LoadRingRuleTable(
        {QStringLiteral("4,08:00:00-12:00:00,2"), QStringLiteral("3,09:00:00-10:00:00,2")});
    const QList<RingRuleTable::DamagedLine> damaged =
        table.LoadRingRuleTable({QStringLiteral("6,13:00:00-2x:00:00,2,3"), QStringLiteral(""),
                                 QStringLiteral("x,12:15:00-12:45:00,3")});
    ASSERT_EQ(damaged.size(), 3);
    EXPECT_EQ(damaged[0].lineNumber, 1);
    EXPECT_EQ(damaged[0].fields, QStringList{QStringLiteral("end")});
    EXPECT_EQ(damaged[1].fields,
              (QStringList{QStringLiteral("rings"), QStringLiteral("start"), QStringLiteral("end")}));
    // Slot 0: new rings, start and days, the earlier end: 13:00 to 12:00 runs over midnight.
    EXPECT_EQ(table.slot(0).rings, 6);
    EXPECT_EQ(table.slot(0).end, QTime(12, 0));
    EXPECT_EQ(table.FindRingRule(at(8, "11:00:00.000")), 6);
    // An empty line takes the days only: slot 1 no longer holds on Monday.
    EXPECT_EQ(table.slot(1).days, QString());
    // A rule whose ring count never read does not apply rather than never answering.
    EXPECT_EQ(table.slot(2).rings, std::nullopt);
    EXPECT_EQ(table.FindRingRule(at(8, "12:30:00.000")), std::nullopt);
}

TEST_F(RingRulesFileTest, TwentyFiveLinesFillTwentySlotsAndAllTwentyFiveAreListed)
{
    QStringList lines;
    for (int n = 0; n < 25; ++n) {
        // The first twenty never hold (no day); the last five always would.
        lines << (n < 20 ? QStringLiteral("1,08:00:00-09:00:00")
                         : QStringLiteral("2,00:00:00-00:00:00,1,2,3,4,5,6,7"));
    }
    write(lines);
    RingRuleTable table;
    table.LoadRingRuleTable(*file.readLines());
    EXPECT_EQ(table.FindRingRule(at(8, "12:00:00.000")), std::nullopt);
    EXPECT_EQ(table.slot(19).start, QTime(8, 0));

    RingRuleList list(file);
    list.FillRingRuleList();
    EXPECT_EQ(list.entries().size(), 25);
    EXPECT_EQ(list.entries().last(), QStringLiteral("2,00:00:00-00:00:00,Sun,Mon,Tue,Wed,Thu,Fri,Sat"));
}

} // namespace
} // namespace qlnrec::test
