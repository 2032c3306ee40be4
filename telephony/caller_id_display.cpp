#include "telephony/caller_id_display.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/status_line.h"
#include "core/strings.h"
#include "platform/telephony/telephony_service.h"
#include "telephony/caller_id_text.h"

#include <QFile>

#include <vector>

namespace qlnrec::telephony {

CallerIdDisplay::CallerIdDisplay(LineSystem& lines, QString programFolder, Links links)
    : lines_(lines), programFolder_(std::move(programFolder)), links_(std::move(links))
{
    for (int line = 0; line < kLineCount; ++line) {
        LineTimers::at(lines_.timers().timCallerID, line).setOnTick([this, line] {
            timCallerID_Timer(line);
        });
    }
}

void CallerIdDisplay::status(const QString& text)
{
    lines_.context().statusLog.addStatusLine(text);
}

void CallerIdDisplay::callerIdArrived(platform::HCALL hCall)
{
    handleCallerId(hCall);
}

int CallerIdDisplay::handleCallerId(platform::HCALL hCall)
{
    LineState& state = lines_.state();
    const CallFlowRoles& roles = lines_.roles();
    const int found = state.lineByCall(hCall);
    const int line = found >= 0 ? found : 0;
    roles.popup->resetLabels();

    std::vector<unsigned char> info(LineDispatcher::kCallInfoSize, 0);
    platform::setTapiDword(info.data(), 0, LineDispatcher::kCallInfoSize);
    if (lines_.context().tapi.lineGetCallInfo(hCall,
                                              reinterpret_cast<platform::LINECALLINFO*>(info.data())) != 0) {
        return -1;
    }
    const CallerIdText id = readCallerId(info.data(), info.size(), lines_.context().strings.legacyEncoding());
    state.callerNumber = id.number;
    state.callerNameText = id.name;

    platform::Timer& tick = LineTimers::at(lines_.timers().timCallerID, line);
    tick.setEnabled(false);
    tick.setEnabled(true);
    pendingCall_.at(static_cast<std::size_t>(line)) = found >= 0 ? hCall : 0;

    int lastLine = 0;
    for (int l = 0; l < kLineCount; ++l) {
        if (state[l].hCall == hCall && hCall != 0) {
            state[l].callerNumberPart = QLatin1Char('~') + state.callerNumber;
            state[l].callerNumber = id.number;
            state[l].callerNameText = id.name;
            lastLine = l;
        }
    }
    appendHistory(state.callerNumber);
    roles.popup->showCaller(line, state.callerNumber, state.callerNameText);

    if (const std::optional<QString> name = roles.phoneBook->nameFor(state.callerNumber)) {
        status(*name);
        roles.popup->showPhoneBookName(line, *name);
        state[lastLine].callerNamePart = *name;
    }
    lines_.context().config.save(core::keys::kLastCallerId, state.callerNumber);
    if (links_.showInDialer) {
        links_.showInDialer(state.callerNumber);
    }
    if (links_.pushReceivedNumber) {
        links_.pushReceivedNumber(state.callerNumber);
    }
    if (lines_.settings().popCallIdEnabled == 1) {
        roles.popup->announceCaller();
    }
    return 1;
}

void CallerIdDisplay::appendHistory(const QString& number)
{
    const QString path = programFolder_ + QLatin1Char('/') + QLatin1String(kHistoryFile);
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append,
                                   QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(number.toUtf8() + "\r\n") >= 0 && file.flush();
    // A history that cannot be written must not stop the caller being shown; say so once.
    if (!written && !historyFailed_) {
        historyFailed_ = true;
        status(lines_.context().strings.text(core::ProgramText::CallerHistoryNotWritten) + path);
    }
    if (written) {
        historyFailed_ = false;
    }
}

void CallerIdDisplay::timCallerID_Timer(int line)
{
    LineTimers::at(lines_.timers().timCallerID, line).setEnabled(false);
    LineState& state = lines_.state();
    const platform::HCALL call = pendingCall_.at(static_cast<std::size_t>(line));
    pendingCall_.at(static_cast<std::size_t>(line)) = 0;
    // A call that has gone meanwhile (or was never on a line) is not answered or blocked: the
    // decision would act on whatever the line holds now.
    const bool callStillThere = call != 0 && state[line].hCall == call;
    if (callStillThere && lines_.roles().blocking->decide(line)) {
        return;
    }
    if (callStillThere && links_.callerLetThrough) {
        links_.callerLetThrough(state[line].callerNumber, state[line].callerNameText);
    }
    // Another line's caller ID may have come within the same quarter second: the line shows its own.
    const QString& number = callStillThere ? state[line].callerNumber : state.callerNumber;
    const QString& name = callStillThere ? state[line].callerNameText : state.callerNameText;
    if (name != kUnknownCaller) {
        status(QStringLiteral("CallerID:") + number + QStringLiteral(" [") + name + QLatin1Char(']'));
    } else {
        status(QStringLiteral("CallerID:") + number);
    }
}

} // namespace qlnrec::telephony
