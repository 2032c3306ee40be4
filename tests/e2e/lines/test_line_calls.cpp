// Whole calls from scenario files after the program's own start-up: the ring count from the
// hidden setup dialog, answering on it, answering when the rings stop early, what is stored
// about the line's ring cadence, and several lines at once.
#include "tests/e2e/program_rig.h"

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

const QString kConfig = QStringLiteral("Config");

TEST(LineCalls, AnswersOnTheFourthRingWithTheGreeting)
{
    ProgramRig rig(QStringLiteral("sim:1"), QStringLiteral("answer_on_fourth_ring.scn"));
    rig.configureLines({0});
    rig.store(kConfig, QStringLiteral("Rings"), QStringLiteral("4"));
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    EXPECT_EQ(rig.program->setup().ringsText(), QStringLiteral("4"));

    ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();
    const QStringList status = rig.statusTexts();
    ASSERT_GE(status.size(), 8);
    // The caller ID after the first ring is shown a quarter second after it arrives.
    EXPECT_EQ(status.mid(0, 7),
              (QStringList{QStringLiteral("Line0 is ready"), QStringLiteral("Line0 Ring..."),
                           QStringLiteral(" 1"), QStringLiteral("CallerID:5551234 [SMITH JOHN]"),
                           QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4")}));
    EXPECT_TRUE(status.contains(QStringLiteral("Line0 Starts Recording")));
    EXPECT_TRUE(status.contains(QStringLiteral("Line0 Disconnected")));
    EXPECT_EQ(rig.slot(0).greetingDue, 1);
    EXPECT_EQ(rig.slot(0).callKind, QStringLiteral("A"));
    EXPECT_EQ(rig.slot(0).hCall, 0u); // dropped and released
    EXPECT_FALSE(rig.sim(0).offHook());
    // Answered on the fourth ring, 18 s after the first.
    EXPECT_EQ(rig.activityTime(0, QStringLiteral("off hook")) - rig.activityTime(0, QStringLiteral("ring 1")),
              18000);
    // The day file holds the same lines, each with its time of day.
    const QStringList day = rig.dayFileLines();
    ASSERT_EQ(day.size(), status.size());
    EXPECT_TRUE(day[2].startsWith(QStringLiteral(" 1 ")));
    EXPECT_EQ(day[2].size(), 3 + 8);
    // Rings 2 and 3 taught their gaps; ring 4 answered the call before any learning.
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Calls")), QStringLiteral("32666"));
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Param2")), QStringLiteral("6500"));
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Param3")), QString());
}

TEST(LineCalls, RingsThatStopAfterTheSecondAreAnsweredOneLearnedIntervalLaterAsAMonitoredCall)
{
    ProgramRig rig(QStringLiteral("sim:1"), QStringLiteral("picked_up_after_two_rings.scn"));
    rig.configureLines({0});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();

    EXPECT_EQ(rig.activityTime(0, QStringLiteral("off hook")) - rig.activityTime(0, QStringLiteral("ring 2")),
              6500);
    EXPECT_EQ(rig.slot(0).greetingDue, 0);
    EXPECT_EQ(rig.slot(0).callKind, QStringLiteral("M"));
    // The program's own recorder took the call: it is listed as a monitored recording.
    EXPECT_TRUE(rig.hooks.calls.isEmpty());
    rig.run(3000); // the file writer finishes within its grace second
    ASSERT_NE(rig.program->recordingLists(), nullptr);
    const QStringList recent = rig.program->recordingLists()->recent();
    ASSERT_EQ(recent.size(), 1);
    EXPECT_TRUE(recent[0].startsWith(QStringLiteral("M~L 0"))) << recent[0].toStdString();
    const QStringList status = rig.statusTexts();
    EXPECT_TRUE(status.contains(QStringLiteral("Line0 Start Recording")));
    EXPECT_EQ(status.count(QStringLiteral(" 2")), 1);
    EXPECT_FALSE(status.contains(QStringLiteral(" 3")));
    // Measured 5900 + 100 against 6500 with the weight 32665: 6499.98, stored as 6500.
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Param1")), QStringLiteral("6500"));
    EXPECT_EQ(rig.slot(0).ringInterval(1), 6500);
    EXPECT_EQ(rig.setting(QStringLiteral("Line0"), QStringLiteral("Calls")), QStringLiteral("32666"));
}

TEST(LineCalls, AShortLearnedIntervalFromTheStoreAnswersSooner)
{
    ProgramRig rig(QStringLiteral("sim:1"), QStringLiteral("picked_up_after_two_rings.scn"));
    rig.configureLines({0});
    rig.store(QStringLiteral("Line0"), QStringLiteral("Param2"), QStringLiteral("5000"));
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();
    EXPECT_EQ(rig.activityTime(0, QStringLiteral("off hook")) - rig.activityTime(0, QStringLiteral("ring 2")),
              5000);
}

TEST(LineCalls, OneLineFailsToOpenAndTheOthersCarryCalls)
{
    ProgramRig rig(QStringLiteral("sim:4"), QStringLiteral("four_lines_one_unusable.scn"));
    rig.configureLines({0, 1, 2, 3});
    rig.store(kConfig, QStringLiteral("Rings"), QStringLiteral("2"));
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);

    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].text, QStringLiteral("Line2 Error:  80000048"));
    EXPECT_EQ(rig.dialogs.messages()[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(rig.program->lines().state().lineApiVersion, 0x00020000u);
    EXPECT_EQ(rig.statusTexts(),
              (QStringList{QStringLiteral("Line0 is ready"), QStringLiteral("Line1 is ready"),
                           QStringLiteral("Line3 is ready")}));

    ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();
    // The caller heard the greeting the start put in place and hung up during it.
    EXPECT_FALSE(rig.sim(3).playedSamples(1).empty());
    EXPECT_TRUE(rig.statusTexts().contains(QStringLiteral("Line3 Ring...")));
    EXPECT_TRUE(rig.statusTexts().contains(QStringLiteral("Line3 Disconnected")));
    EXPECT_FALSE(rig.sim(2).isOpen());
}

} // namespace
} // namespace qlnrec::test
