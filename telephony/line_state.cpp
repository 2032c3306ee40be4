#include "telephony/line_state.h"

namespace qlnrec::telephony {

void LineSlot::clear()
{
    hLine = 0;
    hCall = 0;
    callConnected = false;
    waveDevice = 0;
    blocked = 0;
    greetingDue = 0;
    dialOutPending = 0;
    callerNumberPart.clear();
    callerNamePart.clear();
    callerNumber.clear();
    callerNameText.clear();
    callKind.clear();
    dtmfDigits.clear();
    dtmfIdleTicks = 0;
    recordState = kRecordIdle;
    lastRingTime = 0;
    ringSamples = 0;
    ringIntervals.fill(0);
    promptPlaying.store(0);
    waveInHandle = 0;
}

int LineState::lineByCall(platform::HCALL handle) const
{
    if (handle == 0) {
        return -1;
    }
    for (int line = 0; line < kLineCount; ++line) {
        if ((*this)[line].hCall == handle) {
            return line;
        }
    }
    return -1;
}

int LineState::lineByLine(platform::HLINE handle) const
{
    if (handle == 0) {
        return -1;
    }
    for (int line = 0; line < kLineCount; ++line) {
        if ((*this)[line].hLine == handle) {
            return line;
        }
    }
    return -1;
}

} // namespace qlnrec::telephony
