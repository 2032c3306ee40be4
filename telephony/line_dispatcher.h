#pragma once
// The line event dispatcher: the routine that receives every line message, the handlers of call
// states, rings, generated beeps and detected digits, the ring-cadence learning that notices a
// call taken on a telephone set on the same line, and the one-call wrappers around the
// telephony interface that the other parts use.
#include "platform/telephony/tapi_types.h"
#include "telephony/call_flow_roles.h"
#include "telephony/line_context.h"
#include "telephony/line_controls.h"
#include "telephony/line_state.h"
#include "telephony/line_timers.h"

#include <array>
#include <cstdint>

namespace qlnrec::telephony {

class LineDispatcher {
public:
    static constexpr std::uint32_t kCallInfoSize = 2297; // fixed part plus a 2001-byte area
    static constexpr std::int16_t kDefaultRingSamples = 32665;
    static constexpr std::int32_t kDefaultRingIntervalMs = 6500;
    // Added to every measured gap between rings.
    static constexpr std::uint32_t kRingMarginMs = 100;

    LineDispatcher(LineState& state, LineTimers& timers, LineContext& context,
                   const SettingsSnapshot& settings, const CallFlowRoles& roles,
                   const LineControls& controls);

    // The callback registered with lineInitialize.
    void LineCallback(std::uint32_t hDevice, std::uint32_t message, std::uint32_t instance,
                      std::uint32_t param1, std::uint32_t param2, std::uint32_t param3);

    void callStateHandler(platform::HCALL hCall, std::uint32_t callState);
    void ringHandler(platform::HLINE hLine, std::uint32_t lineState, std::uint32_t ringCount);
    void beepFinished(platform::HCALL hCall);
    void digitReceived(platform::HCALL hCall, std::uint32_t digit);

    // Wrappers: errors are not reported.
    void AnswerCall(int line);
    void DropCall(int line);
    void MonitorDigits(int line);
    void GenerateBeep(int line);

    // Timer ticks, by line.
    void Timer1_Timer(int line);       // no further ring: the call was taken on the telephone set
    void timTollSaver_Timer(int line); // touch-tone idle tick
    void timDropCall_Timer(int line);  // delayed hang-up

    // "Calls" read back as a 16-bit weight (garbled text 0, beyond the range clamped), and the
    // text the first ring of a call stores for it: below the default it restarts at the default;
    // otherwise one more, held at the largest 16-bit value.
    static std::int16_t ringSamplesFromText(const QString& text);
    static QString nextCallsText(std::int16_t ringSamples);
    // The weighted mean of the learned interval and a new measurement, halves to even.
    static std::int32_t learnedInterval(std::int16_t ringSamples, std::int32_t oldIntervalMs,
                                        double measuredMs);

private:
    void offering(platform::HCALL hCall);
    void connected(int line);
    void disconnected(platform::HCALL hCall);
    bool callStillConnected(platform::HCALL hCall) const;
    void learnCadence(int line, std::int32_t count);
    void status(const QString& text);

    LineState& state_;
    LineTimers& timers_;
    LineContext& c_;
    const SettingsSnapshot& settings_;
    const CallFlowRoles& roles_;
    const LineControls& controls_;
    // Count of the ring last seen on each line during its current call (0: none yet). A gap is
    // learned only between two consecutive rings of one call.
    std::array<std::int32_t, kLineCount> previousRing_{};
};

} // namespace qlnrec::telephony
