// The modem line in virtual time over the in-process link, against the simulated modem of each
// chipset family: whole incoming calls, dialled calls with their outcomes, the far end's hang-up
// notices, rings of a dropped call that must not reach the program, caller ID before the first
// ring, silence reports, and a modem that is pulled out, answers garbage or is not there yet.
#include "tests/platform/modem/modem_call_scenarios.h"

#include "platform/telephony/tapi_types.h"

#include <gtest/gtest.h>

using namespace qlnrec::platform;
using namespace qlnrec::test;
using qlnrec::modemsim::SimCallerId;

namespace {
class ModemFamiliesInVirtualTime : public ::testing::TestWithParam<FamilyCase> {};
} // namespace

TEST_P(ModemFamiliesInVirtualTime, IncomingCallWithSpeechPromptDigitsBeepAndBusyNotice)
{
    incomingCallWithSpeechPromptDigitsBeepAndBusyNotice(GetParam(), SimLink::InProcess);
}

TEST_P(ModemFamiliesInVirtualTime, DialledCallsAnsweredBusyAndWithoutDialTone)
{
    const FamilyCase& c = GetParam();
    ModemRig rig(c.family(), QString::fromLatin1(c.options), SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);

    rig.sim().setDialOutcome({}, 300);
    ASSERT_TRUE(rig.makeCall("(555) 123-4567"));
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    EXPECT_EQ(rig.sim().dialled().back(), "5551234567");
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() != QStringLiteral("command"); }));
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    rig.tapi().lineDeallocateCall(rig.hCall());

    // Calls the modem reports as failed: each ends with its disconnect mode and is dropped.
    struct Failed {
        const char* outcome;
        int delayMs;
        const char* number;
        std::uint32_t mode;
    };
    for (const Failed& f : {Failed{"BUSY", 200, "5550000", LINEDISCONNECTMODE_BUSY},
                            Failed{"NO ANSWER", 100, "5550003", LINEDISCONNECTMODE_NOANSWER},
                            Failed{"NO DIALTONE", 100, "5550001", LINEDISCONNECTMODE_NODIALTONE}}) {
        SCOPED_TRACE(f.outcome);
        rig.sim().setDialOutcome(f.outcome, f.delayMs);
        ASSERT_TRUE(rig.makeCall(f.number));
        if (f.mode == LINEDISCONNECTMODE_BUSY) {
            ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_BUSY));
        }
        std::uint32_t mode = 0;
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
        EXPECT_EQ(mode, f.mode);
        ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
        rig.tapi().lineDeallocateCall(rig.hCall());
    }

    // Hanging up while the modem is still dialling stops the dialling.
    rig.sim().setDialOutcome("NO ANSWER", 5000);
    ASSERT_TRUE(rig.makeCall("5550002"));
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() == QStringLiteral("dialing"); }));
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    EXPECT_TRUE(rig.line().setupInfo().ready);

    // Closing the line leaves the modem in data mode for other programs.
    ASSERT_EQ(rig.tapi().lineClose(rig.hLine()), 0);
    EXPECT_TRUE(rig.waitFor([&] { return !rig.sim().voiceClass(); }));
    EXPECT_TRUE(rig.sim().sawCommand(c.lineLabel < 0 ? "AT#CLS=0" : "AT+FCLASS=0"));
}

INSTANTIATE_TEST_SUITE_P(Families, ModemFamiliesInVirtualTime, ::testing::ValuesIn(kFamilies), caseName);

TEST(ModemFailureInVirtualTime, PulledMidCallTheLineFailsTheCallEndsAndTheModemComesBack)
{
    pulledMidCall(SimLink::InProcess);
}

