#pragma once
// A simulated modem with the program's telephony and wave services over it: the rig opens the
// line the way the program does (lineInitialize, lineOpen, ring notices), records every line
// message, and captures or plays audio through the line's wave devices.
//
// The modem sits either behind a pseudo-terminal, reached through the real serial port in real
// time (the rig waits by spinning the event loop until what a test expects has happened), or
// inside the process on an in-process link, in virtual time (the rig waits by moving the clock to
// the next timer until it has happened).
#include "platform/core/event_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/modem/in_process_link.h"
#include "platform/modem/modem_provider.h"
#include "platform/telephony/line_platform.h"
#include "platform/telephony/telephony_service.h"
#include "platform/wave/wave_service.h"
#include "tests/platform/modem/modemsim/modem_simulator.h"
#include "tests/support/line_message.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlnrec::test {

// Spins the event loop until pred() holds. The guard only keeps a broken test from hanging; no
// test measures how long anything takes.
bool waitFor(const std::function<bool()>& pred, int hangGuardMs = 60000);

struct StatusNotice {
    bool failed;
    QString text;
};

enum class SimLink {
    Pty,      // the serial port over a pseudo-terminal, real time
    InProcess // an in-process link, virtual time
};

class ModemRig {
public:
    explicit ModemRig(modemsim::SimFamily family, QString options = {}, SimLink link = SimLink::Pty);
    ~ModemRig();

    // Starts the simulator, builds the platform over "modem:<port><options>", opens the line and
    // waits for the modem's set-up to finish. With modemPresent false the modem is unplugged
    // before the program starts, and the rig waits for the line to report that.
    bool start(QString* error, bool modemPresent = true);
    // Runs fn once the program has probed the modem, just before the line opens and sets it up
    // (in virtual time; over a pseudo-terminal before the probe): a fault set here meets the
    // set-up, not the probe.
    void beforeLineOpens(std::function<void()> fn) { beforeOpen_ = std::move(fn); }

    // Lets events happen until pred() holds (false if it never does; in virtual time, after ten
    // virtual minutes).
    bool waitFor(const std::function<bool()>& pred);
    // Virtual time only: lets ms pass.
    void advance(std::uint64_t ms);
    // Virtual time only: the GUI thread is busy for ms, nothing runs meanwhile.
    void busyFor(std::uint64_t ms) { virtual_->busyFor(ms); }
    bool virtualTime() const { return virtual_ != nullptr; }

    platform::TelephonyService& tapi() { return platform_->telephony(); }
    platform::WaveService& wave() { return platform_->wave(); }
    platform::ModemLine& line();
    modemsim::ModemSimulator& sim() { return *sim_; }

    // ---- messages ----
    const std::vector<LineMessage>& messages() const { return messages_; }
    std::size_t messageCount(std::uint32_t msg) const;
    // Waits for the next message (after `from`) of a kind whose param1 matches (when given).
    bool waitMessage(std::uint32_t msg, std::optional<std::uint32_t> p1 = std::nullopt,
                     LineMessage* found = nullptr, std::size_t* from = nullptr);
    bool waitCallState(std::uint32_t state, std::uint32_t* mode = nullptr);
    // The last call handle announced (offering) or made.
    platform::HCALL hCall() const { return hCall_; }
    platform::HLINE hLine() const { return hLine_; }
    std::size_t mark() const { return messages_.size(); }
    std::size_t cursor = 0; // messages before this index are consumed

    // ---- status notices of the provider ----
    const std::vector<StatusNotice>& notices() const { return notices_; }

    // ---- audio ----
    // Opens the call's wave-in device with `seconds` one-second blocks and queues the first
    // `queued` of them (all when negative); queueCaptureBlock() queues the next one.
    bool startCapture(int seconds, int queued = -1);
    void queueCaptureBlock();
    int capturedBlocks() const { return blocksDone_; }
    std::size_t capturedSamples() const;
    // What the queued blocks hold so far (the capture goes on).
    std::vector<std::int16_t> capturedSoFar() const;
    // Resets the device and returns what was captured, in order.
    std::vector<std::int16_t> stopCapture();
    // Plays samples into the line and waits until the wave device says they are done.
    bool play(const std::vector<std::int16_t>& samples);
    // The same in two halves: start playing; later wait for the end and close the device.
    bool startPlay(const std::vector<std::int16_t>& samples);
    bool finishPlay();
    bool playing() const { return playOut_ != 0 && playDone_ == 0; }

    bool makeCall(const char* number);

private:
    void onMessage(std::uint32_t hDevice, std::uint32_t msg, std::uint32_t p1, std::uint32_t p2,
                   std::uint32_t p3);

    std::unique_ptr<platform::LineProvider>
    createProvider(const QString& argument, const platform::LineProviderContext& context, QString* error);

    std::unique_ptr<platform::EventService> events_;
    platform::VirtualEventService* virtual_ = nullptr;
    std::unique_ptr<modemsim::ModemSimulator> sim_;
    QString options_;
    std::function<void()> beforeOpen_;
    std::unique_ptr<platform::LinePlatform> platform_;
    platform::HLINEAPP app_ = 0;
    platform::HLINE hLine_ = 0;
    platform::HCALL hCall_ = 0;
    platform::HCALL madeCall_ = 0;
    std::vector<LineMessage> messages_;
    std::vector<StatusNotice> notices_;

    platform::HWAVEIN waveIn_ = 0;
    std::vector<std::vector<char>> blocks_;
    std::vector<platform::WAVEHDR> headers_;
    std::size_t headersQueued_ = 0;
    std::atomic<int> blocksDone_{0};
    std::atomic<int> playDone_{0};
    platform::HWAVEOUT playOut_ = 0;
    std::vector<std::int16_t> playData_;
    platform::WAVEHDR playHeader_{};
};

// 8 kHz 16-bit speech of the given length (espeak-ng, resampled with sox), led by a full-range
// sweep so every byte value (0x10 included) occurs in every sample format.
std::vector<std::int16_t> speechSamples(int seconds);
// Index of needle inside hay, or -1.
qsizetype findSamples(const std::vector<std::int16_t>& hay, const std::vector<std::int16_t>& needle);
// Where needle's start appears in hay and where the two first part, for a failure message.
std::string describeMismatch(const std::vector<std::int16_t>& hay, const std::vector<std::int16_t>& needle);

} // namespace qlnrec::test
