#include "telephony/line_dispatcher.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/status_line.h"
#include "core/strings.h"
#include "platform/core/event_service.h"
#include "platform/core/text_helpers.h"
#include "platform/telephony/telephony_service.h"
#include "platform/wave/wave_service.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace qlnrec::telephony {

namespace {
constexpr int kStartRecordingText = 1060; // " Start Recording"
constexpr int kDisconnectedText = 1063;   // " Disconnected"
constexpr int kIdleTicksBeforeMenu = 3;
constexpr int kLastLearnedRing = 7;

std::int32_t clampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t timerInterval(std::int32_t intervalMs)
{
    return intervalMs > 0 ? static_cast<std::uint32_t>(intervalMs) : 0u;
}

QString lineName(int line)
{
    return QStringLiteral("Line%1").arg(line);
}
} // namespace

LineDispatcher::LineDispatcher(LineState& state, LineTimers& timers, LineContext& context,
                               const SettingsSnapshot& settings, const CallFlowRoles& roles,
                               const LineControls& controls)
    : state_(state), timers_(timers), c_(context), settings_(settings), roles_(roles), controls_(controls)
{
    for (int line = 0; line < kLineCount; ++line) {
        LineTimers::at(timers_.Timer1, line).setOnTick([this, line] { Timer1_Timer(line); });
        LineTimers::at(timers_.Timer3, line).setOnTick([this, line] { roles_.answering->timer3Tick(line); });
        LineTimers::at(timers_.Timer4, line).setOnTick([this, line] { roles_.answering->timer4Tick(line); });
        LineTimers::at(timers_.timTollSaver, line).setOnTick([this, line] { timTollSaver_Timer(line); });
        LineTimers::at(timers_.timDropCall, line).setOnTick([this, line] { timDropCall_Timer(line); });
    }
}

void LineDispatcher::status(const QString& text)
{
    c_.statusLog.addStatusLine(text);
}

void LineDispatcher::LineCallback(std::uint32_t hDevice, std::uint32_t message, std::uint32_t /*instance*/,
                                  std::uint32_t param1, std::uint32_t /*param2*/, std::uint32_t param3)
{
    switch (message) {
    case platform::LINE_CALLINFO:
        if (param1 == platform::LINECALLINFOSTATE_CALLERID) {
            roles_.callerId->callerIdArrived(hDevice);
        }
        break;
    case platform::LINE_CALLSTATE:
        callStateHandler(hDevice, param1);
        break;
    case platform::LINE_GENERATE:
        // A beep cut short because the call ended must not start a recording on a dead call; but
        // a device that refused the beep reports "cancel" too, and that caller must still be
        // recorded. Whether the call is still connected tells the two apart.
        if (param1 != platform::LINEGENERATETERM_CANCEL || callStillConnected(hDevice)) {
            beepFinished(hDevice);
        }
        break;
    case platform::LINE_LINEDEVSTATE:
        ringHandler(hDevice, param1, param3);
        break;
    case platform::LINE_MONITORDIGITS:
        digitReceived(hDevice, param1);
        break;
    default:
        break;
    }
}

bool LineDispatcher::callStillConnected(platform::HCALL hCall) const
{
    const int line = state_.lineByCall(hCall);
    return line >= 0 && state_[line].callConnected;
}

void LineDispatcher::beepFinished(platform::HCALL hCall)
{
    const int line = state_.lineByCall(hCall);
    if (line < 0) {
        return;
    }
    LineSlot& slot = state_[line];
    LineTimers::at(timers_.Timer3, line).setEnabled(false);
    slot.greetingDue = 1;
    slot.callKind = kCallKindAnswered;
    status(lineName(line) + QStringLiteral(" Starts Recording"));
    roles_.recording->startRecording(line);
}

void LineDispatcher::digitReceived(platform::HCALL hCall, std::uint32_t digit)
{
    const int line = state_.lineByCall(hCall);
    if (line < 0) {
        return;
    }
    LineSlot& slot = state_[line];
    platform::Timer& tollSaver = LineTimers::at(timers_.timTollSaver, line);
    if (!tollSaver.isEnabled()) {
        tollSaver.setEnabled(true);
    }
    // Touch tones are printable; a control code from a confused device is not kept, since the
    // digits end up in the status list and the touch-tone log.
    const QChar character(static_cast<char16_t>(digit & 0xFFFFu));
    if (character.isPrint()) {
        slot.dtmfDigits += character;
    }
    slot.dtmfIdleTicks = 0;
}