TEST(ModemFailureInVirtualTime, CallerIdCutOffByThePulledModemDoesNotLeakIntoTheNextCall)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    // A framed caller-ID packet, cut off by the modem going away before its end.
    rig.sim().sendRaw("\x10X\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = 5550000\r\n");
    rig.advance(50);
    rig.sim().unplug();
    ASSERT_TRUE(rig.waitFor([&] { return rig.line().failed(); }));
    ASSERT_TRUE(rig.sim().plugIn(&error)) << qPrintable(error);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.line().failed() && rig.line().setupInfo().ready; }));
    // The next call is offered with its own caller.
    SimCallerId id;
    id.number = "5551234";
    ringAndAnswer(rig, id);
    if (HasFatalFailure()) {
        return;
    }
    std::uint32_t flags = 0;
    QByteArray name;
    EXPECT_EQ(callerIdText(rig.tapi(), rig.hCall(), &flags, &name), "5551234");
    EXPECT_EQ(rig.messageCount(LINE_CALLINFO), 1u);
}

TEST(ModemFailureInVirtualTime, AFramedCallerIdPacketThatLostItsEndStillNamesTheCaller)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    // The packet's closing <DLE>. never arrives; the next ring is seconds away.
    rig.sim().sendRaw("\x10X\r\nDATE = 1207\r\nTIME = 1405\r\nNAME = SMITH JOHN\r\nNMBR = 5551234\r\n");
    ASSERT_TRUE(rig.waitMessage(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID));
    std::uint32_t flags = 0;
    QByteArray name;
    EXPECT_EQ(callerIdText(rig.tapi(), rig.hCall(), &flags, &name), "5551234");
    EXPECT_EQ(name, "SMITH JOHN");
    // A terminator that turns up late adds nothing.
    rig.sim().sendRaw("\x10.");
    rig.sim().ring();
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING));
    EXPECT_EQ(rig.messageCount(LINE_CALLINFO), 1u);
}

TEST(ModemFailureInVirtualTime, AModemAnsweringGarbageEndsTheCallAndRecoversWhenSane)
{
    ModemRig rig(qlnrec::modemsim::usrFamily(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    SimCallerId id;
    id.number = "O";
    ringAndAnswer(rig, id);
    if (HasFatalFailure()) {
        return;
    }
    rig.sim().setGarbage(true);
    std::size_t from = rig.mark();
    // A beep needs commands; their answers are noise.
    ASSERT_EQ(rig.tapi().lineGenerateDigits(rig.hCall(), LINEDIGITMODE_DTMF, "*", 0), 0);
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_UNKNOWN);
    ASSERT_TRUE(rig.waitMessage(LINE_GENERATE, LINEGENERATETERM_CANCEL, nullptr, &from));
    ASSERT_TRUE(rig.waitFor([&] { return !rig.notices().empty(); }));
    EXPECT_TRUE(rig.notices().front().failed);
    EXPECT_TRUE(rig.notices().front().text.contains(QStringLiteral("garbage")) ||
                rig.notices().front().text.contains(QStringLiteral("answer")))
        << qPrintable(rig.notices().front().text);
    // Nobody drops the call: the line ends it itself.
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));

    rig.sim().setGarbage(false);
    ASSERT_TRUE(rig.waitFor([&] { return rig.notices().size() >= 2; }));
    EXPECT_FALSE(rig.notices().back().failed);
    EXPECT_TRUE(rig.line().setupInfo().ready);
}

TEST(ModemFailureInVirtualTime, AConfiguredModemThatIsNotThereYetIsWaitedFor)
{
    modemNotThereYet(SimLink::InProcess);
}

TEST(ModemCallsInVirtualTime, SilenceReportsCountOnlyWhileTheLineListens)
{
    ModemRig rig(qlnrec::modemsim::lucentFamily(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_GT(rig.tapi().lineAnswer(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    // A two-second greeting: the caller listens in silence.
    const std::vector<std::int16_t> speech = speechSamples(2);
    const std::vector<std::int16_t> greeting(speech.begin(), speech.begin() + 16000);
    ASSERT_TRUE(rig.startPlay(greeting));
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() == QStringLiteral("transmit"); }));
    rig.sim().sendNotice('s');
    ASSERT_TRUE(rig.finishPlay());
    EXPECT_EQ(rig.messageCount(LINE_CALLSTATE), 2u); // offering, connected
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() == QStringLiteral("receive"); }));
    // Silence while recording ends the call.
    rig.sim().sendNotice('s');
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_UNKNOWN);
}

