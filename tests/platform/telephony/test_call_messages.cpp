// Message order and content for whole calls on the simulated lines, as the line callback sees
// them: incoming calls answered on a ring count, digits, far-end hang-up, outgoing calls, and
// events raised on another thread.
#include "tests/platform/telephony/tapi_fixture.h"

#include <thread>

using namespace qlnrec::platform;
using qlnrec::test::LineMessage;
using qlnrec::test::TapiFixture;

namespace {

class CallMessages : public TapiFixture {};

TEST_F(CallMessages, IncomingCallGoesOfferingRingsCallerIdConnectedDigitsDisconnectedIdle)
{
    initialize();
    const HLINE line = open(1);
    std::vector<LONG> requests;
    HCALL call = 0;
    // Answer on ring 2 and monitor digits once connected, from inside the callback as the
    // program does.
    onMessage = [&](const LineMessage& m) {
        if (m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_OFFERING) {
            call = m.hDevice;
        } else if (m.msg == LINE_LINEDEVSTATE && m.p3 == 2) {
            requests.push_back(tapi().lineAnswer(call, nullptr, 0));
        } else if (m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_CONNECTED) {
            EXPECT_EQ(tapi().lineMonitorDigits(m.hDevice, LINEDIGITMODE_DTMF), 0);
        }
    };
    sim(1).ring(3, 2000, 4000);
    events.advance(2500);
    sim(1).sendCallerId(CallerIdField::present("5551234"), CallerIdField::present("SMITH JOHN"));
    events.advance(4000); // ring 2 at 6 s: answered
    ASSERT_TRUE(sim(1).offHook());
    events.advance(1000);
    sim(1).sendDigits("1#", 100, 100);
    events.advance(1000);
    sim(1).hangUpFarEnd(HangUpNotice::LoopDrop);
    events.advance(500);
    requests.push_back(tapi().lineDrop(call, nullptr, 0));
    events.advance(100);
    EXPECT_FALSE(sim(1).offHook());
    EXPECT_EQ(tapi().lineDeallocateCall(call), 0);
    events.advance(20000); // the third ring never comes: the call was answered

    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> seen; // msg, p1, hDevice
    for (const auto& m : messages) {
        if (m.msg != LINE_REPLY) {
            seen.emplace_back(m.msg, m.p1, m.hDevice);
        }
    }
    const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> expected = {
        {LINE_CALLSTATE, LINECALLSTATE_OFFERING, call},
        {LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, line},
        {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, call},
        {LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, line},
        {LINE_CALLSTATE, LINECALLSTATE_CONNECTED, call},
        {LINE_MONITORDIGITS, '1', call},
        {LINE_MONITORDIGITS, '#', call},
        {LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, call},
        {LINE_CALLSTATE, LINECALLSTATE_IDLE, call},
    };
    EXPECT_EQ(seen, expected);

    const auto rings = only(LINE_LINEDEVSTATE);
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0].p3, 1u);
    EXPECT_EQ(rings[1].p3, 2u);
    EXPECT_EQ(rings[1].atMs - rings[0].atMs, 6000u);
    EXPECT_EQ(rings[0].instance, 0x1231u) << "line messages carry the lineOpen callback instance";
    EXPECT_EQ(only(LINE_CALLSTATE)[0].p3, LINECALLPRIVILEGE_OWNER);
    EXPECT_EQ(only(LINE_CALLSTATE)[2].p2, LINEDISCONNECTMODE_NORMAL);
    EXPECT_EQ(only(LINE_MONITORDIGITS)[0].p2, LINEDIGITMODE_DTMF);
    const auto replies = only(LINE_REPLY);
    ASSERT_EQ(replies.size(), 2u);
    ASSERT_EQ(requests.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_GT(requests[i], 0);
        EXPECT_EQ(replies[i].p1, static_cast<std::uint32_t>(requests[i]));
        EXPECT_EQ(replies[i].p2, 0u);
    }
    EXPECT_EQ(tapi().lineGetCallInfo(call, nullptr), LINEERR_INVALCALLHANDLE) << "deallocated";
}

TEST_F(CallMessages, RingNoticesNeedTheSubscriptionAndCarryTheCount)
{
    initialize();
    const HLINE line = open(0, 6, 4, 0x00010004, false);
    sim(0).ring(2, 1000, 1000);
    events.advance(3000);
    EXPECT_TRUE(only(LINE_LINEDEVSTATE).empty());
    EXPECT_EQ(only(LINE_CALLSTATE).size(), 1u);
    ASSERT_EQ(tapi().lineSetStatusMessages(line, LINEDEVSTATE_RINGING, 0), 0);
    sim(0).ring(2, 1000, 1000);
    events.advance(3000);
    const auto rings = only(LINE_LINEDEVSTATE);
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0].p3, 3u) << "the count continues for the same call";
    EXPECT_EQ(rings[1].p3, 4u);
    EXPECT_EQ(tapi().lineSetStatusMessages(line, 0x00080000, 0), LINEERR_INVALLINESTATE);
}

