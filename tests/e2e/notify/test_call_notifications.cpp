// Desktop notifications in whole answered calls: the ring with caller ID and the message left are
// each told once, with the phone book's name for the number; switched off, nothing is told; a
// blocked caller is never told.
#include "tests/e2e/callerid/caller_id_calls.h"

#include "blocklist/block_list.h"
#include "core/settings_table.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_lists.h"

using namespace qlnrec;
using platform::CallerIdField;
using test::RecordingRig;

namespace {

// A caller from the phone book rings, is answered, leaves a message and hangs up.
void answeredCallFromAFriend(RecordingRig& rig)
{
    phonebook::PhoneBookRecordCodec codec;
    phonebook::PhoneBookFile file(rig.home.programFolder(), codec);
    phonebook::PhoneBookLists book(file);
    book.load();
    ASSERT_TRUE(book.append({QStringLiteral("SMITH JOHN"), QStringLiteral("5551234")}));
    rig.program->loadPhoneBook();
    rig.store("Rings", "3");
    test::writeTonePrompt(rig, "Greeting.wav", 440, 1);
    rig.openLines({0});

    test::ringWithCallerId(rig, 0, CallerIdField::present("5551234"), CallerIdField::present("J SMITH"));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 30000));
    rig.run(3000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000);
}

} // namespace

TEST(CallNotifications, TheCallerAndTheNewMessageAreToldOnceEachAndNotAtAllWhenSwitchedOff)
{
    RecordingRig rig;
    answeredCallFromAFriend(rig);
    const auto& told = rig.shell.notifications();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].title, QStringLiteral("Incoming call"));
    EXPECT_EQ(told[0].body, QStringLiteral("5551234\nSMITH JOHN"));
    ASSERT_EQ(rig.lists->unread().size(), 1);
    EXPECT_EQ(told[1].title, QStringLiteral("New message"));
    EXPECT_TRUE(told[1].body.contains(rig.lists->unread().first())) << told[1].body.toStdString();

    RecordingRig quiet;
    quiet.config.save(core::keys::kNotify, QStringLiteral("0"));
    answeredCallFromAFriend(quiet);
    ASSERT_EQ(quiet.lists->unread().size(), 1);
    EXPECT_TRUE(quiet.shell.notifications().empty());
}

TEST(CallNotifications, ABlockedCallerIsNotToldAndTheNextCallerIs)
{
    RecordingRig rig;
    blocklist::BlockList(rig.home.programFolder()).append(5550000);
    rig.program->loadBlockList();
    rig.store("Rings", "8");
    test::writeTonePrompt(rig, "donotcall.wav", 880, 1);
    rig.openLines({0});

    test::ringWithCallerId(rig, 0, CallerIdField::present("5550000"), CallerIdField::present("PESTER CO"));
    ASSERT_TRUE(rig.runUntil([&] { return rig.sim(0).offHook(); }, 10000));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.sim(0).offHook(); }, 10000)); // told not to call, dropped
    rig.run(1000);
    EXPECT_TRUE(rig.shell.notifications().empty());

    test::ringWithCallerId(rig, 0, CallerIdField::present("5551234"), CallerIdField::present("J SMITH"));
    rig.run(400); // the blocking decision comes a quarter second after the caller ID
    const auto& told = rig.shell.notifications();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].title, QStringLiteral("Incoming call"));
    EXPECT_EQ(told[0].body, QStringLiteral("5551234\nJ SMITH"));
}
