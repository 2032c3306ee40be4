// Calls on simulated lines in virtual time: ring counts, answering on the count, answering when
// the rings stop early, cadence learning and its stored values, and each call state's branch.
#include "line_harness.h"

#include "platform/telephony/telephony_service.h"

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using telephony::LineDispatcher;
const QString kLine0 = QStringLiteral("Line0");

// A harness with line 0 (and optionally more) open and every learned interval at 6500 ms.
class Dispatcher : public ::testing::Test {
protected:
    void open(std::initializer_list<int> lineIndexes = {0})
    {
        h.enableLines(lineIndexes);
        h.openLines();
        h.statusLog.addStatusLine(QStringLiteral("--")); // marks the end of the opening lines
    }
    // Status lines since open().
    QStringList status() const
    {
        const QStringList all = h.statusTexts();
        return all.mid(all.indexOf(QStringLiteral("--")) + 1);
    }
    // Rings line 0 `count` times (ring 1 now), then runs until just after the last ring.
    void ring(int count, std::uint32_t periodMs = 6000, int line = 0)
    {
        h.sim(line).ring(count, 2000, periodMs - 2000);
        h.run(static_cast<std::uint64_t>(count - 1) * periodMs + 10);
    }
    // Answers the current call on line 0 by hand and lets it connect.
    void answerAndConnect(int line = 0)
    {
        h.dispatcher().AnswerCall(line);
        h.run(500);
        ASSERT_TRUE(h.sim(line).offHook());
    }

    LineHarness h;
};

TEST_F(Dispatcher, RingCountsAreShownWithALeadingBlank)
{
    open();
    ring(3);
    EXPECT_EQ(status(), (QStringList{QStringLiteral("Line0 Ring..."), QStringLiteral(" 1"),
                                     QStringLiteral(" 2"), QStringLiteral(" 3")}));
    EXPECT_EQ(h.slot(0).callerNumberPart, QString());
}

TEST_F(Dispatcher, RingCountsAreNotShownWhenTheBoxIsClear)
{
    h.controls.ringCount = false;
    open();
    ring(2);
    EXPECT_EQ(status(), QStringList{QStringLiteral("Line0 Ring...")});
}

TEST_F(Dispatcher, AnswersOnTheConfiguredRingAndPlaysTheGreeting)
{
    h.controls.rings = QStringLiteral("4");
    open();
    h.sim(0).ring(4, 2000, 4000);
    h.run(12010); // rings 1..3
    EXPECT_FALSE(h.sim(0).offHook());
    EXPECT_TRUE(h.timer(h.timers().Timer1, 0).isEnabled()); // rings 1..3 re-arm it
    h.run(6000);
    EXPECT_EQ(h.state().ringsToAnswer, 4);
    EXPECT_TRUE(h.sim(0).offHook());
    EXPECT_EQ(h.slot(0).greetingDue, 1);
    EXPECT_FALSE(h.timer(h.timers().Timer1, 0).isEnabled());
    EXPECT_EQ(h.hooks.count(QStringLiteral("playGreeting 0")), 1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 0);
    EXPECT_TRUE(h.sim(0).monitoringDigits());
    EXPECT_EQ(h.hooks.count(QStringLiteral("findRingRule")), 1);
}

TEST_F(Dispatcher, TheRingsFieldIsReadLenientlyAndTheRingRuleHasTheLastWord)
{
    h.controls.rings = QStringLiteral("2.5 rings"); // halves to even: 2
    open();
    ring(1);
    EXPECT_EQ(h.state().ringsToAnswer, 2);
    h.sim(0).hangUpFarEnd();
    h.run(20000);

    h.hooks.ringRule = 1;
    ring(1);
    EXPECT_EQ(h.state().ringsToAnswer, 1);
    EXPECT_TRUE(h.sim(0).offHook());
    EXPECT_EQ(h.slot(0).greetingDue, 1);
}

