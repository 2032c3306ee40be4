#pragma once
// The one clock and timer service of the program. Every timer of every subsystem and every
// millisecond clock reading goes through an EventService, so tests can run whole calls in
// virtual time while the program runs on the Qt event loop.
#include <QDateTime>

#include <cstdint>
#include <functional>

namespace qlnrec::platform {

class Timer;

class EventService {
public:
    virtual ~EventService() = default;

    // Milliseconds since an arbitrary start, wrapping like the system's multimedia clock.
    virtual std::uint32_t timeGetTime() const = 0;
    // Local date and time as the program sees it (virtual in tests).
    virtual QDateTime currentDateTime() const = 0;
    // Runs fn on the GUI thread, after what is already queued. Safe to call from any thread.
    virtual void post(std::function<void()> fn) = 0;
    // "Let pending window events run": runs what is queued now, without advancing the clock.
    virtual void processPendingEvents() = 0;
    // False where the clock only moves when told to (virtual time): work handed to other threads
    // would then finish at a different point of the call on every run.
    virtual bool runsInRealTime() const { return true; }

protected:
    friend class Timer;
    // Called whenever a timer's enabled state or interval changes; the service (re)schedules it.
    virtual void scheduleTimer(Timer& timer) = 0;
    virtual void cancelTimer(Timer& timer) = 0;
    static void fire(Timer& timer);
};

// A window timer in the style the program was written for: an interval in milliseconds, an
// enabled flag, and a tick handler that runs on the GUI thread every interval while enabled.
// Changing the interval of an enabled timer restarts its count; enabling an already enabled
// timer changes nothing. An interval of 0 never ticks.
class Timer {
public:
    explicit Timer(EventService& events, std::uint32_t intervalMs = 0, std::function<void()> onTick = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }
    void setInterval(std::uint32_t intervalMs);
    std::uint32_t interval() const { return intervalMs_; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    void restart(); // disable then enable: the next tick comes one full interval from now

    // Service-private bookkeeping.
    std::uint64_t scheduleToken = 0;
    void* backendData = nullptr;

private:
    friend class EventService;
    EventService& events_;
    std::uint32_t intervalMs_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

} // namespace qlnrec::platform
