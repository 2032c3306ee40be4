#include "platform/modem/modem_line.h"

#include "platform/modem/modem_audio.h"
#include "platform/modem/modem_call.h"
#include "platform/modem/modem_commander.h"
#include "platform/modem/modem_events.h"
#include "platform/modem/modem_recovery.h"
#include "platform/modem/modem_setup.h"
#include "platform/modem/modem_trace.h"
#include "platform/modem/serial_link.h"
#include "platform/telephony/tapi_types.h"

#include <cstdio>

namespace qlnrec::platform {

using modem::ByteLink;

// Wires the parts of a modem line together: the link and the commands over it, the set-up, the
// decoder of what the modem says, the calls, the audio and the recovery; and opens, closes and
// fails the line as a whole.
class ModemLine::Impl final : public modem::ModemEventDecoder::Target,
                              public std::enable_shared_from_this<Impl> {
public:
    Impl(EventService& events, ModemLineOptions options, modem::ModemIdentity identity,
         std::unique_ptr<ByteLink> byteLink)
        : opt(std::move(options)), identity(std::move(identity)), name(this->identity.displayName()),
          link(std::move(byteLink)), decoder(events, *this, this->identity.isUsRobotics(), opt.port),
          commander(events, *link, decoder, opt.port),
          setup(events, commander, opt, this->identity.hashVoice && !this->identity.voice,
                [this] { return link->fitsWideAudio(); }),
          streams(events, commander, setup, opt,
                  {[this] { return call.connected(); }, [this] { return call.offHook(); },
                   [this] { return call.active(); }, [this] { return recovery.failed(); }}),
          call(events, commander, setup, streams, decoder, opt,
               {[this] { return opened; }, [this] { return recovery.failed(); }}),
          recovery(events, commander, opt.recoveryPollMs, name,
                   {[this] { return reopen(); },
                    [this](modem::ModemSetup::Done done) { setUp(std::move(done)); },
                    [this] { abandonAttempt(); }, [this](const QString& reason) { fail(reason); }})
    {
        commander.setFailureHandler([this](const QString& reason) { fail(reason); });
    }

    ~Impl() { shutDown(); }

    // ---------------------------------------------------------------- link
    ByteLink::OpenResult openLink(QString* error)
    {
        std::weak_ptr<Impl> weak = weak_from_this();
        ByteLink::Handlers h;
        h.data = [weak](const QByteArray& bytes) {
            if (auto self = weak.lock(); self && self->opened) {
                self->commander.feed(bytes);
            }
        };
        h.lost = [weak](const QString& text) {
            if (auto self = weak.lock()) {
                self->onLinkLost(text);
            }
        };
        return link->open(std::move(h), error);
    }

    void onLinkLost(const QString& text)
    {
        if (!opened) {
            return;
        }
        if (recovery.recovering()) {
            recovery.attemptFailed();
            return;
        }
        fail(QStringLiteral("port error: %1").arg(text));
    }

    // ---------------------------------------------------------------- open / close
    std::int32_t open(LineDeviceEvents* listener)
    {
        if (opened) {
            return LINEERR_ALLOCATED;
        }
        call.setListener(listener);
        opened = true;
        recovery.stop();
        QString error;
        const ByteLink::OpenResult r = openLink(&error);
        if (r == ByteLink::OpenResult::Busy) {
            call.setListener(nullptr);
            opened = false;
            std::fprintf(stderr, "qlnrec: %s cannot be opened (%s)\n", qPrintable(opt.port),
                         qPrintable(error));
            return LINEERR_RESOURCEUNAVAIL;
        }
        if (r != ByteLink::OpenResult::Opened) {
            // Configured but not plugged in: the line waits for the modem.
            setup.setNotReady();
            recovery.announceFailure(
                QStringLiteral("%1 is not connected (%2); the line waits for it").arg(name, error));
            return 0;
        }
        commander.enqueue([this] {
            setUp([this](bool ok, const QString& why) {
                commander.opDone();
                if (!ok) {
                    fail(why);
                }
            });
        });
        return 0;
    }

    void setUp(modem::ModemSetup::Done done)
    {
        setup.run([this, done](bool ok, const QString& why) {
            if (ok) {
                recovery.setUpDone();
            }
            done(ok, why);
        });
    }

    void shutDown()
    {
        if (!opened) {
            return;
        }
        call.setListener(nullptr); // no events from here on
        opened = false;
        streams.stopTimers();
        decoder.clear();
        recovery.stop();
        setup.cancel(); // no retry of a set-up command may reach the closed port
        QList<QByteArray> farewell;
        if (link->isOpen()) {
            const bool hash = setup.settings().hashCommands;
            if (const QByteArray end = streams.farewell(); !end.isEmpty()) {
                farewell.append(end);
            }
            if (call.active()) {
                farewell.append(hash ? QByteArray("ATH\r") : QByteArray("AT+VLS=0\r"));
            }
            // Leave the modem in data mode, as other programs expect to find it.
            farewell.append(hash ? QByteArray("AT#CLS=0\r") : QByteArray("AT+FCLASS=0\r"));
        }
        link->close(farewell);
        commander.clear();
        call.closeQuietly();
        streams.forgetStream();
        setup.setNotReady();
    }

    // ---------------------------------------------------------------- failure and recovery
    void fail(const QString& reason)
    {
        if (!opened || recovery.failed()) {
            return;
        }
        recovery.setFailed();
        setup.setNotReady();
        commander.trace("failing: " + reason.toUtf8());
        link->close();
        streams.linkLost();
        commander.channel().reset();
        // Half a caller-ID packet or touch tone of the vanished modem must not leak into the
        // next call.
        decoder.clear();
        // What was waiting for the modem gets its answer now.
        commander.abandonRunning();
        setup.cancel();
        call.modemLost();
        recovery.announceFailure(
            QStringLiteral("%1 stopped working (%2); the line waits for it to come back").arg(name, reason));
        // Queued operations see the failure and complete at once.
        commander.resume();
    }

    bool reopen()
    {
        QString error;
        return opened && openLink(&error) == ByteLink::OpenResult::Opened;
    }

    void abandonAttempt()
    {
        setup.cancel();
        link->close();
        commander.channel().reset();
    }

    // ---------------------------------------------------------------- decoder target
    void ring() override { call.ring(); }
    void callerId(const CallerId& id) override { call.callerId(id); }
    void digit(char d) override { call.digit(d); }
    void ringback() override { call.ringback(); }
    void farEndGone(HangUpNotice notice) override { call.farEndGone(notice); }
    void audio(const char* data, std::size_t size) override { streams.received(data, size); }
    void streamEnded() override { streams.streamEnded(); }
    void garbage(const QByteArray& sample) override
    {
        commander.trace("garbage: " + modem::visible(sample));
        if (!setup.ready()) {
            setup.noteGarbage();
        }
        recovery.garbage(setup.ready());
    }
    bool streaming() const override { return streams.stream() != modem::StreamKind::None; }
    bool playing() const override { return streams.playing(); }

    // ---------------------------------------------------------------- wave devices
    bool startCapture(WaveCaptureSink* sink)
    {
        if (recovery.failed() || !opened) {
            return false;
        }
        return streams.startCapture(sink);
    }
    void stopCapture() { streams.stopCapture(); }
    bool startPlayback(WavePlaybackSource* source)
    {
        streams.startPlayback(source);
        return true;
    }
    void stopPlayback() { streams.stopPlayback(); }

    // ---------------------------------------------------------------- parts
    ModemLineOptions opt;
    modem::ModemIdentity identity;
    QString name;
    bool opened = false;
    std::unique_ptr<ByteLink> link;
    modem::ModemEventDecoder decoder;
    modem::ModemCommander commander;
    modem::ModemSetup setup;
    modem::ModemAudio streams;
    modem::ModemCall call;
    modem::ModemRecovery recovery;
};

// ---------------------------------------------------------------------------- wave devices

namespace {

class ModemWaveIn final : public WaveInDevice {
public:
    ModemWaveIn(std::weak_ptr<ModemLine::Impl> line, QString name)
        : line_(std::move(line)), name_(std::move(name))
    {
    }
    QString name() const override { return name_; }
    WAVEFORMATEX nativeFormat() const override { return pcm8kMono16(); }
    bool start(WaveCaptureSink* sink) override;
    void stop() override;

private:
    std::weak_ptr<ModemLine::Impl> line_;
    QString name_;
};

class ModemWaveOut final : public WaveOutDevice {
public:
    ModemWaveOut(std::weak_ptr<ModemLine::Impl> line, QString name)
        : line_(std::move(line)), name_(std::move(name))
    {
    }
    QString name() const override { return name_; }
    WAVEFORMATEX nativeFormat() const override { return pcm8kMono16(); }
    bool start(WavePlaybackSource* source) override;
    void stop() override;

private:
    std::weak_ptr<ModemLine::Impl> line_;
    QString name_;
};

} // namespace

bool ModemWaveIn::start(WaveCaptureSink* sink)
{
    auto line = line_.lock();
    return line && line->startCapture(sink);
}

void ModemWaveIn::stop()
{
    if (auto line = line_.lock()) {
        line->stopCapture();
    }
}

bool ModemWaveOut::start(WavePlaybackSource* source)
{
    auto line = line_.lock();
    return line && line->startPlayback(source);
}

void ModemWaveOut::stop()
{
    if (auto line = line_.lock()) {
        line->stopPlayback();
    }
}

// ---------------------------------------------------------------------------- ModemLine

ModemLine::ModemLine(EventService& events, WaveService& wave, ModemLineOptions options,
                     modem::ModemIdentity identity)
    : ModemLine(events, wave, options, std::move(identity),
                std::make_unique<modem::SerialLink>(events, options.port, options.baudRate))
{
}

ModemLine::ModemLine(EventService& events, WaveService& wave, ModemLineOptions options,
                     modem::ModemIdentity identity, std::unique_ptr<modem::ByteLink> link)
    : impl_(std::make_shared<Impl>(events, std::move(options), std::move(identity), std::move(link)))
{
    waveInId_ = wave.addInputDevice(std::make_shared<ModemWaveIn>(impl_, impl_->name));
    waveOutId_ = wave.addOutputDevice(std::make_shared<ModemWaveOut>(impl_, impl_->name));
}

ModemLine::~ModemLine()
{
    impl_->shutDown();
}

const ModemLineOptions& ModemLine::options() const
{
    return impl_->opt;
}

const modem::ModemIdentity& ModemLine::identity() const
{
    return impl_->identity;
}

void ModemLine::setStatusHandler(StatusHandler handler)
{
    impl_->recovery.setStatusHandler(std::move(handler));
}

bool ModemLine::failed() const
{
    return impl_->recovery.failed();
}

QString ModemLine::statusText() const
{
    return impl_->recovery.statusText();
}

ModemLine::SetupInfo ModemLine::setupInfo() const
{
    const modem::VoiceSettings& s = impl_->setup.settings();
    SetupInfo info;
    info.ready = impl_->setup.ready();
    info.hashCommands = s.hashCommands;
    info.format = s.format;
    info.formatCode = s.formatCode;
    info.lineLabel = s.lineLabel;
    info.duplex = impl_->streams.duplexSupported();
    info.callerIdCommand = s.callerIdCommand;
    info.hangUpReportCommand = s.hangUpReportCommand;
    info.initCommand = s.initCommand;
    return info;
}

LineDeviceCaps ModemLine::caps() const
{
    LineDeviceCaps caps;
    caps.name = impl_->name;
    const modem::ModemIdentity& id = impl_->identity;
    caps.providerInfo = id.hashVoice && !id.voice ? QStringLiteral("qlnrec voice modem (# commands)")
                                                  : QStringLiteral("qlnrec voice modem (ITU-T V.253)");
    caps.mediaModes = id.mediaModes();
    caps.permanentLineId = static_cast<std::uint32_t>(qHash(impl_->opt.port));
    caps.defaultDigitDurationMs = 100;
    return caps;
}

std::optional<std::uint32_t> ModemLine::waveInId() const
{
    return waveInId_;
}

std::optional<std::uint32_t> ModemLine::waveOutId() const
{
    return waveOutId_;
}

std::int32_t ModemLine::open(LineDeviceEvents* events)
{
    return impl_->open(events);
}

void ModemLine::close()
{
    impl_->shutDown();
}

void ModemLine::answer(std::uint32_t callId, LineCompletion done)
{
    impl_->call.answer(callId, std::move(done));
}

void ModemLine::hangUp(std::uint32_t callId, LineCompletion done)
{
    impl_->call.hangUp(callId, std::move(done));
}

void ModemLine::dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done)
{
    impl_->call.dial(address, callId, std::move(done));
}

std::int32_t ModemLine::monitorDigits(std::uint32_t callId, bool enable)
{
    return impl_->call.monitorDigits(callId, enable);
}

std::int32_t ModemLine::generateDigits(std::uint32_t callId, const QByteArray& digits,
                                       std::uint32_t durationMs)
{
    return impl_->call.generateDigits(callId, digits, durationMs);
}

std::int32_t ModemLine::generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                                     std::uint32_t durationMs)
{
    return impl_->call.generateTone(callId, frequenciesHz, durationMs);
}

void ModemLine::cancelGenerate(std::uint32_t callId)
{
    impl_->call.cancelGenerate(callId);
}

} // namespace qlnrec::platform
