#include "platform/wave/media_pacer.h"

#include "platform/core/virtual_event_service.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace qlnrec::platform {

namespace {

// Pumps run from EventService timers: deterministic in virtual time, on the GUI thread.
class ClockPacer final : public MediaPacer {
public:
    explicit ClockPacer(EventService& events) : MediaPacer(events) {}

    int add(Pump pump) override
    {
        graveyard_.clear();
        const int id = nextId_++;
        auto stream = std::make_unique<Stream>();
        stream->pump = std::move(pump);
        stream->timer = std::make_unique<Timer>(events_, kPeriodMs, [this, id] { tick(id); });
        stream->timer->setEnabled(true);
        streams_[id] = std::move(stream);
        return id;
    }

    void remove(int id) override
    {
        auto it = streams_.find(id);
        if (it == streams_.end()) {
            return;
        }
        it->second->timer->setEnabled(false);
        // A pump may remove itself; its timer and function stay alive until the next change.
        graveyard_.push_back(std::move(it->second));
        streams_.erase(it);
        if (pumping_ == 0) {
            graveyard_.clear();
        }
    }

    bool threaded() const override { return false; }
    std::uint32_t periodMs() const override { return kPeriodMs; }

private:
    static constexpr std::uint32_t kPeriodMs = 20;
    struct Stream {
        Pump pump;
        std::unique_ptr<Timer> timer;
    };

    void tick(int id)
    {
        auto it = streams_.find(id);
        if (it == streams_.end()) {
            return;
        }
        Stream* stream = it->second.get();
        ++pumping_;
        stream->pump(events_.timeGetTime());
        --pumping_;
        if (pumping_ == 0) {
            graveyard_.clear();
        }
    }

    std::map<int, std::unique_ptr<Stream>> streams_;
    std::vector<std::unique_ptr<Stream>> graveyard_;
    int nextId_ = 1;
    int pumping_ = 0;
};

// Pumps run on one driver thread, woken every few milliseconds; each pump works out from the
// clock how much audio became due, so wake-up jitter never changes the amount.
class ThreadPacer final : public MediaPacer {
public:
    explicit ThreadPacer(EventService& events) : MediaPacer(events) {}

    ~ThreadPacer() override
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    int add(Pump pump) override
    {
        std::lock_guard lock(mutex_);
        const int id = nextId_++;
        pumps_[id] = std::move(pump);
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
        return id;
    }

    void remove(int id) override
    {
        if (std::this_thread::get_id() == threadId_.load()) {
            // Called from a pump: the lock is already held by this thread.
            removed_.push_back(id);
            return;
        }
        std::lock_guard lock(mutex_);
        pumps_.erase(id);
    }

    bool threaded() const override { return true; }
    std::uint32_t periodMs() const override { return kPeriodMs; }

private:
    // The same period as in virtual time: every device buffer is longer than one period, and
    // shorter wake-ups cost an idle line its CPU (a quarter of the period as often).
    static constexpr std::uint32_t kPeriodMs = 20;

    void run()
    {
        std::unique_lock lock(mutex_);
        threadId_ = std::this_thread::get_id();
        while (!quit_) {
            wake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs), [this] { return quit_; });
            if (quit_) {
                break;
            }
            const std::uint32_t now = events_.timeGetTime();
            for (auto& [id, pump] : pumps_) {
                if (std::find(removed_.begin(), removed_.end(), id) == removed_.end()) {
                    pump(now);
                }
            }
            for (int id : removed_) {
                pumps_.erase(id);
            }
            removed_.clear();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<int, Pump> pumps_;
    std::vector<int> removed_;
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
    bool quit_ = false;
    int nextId_ = 1;
};

} // namespace

std::unique_ptr<MediaPacer> MediaPacer::create(EventService& events, PacingMode mode)
{
    if (mode == PacingMode::Auto) {
        mode =
            dynamic_cast<VirtualEventService*>(&events) ? PacingMode::ClockTimers : PacingMode::DriverThread;
    }
    if (mode == PacingMode::ClockTimers) {
        return std::make_unique<ClockPacer>(events);
    }
    return std::make_unique<ThreadPacer>(events);
}

} // namespace qlnrec::platform