// One block queued at a time, as the capture engine does it; before each next block the GUI
// thread is busy for 900 ms, so the modem's audio of that time arrives while no block is queued.
TEST(ModemCallsInVirtualTime, AGuiThreadLateWithTheNextBlockLosesNoSample)
{
    ModemRig rig(qlnrec::modemsim::usrFamily(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    SimCallerId id;
    id.number = "5551234";
    ringAndAnswer(rig, id);
    if (HasFatalFailure()) {
        return;
    }
    constexpr int kBlocks = 5;
    ASSERT_TRUE(rig.startCapture(kBlocks, 1));
    rig.sim().queueFarEndAudio(speechSamples(3));
    for (int block = 1; block < kBlocks; ++block) {
        ASSERT_TRUE(rig.waitFor([&] { return rig.capturedBlocks() >= block; }));
        rig.busyFor(900);
        rig.advance(1);
        rig.queueCaptureBlock();
    }
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().farEndQueueEmpty(); }));
    const std::vector<std::int16_t> sent = rig.sim().farEndSent();
    const std::vector<std::int16_t> captured = rig.stopCapture();
    EXPECT_GE(findSamples(captured, sent), 0) << describeMismatch(captured, sent);
    EXPECT_EQ(rig.wave().totalDroppedCaptureFrames(), 0u);
}

TEST(ModemCallsInVirtualTime, CallerIdBeforeTheFirstRingAndACallerWhoGivesUp)
{
    ModemRig rig(qlnrec::modemsim::usrFamily(), QStringLiteral(",ringtimeout=1500"), SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    // Some exchanges send caller ID before ringing: the call is offered with it.
    qlnrec::modemsim::SimCallerId id;
    id.number = "0301234567";
    id.name = "";
    rig.sim().sendCallerId(id);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_TRUE(rig.waitMessage(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID));
    rig.sim().ring();
    LineMessage ring{};
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, &ring));
    EXPECT_EQ(ring.p3, 1u);
    // No further ring: the caller gave up and the call goes idle without being answered.
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    EXPECT_EQ(rig.messageCount(LINE_CALLINFO), 1u);
}

TEST(ModemCallsInVirtualTime, DroppingARingingCallSilencesItsRings)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), QStringLiteral(",ringtimeout=1500"), SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    const HCALL first = rig.hCall();
    ASSERT_GT(rig.tapi().lineDrop(first, nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook()); // an analog line cannot refuse a call: it just is not answered
    const std::size_t rings = rig.messageCount(LINE_LINEDEVSTATE);
    rig.tapi().lineDeallocateCall(first);
    // The same caller rings on, then gives up (well past the ring time-out): the program hears
    // nothing of it.
    const std::size_t quiet = rig.mark();
    rig.sim().ring();
    rig.advance(1000);
    rig.sim().ring();
    rig.advance(3500);
    EXPECT_EQ(rig.mark(), quiet);
    EXPECT_FALSE(rig.sim().offHook());
    // The next ring is a new call.
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    EXPECT_NE(rig.hCall(), first);
    ASSERT_TRUE(rig.waitFor([&] { return rig.messageCount(LINE_LINEDEVSTATE) > rings; }));
    EXPECT_EQ(rig.messageCount(LINE_LINEDEVSTATE), rings + 1);
}

