#include "platform/modem/modem_audio.h"

#include "platform/modem/dle_codec.h"

#include <algorithm>

namespace qlnrec::platform::modem {

namespace {
constexpr std::uint32_t kPumpIntervalMs = 20;
constexpr std::uint32_t kStreamCloseTimeoutMs = 3000;
// At most a second of audio per pump, however long the event loop stalled.
constexpr std::uint32_t kMaxPumpFrames = 8000;
} // namespace

ModemAudio::ModemAudio(EventService& events, ModemCommander& commander, const ModemSetup& setup,
                       const ModemLineOptions& options, CallView call)
    : events_(events), commander_(commander), setup_(setup), options_(options), call_(std::move(call)),
      pumpTimer_(events, kPumpIntervalMs, [this] { pump(); })
{
}

bool ModemAudio::duplexWanted() const
{
    return options_.duplex && duplexSupported_.value_or(!setup_.settings().hashCommands);
}

StreamKind ModemAudio::wantedStream() const
{
    const VoiceSettings& s = setup_.settings();
    if (!s.voice || s.format == SampleFormat::Unsupported || call_.failed()) {
        return StreamKind::None;
    }
    if (!call_.offHook()) {
        return StreamKind::None;
    }
    if (duplexWanted()) {
        return StreamKind::Duplex;
    }
    return source_ && !transmitRefused_ ? StreamKind::Transmit : StreamKind::Receive;
}

QByteArray ModemAudio::terminator(StreamKind kind, bool abandon)
{
    switch (kind) {
    case StreamKind::Duplex:
        return dleCode('^');
    case StreamKind::Receive:
        return dleCode('!');
    case StreamKind::Transmit:
        // <DLE><CAN> drops what the modem still holds; without it the prompt plays out.
        return abandon ? dleCode(kCan) + dleCode(kEtx) : dleCode(kEtx);
    case StreamKind::None:
        break;
    }
    return {};
}

QByteArray ModemAudio::farewell() const
{
    if (stream_ == StreamKind::None && commander_.channel().mode() == ModemChannel::Mode::Command) {
        return {};
    }
    return terminator(stream_ == StreamKind::None ? StreamKind::Duplex : stream_, true);
}

void ModemAudio::ensureStream(std::function<void()> then)
{
    const StreamKind want = wantedStream();
    if (want == stream_) {
        then();
        return;
    }
    if (stream_ != StreamKind::None) {
        stopStream(false, [this, then] { ensureStream(then); });
        return;
    }
    startStream(want, then);
}

void ModemAudio::checkStream()
{
    if (stream_ != wantedStream() && call_.offHook()) {
        commander_.enqueue([this] { ensureStream([this] { commander_.opDone(); }); });
    }
}

void ModemAudio::startStream(StreamKind kind, std::function<void()> then)
{
    const bool hash = setup_.settings().hashCommands;
    QByteArray line;
    switch (kind) {
    case StreamKind::Duplex:
        line = "AT+VTR";
        break;
    case StreamKind::Receive:
        line = hash ? "AT#VRX" : "AT+VRX";
        break;
    case StreamKind::Transmit:
        line = hash ? "AT#VTX" : "AT+VTX";
        break;
    case StreamKind::None:
        then();
        return;
    }
    commander_.cmd(
        line, options_.commandTimeoutMs,
        [this, kind, then, line](const ModemReply& r) {
            if (r.result == ResultCode::Connect) {
                stream_ = kind;
                if (kind == StreamKind::Duplex) {
                    duplexSupported_ = true;
                }
                beginStream();
                // The call may have changed while the modem was switching.
                ensureStream(then);
                return;
            }
            if (r.timedOut) {
                commander_.healthCheck(QStringLiteral("no answer to %1").arg(QString::fromLatin1(line)),
                                       then);
                return;
            }
            if (kind == StreamKind::Duplex) {
                duplexSupported_ = false;
                ensureStream(then);
                return;
            }
            if (kind == StreamKind::Transmit) {
                // Without a transmit stream the prompt still has to run out.
                transmitRefused_ = true;
                pumpTimer_.setEnabled(true);
                ensureStream(then);
                return;
            }
            commander_.trace("the modem refused to stream audio");
            then();
        },
        true);
}

void ModemAudio::beginStream()
{
    hasCarry_ = false;
    txCounter_ = PacedCounter(events_.timeGetTime(), 8000);
    txLeadDue_ = true;
    pumpTimer_.setEnabled(true);
}

void ModemAudio::stopStream(bool abandon, std::function<void()> then)
{
    if (stream_ == StreamKind::None) {
        then();
        return;
    }
    const QByteArray end = terminator(stream_, abandon);
    stream_ = StreamKind::None;
    streamClosing_ = true;
    pumpTimer_.setEnabled(sourceNeedsDraining());
    commander_.channel().closeStream(end, kStreamCloseTimeoutMs, [this, then](const ModemReply& r) {
        streamClosing_ = false;
        if (r.reset) {
            return;
        }
        if (r.timedOut) {
            // Every way of ending a stream at once, then see whether the modem is still there.
            commander_.write(dleCode('!') + dleCode('^') + dleCode(kEtx) + "\r");
            commander_.healthCheck(QStringLiteral("it did not leave the audio stream"), then);
            return;
        }
        then();
    });
}

void ModemAudio::linkLost()
{
    stream_ = StreamKind::None;
    streamClosing_ = false;
}

bool ModemAudio::transmitStreaming() const
{
    return (stream_ == StreamKind::Transmit || stream_ == StreamKind::Duplex) &&
           commander_.channel().mode() == ModemChannel::Mode::Stream;
}

bool ModemAudio::sourceNeedsDraining() const
{
    const VoiceSettings& s = setup_.settings();
    return source_ && !transmitStreaming() &&
           (call_.failed() || !call_.active() || transmitRefused_ || !s.voice ||
            s.format == SampleFormat::Unsupported);
}

void ModemAudio::pump()
{
    const bool streaming = transmitStreaming();
    const bool draining = !streaming && sourceNeedsDraining();
    if (!streaming && !draining) {
        pumpTimer_.setEnabled(false);
        drainStarted_ = false;
        return;
    }
    const std::uint32_t now = events_.timeGetTime();
    if (draining && !drainStarted_) {
        drainStarted_ = true;
        txCounter_ = PacedCounter(now, 8000);
        txLeadDue_ = false;
    }
    if (streaming) {
        drainStarted_ = false;
    }
    std::uint64_t frames = txCounter_.take(now);
    if (txLeadDue_) {
        frames += options_.transmitLeadMs * 8;
        txLeadDue_ = false;
    }
    frames = std::min<std::uint64_t>(frames, kMaxPumpFrames);
    if (frames == 0) {
        return;
    }
    txSamples_.assign(frames, 0);
    if (source_) {
        source_->pull(reinterpret_cast<std::uint8_t*>(txSamples_.data()), frames * 2);
    }
    if (!streaming) {
        return;
    }
    // Silence fills what the program did not supply, so the modem never runs dry.
    QByteArray encoded;
    encoded.reserve(static_cast<qsizetype>(frames) * 2);
    encodeSamples(setup_.settings().format, txSamples_.data(), txSamples_.size(), encoded);
    commander_.channel().sendStream(dleShield(encoded));
}

void ModemAudio::received(const char* data, std::size_t size)
{
    const SampleFormat format = setup_.settings().format;
    if (!sink_ || format == SampleFormat::Unsupported || size == 0) {
        return;
    }
    rxSamples_.clear();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    if (format == SampleFormat::Signed16) {
        // A sample may be split between two reads: its first byte waits for the second.
        std::size_t i = 0;
        if (hasCarry_) {
            const std::uint8_t pair[2] = {carry_, bytes[0]};
            decodeSamples(format, pair, 2, rxSamples_);
            hasCarry_ = false;
            i = 1;
        }
        const std::size_t whole = (size - i) & ~std::size_t(1);
        decodeSamples(format, bytes + i, whole, rxSamples_);
        if (i + whole < size) {
            carry_ = bytes[size - 1];
            hasCarry_ = true;
        }
    } else {
        decodeSamples(format, bytes, size, rxSamples_);
    }
    if (!rxSamples_.empty()) {
        sink_->captured(reinterpret_cast<const std::uint8_t*>(rxSamples_.data()), rxSamples_.size() * 2);
    }
}

void ModemAudio::streamEnded()
{
    if (streamClosing_) {
        return; // our own terminator's answer
    }
    commander_.trace("the modem ended the stream");
    stream_ = StreamKind::None;
    pumpTimer_.setEnabled(sourceNeedsDraining());
    // Keep listening while the call lasts (inactivity timers and length limits end streams).
    if (call_.connected() && !commander_.opRunning()) {
        commander_.enqueue([this] { ensureStream([this] { commander_.opDone(); }); });
    }
}

bool ModemAudio::startCapture(WaveCaptureSink* sink)
{
    sink_ = sink;
    hasCarry_ = false;
    return true;
}

void ModemAudio::startPlayback(WavePlaybackSource* source)
{
    source_ = source;
    transmitRefused_ = false;
    drainStarted_ = false;
    if (sourceNeedsDraining()) {
        pumpTimer_.setEnabled(true);
    }
    checkStream();
}

void ModemAudio::stopPlayback()
{
    source_ = nullptr;
    transmitRefused_ = false;
    checkStream();
}

} // namespace qlnrec::platform::modem
