#include "platform/modem/modem_commander.h"

#include "platform/modem/modem_trace.h"

namespace qlnrec::platform::modem {

namespace {
constexpr std::uint32_t kHealthTimeoutMs = 2000;
}

ModemCommander::ModemCommander(EventService& events, ByteLink& link, ModemChannelListener& listener,
                               QString traceName)
    : link_(link), traceName_(std::move(traceName)),
      channel_(events, listener, [this](const QByteArray& bytes) { write(bytes); })
{
}

void ModemCommander::trace(const QByteArray& text) const
{
    modem::trace(traceName_, text);
}

void ModemCommander::write(const QByteArray& bytes)
{
    if (traceEnabled() && (channel_.mode() == ModemChannel::Mode::Command || bytes.size() < 8)) {
        trace("> " + visible(bytes));
    }
    link_.write(bytes);
}

void ModemCommander::feed(const QByteArray& bytes)
{
    if (traceEnabled() && channel_.mode() == ModemChannel::Mode::Command) {
        trace("< " + visible(bytes));
    }
    channel_.feed(bytes);
}

void ModemCommander::cmd(const QByteArray& line, std::uint32_t timeoutMs, Then then, bool opensStream)
{
    channel_.command(
        line, timeoutMs,
        [this, line, then](const ModemReply& r) {
            if (r.reset) {
                return;
            }
            trace("< " + line + ": " + resultName(r.result) + (r.timedOut ? " (timed out)" : ""));
            then(r);
        },
        opensStream);
}

void ModemCommander::healthCheck(const QString& reason, std::function<void()> then)
{
    cmd("AT", kHealthTimeoutMs, [this, reason, then](const ModemReply& r) {
        if (r.ok()) {
            then();
        } else if (fail_) {
            fail_(reason);
        }
    });
}

void ModemCommander::enqueue(std::function<void()> op)
{
    ops_.push_back(std::move(op));
    runNext();
}

void ModemCommander::opDone()
{
    opRunning_ = false;
    runNext();
}

void ModemCommander::runNext()
{
    if (opRunning_ || ops_.empty()) {
        return;
    }
    opRunning_ = true;
    auto op = std::move(ops_.front());
    ops_.pop_front();
    op();
}

void ModemCommander::abandonRunning()
{
    opRunning_ = false;
}

void ModemCommander::resume()
{
    runNext();
}

void ModemCommander::clear()
{
    channel_.reset();
    ops_.clear();
    opRunning_ = false;
}

} // namespace qlnrec::platform::modem
