#include "platform/core/virtual_event_service.h"
#include "platform/core/work_lanes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace qlnrec::platform;

TEST(WorkLanes, ThreadedLanesKeepTheirOrderRunOffTheCallerAndHandBackEveryCompletionOnce)
{
    VirtualEventService events;
    WorkLanes lanes(events, 2, WorkLanes::Mode::Threaded);
    std::vector<int> ran[2];       // written by the lanes only
    std::vector<int> completed[2]; // written on this thread only
    std::atomic<int> onCaller{0};
    const std::thread::id caller = std::this_thread::get_id();
    for (int i = 0; i < 300; ++i) {
        const int lane = i % 2;
        lanes.submit(lane, [&, lane, i]() -> WorkLanes::Completion {
            if (std::this_thread::get_id() == caller) {
                ++onCaller;
            }
            ran[lane].push_back(i);
            if (i % 3 != 0) {
                return {};
            }
            return [&, lane, i] { completed[lane].push_back(i); };
        });
    }
    lanes.wait(0);
    ASSERT_EQ(ran[0].size(), 150u);
    for (std::size_t k = 1; k < ran[0].size(); ++k) {
        EXPECT_LT(ran[0][k - 1], ran[0][k]);
    }
    lanes.finishAll();
    EXPECT_EQ(ran[1].size(), 150u);
    EXPECT_EQ(onCaller, 0);
    EXPECT_EQ(completed[0].size() + completed[1].size(), 100u);
    for (const auto& lane : completed) {
        for (std::size_t k = 1; k < lane.size(); ++k) {
            EXPECT_LT(lane[k - 1], lane[k]);
        }
    }
    // The wake-ups posted for those completions find nothing left to run.
    events.processPendingEvents();
    EXPECT_EQ(completed[0].size() + completed[1].size(), 100u);
}

TEST(WorkLanes, GoingAwayRunsWhatIsQueuedAndInlineLanesRunAtOnce)
{
    VirtualEventService events;
    int slowJobsRun = 0;
    {
        WorkLanes lanes(events, 1, WorkLanes::Mode::Threaded);
        for (int i = 0; i < 5; ++i) {
            lanes.submit(0, [&]() -> WorkLanes::Completion {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++slowJobsRun;
                return {};
            });
        }
    }
    EXPECT_EQ(slowJobsRun, 5);

    WorkLanes inlineLanes(events, 4, WorkLanes::Mode::Inline);
    std::vector<int> order;
    inlineLanes.submit(3, [&]() -> WorkLanes::Completion {
        order.push_back(1);
        return [&] { order.push_back(2); };
    });
    order.push_back(3);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}
