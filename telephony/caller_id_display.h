#pragma once
// Caller ID of an offered call: read from the call information, kept as the program's last
// caller, written to the history file and the settings, named from the phone book, shown in the
// popup; a quarter second later the blocking decision runs and a caller who is not blocked gets
// a status line.
#include "telephony/call_flow_roles.h"
#include "telephony/line_system.h"

#include <QString>

#include <array>
#include <functional>

namespace qlnrec::telephony {

class CallerIdDisplay final : public CallerIdRole {
public:
    static constexpr const char* kHistoryFile = "callerid.txt";

    struct Links {
        // The dial window's number box (the dial window is loaded hidden when it is not loaded).
        std::function<void(const QString& number)> showInDialer;
        // The list of received calls.
        std::function<void(const QString& number)> pushReceivedNumber;
        // The blocking decision has let the line's caller through (name as the line sent it): the
        // moment to tell the desktop, so a blocked caller is never announced.
        std::function<void(const QString& number, const QString& name)> callerLetThrough;
    };

    // programFolder without a trailing "/". The roles are read at each call.
    CallerIdDisplay(LineSystem& lines, QString programFolder, Links links);

    void callerIdArrived(platform::HCALL hCall) override;
    // The handler with its result: 1 when the caller ID was processed, -1 when the call
    // information could not be read.
    int handleCallerId(platform::HCALL hCall);
    // timCallerID: block the caller or show it.
    void timCallerID_Timer(int line);

private:
    void appendHistory(const QString& number);
    void status(const QString& text);

    LineSystem& lines_;
    QString programFolder_;
    Links links_;
    // The call each line's timCallerID was started for: the decision acts only on that call.
    std::array<platform::HCALL, kLineCount> pendingCall_{};
    bool historyFailed_ = false;
};

} // namespace qlnrec::telephony
