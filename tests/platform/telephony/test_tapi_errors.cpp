// Error codes for bad handles, ids, arguments and states, and injected failures.
#include "tests/platform/telephony/tapi_fixture.h"

using namespace qlnrec::platform;
using qlnrec::test::TapiFixture;

namespace {

class TapiErrors : public TapiFixture {};

TEST_F(TapiErrors, InitializeAndOpenRejectBadArguments)
{
    build();
    HLINEAPP bad = 0;
    std::uint32_t count = 0;
    EXPECT_EQ(tapi().lineInitialize(
                  nullptr, 0, [](auto...) {}, "x", &count),
              LINEERR_INVALPOINTER);
    EXPECT_EQ(tapi().lineInitialize(&bad, 0, LineCallback{}, "x", &count), LINEERR_INVALPOINTER);
    initialize();
    EXPECT_EQ(deviceCount, 4u);
    HLINE line = 0;
    EXPECT_EQ(tapi().lineOpen(app + 5, 0, &line, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_INVALAPPHANDLE);
    EXPECT_EQ(tapi().lineOpen(app, 4, &line, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_BADDEVICEID);
    EXPECT_EQ(tapi().lineOpen(app, 0, &line, 0, 0, 0, 6, 4, nullptr), LINEERR_INCOMPATIBLEAPIVERSION)
        << "version 0: nothing was negotiated";
    EXPECT_EQ(tapi().lineOpen(app, 0, &line, 0x00010004, 1, 0, 6, 4, nullptr),
              LINEERR_INCOMPATIBLEEXTVERSION);
    EXPECT_EQ(tapi().lineOpen(app, 0, &line, 0x00010004, 0, 0, 0, 4, nullptr), LINEERR_INVALPRIVSELECT);
    EXPECT_EQ(tapi().lineOpen(app, 0, &line, 0x00010004, 0, 0, 5, 4, nullptr), LINEERR_INVALPRIVSELECT);
    EXPECT_EQ(tapi().lineOpen(app, 0, &line, 0x00010004, 0, 0, 6, 0, nullptr), LINEERR_INVALMEDIAMODE)
        << "an owner must name a media mode";
    SimLineConfig dataOnly = sim(1).config();
    dataOnly.mediaModes = 16;
    sim(1).setConfig(dataOnly);
    EXPECT_EQ(tapi().lineOpen(app, 1, &line, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_INVALMEDIAMODE);
    EXPECT_EQ(tapi().lineOpen(app, 0, nullptr, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_INVALPOINTER);
    ASSERT_EQ(tapi().lineOpen(app, 0, &line, 0x00010004, 0, 0, 6, 4, nullptr), 0);
    HLINE again = 0;
    EXPECT_EQ(tapi().lineOpen(app, 0, &again, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_ALLOCATED);
    EXPECT_EQ(again, 0u);
}

TEST_F(TapiErrors, StaleAndForeignHandlesGiveTheirOwnErrors)
{
    initialize();
    const HLINE line = open(0);
    sim(0).ring(1);
    settle();
    const HCALL call = offeredCall();
    // A line handle is not a call handle and the other way round.
    EXPECT_EQ(tapi().lineAnswer(line, nullptr, 0), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineClose(call), LINEERR_INVALLINEHANDLE);
    EXPECT_EQ(tapi().lineMakeCall(call, nullptr, "1", 0, nullptr), LINEERR_INVALLINEHANDLE);
    EXPECT_EQ(tapi().lineDrop(0, nullptr, 0), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineMonitorDigits(0, LINEDIGITMODE_DTMF), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineGenerateDigits(0, LINEDIGITMODE_DTMF, "*", 0), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineDeallocateCall(12345), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineSetStatusMessages(0, LINEDEVSTATE_RINGING, 0), LINEERR_INVALLINEHANDLE);

    // States: no deallocation of a live call, no second answer, no drop once idle.
    EXPECT_EQ(tapi().lineDeallocateCall(call), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(tapi().lineAnswer(call, "uui", 3), LINEERR_USERUSERINFOTOOBIG);
    ASSERT_GT(tapi().lineAnswer(call, nullptr, 0), 0);
    settle();
    EXPECT_EQ(tapi().callState(call), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(tapi().lineAnswer(call, nullptr, 0), LINEERR_INVALCALLSTATE);
    ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
    settle();
    EXPECT_EQ(tapi().callState(call), LINECALLSTATE_IDLE);
    EXPECT_EQ(tapi().lineDrop(call, nullptr, 0), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(tapi().lineMonitorDigits(call, LINEDIGITMODE_DTMF), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(tapi().lineDeallocateCall(call), 0);
    EXPECT_EQ(tapi().callState(call), 0u);
}

TEST_F(TapiErrors, AMonitorOnlyLineSeesCallsButCannotAnswer)
{
    initialize();
    open(0, LINECALLPRIVILEGE_MONITOR, 0);
    sim(0).ring(1);
    settle();
    const HCALL call = offeredCall();
    ASSERT_NE(call, 0u);
    EXPECT_EQ(only(LINE_CALLSTATE)[0].p3, LINECALLPRIVILEGE_MONITOR);
    EXPECT_EQ(tapi().lineAnswer(call, nullptr, 0), LINEERR_NOTOWNER);
    EXPECT_EQ(tapi().lineDrop(call, nullptr, 0), LINEERR_NOTOWNER);
    EXPECT_FALSE(sim(0).offHook());

    // A line opened without privileges gets ring notices but no calls.
    messages.clear();
    open(1, LINECALLPRIVILEGE_NONE, 0);
    sim(1).ring(1);
    settle();
    EXPECT_TRUE(only(LINE_CALLSTATE).empty());
    EXPECT_EQ(only(LINE_LINEDEVSTATE).size(), 1u);
}

TEST_F(TapiErrors, OpenFailuresCanBeInjectedOnAChosenDeviceAndTheOthersStillOpen)
{
    initialize();
    tapi().injectError(TelephonyService::Operation::Open, 2u, LINEERR_RESOURCEUNAVAIL);
    SimLineConfig refusing = sim(3).config();
    refusing.openError = LINEERR_NODEVICE;
    sim(3).setConfig(refusing);
    LONG results[4];
    for (std::uint32_t i = 0; i < 4; ++i) {
        HLINE line = 0;
        results[i] = tapi().lineOpen(app, i, &line, 0x00010004, 0, 0, 6, 4, nullptr);
        EXPECT_EQ(line != 0, results[i] == 0);
    }
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(static_cast<std::uint32_t>(results[2]), 0x80000048u);
    EXPECT_EQ(results[3], LINEERR_NODEVICE);

    // A limited injection fails only as often as asked.
    tapi().clearInjectedErrors();
    tapi().injectError(TelephonyService::Operation::GetCallInfo, std::nullopt, LINEERR_OPERATIONFAILED, 1);
    sim(0).ring(1);
    settle();
    std::vector<unsigned char> b(2297);
    setTapiDword(b.data(), 0, 2297);
    EXPECT_EQ(tapi().lineGetCallInfo(offeredCall(), reinterpret_cast<LINECALLINFO*>(b.data())),
              LINEERR_OPERATIONFAILED);
    EXPECT_EQ(tapi().lineGetCallInfo(offeredCall(), reinterpret_cast<LINECALLINFO*>(b.data())), 0);

    tapi().injectError(TelephonyService::Operation::Initialize, std::nullopt, LINEERR_NODRIVER);
    HLINEAPP second = 0;
    std::uint32_t count = 0;
    EXPECT_EQ(tapi().lineInitialize(
                  &second, 0, [](auto...) {}, "x", &count),
              LINEERR_NODRIVER);
}

TEST_F(TapiErrors, WithNoDevicesEveryOpenFailsWithBadDeviceId)
{
    VirtualEventService events;
    TelephonyService tapi(events);
    HLINEAPP app = 0;
    std::uint32_t count = 99;
    ASSERT_EQ(tapi.lineInitialize(
                  &app, 0, [](auto...) {}, "qlnrec", &count),
              0);
    EXPECT_EQ(count, 0u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        HLINE line = 0;
        EXPECT_EQ(tapi.lineOpen(app, i, &line, 0, 0, 0, 6, 4, nullptr), LINEERR_BADDEVICEID);
    }
    EXPECT_EQ(tapi.lineShutdown(app), 0);
}

} // namespace
