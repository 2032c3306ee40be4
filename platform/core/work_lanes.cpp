#include "work_lanes.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace qlnrec::platform {

struct WorkLanes::State {
    struct Lane {
        std::thread thread;
        std::deque<Job> jobs;
        bool running = false; // a job of the lane is being run
        std::condition_variable wake;
        std::condition_variable idle;
    };

    EventService& events;
    Mode mode;
    std::mutex mutex;
    std::vector<Lane> lanes;
    std::deque<Completion> completions;
    bool stopping = false;

    State(EventService& e, int count, Mode m) : events(e), mode(m), lanes(static_cast<std::size_t>(count)) {}

    Lane& lane(int index) { return lanes.at(static_cast<std::size_t>(index)); }

    void run(Lane& lane, const std::weak_ptr<State>& self)
    {
        std::unique_lock lock(mutex);
        for (;;) {
            lane.wake.wait(lock, [&] { return stopping || !lane.jobs.empty(); });
            if (lane.jobs.empty()) {
                return; // stopping, and nothing left to run
            }
            Job job = std::move(lane.jobs.front());
            lane.jobs.pop_front();
            lane.running = true;
            lock.unlock();
            Completion completion = job();
            lock.lock();
            lane.running = false;
            if (completion) {
                completions.push_back(std::move(completion));
                events.post([self] {
                    if (const auto state = self.lock()) {
                        state->deliver();
                    }
                });
            }
            if (lane.jobs.empty()) {
                lane.idle.notify_all();
            }
        }
    }

    void deliver()
    {
        for (;;) {
            Completion next;
            {
                std::lock_guard lock(mutex);
                if (completions.empty()) {
                    return;
                }
                next = std::move(completions.front());
                completions.pop_front();
            }
            next();
        }
    }
};

WorkLanes::WorkLanes(EventService& events, int laneCount, Mode mode)
    : state_(std::make_shared<State>(events, laneCount, mode))
{
}

WorkLanes::~WorkLanes()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        for (State::Lane& lane : state_->lanes) {
            lane.wake.notify_all();
        }
    }
    for (State::Lane& lane : state_->lanes) {
        if (lane.thread.joinable()) {
            lane.thread.join();
        }
    }
}

WorkLanes::Mode WorkLanes::mode() const
{
    return state_->mode;
}

void WorkLanes::submit(int lane, Job job)
{
    if (state_->mode == Mode::Inline) {
        if (Completion completion = job()) {
            completion();
        }
        return;
    }
    std::lock_guard lock(state_->mutex);
    State::Lane& l = state_->lane(lane);
    l.jobs.push_back(std::move(job));
    if (!l.thread.joinable()) {
        // Started on first use: a line that never records costs no thread.
        l.thread = std::thread(
            [state = state_.get(), &l, self = std::weak_ptr<State>(state_)] { state->run(l, self); });
    }
    l.wake.notify_one();
}

void WorkLanes::wait(int lane)
{
    if (state_->mode == Mode::Inline) {
        return;
    }
    std::unique_lock lock(state_->mutex);
    State::Lane& l = state_->lane(lane);
    l.idle.wait(lock, [&] { return l.jobs.empty() && !l.running; });
}

void WorkLanes::finishAll()
{
    for (int i = 0; i < static_cast<int>(state_->lanes.size()); ++i) {
        wait(i);
    }
    deliverCompletions();
}

void WorkLanes::deliverCompletions()
{
    state_->deliver();
}

} // namespace qlnrec::platform
