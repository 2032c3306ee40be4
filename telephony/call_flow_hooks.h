#pragma once
// Where line control hands a call over to the parts that follow it (recording, prompts, the
// touch-tone menu, ring rules, caller ID and the incoming-call popup), and the few window
// controls it reads. Every hook does nothing until the part behind it is plugged in.
#include "platform/telephony/tapi_types.h"

#include <QString>

#include <cstdint>

namespace qlnrec::telephony {

class CallFlowHooks {
public:
    virtual ~CallFlowHooks() = default;

    // Capture session: opens capture on the line's "wave/in" device; recordState becomes 1
    // unless it is already 2.
    virtual void startRecording(int /*line*/) {}

    // Prompts into the line, each followed by its polling timer.
    virtual void playGreeting(int /*line*/) {}
    virtual void playLegal(int /*line*/) {}
    virtual void playDoNotCall(int /*line*/) {}

    // Ticks of the answering sequence's per-line timers: Timer3 (after the greeting) and Timer4
    // (an outgoing call has connected).
    virtual void timer3Tick(int /*line*/) {}
    virtual void timer4Tick(int /*line*/) {}
    // The touch-tone menu on the line's collected digits (they are cleared afterwards).
    virtual void touchToneAction(int /*line*/) {}

    // Ring rules: may replace the ring count on which the offered call is answered.
    virtual void findRingRule(std::int32_t& /*ringsToAnswer*/) {}

    // Caller ID has arrived for a call (LINE_CALLINFO with the caller-ID state).
    virtual void callerIdArrived(platform::HCALL /*hCall*/) {}

    // Incoming-call popup while calls are answered by hand.
    virtual void showAnswerButtons(int /*line*/) {} // the line's Answer and Hang Up buttons
    virtual void showPopupModeless() {}
    virtual void unloadPopup() {}
};

// Window controls that line control reads while a call runs.
class LineControls {
public:
    virtual ~LineControls() = default;
    // The rings-to-answer field of the (hidden) setup dialog.
    virtual QString ringsFieldText() const = 0;
    // The main window's "play legal message" and "display ring count" boxes.
    virtual bool legalChecked() const = 0;
    virtual bool ringCountChecked() const = 0;
};

// Fixed values, for headless use and tests.
class FixedLineControls final : public LineControls {
public:
    QString rings = QStringLiteral("8");
    bool legal = false;
    bool ringCount = true;

    QString ringsFieldText() const override { return rings; }
    bool legalChecked() const override { return legal; }
    bool ringCountChecked() const override { return ringCount; }
};

} // namespace qlnrec::telephony
