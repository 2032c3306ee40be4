#pragma once
// Virtual time: the clock stands still until advance() moves it; due timers fire in order of
// their due time (ties in the order they were scheduled), with posted events run in between.
#include "event_service.h"

#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace qlnrec::platform {

class VirtualEventService final : public EventService {
public:
    explicit VirtualEventService(QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));

    std::uint32_t timeGetTime() const override;
    QDateTime currentDateTime() const override;
    void post(std::function<void()> fn) override;
    void processPendingEvents() override;
    bool runsInRealTime() const override { return false; }

    // Moves the clock forward by ms, firing every timer that falls due on the way.
    void advance(std::uint64_t ms);
    // Advances until predicate() holds or maxMs have passed; returns whether it holds.
    bool advanceUntil(const std::function<bool()>& predicate, std::uint64_t maxMs, std::uint64_t stepMs = 1);
    // The GUI thread is busy for ms (one long handler): the clock moves on and nothing runs
    // meanwhile; the timers that fell due fire late, once each, when the clock next advances.
    void busyFor(std::uint64_t ms) { nowMs_ += ms; }
    // Jumps the wall clock (date and time of day) without firing timers.
    void setDateTime(const QDateTime& dateTime);
    std::uint64_t elapsedMs() const { return nowMs_; }
    // Earliest due time of any enabled timer, or UINT64_MAX.
    std::uint64_t nextDueMs() const;
    bool hasPendingPosts() const;

protected:
    void scheduleTimer(Timer& timer) override;
    void cancelTimer(Timer& timer) override;

private:
    bool fireNextDue(std::uint64_t limitMs);

    QDateTime start_;
    std::uint64_t nowMs_ = 0;
    std::uint64_t sequence_ = 0;
    // (due time, sequence) -> timer
    std::map<std::pair<std::uint64_t, std::uint64_t>, Timer*> due_;
    mutable std::mutex postMutex_;
    std::deque<std::function<void()>> posted_;
};

} // namespace qlnrec::platform
