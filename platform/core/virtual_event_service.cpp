#include "virtual_event_service.h"

#include <algorithm>
#include <limits>

namespace qlnrec::platform {

VirtualEventService::VirtualEventService(QDateTime start) : start_(std::move(start)) {}

std::uint32_t VirtualEventService::timeGetTime() const
{
    return static_cast<std::uint32_t>(nowMs_ + 1000);
}

QDateTime VirtualEventService::currentDateTime() const
{
    return start_.addMSecs(static_cast<qint64>(nowMs_));
}

void VirtualEventService::setDateTime(const QDateTime& dateTime)
{
    start_ = dateTime.addMSecs(-static_cast<qint64>(nowMs_));
}

void VirtualEventService::post(std::function<void()> fn)
{
    std::lock_guard lock(postMutex_);
    posted_.push_back(std::move(fn));
}

bool VirtualEventService::hasPendingPosts() const
{
    std::lock_guard lock(postMutex_);
    return !posted_.empty();
}

void VirtualEventService::processPendingEvents()
{
    // Only what is queued now runs; events posted by these handlers wait for the next call,
    // which keeps nested "let events run" points from recursing without end.
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(postMutex_);
        batch.swap(posted_);
    }
    for (auto& fn : batch) {
        fn();
    }
}

void VirtualEventService::scheduleTimer(Timer& timer)
{
    cancelTimer(timer);
    if (!timer.isEnabled() || timer.interval() == 0) {
        return;
    }
    const auto key = std::make_pair(nowMs_ + timer.interval(), ++sequence_);
    due_[key] = &timer;
    timer.scheduleToken = sequence_;
}

void VirtualEventService::cancelTimer(Timer& timer)
{
    if (timer.scheduleToken == 0) {
        return;
    }
    for (auto it = due_.begin(); it != due_.end(); ++it) {
        if (it->second == &timer) {
            due_.erase(it);
            break;
        }
    }
    timer.scheduleToken = 0;
}

std::uint64_t VirtualEventService::nextDueMs() const
{
    return due_.empty() ? std::numeric_limits<std::uint64_t>::max() : due_.begin()->first.first;
}

bool VirtualEventService::fireNextDue(std::uint64_t limitMs)
{
    if (due_.empty() || due_.begin()->first.first > limitMs) {
        return false;
    }
    auto it = due_.begin();
    Timer* timer = it->second;
    // A timer overdue after a busy spell fires now; the clock never runs back.
    nowMs_ = std::max(nowMs_, it->first.first);
    due_.erase(it);
    timer->scheduleToken = 0;
    // Re-arm before the tick so a handler that disables or re-times its timer wins.
    const auto key = std::make_pair(nowMs_ + timer->interval(), ++sequence_);
    due_[key] = timer;
    timer->scheduleToken = sequence_;
    fire(*timer);
    return true;
}

void VirtualEventService::advance(std::uint64_t ms)
{
    const std::uint64_t target = nowMs_ + ms;
    processPendingEvents();
    while (fireNextDue(target)) {
        processPendingEvents();
    }
    nowMs_ = target;
    processPendingEvents();
}

bool VirtualEventService::advanceUntil(const std::function<bool()>& predicate, std::uint64_t maxMs,
                                       std::uint64_t stepMs)
{
    std::uint64_t passed = 0;
    processPendingEvents();
    while (!predicate()) {
        if (passed >= maxMs) {
            return false;
        }
        advance(stepMs);
        passed += stepMs;
    }
    return true;
}

} // namespace qlnrec::platform
