#pragma once
// The conversation with one modem, independent of the port it travels over: AT commands one at a
// time with their final result codes and time-outs, the switch into a <DLE>-shielded audio stream
// on CONNECT and back on <DLE><ETX>, and the codes and unsolicited lines the modem sends between.
// Runs on the GUI thread; bytes come in through feed() and go out through the writer.
#include "platform/core/event_service.h"
#include "platform/modem/at_response.h"
#include "platform/modem/dle_codec.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace qlnrec::platform::modem {

struct ModemReply {
    ResultCode result = ResultCode::None; // None: timed out or the channel was reset
    bool timedOut = false;
    bool reset = false;
    QList<QByteArray> lines; // information lines before the final result
    QByteArray finalLine;
    bool ok() const { return result == ResultCode::Ok || result == ResultCode::Vcon; }
    bool accepted() const { return ok() || result == ResultCode::Connect; }
};

class ModemChannelListener {
public:
    // A command-state line that answers no command: RING, caller ID, NO CARRIER, ...
    virtual void unsolicitedLine(const QByteArray& line) = 0;
    // A shielded code (<DLE><code>) other than data, <ETX> and <SUB>.
    virtual void code(char code) = 0;
    // Unshielded audio of a receive stream.
    virtual void audio(const char* data, std::size_t size) = 0;
    // The modem left the stream on its own (or after our terminator).
    virtual void streamEnded() = 0;
    // Text that cannot come from a working modem.
    virtual void garbage(const QByteArray& sample) = 0;

protected:
    ~ModemChannelListener() = default;
};

class ModemChannel {
public:
    enum class Mode {
        Command,      // lines and codes
        Stream,       // audio and codes
        StreamClosing // terminator sent, waiting for <DLE><ETX> and the result code
    };
    using Writer = std::function<void(const QByteArray& bytes)>;
    using ReplyFn = std::function<void(const ModemReply& reply)>;

    ModemChannel(EventService& events, ModemChannelListener& listener, Writer writer);
    ~ModemChannel();
    ModemChannel(const ModemChannel&) = delete;
    ModemChannel& operator=(const ModemChannel&) = delete;

    // Queues a command line ("AT+VLS=1"; CR is appended). With opensStream, CONNECT switches the
    // channel into stream mode at exactly that point of the byte stream.
    void command(const QByteArray& line, std::uint32_t timeoutMs, ReplyFn done, bool opensStream = false);
    // Queues the end of a stream: sends the terminator (e.g. <DLE>^) and waits for the modem's
    // result code. Completes at once with OK when no stream is open.
    void closeStream(const QByteArray& terminator, std::uint32_t timeoutMs, ReplyFn done);
    // Sends already shielded stream bytes; dropped unless a stream is open.
    void sendStream(const QByteArray& shielded);
    // Sends bytes as they are (an abort of a running dial, a keep-alive).
    void sendRaw(const QByteArray& bytes);

    void feed(const QByteArray& bytes);
    // Forgets everything: queued and running commands complete with reset = true, mode Command.
    void reset();

    Mode mode() const { return mode_; }
    bool idle() const { return !current_ && queue_.empty(); }
    // The command being waited for ("" when none).
    QByteArray currentCommand() const;

private:
    struct Request {
        QByteArray line;       // command text without CR; empty for a stream close
        QByteArray terminator; // stream close: what to send
        std::uint32_t timeoutMs = 0;
        ReplyFn done;
        bool opensStream = false;
        bool closesStream = false;
        ModemReply reply;
    };

    void startNext();
    void finish(ResultCode result, const QByteArray& finalLine);
    void onTimeout();
    void onData(const char* data, std::size_t size);
    void onCode(char code);
    void onLine(const QByteArray& line, bool overlong);

    EventService& events_;
    ModemChannelListener& listener_;
    Writer writer_;
    DleDecoder decoder_;
    LineAssembler lines_;
    LineAssembler closingLines_;
    Mode mode_ = Mode::Command;
    bool swallowLineFeed_ = false;
    std::deque<Request> queue_;
    std::unique_ptr<Request> current_;
    std::unique_ptr<Timer> timer_;
    std::shared_ptr<bool> alive_;
};

} // namespace qlnrec::platform::modem
