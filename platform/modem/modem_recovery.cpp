#include "platform/modem/modem_recovery.h"

namespace qlnrec::platform::modem {

namespace {
constexpr std::uint32_t kHealthTimeoutMs = 2000;
constexpr int kGarbageLinesBeforeCheck = 3;
} // namespace

ModemRecovery::ModemRecovery(EventService& events, ModemCommander& commander, std::uint32_t pollMs,
                             QString name, Hooks hooks)
    : commander_(commander), pollMs_(pollMs), name_(std::move(name)), hooks_(std::move(hooks)),
      pollTimer_(events, 0, [this] { poll(); })
{
}

void ModemRecovery::notify(bool isFailed, const QString& text)
{
    statusText_ = text;
    commander_.trace((isFailed ? "FAILED: " : "OK: ") + text.toUtf8());
    if (statusHandler_) {
        statusHandler_(isFailed, text);
    }
}

void ModemRecovery::announceFailure(const QString& text)
{
    failed_ = true;
    notify(true, text);
    pollTimer_.setInterval(pollMs_);
    pollTimer_.setEnabled(true);
}

void ModemRecovery::poll()
{
    if (!failed_ || recovering_) {
        return;
    }
    if (!hooks_.reopen()) {
        return;
    }
    commander_.trace("port is back; initialising");
    pollTimer_.setEnabled(false);
    recovering_ = true;
    commander_.clear();
    hooks_.setUp([this](bool ok, const QString& why) {
        recovering_ = false;
        if (!ok) {
            commander_.trace("recovery failed: " + why.toUtf8());
            attemptFailed();
            return;
        }
        failed_ = false;
        notify(false, QStringLiteral("%1 works again").arg(name_));
    });
}

void ModemRecovery::attemptFailed()
{
    recovering_ = false;
    hooks_.abandon();
    pollTimer_.setInterval(pollMs_);
    pollTimer_.setEnabled(true);
}

void ModemRecovery::stop()
{
    pollTimer_.setEnabled(false);
    failed_ = false;
    recovering_ = false;
    // A queued check died with the closed line's operations.
    healthCheckQueued_ = false;
    garbageLines_ = 0;
}

void ModemRecovery::garbage(bool ready)
{
    if (!ready || failed_) {
        return;
    }
    if (++garbageLines_ < kGarbageLinesBeforeCheck || healthCheckQueued_) {
        return;
    }
    healthCheckQueued_ = true;
    commander_.enqueue([this] {
        healthCheckQueued_ = false;
        if (failed_) {
            commander_.opDone();
            return;
        }
        commander_.cmd("AT", kHealthTimeoutMs, [this](const ModemReply& r) {
            commander_.opDone();
            if (r.ok()) {
                garbageLines_ = 0;
            } else {
                hooks_.fail(QStringLiteral("it answers garbage"));
            }
        });
    });
}

} // namespace qlnrec::platform::modem