void LineDispatcher::callStateHandler(platform::HCALL hCall, std::uint32_t callState)
{
    switch (callState) {
    case platform::LINECALLSTATE_IDLE: {
        const int line = state_.lineByCall(hCall);
        if (line < 0) {
            return;
        }
        LineTimers::at(timers_.Timer1, line).setEnabled(false);
        c_.tapi.lineDeallocateCall(hCall);
        state_[line].hCall = 0;
        state_[line].callConnected = false;
        previousRing_[static_cast<std::size_t>(line)] = 0;
        return;
    }
    case platform::LINECALLSTATE_OFFERING:
        offering(hCall);
        return;
    case platform::LINECALLSTATE_CONNECTED: {
        const int line = state_.lineByCall(hCall);
        if (line >= 0) {
            state_[line].callConnected = true;
            connected(line);
        }
        return;
    }
    case platform::LINECALLSTATE_DISCONNECTED:
        disconnected(hCall);
        return;
    default:
        return;
    }
}

void LineDispatcher::offering(platform::HCALL hCall)
{
    std::vector<unsigned char> info(kCallInfoSize, 0);
    platform::setTapiDword(info.data(), 0, kCallInfoSize);
    if (c_.tapi.lineGetCallInfo(hCall, reinterpret_cast<platform::LINECALLINFO*>(info.data())) != 0) {
        return;
    }
    const int line =
        state_.lineByLine(platform::tapiDword(info.data(), offsetof(platform::LINECALLINFO, hLine)));
    if (line < 0) {
        return;
    }
    LineSlot& slot = state_[line];
    slot.hCall = hCall;
    status(lineName(line) + QStringLiteral(" Ring..."));
    // A new call has no caller yet: neither the number nor the name of the line's last caller
    // may go into this call's file name, and a blocked caller who hung up before being answered
    // must not leave the next call blocked.
    slot.callerNumberPart.clear();
    slot.callerNamePart.clear();
    slot.callerNumber.clear();
    slot.callerNameText.clear();
    slot.blocked = 0;

    state_.ringsToAnswer =
        clampToInt32(platform::roundHalfEven(platform::leadingNumber(controls_.ringsFieldText())));
    roles_.ringRules->findRingRule(state_.ringsToAnswer);

    if (settings_.answerManually == 1) {
        roles_.popup->showAnswerButtons(line);
        if (slot.ringInterval(1) != 0) {
            roles_.popup->showPopupModeless();
        }
        state_.popupCallCount += 1;
    }
}

void LineDispatcher::connected(int line)
{
    LineSlot& slot = state_[line];
    if (slot.blocked == -1) {
        roles_.answering->playDoNotCall(line);
        return;
    }
    MonitorDigits(line);
    if (slot.greetingDue != 0) {
        roles_.answering->playGreeting(line);
        return;
    }
    if (slot.dialOutPending != 0) {
        LineTimers::at(timers_.Timer4, line).setEnabled(true);
        slot.dialOutPending = 0;
        return;
    }
    if (controls_.legalChecked()) {
        roles_.answering->playLegal(line);
        return;
    }
    slot.callKind = kCallKindMonitored;
    roles_.recording->startRecording(line);
    status(lineName(line) + c_.strings.loadText(kStartRecordingText));
}

void LineDispatcher::disconnected(platform::HCALL hCall)
{
    const int line = state_.lineByCall(hCall);
    if (line >= 0) {
        state_[line].callConnected = false;
    }
    // With the fast-busy detector on, the tone detector ends a call that is being captured, not
    // the line's notice. A call that is not captured (a prompt is playing, or its file was
    // missing) has no detector listening: the notice ends it, or the line would stay off hook.
    if (settings_.fastBusySwitch == 1 && line >= 0 && state_[line].recordState != kRecordIdle) {
        return;
    }
    if (line >= 0) {
        LineSlot& slot = state_[line];
        status(lineName(line) + c_.strings.loadText(kDisconnectedText));
        slot.dtmfDigits.clear();
        // An outgoing call still waiting for its reply keeps capturing; the drop ends it.
        if (slot.recordState == kRecording) {
            slot.recordState = kRecordIdle;
            c_.wave.waveInReset(slot.waveInHandle);
        }
        LineTimers::at(timers_.timDropCall, line).setEnabled(true);
    }
    if (settings_.answerManually == 1) {
        state_.popupCallCount -= 1;
        if (state_.popupCallCount < 1) {
            roles_.popup->unloadPopup();
        }
    }
}

void LineDispatcher::ringHandler(platform::HLINE hLine, std::uint32_t lineState, std::uint32_t ringCount)
{
    if (lineState != platform::LINEDEVSTATE_RINGING) {
        return;
    }
    const int line = state_.lineByLine(hLine);
    if (line < 0) {
        return;
    }
    const auto count = static_cast<std::int32_t>(ringCount);
    if (controls_.ringCountChecked()) {
        status(platform::numberWithSignBlank(count));
    }
    if (count == state_.ringsToAnswer) {
        state_[line].greetingDue = 1;
        LineTimers::at(timers_.Timer1, line).setEnabled(false);
        AnswerCall(line);
        return;
    }
    if (settings_.answerManually == 1) {
        return;
    }
    learnCadence(line, count);
}