namespace {

struct NoticeCase {
    const char* name;
    qlnrec::modemsim::SimFamily (*family)();
    char notice;
    std::uint32_t mode;
};

void PrintTo(const NoticeCase& c, std::ostream* os)
{
    *os << c.name;
}

class HangUpNotices : public ::testing::TestWithParam<NoticeCase> {};

const NoticeCase kNotices[] = {
    {"loop_drop_rockwell", qlnrec::modemsim::rockwellFamily, 'l', LINEDISCONNECTMODE_NORMAL},
    {"dial_tone_conexant", qlnrec::modemsim::conexantFamily, 'd', LINEDISCONNECTMODE_NORMAL},
    {"quiet_lucent", qlnrec::modemsim::lucentFamily, 'q', LINEDISCONNECTMODE_UNKNOWN},
    {"loop_drop_usr", qlnrec::modemsim::usrFamily, 'l', LINEDISCONNECTMODE_NORMAL},
};

} // namespace

TEST_P(HangUpNotices, EachNoticeEndsTheCallOnce)
{
    const NoticeCase& c = GetParam();
    ModemRig rig(c.family(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_GT(rig.tapi().lineAnswer(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    ASSERT_EQ(rig.tapi().lineMonitorDigits(rig.hCall(), LINEDIGITMODE_DTMF), 0);
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() != QStringLiteral("command"); }));
    // A US Robotics modem reports dial tone falsely while streaming; the digit that follows shows
    // the report was read and ignored.
    if (rig.line().identity().isUsRobotics()) {
        rig.sim().sendNotice('d');
        rig.sim().sendDtmf("7");
        ASSERT_TRUE(rig.waitMessage(LINE_MONITORDIGITS));
        EXPECT_EQ(rig.messageCount(LINE_CALLSTATE), 2u);
    }
    rig.sim().sendNotice(c.notice);
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, c.mode);
    rig.sim().sendNotice(c.notice);
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    std::size_t disconnects = 0;
    for (const LineMessage& m : rig.messages()) {
        disconnects += m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_DISCONNECTED;
    }
    EXPECT_EQ(disconnects, 1u);
}

