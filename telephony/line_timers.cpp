#include "telephony/line_timers.h"

namespace qlnrec::telephony {

namespace {
void make(TimerArray& timers, platform::EventService& events, std::uint32_t intervalMs)
{
    for (auto& timer : timers) {
        timer = std::make_unique<platform::Timer>(events, intervalMs);
    }
}
} // namespace

LineTimers::LineTimers(platform::EventService& events)
{
    make(Timer1, events, kTimer1OtherLinesMs);
    Timer1[0]->setInterval(kTimer1Line0Ms);
    make(Timer3, events, kTimer3Ms);
    make(Timer4, events, kTimer4Ms);
    make(timTollSaver, events, kTollSaverMs);
    make(timDropCall, events, kDropCallMs);
    make(timPlayGreetingExM, events, kPlayGreetingExMs);
    make(timPlayGreetingExO, events, kPlayGreetingExMs);
    make(timPlayLegalO, events, kPlayLegalOMs);
    make(timPlayGreetingBlocker, events, kPlayGreetingBlockerMs);
    make(timCallerID, events, kCallerIdMs);
}

void LineTimers::disableAll()
{
    for (TimerArray* timers : {&Timer1, &Timer3, &Timer4, &timTollSaver, &timDropCall, &timPlayGreetingExM,
                               &timPlayGreetingExO, &timPlayLegalO, &timPlayGreetingBlocker, &timCallerID}) {
        for (auto& timer : *timers) {
            timer->setEnabled(false);
        }
    }
}

} // namespace qlnrec::telephony
