#include "telephony/call_blocking.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/status_line.h"
#include "core/strings.h"
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
    const core::ConfigStore& config = lines_.context().config;
    // Read at each decision: the black list window changes them while the program runs.
    const bool knownOnly = config.get(core::keys::kScreenKnownOnly) == QLatin1String("1");
    const bool phoneBookWins = config.get(core::keys::kScreenPhoneBookWins) == QLatin1String("1");
    const core::Strings& strings = lines_.context().strings;
    const QString knownOnlyName = strings.text(core::ProgramText::KnownOnlyRule);

    if (slot.callerNumber == kUnknownCaller && (lines_.settings().blockUnknownEnabled == 1 || knownOnly)) {
        slot.blocked = -1;
        lines_.dispatcher().AnswerCall(line);
        statusLog.addStatusLine(lines_.settings().blockUnknownEnabled == 1
                                    ? QStringLiteral("UNKNOWN Caller [Blocked]")
                                    : QStringLiteral("UNKNOWN Caller [Blocked] ") + knownOnlyName);
        return true;
    }
    const ScreeningVerdict verdict = lines_.roles().blockList->screen(slot.callerNumber);
    const bool known = lines_.roles().phoneBook->nameFor(slot.callerNumber.trimmed()).has_value();
    // Who decides, first to last: an allow rule, the phone book (when it wins), a block rule or
    // the block list, and at the end "only known callers".
    QString blockedBy;
    bool blocked = false;
    if (verdict.kind == ScreeningVerdict::Kind::Allow) {
        statusLog.addStatusLine(QStringLiteral("CallerID:") + slot.callerNumber + QLatin1Char(' ') +
                                strings.text(core::ProgramText::ScreenAllowed) + QLatin1Char(' ') +
                                verdict.ruleName);
    } else if (phoneBookWins && known) {
        // The phone book lets the caller through; caller ID shows the name as usual.
    } else if (verdict.kind == ScreeningVerdict::Kind::Block) {
        blocked = true;
        blockedBy = verdict.ruleName;
    } else if (knownOnly && !known) {
        blocked = true;
        blockedBy = knownOnlyName;
    }
    slot.blocked = blocked ? -1 : 0;
    if (!blocked) {
        return false;
    }
    lines_.dispatcher().AnswerCall(line);
    const QString suffix = blockedBy.isEmpty() ? QString() : QLatin1Char(' ') + blockedBy;
    if (slot.callerNameText != kUnknownCaller) {
        statusLog.addStatusLine(QStringLiteral("CallerID:") + slot.callerNumber + QStringLiteral(" [") +
                                slot.callerNameText + QStringLiteral("]                         Blocked") +
                                suffix);
    } else {
        statusLog.addStatusLine(QStringLiteral("CallerID:") + slot.callerNumber +
                                QStringLiteral("[Blocked]") + suffix);
    }
    return true;
}

} // namespace qlnrec::telephony