INSTANTIATE_TEST_SUITE_P(Modems, HangUpNotices, ::testing::ValuesIn(kNotices),
                         [](const ::testing::TestParamInfo<NoticeCase>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// A caller hangs up during a recording; each family reports it its own way, with what the
// set-up enabled.
struct CallerHangUpCase {
    const char* name;
    qlnrec::modemsim::SimFamily (*family)();
    const char* options;
    char exchangeTone; // what the exchange plays afterwards (0: nothing)
    const char* reportCommand;
    std::uint32_t mode;
};

void PrintTo(const CallerHangUpCase& c, std::ostream* os)
{
    *os << c.name;
}

// A Conexant controller whose firmware has no -STE but whose silence detector works and which
// reports the exchange's tones.
qlnrec::modemsim::SimFamily conexantWithoutSte()
{
    qlnrec::modemsim::SimFamily f = qlnrec::modemsim::conexantFamily();
    f.steCommand = false;
    f.silenceDetection = true;
    f.exchangeTonesReported = true;
    return f;
}

// A Conexant that reports the exchange's busy tone besides the loop-current break.
qlnrec::modemsim::SimFamily conexantReportingBusy()
{
    qlnrec::modemsim::SimFamily f = qlnrec::modemsim::conexantFamily();
    f.exchangeTonesReported = true;
    return f;
}

const CallerHangUpCase kCallerHangUps[] = {
    {"conexant_loop_current_break", qlnrec::modemsim::conexantFamily, "", 'b', "AT-STE=4",
     LINEDISCONNECTMODE_NORMAL},
    {"conexant_keeps_the_users_ste_bits", qlnrec::modemsim::conexantFamily, ",init=-STE=1", 0, "AT-STE=5",
     LINEDISCONNECTMODE_NORMAL},
    {"conexant_without_ste_busy_tone", conexantWithoutSte, "", 'b', "", LINEDISCONNECTMODE_BUSY},
    {"conexant_without_ste_silence", conexantWithoutSte, "", 0, "", LINEDISCONNECTMODE_UNKNOWN},
    {"lucent_silence", qlnrec::modemsim::lucentFamily, "", 0, "", LINEDISCONNECTMODE_UNKNOWN},
    {"usr_busy_tone", qlnrec::modemsim::usrFamily, "", 'b', "", LINEDISCONNECTMODE_BUSY},
    {"rockwell_dial_tone", qlnrec::modemsim::rockwellFamily, "", 'd', "AT#VTD=3F,3F,3F",
     LINEDISCONNECTMODE_NORMAL},
};

class CallerHangsUp : public ::testing::TestWithParam<CallerHangUpCase> {};

} // namespace

// Two calls in a row, so settings the modem forgets between calls are seen to be sent again.
TEST_P(CallerHangsUp, TheCallEndsTheWayTheModemReportsIt)
{
    const CallerHangUpCase& c = GetParam();
    ModemRig rig(c.family(), QString::fromLatin1(c.options), SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    EXPECT_EQ(rig.line().setupInfo().hangUpReportCommand, QByteArray(c.reportCommand));
    rig.sim().setExchangeAfterHangUp(c.exchangeTone);
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        SimCallerId id;
        id.number = "5551234";
        ringAndAnswer(rig, id);
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(rig.startCapture(30));
        rig.sim().queueFarEndAudio(speechSamples(2));
        ASSERT_TRUE(rig.waitFor([&] { return rig.sim().farEndQueueEmpty(); }));
        rig.sim().farEndHangsUp();
        std::uint32_t mode = 0;
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
        EXPECT_EQ(mode, c.mode);
        rig.stopCapture();
        ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
        EXPECT_FALSE(rig.sim().offHook());
        rig.tapi().lineDeallocateCall(rig.hCall());
        ASSERT_TRUE(rig.waitFor([&] { return rig.sim().voiceClass() && rig.line().setupInfo().ready; }));
    }
    EXPECT_TRUE(rig.notices().empty());
}

INSTANTIATE_TEST_SUITE_P(Modems, CallerHangsUp, ::testing::ValuesIn(kCallerHangUps),
                         [](const ::testing::TestParamInfo<CallerHangUpCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ModemFailureInVirtualTime, AModemAnsweringJustWithinTheTimeOutStillWorks)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), {}, SimLink::InProcess);
    // Most of the three-second command time-out, for every command from the set-up on.
    rig.beforeLineOpens([&] { rig.sim().setReplyDelay(2500); });
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    EXPECT_EQ(rig.line().setupInfo().format, modem::SampleFormat::Signed16);
    EXPECT_EQ(rig.line().setupInfo().hangUpReportCommand, "AT-STE=4");
    SimCallerId id;
    id.number = "5551234";
    ringAndAnswer(rig, id);
    if (HasFatalFailure()) {
        return;
    }
    rig.sim().farEndHangsUp();
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_NORMAL);
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    EXPECT_TRUE(rig.notices().empty());
}

TEST(ModemFailureInVirtualTime, GarbageFromTheStartFailsTheLineWithAStatusAndItRecoversWhenSane)
{
    ModemRig rig(qlnrec::modemsim::usrFamily(), {}, SimLink::InProcess);
    rig.beforeLineOpens([&] { rig.sim().setGarbage(true); });
    QString error;
    EXPECT_FALSE(rig.start(&error));
    ASSERT_TRUE(rig.line().failed());
    ASSERT_FALSE(rig.notices().empty());
    EXPECT_TRUE(rig.notices().front().text.contains(QStringLiteral("garbage")))
        << qPrintable(rig.notices().front().text);
    // Attempts while it still babbles fail quietly; once sane, the line works again.
    rig.advance(10000);
    EXPECT_EQ(rig.notices().size(), 1u);
    rig.sim().setGarbage(false);
    expectFailedThenRecovered(rig, QStringLiteral("garbage"));
    nextCallWorks(rig);
}

