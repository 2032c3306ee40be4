#pragma once
// The per-line window timers of line control, as control arrays indexed by line index. All
// start disabled; the tick handlers are set by the line dispatcher.
#include "platform/core/event_service.h"
#include "telephony/line_state.h"

#include <array>
#include <memory>

namespace qlnrec::telephony {

using TimerArray = std::array<std::unique_ptr<platform::Timer>, kLineCount>;

struct LineTimers {
    // Design intervals.
    static constexpr std::uint32_t kTimer1Line0Ms = 20000;
    static constexpr std::uint32_t kTimer1OtherLinesMs = 15000;
    static constexpr std::uint32_t kTimer3Ms = 500;
    static constexpr std::uint32_t kTimer4Ms = 1000;
    static constexpr std::uint32_t kTollSaverMs = 800;
    static constexpr std::uint32_t kDropCallMs = 500;
    static constexpr std::uint32_t kPlayGreetingExMs = 500;
    static constexpr std::uint32_t kPlayLegalOMs = 350;
    static constexpr std::uint32_t kPlayGreetingBlockerMs = 350;
    static constexpr std::uint32_t kCallerIdMs = 250;

    explicit LineTimers(platform::EventService& events);

    TimerArray Timer1;       // ring cadence: no further ring within the learned interval
    TimerArray Timer3;       // polls the greeting prompt
    TimerArray Timer4;       // an outgoing call has connected
    TimerArray timTollSaver; // touch-tone idle ticks
    TimerArray timDropCall;  // hangs up 500 ms after it is enabled
    // The answering sequence's prompt followers: each polls until its prompt has ended.
    TimerArray timPlayGreetingExM;     // legal notice, incoming call: then record "M"
    TimerArray timPlayGreetingExO;     // legal notice, outgoing call: then record "O"
    TimerArray timPlayLegalO;          // the called party answered: play the legal notice
    TimerArray timPlayGreetingBlocker; // do-not-call prompt: then hang up
    TimerArray timCallerID;            // a quarter second after caller ID: block or show the caller

    static platform::Timer& at(TimerArray& timers, int line)
    {
        return *timers.at(static_cast<std::size_t>(line));
    }
    // Every timer of every line off (shutdown).
    void disableAll();
};

} // namespace qlnrec::telephony
