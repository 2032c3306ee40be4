#pragma once
// Paces devices that have no hardware clock of their own (simulated lines, the null sound card):
// each registered pump is called regularly with the current clock reading and produces or
// consumes exactly the audio that became due since its last call, so one second of audio flows
// per second of clock time, virtual or real.
//
// Two driver contexts: in virtual time the pumps run from EventService timers (deterministic,
// on the GUI thread, between the program's own timer ticks); in real time they run on one driver
// thread, as a sound driver's callbacks would.
#include "platform/core/event_service.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qlnrec::platform {

enum class PacingMode {
    Auto,         // clock timers for a VirtualEventService, a driver thread otherwise
    ClockTimers,  // EventService timers (GUI thread)
    DriverThread, // one background thread
};

class MediaPacer {
public:
    using Pump = std::function<void(std::uint32_t nowMs)>;

    static std::unique_ptr<MediaPacer> create(EventService& events, PacingMode mode = PacingMode::Auto);
    virtual ~MediaPacer() = default;

    // Starts calling pump about every periodMs(); the first call comes one period from now.
    virtual int add(Pump pump) = 0;
    // After remove() returns the pump is not running and never runs again. May be called from
    // inside a pump.
    virtual void remove(int id) = 0;
    virtual bool threaded() const = 0;
    virtual std::uint32_t periodMs() const = 0;
    EventService& events() const { return events_; }

protected:
    explicit MediaPacer(EventService& events) : events_(events) {}
    EventService& events_;
};

// Bookkeeping of one paced stream: how many frames are due at a clock reading, counted from the
// stream's start so rounding never accumulates.
class PacedCounter {
public:
    PacedCounter() = default;
    PacedCounter(std::uint32_t startMs, std::uint32_t framesPerSecond)
        : startMs_(startMs), rate_(framesPerSecond)
    {
    }
    // Frames that became due since the last call (and marks them taken).
    std::uint64_t take(std::uint32_t nowMs)
    {
        const std::uint64_t elapsedMs = static_cast<std::uint32_t>(nowMs - startMs_);
        const std::uint64_t due = elapsedMs * rate_ / 1000;
        const std::uint64_t fresh = due > taken_ ? due - taken_ : 0;
        taken_ += fresh;
        return fresh;
    }
    std::uint64_t taken() const { return taken_; }
    std::uint32_t startMs() const { return startMs_; }

private:
    std::uint32_t startMs_ = 0;
    std::uint32_t rate_ = 8000;
    std::uint64_t taken_ = 0;
};

} // namespace qlnrec::platform
