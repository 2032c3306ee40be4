#pragma once
// One voice modem as a line device: set-up from the modem's own answers, rings and caller ID,
// answering, dialling, audio both ways through the line's wave devices, touch tones, beeps and
// hang-up notices, and a line that marks itself failed when the modem goes away and recovers
// when it returns.
//
// Everything here runs on the GUI thread; only the serial port has a thread of its own.
#include "platform/core/event_service.h"
#include "platform/modem/modem_probe.h"
#include "platform/modem/voice_format.h"
#include "platform/telephony/line_device.h"
#include "platform/wave/wave_service.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qlnrec::platform {

struct ModemLineOptions {
    QString port;
    int baudRate = 115200;
    // The user's own initialisation commands (without "AT"); X3 is appended unless present.
    QString userInit;
    // A sample format to prefer when the modem offers it (otherwise 16-bit linear, 8-bit
    // linear, mu-law, A-law in this order).
    std::optional<modem::SampleFormat> format;
    // Full duplex (+VTR) when the modem has it; otherwise receive and transmit take turns.
    bool duplex = true;
    // Without a new ring for this long an unanswered call is taken as abandoned. Longer than the
    // longest learned ring interval (13 s), so the program's own pick-up detection, which answers
    // when the rings stop, always comes first.
    std::uint32_t ringTimeoutMs = 14000;
    std::uint32_t commandTimeoutMs = 3000;
    std::uint32_t dialTimeoutMs = 90000;
    // While the modem is missing the port is tried this often.
    std::uint32_t recoveryPollMs = 3000;
    // Audio sent ahead of real time when a transmit stream starts.
    std::uint32_t transmitLeadMs = 100;
    int probeTimeoutMs = 600;
};

class ModemLine final : public LineDevice {
public:
    ModemLine(EventService& events, WaveService& wave, ModemLineOptions options,
              modem::ModemIdentity identity);
    ~ModemLine() override;
    ModemLine(const ModemLine&) = delete;
    ModemLine& operator=(const ModemLine&) = delete;

    const ModemLineOptions& options() const;
    const modem::ModemIdentity& identity() const;

    // Health notices (GUI thread): failed = true when the modem stopped working, false when it
    // works again, with a text for the status list.
    using StatusHandler = std::function<void(bool failed, const QString& text)>;
    void setStatusHandler(StatusHandler handler);
    bool failed() const;
    QString statusText() const;

    // What the set-up found (for diagnostics and tests).
    struct SetupInfo {
        bool ready = false;        // initialised and waiting for calls
        bool hashCommands = false; // the older "#" voice command set
        modem::SampleFormat format = modem::SampleFormat::Unsupported;
        int formatCode = -1;
        int lineLabel = -1;
        std::optional<bool> duplex; // unknown until the first call
        QByteArray callerIdCommand; // the command that enabled caller ID, empty when none did
        QByteArray initCommand;     // the user initialisation command sent (with X3)
    };
    SetupInfo setupInfo() const;

    // ---- LineDevice ----
    LineDeviceCaps caps() const override;
    std::optional<std::uint32_t> waveInId() const override;
    std::optional<std::uint32_t> waveOutId() const override;
    std::int32_t open(LineDeviceEvents* events) override;
    void close() override;
    void answer(std::uint32_t callId, LineCompletion done) override;
    void hangUp(std::uint32_t callId, LineCompletion done) override;
    void dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done) override;
    std::int32_t monitorDigits(std::uint32_t callId, bool enable) override;
    std::int32_t generateDigits(std::uint32_t callId, const QByteArray& digits,
                                std::uint32_t durationMs) override;
    std::int32_t generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                              std::uint32_t durationMs) override;
    void cancelGenerate(std::uint32_t callId) override;

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
    std::uint32_t waveInId_ = 0;
    std::uint32_t waveOutId_ = 0;
};

namespace modem {
// The user's initialisation commands as one command line with X3 (result codes with busy
// detection) appended unless they already contain it: "M0" gives "ATM0X3", "" gives "ATX3",
// "+VSD=128,50" gives "AT+VSD=128,50;X3". Anything that is not printable ASCII is removed.
QByteArray initCommandWithX3(const QString& userInit);
// A dial string the modem accepts: digits, * # A-D, pauses and modifiers (T P W ! @ ,); blanks,
// dashes, brackets and everything else removed. Empty when no digit is left.
QByteArray sanitizeDialString(const QByteArray& address);
// The +VTS argument for a tone ("[f1,f2,d]" items, d in the modem's time unit) and for digits.
QByteArray toneArgument(const std::vector<std::uint32_t>& frequenciesHz, std::uint32_t durationMs,
                        std::uint32_t unitMs);
QByteArray digitsArgument(const QByteArray& digits, std::uint32_t unitMs);
} // namespace modem

} // namespace qlnrec::platform
