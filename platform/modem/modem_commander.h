#pragma once
// The line's side of the conversation with its modem: the channel over the byte link, commands
// whose answers are dropped once the channel is reset (the failure path answers what was
// waiting), operations of several commands that run one after another, and the "AT" that asks
// whether the modem is still there after a command went unanswered.
#include "platform/core/event_service.h"
#include "platform/modem/byte_link.h"
#include "platform/modem/modem_channel.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>

namespace qlnrec::platform::modem {

class ModemCommander {
public:
    using Then = std::function<void(const ModemReply& reply)>;

    ModemCommander(EventService& events, ByteLink& link, ModemChannelListener& listener, QString traceName);
    ModemCommander(const ModemCommander&) = delete;
    ModemCommander& operator=(const ModemCommander&) = delete;

    ModemChannel& channel() { return channel_; }
    const ModemChannel& channel() const { return channel_; }
    // What the health check does when the modem is gone.
    void setFailureHandler(std::function<void(const QString& reason)> fail) { fail_ = std::move(fail); }

    // Bytes as they are (an abort of a running dial), and bytes from the link.
    void write(const QByteArray& bytes);
    void feed(const QByteArray& bytes);
    void trace(const QByteArray& text) const;

    // Sends a command line; `then` gets the answer unless the channel is reset first.
    void cmd(const QByteArray& line, std::uint32_t timeoutMs, Then then, bool opensStream = false);
    // Is the modem still there? `then` runs when it answers "AT", the failure handler otherwise.
    void healthCheck(const QString& reason, std::function<void()> then);

    // Operations run one at a time: each calls opDone() when its last command is answered.
    void enqueue(std::function<void()> op);
    void opDone();
    bool opRunning() const { return opRunning_; }
    // The running operation was cut short (its answers will not come); queued ones stay and
    // run on resume().
    void abandonRunning();
    void resume();
    // Resets the channel and forgets every operation.
    void clear();

private:
    void runNext();

    ByteLink& link_;
    QString traceName_;
    ModemChannel channel_;
    std::function<void(const QString&)> fail_;
    std::deque<std::function<void()>> ops_;
    bool opRunning_ = false;
};

} // namespace qlnrec::platform::modem
