// The screening rules file: bad lines named by line number while the others work, edits that keep
// every other line of the file, which rule decides a number, and the CSV form of the block list
// and the rules read back the same.
#include "blocklist/call_screening.h"
#include "core/strings.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using blocklist::ScreeningAction;
using blocklist::ScreeningRule;
using blocklist::ScreeningRules;

struct RulesHome {
    RulesHome() { QDir().mkpath(home.programFolder()); }
    TempHome home;
    ScreeningRules rules{home.programFolder()};
    blocklist::BlockList list{home.programFolder()};
};

TEST(ScreeningRules, BadLinesAreNamedAndSkippedAndSurviveAnEdit)
{
    RulesHome h;
    const QByteArray file = "# my rules\r\n"
                            "block 900* Premium rate\r\n"
                            "blok 555*\r\n"
                            "\r\n"
                            "allow 12a4\r\n"
                            "block /1(800/ broken\r\n"
                            "block\r\n"
                            "allow +44 20 7946 0000 \r\n";
    writeFile(h.rules.path(), file);
    h.rules.load();
    ASSERT_EQ(h.rules.rules().size(), 2u);
    EXPECT_EQ(h.rules.rules()[0], (ScreeningRule{ScreeningAction::Block, "900*", "Premium rate"}));
    EXPECT_EQ(h.rules.rules()[1], (ScreeningRule{ScreeningAction::Allow, "+44", "20 7946 0000"}));
    const QStringList errors = h.rules.errorTexts(core::Strings());
    ASSERT_EQ(errors.size(), 4) << errors.join('|').toStdString();
    EXPECT_EQ(errors[0], "screening.txt line 3: \"blok\" is neither block nor allow");
    EXPECT_TRUE(errors[1].startsWith("screening.txt line 5: a pattern holds digits"));
    EXPECT_TRUE(errors[2].startsWith("screening.txt line 6: the regular expression is not valid"));
    EXPECT_EQ(errors[3], "screening.txt line 7: the pattern is missing");
    EXPECT_TRUE(h.rules.decide("9005550100").decided());

    // Editing one rule rewrites its line only: comments and bad lines stay for the user to mend.
    ASSERT_TRUE(h.rules.replace(0, {ScreeningAction::Block, "901*", "Premium\nrate"}));
    ASSERT_TRUE(h.rules.add({{ScreeningAction::Allow, "5551234", {}}}));
    ASSERT_TRUE(h.rules.remove(1));
    QByteArray expected = file;
    expected.replace("block 900* Premium rate", "block 901* Premium rate");
    expected.replace("allow +44 20 7946 0000 \r\n", "allow 5551234\r\n");
    EXPECT_EQ(readFile(h.rules.path()), expected);
    ScreeningRules again(h.home.programFolder());
    again.load();
    EXPECT_EQ(again.rules(), h.rules.rules());
    EXPECT_EQ(again.errors().size(), 4);

    // A rule with a problem is refused and nothing is written.
    EXPECT_FALSE(h.rules.add({{ScreeningAction::Block, "12 34", {}}}));
    EXPECT_FALSE(h.rules.add({{ScreeningAction::Block, "/" + QString(250, '1') + "/", {}}}));
    EXPECT_EQ(readFile(h.rules.path()), expected);

    // A file that cannot be read is said, and no edit replaces it.
    RulesHome locked;
    QDir().mkpath(locked.rules.path());
    locked.rules.load();
    ASSERT_EQ(locked.rules.errorTexts(core::Strings()).size(), 1);
    EXPECT_TRUE(locked.rules.errorTexts(core::Strings())[0].startsWith("screening.txt cannot be read"));
    EXPECT_FALSE(locked.rules.add({{ScreeningAction::Block, "900*", {}}}));
    EXPECT_TRUE(QFileInfo(locked.rules.path()).isDir());
}

TEST(ScreeningRules, AllowRulesWinThenTheFirstBlockRule)
{
    RulesHome h;
    writeFile(h.rules.path(), "block 900*\n"                       // 0
                              "block 555-1234 Pest\n"              // 1
                              "block 1800???????\n"                // 2
                              "block *666\n"                       // 3
                              "block /1(800|888)[0-9]{7}/ Tolls\n" // 4
                              "allow 90055501?? Friend\n"          // 5
                              "block 9*\n"                         // 6
                              "allow +1*\n"                        // 7
                              "block 0*1*2\n");                    // 8
    h.rules.load();
    ASSERT_TRUE(h.rules.errors().isEmpty()) << h.rules.errorTexts(core::Strings()).join('|').toStdString();
    struct Case {
        const char* number;
        int rule;
    };
    const Case cases[] = {
        {"9001234567", 0},   {"555-1234", 1},    {"5551234", 1},     {" (555) 123.4 ", 1},
        {"55512345", -1},    {"18001234567", 2}, {"1800123456", -1}, {"18881234567", 4},
        {"1888123456", -1},  {"5550666", 3},     {"9005550123", 5},  {"900555012", 0},
        {"+18001234567", 7}, {"0912", 8},        {"012", 8},         {"021", -1},
        {"UNKNOWN", -1},     {"", -1},           {"+", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(h.rules.decide(c.number).rule, c.rule);
    }
    EXPECT_EQ(h.rules.decide("9005550123").action, ScreeningAction::Allow);
    // Only ASCII digits count, and a number is cut, never read past its cap.
    EXPECT_EQ(blocklist::screeningDigits(QString::fromUtf8("٥٥٥1+2")), "12");
    EXPECT_EQ(blocklist::screeningDigits(QString(100, '9')).size(), ScreeningRules::kMaxNumberLength);
}

TEST(ScreeningRules, TheCsvFormCarriesNumbersAndRulesBothWays)
{
    RulesHome from;
    from.list.append(5551234);
    from.list.append(-8005550199);
    from.rules.add({{ScreeningAction::Block, "900*", "Premium, \"rate\""},
                    {ScreeningAction::Allow, "/1(800|888)5550100/", {}}});
    const QByteArray csv = blocklist::screeningCsv(from.list, from.rules);
    EXPECT_TRUE(csv.startsWith("action,pattern,label\r\nnumber,5551234,\r\npublic,8005550199,\r\n"));

    RulesHome to;
    to.list.append(42);
    const auto taken =
        blocklist::importScreeningCsv(csv + "number,555-0100x,\r\nbloc,1,\r\nblock,555 0101,Spaced\r\n",
                                      to.list, to.rules, core::Strings());
    EXPECT_EQ(taken.numbers, 2);
    EXPECT_EQ(taken.rules, 3);
    EXPECT_EQ(taken.problems, QStringList({"line 6: \"555-0100x\" is no number the block list can hold",
                                           "line 7: \"bloc\" is neither block nor allow"}));
    EXPECT_TRUE(taken.written);
    ASSERT_EQ(to.list.count(), 3);
    EXPECT_EQ(to.list.entry(0), 42);
    EXPECT_EQ(to.list.entry(1), 5551234);
    EXPECT_EQ(to.list.entry(2), -8005550199);
    ASSERT_EQ(to.rules.rules().size(), 3u);
    EXPECT_EQ(std::vector(to.rules.rules().begin(), to.rules.rules().begin() + 2), from.rules.rules());
    EXPECT_EQ(to.rules.rules()[2].pattern, "5550101");
}

} // namespace
} // namespace qlnrec::test
