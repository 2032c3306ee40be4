#include "telephony/call_blocking.h"

#include "core/status_line.h"
#include "telephony/caller_id_text.h"

namespace qlnrec::telephony {

bool CallBlocking::decide(int line)
{
    if (!LineState::validLine(line)) {
        return false;
    }
    LineState& state = lines_.state();
    LineSlot& slot = state[line];
    core::StatusLine& statusLog = lines_.context().statusLog;
    if (state.callerNumber == kUnknownCaller && lines_.settings().blockUnknownEnabled == 1) {
        slot.blocked = -1;
        lines_.dispatcher().AnswerCall(line);
        statusLog.addStatusLine(QStringLiteral("UNKNOWN Caller [Blocked]"));
        return true;
    }
    slot.blocked = lines_.roles().blockList->contains(state.callerNumber) ? -1 : 0;
    if (slot.blocked != -1) {
        return false;
    }
    lines_.dispatcher().AnswerCall(line);
    if (state.callerNameText != kUnknownCaller) {
        statusLog.addStatusLine(QStringLiteral("CallerID:") + state.callerNumber + QStringLiteral(" [") +
                                state.callerNameText + QStringLiteral("]                         Blocked"));
    } else {
        statusLog.addStatusLine(QStringLiteral("CallerID:") + state.callerNumber +
                                QStringLiteral("[Blocked]"));
    }
    return true;
}

} // namespace qlnrec::telephony
