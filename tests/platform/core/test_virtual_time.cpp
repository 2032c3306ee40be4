#include "platform/core/virtual_event_service.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using qlnrec::platform::Timer;
using qlnrec::platform::VirtualEventService;

TEST(VirtualTime, TimersFireInDueOrderAndRepeat)
{
    VirtualEventService events;
    std::string order;
    Timer a(events, 300, [&] { order += 'a'; });
    Timer b(events, 200, [&] { order += 'b'; });
    a.setEnabled(true);
    b.setEnabled(true);
    events.advance(599);
    EXPECT_EQ(order, "bab");  // b@200, a@300, b@400; a@600 not yet
    events.advance(1);
    EXPECT_EQ(order, "babab");  // a@600 then b@600: a was re-armed first
}

TEST(VirtualTime, DisableInsideTickStopsRepeatingAndIntervalChangeRestartsCount)
{
    VirtualEventService events;
    int ticks = 0;
    Timer t(events, 100);
    t.setOnTick([&] {
        ++ticks;
        t.setEnabled(false);
    });
    t.setEnabled(true);
    events.advance(1000);
    EXPECT_EQ(ticks, 1);

    int ticks2 = 0;
    Timer u(events, 500, [&] { ++ticks2; });
    u.setEnabled(true);
    events.advance(400);
    u.setInterval(500);  // restarts: next tick 500 ms from now
    events.advance(400);
    EXPECT_EQ(ticks2, 0);
    events.advance(100);
    EXPECT_EQ(ticks2, 1);
    // Enabling an enabled timer does not restart it; restart() does.
    events.advance(400);
    u.setEnabled(true);
    events.advance(100);
    EXPECT_EQ(ticks2, 2);
}

TEST(VirtualTime, ClockAndPostedEventsFromOtherThreads)
{
    VirtualEventService events;
    const auto t0 = events.timeGetTime();
    const auto d0 = events.currentDateTime();
    int ran = 0;
    std::thread worker([&] { events.post([&] { ++ran; }); });
    worker.join();
    EXPECT_EQ(ran, 0);
    events.processPendingEvents();
    EXPECT_EQ(ran, 1);
    events.advance(2500);
    EXPECT_EQ(events.timeGetTime() - t0, 2500u);
    EXPECT_EQ(d0.msecsTo(events.currentDateTime()), 2500);
    // A zero interval never ticks, and a destroyed timer is forgotten.
    {
        Timer z(events, 0, [&] { ++ran; });
        z.setEnabled(true);
        Timer gone(events, 10, [&] { ++ran; });
        gone.setEnabled(true);
    }
    events.advance(100);
    EXPECT_EQ(ran, 1);
}