TEST_F(Dispatcher, RingsStoppingEarlyAreAnsweredAfterTheLearnedIntervalAndRecordedAsMonitored)
{
    open();
    ring(2); // ring 2 at 6000 ms; Timer1 now waits ringIntervals 2 = 6500 ms
    EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), 6500u);
    h.run(6400);
    EXPECT_FALSE(h.sim(0).offHook());
    h.run(600);
    EXPECT_TRUE(h.sim(0).offHook());
    h.run(500);
    EXPECT_EQ(h.slot(0).greetingDue, 0);
    EXPECT_EQ(h.slot(0).callKind, QStringLiteral("M"));
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("playGreeting 0")), 0);
    EXPECT_TRUE(status().contains(QStringLiteral("Line0 Start Recording")));
}

TEST_F(Dispatcher, TheLegalMessageComesFirstOnAMonitoredCall)
{
    h.controls.legal = true;
    open();
    ring(1);
    answerAndConnect();
    EXPECT_EQ(h.hooks.calls.filter(QStringLiteral(" 0")).last(), QStringLiteral("playLegal 0"));
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 0);
    EXPECT_TRUE(h.sim(0).monitoringDigits());
}

TEST_F(Dispatcher, ABlockedCallerGetsTheDoNotCallPromptWithoutDigitMonitoring)
{
    open();
    ring(1);
    h.slot(0).blocked = -1;
    h.slot(0).greetingDue = 1;
    answerAndConnect();
    EXPECT_EQ(h.hooks.count(QStringLiteral("playDoNotCall 0")), 1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("playGreeting 0")), 0);
    EXPECT_FALSE(h.sim(0).monitoringDigits());
}

TEST_F(Dispatcher, ADialledCallStartsItsOutgoingTimerOnConnect)
{
    open();
    ring(1);
    h.slot(0).dialOutPending = -1;
    answerAndConnect();
    EXPECT_EQ(h.slot(0).dialOutPending, 0);
    EXPECT_TRUE(h.timer(h.timers().Timer4, 0).isEnabled());
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 0);
    h.run(1000);
    EXPECT_EQ(h.hooks.count(QStringLiteral("timer4Tick 0")), 1);
}

TEST_F(Dispatcher, LearnsTheFirstIntervalWithTheStoredWeight)
{
    open();
    ring(2, 5900); // measured 5900 + 100
    // (32665 x 6500 + 6000) / 32666 = 6499.98
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param1")), QStringLiteral("6500"));
    EXPECT_EQ(h.slot(0).ringInterval(1), 6500);
    EXPECT_EQ(h.slot(0).ringSamples, 32665);
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Calls")), QStringLiteral("32666"));
}

TEST_F(Dispatcher, ALowWeightIsUsedAsReadAndRestartsAtTheDefault)
{
    h.config.saveSetting(kLine0, QStringLiteral("Calls"), QStringLiteral("0"));
    open();
    ring(2, 4000);
    EXPECT_EQ(h.slot(0).ringSamples, 0);
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Calls")), QStringLiteral("32665"));
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param1")), QStringLiteral("4100"));
}

TEST_F(Dispatcher, LearnedIntervalsRoundHalvesToEven)
{
    h.config.saveSetting(kLine0, QStringLiteral("Calls"), QStringLiteral("1"));
    open();
    ring(2, 5901); // (6500 + 6001) / 2 = 6250.5
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param1")), QStringLiteral("6250"));
    h.run(5893);
    h.sim(0).ring(1); // ring 3, 5903 ms after ring 2
    h.run(10);
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param2")), QStringLiteral("6252")); // 6251.5
}

TEST_F(Dispatcher, RingsTwoToSevenLearnTheirGapsAndLaterRingsWaitTheSixth)
{
    h.controls.rings = QStringLiteral("99");
    h.config.saveSetting(kLine0, QStringLiteral("Calls"), QStringLiteral("0"));
    for (int k = 1; k <= 6; ++k) {
        h.slot(0).ringInterval(k) = 6000 + 100 * k;
    }
    open();
    h.sim(0).ring(8, 2000, 3000);
    h.run(10);
    EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), 6100u);
    for (int count = 2; count <= 7; ++count) {
        h.run(5000);
        const int wanted = count < 6 ? count : 6;
        // Armed with the interval as it stood before this ring's gap was learned.
        EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), static_cast<std::uint32_t>(6000 + 100 * wanted))
            << count;
        EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param%1").arg(count - 1)), QStringLiteral("5100"))
            << count;
    }
    h.config.saveSetting(kLine0, QStringLiteral("Param6"), QStringLiteral("untouched"));
    h.run(5000); // ring 8
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param6")), QStringLiteral("untouched"));
    EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), 5100u);
    EXPECT_TRUE(h.timer(h.timers().Timer1, 0).isEnabled());
    EXPECT_FALSE(h.sim(0).offHook());
}

