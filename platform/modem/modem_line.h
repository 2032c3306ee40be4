#pragma once
// One voice modem as a line device: set-up from the modem's own answers, rings and caller ID,
// answering, dialling, audio both ways through the line's wave devices, touch tones, beeps and
// hang-up notices, and a line that marks itself failed when the modem goes away and recovers
// when it returns.
//
// Everything here runs on the GUI thread; only the serial port has a thread of its own. The line
// talks to its modem through a byte link: the serial port named in the options, or any other
// link given (a simulated modem in virtual time).
#include "platform/core/event_service.h"
#include "platform/modem/modem_commands.h"
#include "platform/modem/modem_options.h"
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

namespace modem {
class ByteLink;
}

class ModemLine final : public LineDevice {
public:
    // Over the serial port options.port at options.baudRate.
    ModemLine(EventService& events, WaveService& wave, ModemLineOptions options,
              modem::ModemIdentity identity);
    ModemLine(EventService& events, WaveService& wave, ModemLineOptions options,
              modem::ModemIdentity identity, std::unique_ptr<modem::ByteLink> link);
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
        std::optional<bool> duplex;     // unknown until the first call
        QByteArray callerIdCommand;     // the command that enabled caller ID, empty when none did
        QByteArray hangUpReportCommand; // what enabled the far end's hang-up reports, empty: none
        QByteArray initCommand;         // the user initialisation command sent (with X3)
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

} // namespace qlnrec::platform
