#include "platform/modem/modem_channel.h"

namespace qlnrec::platform::modem {

ModemChannel::ModemChannel(EventService& events, ModemChannelListener& listener, Writer writer)
    : events_(events), listener_(listener), writer_(std::move(writer)), alive_(std::make_shared<bool>(true))
{
    timer_ = std::make_unique<Timer>(events_, 0, [this] {
        timer_->setEnabled(false);
        onTimeout();
    });
}

ModemChannel::~ModemChannel()
{
    *alive_ = false;
}

QByteArray ModemChannel::currentCommand() const
{
    return current_ ? current_->line : QByteArray();
}

void ModemChannel::command(const QByteArray& line, std::uint32_t timeoutMs, ReplyFn done, bool opensStream)
{
    Request r;
    r.line = line;
    r.timeoutMs = timeoutMs;
    r.done = std::move(done);
    r.opensStream = opensStream;
    queue_.push_back(std::move(r));
    if (!current_) {
        startNext();
    }
}

void ModemChannel::closeStream(const QByteArray& terminator, std::uint32_t timeoutMs, ReplyFn done)
{
    Request r;
    r.terminator = terminator;
    r.timeoutMs = timeoutMs;
    r.done = std::move(done);
    r.closesStream = true;
    queue_.push_back(std::move(r));
    if (!current_) {
        startNext();
    }
}

void ModemChannel::sendStream(const QByteArray& shielded)
{
    if (mode_ == Mode::Stream && writer_) {
        writer_(shielded);
    }
}

void ModemChannel::sendRaw(const QByteArray& bytes)
{
    if (writer_) {
        writer_(bytes);
    }
}

void ModemChannel::startNext()
{
    if (current_ || queue_.empty()) {
        return;
    }
    current_ = std::make_unique<Request>(std::move(queue_.front()));
    queue_.pop_front();
    if (current_->closesStream) {
        if (mode_ == Mode::Command) {
            // Nothing to close (the modem already left the stream).
            finish(ResultCode::Ok, QByteArray());
            return;
        }
        mode_ = Mode::StreamClosing;
        closingLines_.clear();
        if (writer_) {
            writer_(current_->terminator);
        }
    } else if (writer_) {
        writer_(current_->line + '\r');
    }
    timer_->setInterval(current_->timeoutMs == 0 ? 1 : current_->timeoutMs);
    timer_->setEnabled(true);
}

void ModemChannel::finish(ResultCode result, const QByteArray& finalLine)
{
    timer_->setEnabled(false);
    if (!current_) {
        return;
    }
    std::unique_ptr<Request> done = std::move(current_);
    done->reply.result = result;
    done->reply.finalLine = finalLine;
    if (done->opensStream && result == ResultCode::Connect) {
        mode_ = Mode::Stream;
    }
    if (done->closesStream && mode_ != Mode::Command) {
        mode_ = Mode::Command;
    }
    const std::shared_ptr<bool> alive = alive_;
    if (done->done) {
        done->done(done->reply);
    }
    if (*alive && !current_) {
        startNext();
    }
}

void ModemChannel::onTimeout()
{
    if (!current_) {
        return;
    }
    current_->reply.timedOut = true;
    if (current_->closesStream) {
        // The modem never confirmed; treat the stream as over so commands can be tried.
        mode_ = Mode::Command;
        lines_.clear();
    }
    finish(ResultCode::None, QByteArray());
}

void ModemChannel::reset()
{
    timer_->setEnabled(false);
    mode_ = Mode::Command;
    swallowLineFeed_ = false;
    decoder_.reset();
    lines_.clear();
    closingLines_.clear();
    std::deque<Request> pending;
    if (current_) {
        pending.push_back(std::move(*current_));
        current_.reset();
    }
    while (!queue_.empty()) {
        pending.push_back(std::move(queue_.front()));
        queue_.pop_front();
    }
    const std::shared_ptr<bool> alive = alive_;
    for (Request& r : pending) {
        r.reply.reset = true;
        if (r.done) {
            r.done(r.reply);
        }
        if (!*alive) {
            return;
        }
    }
}

void ModemChannel::feed(const QByteArray& bytes)
{
    const std::shared_ptr<bool> alive = alive_;
    decoder_.feed(
        bytes,
        [this, &alive](const char* data, std::size_t size) {
            if (*alive) {
                onData(data, size);
            }
        },
        [this, &alive](char c) {
            if (*alive) {
                onCode(c);
            }
        });
}

void ModemChannel::onData(const char* data, std::size_t size)
{
    const std::shared_ptr<bool> alive = alive_;
    std::size_t i = 0;
    while (i < size && *alive) {
        if (mode_ == Mode::Stream) {
            // The line end of "CONNECT\r\n" is not audio.
            if (swallowLineFeed_) {
                swallowLineFeed_ = false;
                if (data[i] == '\n') {
                    ++i;
                    continue;
                }
            }
            listener_.audio(data + i, size - i);
            return;
        }
        if (mode_ == Mode::StreamClosing) {
            // Audio may still come until <DLE><ETX>; a modem that skips the <DLE><ETX> is caught
            // by its result code at the start of a line.
            const std::size_t start = i;
            bool ended = false;
            ResultCode result = ResultCode::None;
            QByteArray finalLine;
            while (i < size) {
                const bool complete = closingLines_.push(data[i]);
                ++i;
                if (complete) {
                    const QByteArray line = closingLines_.take();
                    result = classifyResult(line);
                    if (result == ResultCode::Ok || result == ResultCode::Vcon ||
                        result == ResultCode::Error) {
                        ended = true;
                        finalLine = line;
                        break;
                    }
                }
            }
            listener_.audio(data + start, i - start);
            if (ended && *alive) {
                mode_ = Mode::Command;
                lines_.clear();
                if (current_ && current_->closesStream) {
                    finish(result, finalLine);
                } else {
                    listener_.streamEnded();
                }
            }
            continue;
        }
        // Command state: text lines.
        const char byte = data[i];
        const bool complete = lines_.push(byte);
        ++i;
        if (complete) {
            const bool overlong = lines_.lastWasOverlong();
            onLine(lines_.take(), overlong);
            if (mode_ == Mode::Stream) {
                swallowLineFeed_ = byte == '\r';
            }
        }
    }
}

void ModemChannel::onCode(char code)
{
    if (code == kEtx) {
        if (mode_ == Mode::Stream || mode_ == Mode::StreamClosing) {
            mode_ = Mode::Command;
            lines_.clear();
            listener_.streamEnded();
        }
        return;
    }
    listener_.code(code);
}

void ModemChannel::onLine(const QByteArray& line, bool overlong)
{
    if (overlong || looksLikeGarbage(line)) {
        listener_.garbage(line.left(64));
        return;
    }
    const QByteArray trimmed = line.trimmed();
    if (current_ && !current_->closesStream && !current_->line.isEmpty() &&
        trimmed.compare(current_->line, Qt::CaseInsensitive) == 0) {
        return; // command echo
    }
    const ResultCode result = classifyResult(trimmed);
    if (result != ResultCode::None) {
        if (current_) {
            finish(result, trimmed);
        } else {
            listener_.unsolicitedLine(trimmed);
        }
        return;
    }
    if (isRingLine(trimmed) || isCallerIdLine(trimmed) || isIgnoredReport(trimmed) || !current_ ||
        current_->closesStream) {
        listener_.unsolicitedLine(trimmed);
        return;
    }
    current_->reply.lines.append(trimmed);
}

} // namespace qlnrec::platform::modem