TEST_F(Dispatcher, TheStoredWeightGrowsByOneAndStopsAtTheLargest16BitValue)
{
    EXPECT_EQ(LineDispatcher::nextCallsText(LineDispatcher::ringSamplesFromText(QStringLiteral("10"))),
              QStringLiteral("32665"));
    EXPECT_EQ(LineDispatcher::nextCallsText(LineDispatcher::ringSamplesFromText(QStringLiteral("32700"))),
              QStringLiteral("32701"));
    EXPECT_EQ(LineDispatcher::nextCallsText(LineDispatcher::ringSamplesFromText(QStringLiteral("32767"))),
              QStringLiteral("32767"));
    EXPECT_EQ(LineDispatcher::ringSamplesFromText(QStringLiteral("40000")), 32767);
    EXPECT_EQ(LineDispatcher::ringSamplesFromText(QStringLiteral("-90000")), -32768);
    EXPECT_EQ(LineDispatcher::ringSamplesFromText(QStringLiteral("many")), 0);
    // A negative weight counts as none instead of dividing by zero.
    EXPECT_EQ(LineDispatcher::learnedInterval(-1, 6500, 4000), 4000);
    EXPECT_EQ(LineDispatcher::learnedInterval(3, 1000, 5000), 2000);
    EXPECT_EQ(LineDispatcher::learnedInterval(32767, 13000, 6000), 13000); // 12999.79
}

TEST_F(Dispatcher, AWeightAtItsLargestKeepsHandlingRings)
{
    h.config.saveSetting(kLine0, QStringLiteral("Calls"), QStringLiteral("32767"));
    h.controls.rings = QStringLiteral("3");
    open();
    ring(3, 5000);
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Calls")), QStringLiteral("32767"));
    EXPECT_EQ(h.slot(0).ringSamples, 32767);
    EXPECT_TRUE(h.sim(0).offHook()); // answered on ring 3 all the same
}

TEST_F(Dispatcher, AGapIsLearnedOnlyBetweenRingsOfOneCallSeenInOrder)
{
    open();
    const platform::HLINE hLine = h.slot(0).hLine;
    // The program met this call at its second ring: nothing to measure from.
    h.dispatcher().LineCallback(hLine, platform::LINE_LINEDEVSTATE, 0, platform::LINEDEVSTATE_RINGING, 0, 2);
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param1")), QString());
    EXPECT_EQ(h.slot(0).ringInterval(1), 6500);
    EXPECT_TRUE(h.timer(h.timers().Timer1, 0).isEnabled());
    EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), 6500u);
}

TEST_F(Dispatcher, OddRingCountsWaitTheSixthInterval)
{
    h.slot(0).ringInterval(6) = 7777;
    open();
    h.state().ringsToAnswer = 99;
    const platform::HLINE hLine = h.slot(0).hLine;
    for (std::uint32_t count : {0u, 0xFFFFFFFFu, 8u, 1000u}) {
        h.timer(h.timers().Timer1, 0).setEnabled(false);
        h.dispatcher().LineCallback(hLine, platform::LINE_LINEDEVSTATE, 0, platform::LINEDEVSTATE_RINGING, 0,
                                    count);
        EXPECT_TRUE(h.timer(h.timers().Timer1, 0).isEnabled()) << count;
        EXPECT_EQ(h.timer(h.timers().Timer1, 0).interval(), 7777u) << count;
    }
    EXPECT_TRUE(status().contains(QStringLiteral("-1")));
    EXPECT_TRUE(status().contains(QStringLiteral(" 0")));
    // Other line states are not rings.
    h.dispatcher().LineCallback(hLine, platform::LINE_LINEDEVSTATE, 0, platform::LINEDEVSTATE_OTHER, 0, 1);
    EXPECT_FALSE(status().contains(QStringLiteral(" 1")));
}