TEST_F(CallMessages, DigitsOnlyWhileMonitoringAndGenerateEndsAfterTheDigit)
{
    initialize();
    open(0);
    sim(0).ring(1);
    settle();
    const HCALL call = offeredCall();
    ASSERT_GT(tapi().lineAnswer(call, nullptr, 0), 0);
    events.advance(100);
    sim(0).sendDigits("5", 100, 100);
    events.advance(500);
    EXPECT_TRUE(only(LINE_MONITORDIGITS).empty());
    ASSERT_EQ(tapi().lineMonitorDigits(call, LINEDIGITMODE_DTMF), 0);
    EXPECT_TRUE(sim(0).monitoringDigits());
    sim(0).sendDigits("7", 100, 100);
    events.advance(500);
    ASSERT_EQ(only(LINE_MONITORDIGITS).size(), 1u);
    EXPECT_EQ(only(LINE_MONITORDIGITS)[0].p1 & 0xFFFF, static_cast<std::uint32_t>('7'));
    ASSERT_EQ(tapi().lineMonitorDigits(call, 0), 0);
    sim(0).sendDigits("9", 100, 100);
    events.advance(500);
    EXPECT_EQ(only(LINE_MONITORDIGITS).size(), 1u);

    // The beep: "*" with the default duration (100 ms on the simulated line).
    const std::uint64_t start = events.elapsedMs();
    ASSERT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "*", 0), 0);
    events.advance(99);
    EXPECT_TRUE(only(LINE_GENERATE).empty());
    events.advance(2);
    ASSERT_EQ(only(LINE_GENERATE).size(), 1u);
    EXPECT_EQ(only(LINE_GENERATE)[0].p1, LINEGENERATETERM_DONE);
    EXPECT_EQ(only(LINE_GENERATE)[0].hDevice, call);
    EXPECT_LE(only(LINE_GENERATE)[0].atMs - start, 101u);
    EXPECT_EQ(sim(0).generatedCount(), 1u);

    // A new request cancels a running one: one CANCEL, then one DONE.
    ASSERT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "123", 200), 0);
    events.advance(50);
    ASSERT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "4", 100), 0);
    events.advance(1000);
    const auto generated = only(LINE_GENERATE);
    ASSERT_EQ(generated.size(), 3u);
    EXPECT_EQ(generated[1].p1, LINEGENERATETERM_CANCEL);
    EXPECT_EQ(generated[2].p1, LINEGENERATETERM_DONE);

    EXPECT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "12x", 0), LINEERR_INVALDIGITS);
    EXPECT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_PULSE, "1", 0), LINEERR_INVALDIGITMODE);
    EXPECT_EQ(tapi().lineMonitorDigits(call, LINEDIGITMODE_PULSE), LINEERR_INVALDIGITMODE);
}

TEST_F(CallMessages, DroppingDuringAGenerationCancelsItBeforeIdle)
{
    initialize();
    open(0);
    sim(0).ring(1);
    settle();
    const HCALL call = offeredCall();
    ASSERT_GT(tapi().lineAnswer(call, nullptr, 0), 0);
    events.advance(10);
    ASSERT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "*", 5000), 0);
    ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
    events.advance(6000);
    const auto generated = only(LINE_GENERATE);
    ASSERT_EQ(generated.size(), 1u);
    EXPECT_EQ(generated[0].p1, LINEGENERATETERM_CANCEL);
    EXPECT_EQ(only(LINE_CALLSTATE).back().p1, LINECALLSTATE_IDLE);
}