TEST(ModemFailureInVirtualTime, BytesLostFromRepliesAndEventsNeverHangTheLine)
{
    ModemRig rig(conexantReportingBusy(), {}, SimLink::InProcess);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);

    // A lost line end is no loss: the next line starts with the line feed.
    rig.sim().dropInReply("AT+VLS=1", 4);
    nextCallWorks(rig);
    if (HasFatalFailure()) {
        return;
    }

    // The answer's OK comes without its K: the modem answered, the program cannot know. The
    // call is not connected, the modem is put back on hook, and the next call works.
    rig.sim().dropInReply("AT+VLS=1", 3);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    std::size_t from = rig.mark();
    const LONG request = rig.tapi().lineAnswer(rig.hCall(), nullptr, 0);
    ASSERT_GT(request, 0);
    LineMessage reply{};
    ASSERT_TRUE(rig.waitMessage(LINE_REPLY, static_cast<std::uint32_t>(request), &reply, &from));
    EXPECT_NE(reply.p2, 0u);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.sim().offHook(); }));
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    rig.tapi().lineDeallocateCall(rig.hCall());
    nextCallWorks(rig);
    if (HasFatalFailure()) {
        return;
    }

    // The loop-current break loses its <DLE> (it becomes a byte of audio) or its code: the
    // exchange's busy tone still ends the call.
    for (const bool dle : {true, false}) {
        SCOPED_TRACE(dle ? "lost <DLE>" : "lost code");
        SimCallerId id;
        id.number = "5551234";
        ringAndAnswer(rig, id);
        if (HasFatalFailure()) {
            return;
        }
        rig.sim().dropInNextCode(dle);
        rig.sim().farEndHangsUp();
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED));
        ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
        ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
        EXPECT_FALSE(rig.sim().offHook());
        rig.tapi().lineDeallocateCall(rig.hCall());
    }
    EXPECT_TRUE(rig.notices().empty());
    EXPECT_FALSE(rig.line().failed());
}

namespace {
class SetUpFaults : public ::testing::TestWithParam<SetUpFaultCase> {};
} // namespace

TEST_P(SetUpFaults, RetriedThenGivenUpAndSetUpAgainFromTheStart)
{
    setUpMeetsAFault(GetParam(), SimLink::InProcess);
}

INSTANTIATE_TEST_SUITE_P(Faults, SetUpFaults, ::testing::ValuesIn(kSetUpFaults), setUpFaultName);

TEST(ModemFailureInVirtualTime, VanishingDuringTheSetUpFailsTheLineAndItRecovers)
{
    ModemRig rig(qlnrec::modemsim::lucentFamily(), {}, SimLink::InProcess);
    rig.beforeLineOpens([&] { rig.sim().vanishOnCommand("AT+VSM="); });
    QString error;
    EXPECT_FALSE(rig.start(&error));
    ASSERT_TRUE(rig.line().failed());
    ASSERT_EQ(rig.notices().size(), 1u);
    EXPECT_TRUE(rig.notices().front().failed);
    // Back, and gone again in the middle of the recovery's set-up: the line keeps waiting.
    rig.sim().vanishOnCommand("AT+VLS=?");
    ASSERT_TRUE(rig.sim().plugIn(&error)) << qPrintable(error);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.sim().pluggedIn(); }));
    rig.advance(10000);
    EXPECT_TRUE(rig.line().failed());
    EXPECT_EQ(rig.notices().size(), 1u);
    ASSERT_TRUE(rig.sim().plugIn(&error)) << qPrintable(error);
    expectFailedThenRecovered(rig, QStringLiteral("port"));
    // Each time it came back, the set-up began again with the reset.
    EXPECT_EQ(rig.sim().commands().count("ATZ"), 3);
    EXPECT_EQ(rig.line().setupInfo().lineLabel, 2);
    nextCallWorks(rig);
}
