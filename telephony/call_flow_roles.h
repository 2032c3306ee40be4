#pragma once
// The roles that take a call on after line control: each is a small interface whose methods do
// nothing by default, so a role that is not built yet is plainly a do-nothing object, and
// CallFlowRoles gathers them into the one bundle handed to the line system. The program assembly
// (app/program.h) fills it before any line opens.
#include "platform/telephony/tapi_types.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qlnrec::telephony {

// Capture session: opens capture on the line's "wave/in" device; recordState becomes 1 unless
// it is already 2 (an outgoing call awaiting its reply).
class RecordingRole {
public:
    virtual ~RecordingRole() = default;
    virtual void startRecording(int /*line*/) {}
};

// Answering sequence: the prompts a connected call hears, their follow-up timers and the
// touch-tone menu.
class AnsweringRole {
public:
    virtual ~AnsweringRole() = default;
    virtual void playGreeting(int /*line*/) {}
    virtual void playLegal(int /*line*/) {}
    virtual void playDoNotCall(int /*line*/) {}
    // Timer3 (the greeting has ended: beep) and Timer4 (an outgoing call has connected).
    virtual void timer3Tick(int /*line*/) {}
    virtual void timer4Tick(int /*line*/) {}
    // The touch-tone menu on the line's collected digits (cleared afterwards by line control).
    virtual void touchToneAction(int /*line*/) {}
};

// Ring rules: may replace the ring count on which an offered call is answered.
class RingRulesRole {
public:
    virtual ~RingRulesRole() = default;
    virtual void findRingRule(std::int32_t& /*ringsToAnswer*/) {}
};

// Caller ID has arrived for a call: read it, show it, keep it, and (250 ms later) let the
// blocking decision run.
class CallerIdRole {
public:
    virtual ~CallerIdRole() = default;
    virtual void callerIdArrived(platform::HCALL /*hCall*/) {}
};

// The incoming-call popup: the caller of each line, and the Answer and Hang Up buttons while
// calls are answered by hand. Each method loads the popup (hidden) when it is not loaded.
class IncomingCallPopupRole {
public:
    virtual ~IncomingCallPopupRole() = default;
    virtual void showAnswerButtons(int /*line*/) {}
    virtual void showPopupModeless() {}
    virtual void unloadPopup() {}
    // Caller ID has arrived: every line's labels greyed, then this line's filled.
    virtual void resetLabels() {}
    virtual void showCaller(int /*line*/, const QString& /*number*/, const QString& /*name*/) {}
    // The phone book knows the caller: the line's name label shows that name.
    virtual void showPhoneBookName(int /*line*/, const QString& /*name*/) {}
    // Brings the popup up for a caller (unless minimised) and starts its closing time afresh.
    virtual void announceCaller() {}
};

// The blocking decision for a line whose caller ID has arrived: true when the caller is blocked
// (the call has then been answered for the do-not-call prompt and the status line written).
class BlockingRole {
public:
    virtual ~BlockingRole() = default;
    virtual bool decide(int /*line*/) { return false; }
};

// Prompts played into the line (greeting, legal notice, do-not-call), one per line at a time.
class PromptRole {
public:
    virtual ~PromptRole() = default;
    virtual void LoadPrompt(const QString& /*path*/, int /*line*/) {}
    virtual void PlayPrompt(std::uint32_t /*device*/, int /*line*/) {}
    virtual void StopPrompt(int /*line*/) {}
};

// The phone book: the name stored for a caller's number, if any.
class PhoneBookLookupRole {
public:
    virtual ~PhoneBookLookupRole() = default;
    virtual std::optional<QString> nameFor(const QString& /*number*/) const { return std::nullopt; }
};

// What the screening rules and the block list say of a number.
struct ScreeningVerdict {
    enum class Kind { None, Allow, Block };
    Kind kind = Kind::None;
    // Set when a rule decided: the rule's label (or its pattern), for the status line.
    QString ruleName;
};

// The block list: whether a caller's number is on it, and what the screening rules say.
class BlockListLookupRole {
public:
    virtual ~BlockListLookupRole() = default;
    virtual bool contains(const QString& /*number*/) const { return false; }
    // Allow rules, then block rules, then the list. Without rules: the list alone.
    virtual ScreeningVerdict screen(const QString& number) const
    {
        return contains(number) ? ScreeningVerdict{ScreeningVerdict::Kind::Block, {}} : ScreeningVerdict{};
    }
};

// The do-nothing object of a role.
template <class Role> Role& noRole()
{
    static Role none;
    return none;
}

// Every role, never null: an unbuilt role is its do-nothing object.
struct CallFlowRoles {
    RecordingRole* recording = &noRole<RecordingRole>();
    AnsweringRole* answering = &noRole<AnsweringRole>();
    RingRulesRole* ringRules = &noRole<RingRulesRole>();
    CallerIdRole* callerId = &noRole<CallerIdRole>();
    IncomingCallPopupRole* popup = &noRole<IncomingCallPopupRole>();
    BlockingRole* blocking = &noRole<BlockingRole>();
    PromptRole* prompts = &noRole<PromptRole>();
    PhoneBookLookupRole* phoneBook = &noRole<PhoneBookLookupRole>();
    BlockListLookupRole* blockList = &noRole<BlockListLookupRole>();
};

} // namespace qlnrec::telephony