TEST_F(CallMessages, OutgoingCallWritesTheHandleBeforeTheReplyThenReportsProgress)
{
    initialize();
    const HLINE line = open(2);
    HCALL slot = 0;
    HCALL seenAtReply = 0;
    onMessage = [&](const LineMessage& m) {
        if (m.msg == LINE_REPLY) {
            seenAtReply = slot;
        }
    };
    const LONG request = tapi().lineMakeCall(line, &slot, "9,5551234", 0, nullptr);
    ASSERT_GT(request, 0);
    EXPECT_EQ(slot, 0u) << "the handle becomes valid with the reply";
    settle();
    ASSERT_NE(slot, 0u);
    EXPECT_EQ(seenAtReply, slot);
    EXPECT_EQ(sim(2).dialled(), std::vector<QByteArray>{"9,5551234"});
    EXPECT_EQ(tapi().lineMakeCall(line, &slot, "123", 0, nullptr), LINEERR_CALLUNAVAIL);
    events.advance(1000);
    sim(2).farEndRingback();
    events.advance(4000);
    sim(2).farEndAnswer();
    events.advance(100);

    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().msg, LINE_REPLY);
    EXPECT_EQ(messages.front().p1, static_cast<std::uint32_t>(request));
    std::vector<std::uint32_t> states;
    for (const auto& m : only(LINE_CALLSTATE)) {
        EXPECT_EQ(m.hDevice, slot);
        states.push_back(m.p1);
    }
    EXPECT_EQ(states, (std::vector<std::uint32_t>{LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                                  LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}));

    // The call information names the dialled number and the outbound origin.
    std::vector<unsigned char> info(2297);
    setTapiDword(info.data(), 0, 2297);
    ASSERT_EQ(tapi().lineGetCallInfo(slot, reinterpret_cast<LINECALLINFO*>(info.data())), 0);
    EXPECT_EQ(tapiDword(info.data(), offsetof(LINECALLINFO, dwOrigin)), LINECALLORIGIN_OUTBOUND);
    const auto calledOffset = tapiDword(info.data(), offsetof(LINECALLINFO, dwCalledIDOffset));
    EXPECT_STREQ(reinterpret_cast<const char*>(info.data() + calledOffset), "9,5551234");
}

TEST_F(CallMessages, BusyAndNoAnswerEndOutgoingCallsWithTheirDisconnectModes)
{
    initialize();
    const HLINE line = open(0);
    HCALL call = 0;
    ASSERT_GT(tapi().lineMakeCall(line, &call, "5550000", 0, nullptr), 0);
    events.advance(500);
    sim(0).farEndBusy();
    events.advance(10);
    auto states = only(LINE_CALLSTATE);
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[states.size() - 2].p1, LINECALLSTATE_BUSY);
    EXPECT_EQ(states.back().p1, LINECALLSTATE_DISCONNECTED);
    EXPECT_EQ(states.back().p2, LINEDISCONNECTMODE_BUSY);
    ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
    events.advance(10);
    ASSERT_EQ(tapi().lineDeallocateCall(call), 0);

    messages.clear();
    ASSERT_GT(tapi().lineMakeCall(line, &call, "5550001", 0, nullptr), 0);
    events.advance(500);
    sim(0).farEndNoAnswer();
    events.advance(10);
    states = only(LINE_CALLSTATE);
    EXPECT_EQ(states.back().p1, LINECALLSTATE_DISCONNECTED);
    EXPECT_EQ(states.back().p2, LINEDISCONNECTMODE_NOANSWER);

    EXPECT_EQ(tapi().lineMakeCall(line, &call, "", 0, nullptr), LINEERR_INVALADDRESS);
    EXPECT_EQ(tapi().lineMakeCall(line, &call, "555\n1234", 0, nullptr), LINEERR_INVALADDRESS);
    EXPECT_EQ(tapi().lineMakeCall(line, &call, "5551234|x", 0, nullptr), LINEERR_INVALADDRESS);
}

TEST_F(CallMessages, CallerWhoGivesUpWhileRingingEndsIdleWithoutADisconnect)
{
    initialize();
    open(0);
    sim(0).ring(2, 2000, 4000);
    events.advance(7000);
    sim(0).hangUpFarEnd(HangUpNotice::LoopDrop);
    events.advance(20000);
    std::vector<std::uint32_t> states;
    for (const auto& m : only(LINE_CALLSTATE)) {
        states.push_back(m.p1);
    }
    EXPECT_EQ(states, (std::vector<std::uint32_t>{LINECALLSTATE_OFFERING, LINECALLSTATE_IDLE}));
    EXPECT_EQ(only(LINE_CALLSTATE).back().atMs, 6000u + 8000u) << "idle after the ring timeout";

    // Answering before the timeout finds dial tone: connected, then disconnected.
    messages.clear();
    sim(0).ring(1);
    settle();
    sim(0).hangUpFarEnd(HangUpNotice::LoopDrop);
    events.advance(3000);
    ASSERT_GT(tapi().lineAnswer(offeredCall(), nullptr, 0), 0);
    events.advance(10);
    states.clear();
    for (const auto& m : only(LINE_CALLSTATE)) {
        states.push_back(m.p1);
    }
    EXPECT_EQ(states, (std::vector<std::uint32_t>{LINECALLSTATE_OFFERING, LINECALLSTATE_CONNECTED,
                                                  LINECALLSTATE_DISCONNECTED}));
}