TEST_F(Dispatcher, ManualAnsweringShowsThePopupButtonsAndLearnsNothing)
{
    h.lines->settings().answerManually = 1;
    open();
    ring(3);
    EXPECT_EQ(h.hooks.count(QStringLiteral("showAnswerButtons 0")), 1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("showPopupModeless")), 1);
    EXPECT_EQ(h.state().popupCallCount, 1);
    EXPECT_FALSE(h.timer(h.timers().Timer1, 0).isEnabled());
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Param1")), QString());
    EXPECT_EQ(h.setting(kLine0, QStringLiteral("Calls")), QString());

    answerAndConnect();
    h.sim(0).hangUpFarEnd();
    h.run(100);
    EXPECT_EQ(h.state().popupCallCount, 0);
    EXPECT_EQ(h.hooks.count(QStringLiteral("unloadPopup")), 1);
}

TEST_F(Dispatcher, ThePopupStaysHiddenWhileTheLineHasNoLearnedInterval)
{
    h.lines->settings().answerManually = 1;
    h.slot(0).ringInterval(1) = 0;
    open();
    ring(1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("showAnswerButtons 0")), 1);
    EXPECT_EQ(h.hooks.count(QStringLiteral("showPopupModeless")), 0);
}

TEST_F(Dispatcher, ADisconnectStopsTheRecordingAndDropsTheCallHalfASecondLater)
{
    open();
    ring(1);
    answerAndConnect();
    h.slot(0).recordState = telephony::kRecording;
    h.slot(0).dtmfDigits = QStringLiteral("12");
    h.slot(0).blocked = -1;
    h.sim(0).hangUpFarEnd();
    h.run(10);
    EXPECT_TRUE(status().contains(QStringLiteral("Line0 Disconnected")));
    EXPECT_EQ(h.slot(0).recordState, telephony::kRecordIdle);
    EXPECT_EQ(h.slot(0).dtmfDigits, QString());
    EXPECT_TRUE(h.timer(h.timers().timDropCall, 0).isEnabled());
    EXPECT_TRUE(h.sim(0).offHook());
    h.run(500);
    EXPECT_FALSE(h.sim(0).offHook());
    EXPECT_EQ(h.slot(0).blocked, 0);
    EXPECT_FALSE(h.timer(h.timers().timDropCall, 0).isEnabled());
    h.run(100);
    EXPECT_EQ(h.slot(0).hCall, 0u); // released on idle
}

TEST_F(Dispatcher, ADisconnectWhileAwaitingTheReplyKeepsTheCapture)
{
    open();
    ring(1);
    answerAndConnect();
    h.slot(0).recordState = telephony::kAwaitingReply;
    h.sim(0).hangUpFarEnd();
    h.run(10);
    EXPECT_EQ(h.slot(0).recordState, telephony::kAwaitingReply);
    EXPECT_TRUE(h.timer(h.timers().timDropCall, 0).isEnabled());
}

TEST_F(Dispatcher, WithTheFastBusyDetectorOnADisconnectChangesNothing)
{
    h.lines->settings().fastBusySwitch = 1;
    h.lines->settings().answerManually = 1;
    open();
    ring(1);
    answerAndConnect();
    h.slot(0).recordState = telephony::kRecording;
    const QStringList before = status();
    h.sim(0).hangUpFarEnd();
    h.run(10);
    EXPECT_EQ(status(), before);
    EXPECT_EQ(h.slot(0).recordState, telephony::kRecording);
    EXPECT_FALSE(h.timer(h.timers().timDropCall, 0).isEnabled());
    EXPECT_EQ(h.state().popupCallCount, 1);
}

TEST_F(Dispatcher, AnOfferOnALineThatIsNotOpenChangesNothing)
{
    open({0, 1});
    h.slot(1).hLine = 0; // as if line 1 had failed to open
    ring(2, 6000, 1);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(h.slot(1).hCall, 0u);
    EXPECT_EQ(h.slot(0).hCall, 0u);
    // A call handle the telephony interface does not know is ignored too.
    h.dispatcher().LineCallback(0x7777, platform::LINE_CALLSTATE, 0, platform::LINECALLSTATE_OFFERING, 0, 0);
    h.dispatcher().LineCallback(0x7777, platform::LINE_CALLSTATE, 0, platform::LINECALLSTATE_CONNECTED, 0, 0);
    h.dispatcher().LineCallback(0, platform::LINE_CALLSTATE, 0, platform::LINECALLSTATE_IDLE, 0, 0);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_TRUE(h.hooks.calls.filter(QStringLiteral("startRecording")).isEmpty());
}

