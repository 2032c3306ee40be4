#include "telephony/incoming_call_popup.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/status_line.h"
#include "core/strings.h"
#include "platform/core/text_helpers.h"
#include "platform/wave/wave_service.h"

#include <cmath>

namespace qlnrec::telephony {

namespace {
constexpr int kEndOfRecordingText = 1033; // "End of Recording"
} // namespace

IncomingCallPopup::IncomingCallPopup(LineSystem& lines, WindowFactory makeWindow)
    : lines_(lines), makeWindow_(std::move(makeWindow)), timer1_(lines.context().events)
{
    timer1_.setOnTick([this] {
        timer1_.setEnabled(false);
        unloadPopup();
    });
}

IncomingCallPopup::~IncomingCallPopup() = default;

void IncomingCallPopup::load()
{
    if (loaded_) {
        return;
    }
    loaded_ = true;
    for (LineRow& row : rows_) {
        row.callerId.clear();
        row.callerName.clear();
    }
    if (lines_.settings().answerManually == 0) {
        QString seconds = lines_.context().config.get(core::keys::kPopCallIdTime);
        double value = platform::leadingNumber(seconds);
        if (value > 60) {
            seconds = QStringLiteral("59");
            value = 59;
        }
        // Nothing sensible below a second: the popup would never close (or close at once).
        if (!(value >= 1)) {
            seconds = QString::number(kDefaultSeconds);
            value = kDefaultSeconds;
        }
        secondsText_ = seconds;
        timer1_.setInterval(static_cast<std::uint32_t>(std::lround(value * 1000)));
        timer1_.setEnabled(true);
    }
    if (makeWindow_) {
        window_ = makeWindow_(*this);
    }
    refresh();
}

void IncomingCallPopup::refresh()
{
    if (window_) {
        window_->showRows();
    }
}

void IncomingCallPopup::unloadPopup()
{
    timer1_.setEnabled(false);
    // The window may be what is being closed: it goes once the event that closed it has run.
    if (window_) {
        lines_.context().events.post([dropped = std::shared_ptr<Window>(std::move(window_))] {});
    }
    loaded_ = false;
    shown_ = false;
    rows_ = {};
    secondsText_.clear();
}

void IncomingCallPopup::showAnswerButtons(int line)
{
    load();
    rowAt(line).answerVisible = true;
    rowAt(line).hangupVisible = true;
    refresh();
}

void IncomingCallPopup::showPopupModeless()
{
    load();
    shown_ = true;
    if (window_) {
        window_->showModeless();
    }
}

void IncomingCallPopup::resetLabels()
{
    load();
    for (LineRow& row : rows_) {
        row.labelsEnabled = false;
    }
    refresh();
}

void IncomingCallPopup::showCaller(int line, const QString& number, const QString& name)
{
    load();
    LineRow& row = rowAt(line);
    row.labelsEnabled = true;
    row.callerId = QLatin1Char(' ') + number;
    row.callerName = QLatin1Char(' ') + name;
    refresh();
}

void IncomingCallPopup::showPhoneBookName(int line, const QString& name)
{
    load();
    rowAt(line).callerName = name.trimmed();
    refresh();
}

void IncomingCallPopup::announceCaller()
{
    load();
    if (!window_ || !window_->minimized()) {
        showPopupModeless();
    }
    refresh();
    timer1_.setEnabled(false);
    lines_.context().events.processPendingEvents();
    // Only a loaded popup closes itself, and only when calls are answered automatically.
    if (loaded_ && timer1_.interval() > 0 && lines_.settings().answerManually == 0) {
        timer1_.setEnabled(true);
    }
}

void IncomingCallPopup::answerClicked(int line)
{
    if (!LineState::validLine(line)) {
        return;
    }
    LineTimers::at(lines_.timers().Timer1, line).setEnabled(false);
    lines_.state()[line].greetingDue = 0;
    lines_.dispatcher().AnswerCall(line);
    rowAt(line).answerVisible = false;
    rowAt(line).hangupVisible = true;
    refresh();
}

void IncomingCallPopup::hangupClicked(int line)
{
    if (!LineState::validLine(line)) {
        return;
    }
    LineSlot& slot = lines_.state()[line];
    if (slot.recordState == kRecording) {
        // As "##" and the disconnect notice do: the capture is over, so the device's close
        // finishes the file instead of waiting for more of a call that is being dropped.
        slot.recordState = kRecordIdle;
        lines_.context().wave.waveInReset(slot.waveInHandle);
        lines_.context().statusLog.addStatusLine(lines_.context().strings.loadText(kEndOfRecordingText));
    }
    LineTimers::at(lines_.timers().timDropCall, line).setEnabled(true);
    rowAt(line).hangupVisible = false;
    refresh();
    lines_.state().popupCallCount -= 1;
    if (lines_.state().popupCallCount < 1) {
        unloadPopup();
    }
}

void IncomingCallPopup::secondsEdited(const QString& text)
{
    secondsText_ = text;
    const double value = platform::leadingNumber(text);
    if (value < 60 && value > 5) {
        lines_.context().config.save(core::keys::kPopCallIdTime, text);
    }
}

void IncomingCallPopup::closedByUser()
{
    lines_.state().popupCallCount = 0;
    unloadPopup();
}

} // namespace qlnrec::telephony
