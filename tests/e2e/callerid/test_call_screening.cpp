// Call screening as the user meets it, over simulated lines in virtual time: a prefix rule stops
// a seller who rotates through numbers; an allow rule and the phone book let a friend through
// whose number is also on the shared public list; "only known callers" drops a stranger (still
// logged) and lets a phone-book caller ring through to the answering machine; a bad line of the
// rules file is named with its line number at start while the other rules work.
#include "tests/e2e/callerid/caller_id_calls.h"

#include "blocklist/block_list.h"
#include "phonebook/phone_book_file.h"

#include <QDir>

using namespace qlnrec;
using platform::CallerIdField;
using test::RecordingRig;

namespace {

struct ScreenedRig : RecordingRig {
    ScreenedRig(const QByteArray& rules, const std::vector<phonebook::PhoneBookEntry>& phoneBook,
                const std::vector<double>& blockList)
    {
        const QString folder = home.programFolder();
        test::writeFile(folder + "/screening.txt", rules);
        phonebook::PhoneBookRecordCodec codec;
        EXPECT_TRUE(phonebook::PhoneBookFile(folder, codec).rewrite(phoneBook));
        blocklist::BlockList list(folder);
        for (double number : blockList) {
            list.append(number);
        }
        program->loadPhoneBook();
        statusLog.openAtStart();
        program->loadBlockList();
        store("Rings", "3");
        doNotCall = test::writeTonePrompt(*this, "donotcall.wav", 880, 2);
        test::writeTonePrompt(*this, "Greeting.wav", 440, 1);
        openLines({0});
    }

    // A call with caller ID on line 0, up to the blocking decision.
    void callFrom(const CallerIdField& number)
    {
        ringWithCallerId(*this, 0, number, CallerIdField::absent());
        run(400);
    }

    // The caller was answered at once, told not to call and dropped, and nothing was recorded.
    void expectDropped()
    {
        EXPECT_TRUE(sim(0).offHook());
        ASSERT_TRUE(runUntil([&] { return !sim(0).offHook(); }, 10000));
        EXPECT_TRUE(test::heardWhole(sim(0).playedSamples(), doNotCall));
        EXPECT_TRUE(QDir(recordings).entryList({"*.wav"}).isEmpty());
    }

    std::vector<std::int16_t> doNotCall;
};

const QByteArray kRules = "# sellers rotate through the 900 numbers\r\n"
                          "block 900* Premium rate\r\n"
                          "blok 555*\r\n"
                          "allow 555-0101 Anna\r\n";

} // namespace

TEST(CallScreening, RulesAndThePhoneBookDecideOverThePublicList)
{
    struct Case {
        const char* what;
        const char* number;
        const char* statusLine; // the decision's own status line
        bool blocked;
    };
    const Case cases[] = {
        {"a rotated number", "900-555-0147", "CallerID:900-555-0147[Blocked] Premium rate", true},
        {"the next rotated number", "9005550199", "CallerID:9005550199[Blocked] Premium rate", true},
        {"allow rule over the public list", "5550101", "CallerID:5550101 Allowed Anna", false},
        {"phone book over the public list", "5550102", "CallerID:5550102", false},
        {"the public list alone, as before", "5550103", "CallerID:5550103[Blocked]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScreenedRig rig(kRules, {{"BAKER BOB", "5550102"}}, {-5550101, -5550102, -5550103});
        rig.store("ScreenPhoneBookWins", "1");
        // The bad line is named once at start; the rules around it work.
        EXPECT_EQ(rig.statusCount("screening.txt line 3: \"blok\" is neither block nor allow"), 1);

        rig.callFrom(CallerIdField::present(c.number));
        EXPECT_EQ(rig.statusCount(c.statusLine), 1) << rig.statusTexts().join('|').toStdString();
        if (c.blocked) {
            rig.expectDropped();
        } else {
            EXPECT_FALSE(rig.sim(0).offHook());
            EXPECT_EQ(rig.slot(0).blocked, 0);
        }
    }

    // Without the tick, the phone book does not outweigh the public list: today's behaviour.
    ScreenedRig rig(kRules, {{"BAKER BOB", "5550102"}}, {-5550102});
    rig.callFrom(CallerIdField::present("5550102"));
    EXPECT_EQ(rig.statusCount("CallerID:5550102[Blocked]"), 1);
    rig.expectDropped();
}

TEST(CallScreening, OnlyKnownCallersDropsStrangersAndRingsFriendsThroughToTheMachine)
{
    ScreenedRig rig("allow 800* Deliveries\r\n", {{"BAKER BOB", "5550102"}}, {});
    rig.store("ScreenKnownOnly", "1");

    rig.callFrom(CallerIdField::present("5559999"));
    EXPECT_EQ(rig.statusCount("CallerID:5559999[Blocked] Only known callers"), 1);
    rig.expectDropped();
    // The stranger is logged as every caller is.
    EXPECT_EQ(test::readFile(rig.home.programFolder() + "/callerid.txt"), "5559999\r\n");
    rig.run(1000);

    rig.callFrom(CallerIdField::privateField());
    EXPECT_EQ(rig.statusCount("UNKNOWN Caller [Blocked] Only known callers"), 1);
    rig.expectDropped();
    rig.run(1000);

    // The friend from the phone book rings on and leaves a message.
    rig.callFrom(CallerIdField::present("5550102"));
    EXPECT_FALSE(rig.sim(0).offHook());
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 30000));
    EXPECT_EQ(rig.sim(0).generatedCount(), 1u); // the beep after the greeting
    rig.run(2000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_EQ(rig.lists->unread().size(), 1);
    EXPECT_TRUE(rig.lists->unread().first().contains("~5550102BAKER BOB"))
        << rig.lists->unread().first().toStdString();

    rig.run(2000);

    // So does a caller an allow rule knows.
    rig.callFrom(CallerIdField::present("8005550100"));
    EXPECT_FALSE(rig.sim(0).offHook());
    EXPECT_EQ(rig.statusCount("CallerID:8005550100 Allowed Deliveries"), 1);
}
