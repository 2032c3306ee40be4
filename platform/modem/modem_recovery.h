#pragma once
// The health of a modem line: noticing a modem that answers garbage, the failed state with its
// text for the status list, and while the modem is missing, trying its port every few seconds
// and setting it up again when it answers.
#include "platform/core/event_service.h"
#include "platform/modem/modem_commander.h"
#include "platform/modem/modem_setup.h"

#include <QString>

#include <functional>

namespace qlnrec::platform::modem {

class ModemRecovery {
public:
    using StatusHandler = std::function<void(bool failed, const QString& text)>;
    struct Hooks {
        std::function<bool()> reopen;                    // opens the link again; true when it is open
        std::function<void(ModemSetup::Done)> setUp;     // sets the modem up again
        std::function<void()> abandon;                   // closes the link after a failed attempt
        std::function<void(const QString& reason)> fail; // the modem stopped working
    };

    ModemRecovery(EventService& events, ModemCommander& commander, std::uint32_t pollMs, QString name,
                  Hooks hooks);
    ModemRecovery(const ModemRecovery&) = delete;
    ModemRecovery& operator=(const ModemRecovery&) = delete;

    void setStatusHandler(StatusHandler handler) { statusHandler_ = std::move(handler); }
    bool failed() const { return failed_; }
    bool recovering() const { return recovering_; }
    const QString& statusText() const { return statusText_; }

    // The modem stopped working: failed from now on (what waited for it is answered before
    // announceFailure() tells the status list and starts trying the port).
    void setFailed() { failed_ = true; }
    void announceFailure(const QString& text);
    // A recovery attempt came to nothing: the port is tried again later.
    void attemptFailed();
    // The set-up succeeded: garbage counts afresh.
    void setUpDone() { garbageLines_ = 0; }
    // The line closed: neither failed nor recovering.
    void stop();

    // Text that cannot come from a working modem: after a few lines, is it still there?
    void garbage(bool ready);

private:
    void notify(bool isFailed, const QString& text);
    void poll();

    ModemCommander& commander_;
    std::uint32_t pollMs_;
    QString name_;
    Hooks hooks_;
    StatusHandler statusHandler_;
    QString statusText_;
    bool failed_ = false;
    bool recovering_ = false;
    int garbageLines_ = 0;
    bool healthCheckQueued_ = false;
    Timer pollTimer_;
};

} // namespace qlnrec::platform::modem
