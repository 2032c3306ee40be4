#pragma once
// The audio of a call: which stream the modem should run (full duplex when it has it, otherwise
// receiving, or transmitting while a prompt plays), switching between them, unshielded samples
// from the modem to the line's capture device, and the prompt paced to real time, converted and
// shielded on its way to the modem. A prompt that cannot reach the modem still plays out in time,
// so its player sees it end.
#include "platform/core/event_service.h"
#include "platform/modem/modem_commander.h"
#include "platform/modem/modem_options.h"
#include "platform/modem/modem_setup.h"
#include "platform/wave/media_pacer.h"
#include "platform/wave/wave_service.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qlnrec::platform::modem {

enum class StreamKind { None, Receive, Transmit, Duplex };

class ModemAudio {
public:
    // What the audio needs to know about the call.
    struct CallView {
        std::function<bool()> connected; // a party is on the line
        std::function<bool()> offHook;   // connected, or the far end left and we have not hung up
        std::function<bool()> active;    // off hook in any way (answering, dialling, hanging up)
        std::function<bool()> failed;    // the modem is gone
    };

    ModemAudio(EventService& events, ModemCommander& commander, const ModemSetup& setup,
               const ModemLineOptions& options, CallView call);
    ModemAudio(const ModemAudio&) = delete;
    ModemAudio& operator=(const ModemAudio&) = delete;

    StreamKind stream() const { return stream_; }
    bool playing() const { return source_ != nullptr; }
    std::optional<bool> duplexSupported() const { return duplexSupported_; }

    // Brings the stream to what the call needs now, then runs `then`.
    void ensureStream(std::function<void()> then);
    // Ends the stream; abandon drops what the modem still holds to play.
    void stopStream(bool abandon, std::function<void()> then);
    // Queues a stream check behind the running operations when the call needs another stream.
    void checkStream();
    // What ends the stream when the line closes (empty when the modem is in command state).
    QByteArray farewell() const;
    // The link is gone: no stream any more.
    void linkLost();
    void forgetStream() { stream_ = StreamKind::None; }
    void stopTimers() { pumpTimer_.setEnabled(false); }

    // From the modem.
    void received(const char* data, std::size_t size);
    void streamEnded();

    // The line's wave devices.
    bool startCapture(WaveCaptureSink* sink);
    void stopCapture() { sink_ = nullptr; }
    void startPlayback(WavePlaybackSource* source);
    void stopPlayback();

private:
    StreamKind wantedStream() const;
    bool duplexWanted() const;
    static QByteArray terminator(StreamKind kind, bool abandon);
    void startStream(StreamKind kind, std::function<void()> then);
    void beginStream();
    bool transmitStreaming() const;
    bool sourceNeedsDraining() const;
    void pump();

    EventService& events_;
    ModemCommander& commander_;
    const ModemSetup& setup_;
    const ModemLineOptions& options_;
    CallView call_;

    StreamKind stream_ = StreamKind::None;
    bool streamClosing_ = false;
    bool transmitRefused_ = false;
    std::optional<bool> duplexSupported_;
    WaveCaptureSink* sink_ = nullptr;
    WavePlaybackSource* source_ = nullptr;
    PacedCounter txCounter_;
    bool txLeadDue_ = false;
    bool drainStarted_ = false;
    bool hasCarry_ = false;
    std::uint8_t carry_ = 0;
    std::vector<std::int16_t> rxSamples_;
    std::vector<std::int16_t> txSamples_;
    Timer pumpTimer_;
};

} // namespace qlnrec::platform::modem