TEST_F(CallMessages, NothingArrivesAfterCloseOrShutdown)
{
    initialize();
    const HLINE line0 = open(0);
    const HLINE line1 = open(1);
    sim(0).ring(1);
    settle();
    ASSERT_GT(tapi().lineAnswer(offeredCall(), nullptr, 0), 0);
    // Close with the answer's events still queued: the line goes on hook and stays silent.
    ASSERT_EQ(tapi().lineClose(line0), 0);
    const std::size_t before = messages.size();
    events.advance(10000);
    EXPECT_EQ(messages.size(), before);
    EXPECT_FALSE(sim(0).offHook());
    EXPECT_FALSE(sim(0).isOpen());
    EXPECT_EQ(tapi().lineClose(line0), LINEERR_INVALLINEHANDLE);

    sim(1).ring(3);
    events.advance(100);
    ASSERT_EQ(tapi().lineShutdown(app), 0);
    const std::size_t atShutdown = messages.size();
    events.advance(20000);
    EXPECT_EQ(messages.size(), atShutdown);
    EXPECT_FALSE(sim(1).isOpen());
    EXPECT_EQ(tapi().lineSetStatusMessages(line1, LINEDEVSTATE_RINGING, 0), LINEERR_INVALLINEHANDLE);
    EXPECT_EQ(tapi().lineShutdown(app), LINEERR_INVALAPPHANDLE);
}

// A device that raises its events from its own thread, as a serial-port reader would.
class ThreadedDevice final : public LineDevice {
public:
    LineDeviceCaps caps() const override { return {}; }
    std::optional<std::uint32_t> waveInId() const override { return std::nullopt; }
    std::optional<std::uint32_t> waveOutId() const override { return std::nullopt; }
    std::int32_t open(LineDeviceEvents* events) override
    {
        listener = events;
        return 0;
    }
    void close() override { listener = nullptr; }
    void answer(std::uint32_t, LineCompletion done) override { done(0); }
    void hangUp(std::uint32_t, LineCompletion done) override { done(0); }
    void dial(const QByteArray&, std::uint32_t*, LineCompletion done) override
    {
        done(LINEERR_OPERATIONUNAVAIL);
    }
    std::int32_t monitorDigits(std::uint32_t, bool) override { return 0; }
    std::int32_t generateDigits(std::uint32_t, const QByteArray&, std::uint32_t) override { return 0; }
    std::int32_t generateTone(std::uint32_t, const std::vector<std::uint32_t>&, std::uint32_t) override
    {
        return 0;
    }
    void cancelGenerate(std::uint32_t) override {}
    LineDeviceEvents* listener = nullptr;
};

TEST(CallMessagesFromThreads, DeviceEventsFromAnotherThreadArriveOnTheGuiThreadInOrder)
{
    VirtualEventService events;
    ThreadedDevice device;
    TelephonyService tapi(events);
    tapi.addDevice(&device);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
    std::vector<std::thread::id> threads;
    HLINEAPP app = 0;
    std::uint32_t count = 0;
    ASSERT_EQ(tapi.lineInitialize(
                  &app, 0,
                  [&](std::uint32_t, std::uint32_t msg, std::uint32_t, std::uint32_t p1, std::uint32_t,
                      std::uint32_t p3) {
                      seen.emplace_back(msg, msg == LINE_LINEDEVSTATE ? p3 : p1);
                      threads.push_back(std::this_thread::get_id());
                  },
                  "test", &count),
              0);
    ASSERT_EQ(count, 1u);
    HLINE line = 0;
    ASSERT_EQ(tapi.lineOpen(app, 0, &line, 0x00010004, 0, 0, 6, 4, nullptr), 0);
    ASSERT_EQ(tapi.lineSetStatusMessages(line, LINEDEVSTATE_RINGING, 0), 0);
    std::thread reader([&] {
        device.listener->callState(1, DeviceCallState::Offering, HangUpNotice::None);
        for (std::uint32_t ring = 1; ring <= 50; ++ring) {
            device.listener->ring(1, ring);
        }
        device.listener->callState(1, DeviceCallState::Idle, HangUpNotice::None);
    });
    reader.join();
    EXPECT_TRUE(seen.empty()) << "nothing is delivered on the device's thread";
    events.processPendingEvents();
    ASSERT_EQ(seen.size(), 52u);
    EXPECT_EQ(seen.front(), std::make_pair(LINE_CALLSTATE, LINECALLSTATE_OFFERING));
    for (std::uint32_t ring = 1; ring <= 50; ++ring) {
        EXPECT_EQ(seen[ring], std::make_pair(LINE_LINEDEVSTATE, ring));
    }
    EXPECT_EQ(seen.back(), std::make_pair(LINE_CALLSTATE, LINECALLSTATE_IDLE));
    for (auto id : threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
    // Without audio endpoints the line has no wave ids.
    std::vector<unsigned char> buffer(2025);
    setTapiDword(buffer.data(), 0, 2025);
    EXPECT_EQ(tapi.lineGetID(line, 0, 0, LINECALLSELECT_LINE, reinterpret_cast<VARSTRING*>(buffer.data()),
                             "wave/in"),
              LINEERR_NODEVICE);
    ASSERT_EQ(tapi.lineClose(line), 0);
}

} // namespace
