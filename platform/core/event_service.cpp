#include "event_service.h"

namespace qlnrec::platform {

void EventService::fire(Timer& timer)
{
    if (timer.enabled_ && timer.onTick_) {
        // Copy first: a tick handler may replace its own handler.
        auto tick = timer.onTick_;
        tick();
    }
}

Timer::Timer(EventService& events, std::uint32_t intervalMs, std::function<void()> onTick)
    : events_(events), intervalMs_(intervalMs), onTick_(std::move(onTick))
{
}

Timer::~Timer()
{
    if (enabled_ || backendData) {
        enabled_ = false;
        events_.cancelTimer(*this);
    }
}

void Timer::setInterval(std::uint32_t intervalMs)
{
    intervalMs_ = intervalMs;
    if (enabled_) {
        events_.scheduleTimer(*this);
    }
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (enabled_) {
        events_.scheduleTimer(*this);
    } else {
        events_.cancelTimer(*this);
    }
}

void Timer::restart()
{
    setEnabled(false);
    setEnabled(true);
}

}  // namespace qlnrec::platform