void LineDispatcher::learnCadence(int line, std::int32_t count)
{
    LineSlot& slot = state_[line];
    platform::Timer& timer1 = LineTimers::at(timers_.Timer1, line);
    const std::uint32_t now = c_.events.timeGetTime();
    auto& previous = previousRing_[static_cast<std::size_t>(line)];
    const bool consecutive = static_cast<std::int64_t>(previous) + 1 == count;
    previous = count;

    if (count == 1) {
        slot.lastRingTime = now;
        timer1.setInterval(timerInterval(slot.ringInterval(1)));
        timer1.setEnabled(true);
        c_.events.processPendingEvents();
        const core::SettingKey weight = core::ringWeight(line);
        slot.ringSamples = ringSamplesFromText(c_.config.get(weight));
        c_.config.save(weight, nextCallsText(slot.ringSamples));
        return;
    }
    if (count >= 2 && count <= kLastLearnedRing) {
        timer1.setEnabled(false);
        // The clock wraps like the system's millisecond counter; the gap is taken modulo 2^32.
        const std::uint32_t gapMs =
            now - static_cast<std::uint32_t>(static_cast<std::int64_t>(slot.lastRingTime));
        const double measuredMs = static_cast<double>(gapMs) + kRingMarginMs;
        slot.lastRingTime = now;
        timer1.setInterval(timerInterval(slot.ringInterval(std::min(count, kRingIntervalCount))));
        c_.events.processPendingEvents();
        timer1.setEnabled(true);
        // A ring whose predecessor was not seen in this call (the program started while it
        // rang, or a ring notice went missing) measures nothing useful.
        if (!consecutive) {
            return;
        }
        const int number = count - 1;
        const std::int32_t learned = learnedInterval(slot.ringSamples, slot.ringInterval(number), measuredMs);
        slot.ringInterval(number) = learned;
        c_.config.save(core::ringInterval(line, number), QString::number(learned));
        return;
    }
    timer1.setEnabled(false);
    timer1.setInterval(timerInterval(slot.ringInterval(kRingIntervalCount)));
    timer1.setEnabled(true);
}

std::int16_t LineDispatcher::ringSamplesFromText(const QString& text)
{
    const std::int64_t value = platform::roundHalfEven(platform::leadingNumber(text));
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max()));
}

QString LineDispatcher::nextCallsText(std::int16_t ringSamples)
{
    if (ringSamples < kDefaultRingSamples) {
        return QString::number(kDefaultRingSamples);
    }
    // The weight is a 16-bit value: at its largest it stays there.
    if (ringSamples == std::numeric_limits<std::int16_t>::max()) {
        return QString::number(ringSamples);
    }
    return QString::number(ringSamples + 1);
}

std::int32_t LineDispatcher::learnedInterval(std::int16_t ringSamples, std::int32_t oldIntervalMs,
                                             double measuredMs)
{
    // A negative weight (a garbled "Calls") would turn the mean upside down or divide by zero.
    const double weight = std::max<double>(ringSamples, 0);
    const double mean = (weight * oldIntervalMs + measuredMs) / (weight + 1);
    return clampToInt32(platform::roundHalfEven(mean));
}

void LineDispatcher::Timer1_Timer(int line)
{
    LineTimers::at(timers_.Timer1, line).setEnabled(false);
    state_[line].greetingDue = 0;
    AnswerCall(line);
}

void LineDispatcher::timTollSaver_Timer(int line)
{
    LineSlot& slot = state_[line];
    slot.dtmfIdleTicks += 1;
    if (slot.dtmfIdleTicks <= kIdleTicksBeforeMenu) {
        return;
    }
    LineTimers::at(timers_.timTollSaver, line).setEnabled(false);
    slot.dtmfIdleTicks = 0;
    roles_.answering->touchToneAction(line);
    slot.dtmfDigits.clear();
}

void LineDispatcher::timDropCall_Timer(int line)
{
    state_[line].blocked = 0;
    LineTimers::at(timers_.timDropCall, line).setEnabled(false);
    DropCall(line);
}

void LineDispatcher::AnswerCall(int line)
{
    if (LineState::validLine(line)) {
        c_.tapi.lineAnswer(state_[line].hCall, nullptr, 0);
    }
}

void LineDispatcher::DropCall(int line)
{
    if (LineState::validLine(line)) {
        c_.tapi.lineDrop(state_[line].hCall, nullptr, 0);
    }
}

void LineDispatcher::MonitorDigits(int line)
{
    if (LineState::validLine(line)) {
        c_.tapi.lineMonitorDigits(state_[line].hCall, platform::LINEDIGITMODE_DTMF);
    }
}

void LineDispatcher::GenerateBeep(int line)
{
    if (LineState::validLine(line)) {
        c_.tapi.lineGenerateDigits(state_[line].hCall, platform::LINEDIGITMODE_DTMF, "*", 0);
    }
}

} // namespace qlnrec::telephony