TEST_F(Dispatcher, OnlyTheCallerIdStateStartsTheCallerIdHandler)
{
    open();
    ring(1);
    const platform::HCALL hCall = h.slot(0).hCall;
    h.dispatcher().LineCallback(hCall, platform::LINE_CALLINFO, 0, 0x00008001, 0, 0);
    EXPECT_TRUE(h.hooks.calls.filter(QStringLiteral("callerIdArrived")).isEmpty());
    h.sim(0).sendCallerId(platform::CallerIdField::present("5551234"), platform::CallerIdField::absent());
    h.run(10);
    EXPECT_EQ(h.hooks.count(QStringLiteral("callerIdArrived %1").arg(hCall)), 1);
    // Messages the dispatcher does not handle are ignored.
    h.dispatcher().LineCallback(hCall, platform::LINE_REPLY, 0, 1, 0, 0);
    h.dispatcher().LineCallback(hCall, 99, 0, 1, 0, 0);
}

TEST_F(Dispatcher, TheEndOfTheBeepStartsTheAnsweringMachineRecording)
{
    h.controls.rings = QStringLiteral("1");
    open();
    ring(1);
    h.run(500);
    h.timer(h.timers().Timer3, 0).setEnabled(true);
    h.dispatcher().GenerateBeep(0);
    h.run(1000);
    EXPECT_FALSE(h.timer(h.timers().Timer3, 0).isEnabled());
    EXPECT_EQ(h.slot(0).greetingDue, 1);
    EXPECT_EQ(h.slot(0).callKind, QStringLiteral("A"));
    EXPECT_TRUE(status().contains(QStringLiteral("Line0 Starts Recording")));
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 1);
}

TEST_F(Dispatcher, ABeepCutShortByTheEndOfTheCallStartsNoRecording)
{
    h.controls.rings = QStringLiteral("1");
    open();
    ring(1);
    h.run(500);
    const platform::HCALL hCall = h.slot(0).hCall;
    h.sim(0).hangUpFarEnd();
    h.run(50); // the disconnect notice, not yet the drop
    ASSERT_EQ(h.slot(0).hCall, hCall);
    h.dispatcher().LineCallback(hCall, platform::LINE_GENERATE, 0, platform::LINEGENERATETERM_CANCEL, 0, 0);
    EXPECT_EQ(h.hooks.count(QStringLiteral("startRecording 0")), 0);
    EXPECT_NE(h.slot(0).callKind, QStringLiteral("A"));
}

TEST_F(Dispatcher, DigitsAreCollectedUntilFourQuietTicksRunTheMenu)
{
    h.controls.rings = QStringLiteral("1");
    open();
    ring(1);
    h.run(500);
    ASSERT_TRUE(h.sim(0).monitoringDigits());
    h.sim(0).sendDigits("12");
    h.run(450);
    EXPECT_EQ(h.slot(0).dtmfDigits, QStringLiteral("12"));
    EXPECT_TRUE(h.timer(h.timers().timTollSaver, 0).isEnabled());
    h.run(2400); // three ticks
    EXPECT_TRUE(h.hooks.calls.filter(QStringLiteral("touchToneAction")).isEmpty());
    h.run(800);
    EXPECT_EQ(h.hooks.count(QStringLiteral("touchToneAction 0 12")), 1);
    EXPECT_EQ(h.slot(0).dtmfDigits, QString());
    EXPECT_EQ(h.slot(0).dtmfIdleTicks, 0);
    EXPECT_FALSE(h.timer(h.timers().timTollSaver, 0).isEnabled());

    // Control codes from the line are not digits.
    h.dispatcher().LineCallback(h.slot(0).hCall, platform::LINE_MONITORDIGITS, 0, 0x0A, 0, 0);
    EXPECT_EQ(h.slot(0).dtmfDigits, QString());
}

} // namespace
} // namespace qlnrec::test
