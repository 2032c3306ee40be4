#include "tests/platform/modem/modem_test_rig.h"

#include "platform/core/qt_event_service.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <map>

namespace qlnrec::test {

using namespace qlnrec::platform;

bool waitFor(const std::function<bool()>& pred, int hangGuardMs)
{
    QElapsedTimer guard;
    guard.start();
    while (!pred()) {
        if (guard.elapsed() > hangGuardMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

ModemRig::ModemRig(modemsim::SimFamily family, QString options, SimLink link) : options_(std::move(options))
{
    if (link == SimLink::Pty) {
        events_ = std::make_unique<QtEventService>();
        sim_ = std::make_unique<modemsim::ModemSimulator>(std::move(family));
    } else {
        auto events = std::make_unique<VirtualEventService>();
        virtual_ = events.get();
        events_ = std::move(events);
        sim_ = std::make_unique<modemsim::ModemSimulator>(std::move(family), *events_);
    }
}

ModemRig::~ModemRig()
{
    if (virtual_) {
        sim_->attach({}); // the link goes with the platform
    }
    if (platform_) {
        if (waveIn_) {
            wave().waveInReset(waveIn_);
            for (auto& h : headers_) {
                wave().waveInUnprepareHeader(waveIn_, &h, sizeof(WAVEHDR));
            }
            wave().waveInClose(waveIn_);
        }
        if (hLine_) {
            tapi().lineClose(hLine_);
        }
        if (app_) {
            tapi().lineShutdown(app_);
        }
        platform_.reset();
    }
}

ModemLine& ModemRig::line()
{
    return static_cast<ModemProvider*>(platform_->providers().front().get())->line(0);
}

bool ModemRig::waitFor(const std::function<bool()>& pred)
{
    if (virtual_) {
        return runVirtualTime(*virtual_, pred, 10 * 60 * 1000);
    }
    return test::waitFor(pred);
}

void ModemRig::advance(std::uint64_t ms)
{
    if (virtual_) {
        virtual_->advance(ms);
    }
}

// The "modem" provider over an in-process link to the simulator, which the probe questioned
// first as it questions a serial port.
std::unique_ptr<LineProvider> ModemRig::createProvider(const QString& argument,
                                                       const LineProviderContext& context, QString* error)
{
    ModemLineOptions options;
    if (!parseModemArgument(argument, &options, nullptr, error)) {
        return nullptr;
    }
    options.port = sim_->portPath();
    modem::ModemIdentity identity;
    identity.port = options.port;
    const auto ask = [this](const QByteArray& command) {
        modem::ProbeAnswer answer(command);
        sim_->attach({[&answer](const QByteArray& bytes) { answer.feed(bytes); }, {}});
        sim_->receive(command + '\r');
        sim_->attach({});
        return answer.reply();
    };
    identity.answered = sim_->pluggedIn() && ask("AT").ok();
    if (identity.answered) {
        modem::readIdentity(identity, ask);
    } else {
        identity.voice = true; // named explicitly: taken for a voice modem not there yet
    }
    if (beforeOpen_) {
        beforeOpen_();
    }
    std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems;
    modems.emplace_back(options, identity);
    return std::make_unique<ModemProvider>(context, std::move(modems), [this](const ModemLineOptions&) {
        auto link = std::make_unique<modem::InProcessLink>(*events_);
        modem::InProcessLink* l = link.get();
        l->setReceiver([this](const QByteArray& bytes) { sim_->receive(bytes); });
        l->setPresent(sim_->pluggedIn());
        sim_->attach({[l](const QByteArray& bytes) { l->send(bytes); },
                      [l](bool present) { l->setPresent(present); }});
        return link;
    });
}

bool ModemRig::start(QString* error, bool modemPresent)
{
    if (!sim_->start(error)) {
        return false;
    }
    if (!modemPresent) {
        sim_->unplug();
    }
    WaveServiceOptions waveOptions;
    waveOptions.useSoundCard = false;
    if (virtual_) {
        LineProviderRegistry::instance().add(
            QStringLiteral("modemsim"),
            [this](const QString& argument, const LineProviderContext& context, QString* problem) {
                return createProvider(argument, context, problem);
            });
        platform_ =
            LinePlatform::create(*events_, QStringLiteral("modemsim:") + options_, error, waveOptions);
    } else {
        registerModemProviders();
        if (beforeOpen_) {
            beforeOpen_();
        }
        platform_ = LinePlatform::create(*events_, QStringLiteral("modem:") + sim_->portPath() + options_,
                                         error, waveOptions);
    }
    if (!platform_) {
        return false;
    }
    platform_->providers().front()->setStatusListener([this](LineDevice*, bool failed, const QString& text) {
        notices_.push_back({failed, text});
    });
    std::uint32_t devices = 0;
    if (tapi().lineInitialize(
            &app_, 0,
            [this](std::uint32_t h, std::uint32_t m, std::uint32_t, std::uint32_t a, std::uint32_t b,
                   std::uint32_t c) { onMessage(h, m, a, b, c); },
            "modem test", &devices) != 0 ||
        devices != 1) {
        *error = QStringLiteral("lineInitialize failed");
        return false;
    }
    std::uint32_t version = 0;
    LINEEXTENSIONID ext{};
    tapi().lineNegotiateAPIVersion(app_, 0, TAPI_VERSION_1_3, TAPI_VERSION_3_0, &version, &ext);
    const LONG r =
        tapi().lineOpen(app_, 0, &hLine_, version, 0, 0, LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER,
                        LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
    if (r != 0) {
        *error = QStringLiteral("lineOpen failed: %1").arg(static_cast<std::uint32_t>(r), 0, 16);
        return false;
    }
    tapi().lineSetStatusMessages(hLine_, LINEDEVSTATE_RINGING, 0);
    if (!waitFor([this] { return line().setupInfo().ready || line().failed(); })) {
        *error = QStringLiteral("the modem was never ready");
        return false;
    }
    if (!modemPresent) {
        return line().failed();
    }
    if (line().failed()) {
        *error = QStringLiteral("the line failed: %1").arg(line().statusText());
        return false;
    }
    return true;
}

void ModemRig::onMessage(std::uint32_t hDevice, std::uint32_t msg, std::uint32_t p1, std::uint32_t p2,
                         std::uint32_t p3)
{
    messages_.push_back({hDevice, msg, 0, p1, p2, p3, 0});
    if (msg == LINE_CALLSTATE && p1 == LINECALLSTATE_OFFERING) {
        hCall_ = hDevice;
    }
}

std::size_t ModemRig::messageCount(std::uint32_t msg) const
{
    return static_cast<std::size_t>(std::count_if(messages_.begin(), messages_.end(),
                                                  [msg](const LineMessage& m) { return m.msg == msg; }));
}

bool ModemRig::waitMessage(std::uint32_t msg, std::optional<std::uint32_t> p1, LineMessage* found,
                           std::size_t* from)
{
    std::size_t& start = from ? *from : cursor;
    const bool ok = waitFor([&] {
        for (std::size_t i = start; i < messages_.size(); ++i) {
            const LineMessage& m = messages_[i];
            if (m.msg == msg && (!p1 || m.p1 == *p1)) {
                if (found) {
                    *found = m;
                }
                start = i + 1;
                return true;
            }
        }
        return false;
    });
    return ok;
}

bool ModemRig::waitCallState(std::uint32_t state, std::uint32_t* mode)
{
    LineMessage m{};
    if (!waitMessage(LINE_CALLSTATE, state, &m)) {
        return false;
    }
    if (mode) {
        *mode = m.p2;
    }
    return true;
}

bool ModemRig::startCapture(int seconds, int queued)
{
    VARSTRING* id = nullptr;
    std::vector<unsigned char> buffer(64, 0);
    setTapiDword(buffer.data(), 0, static_cast<std::uint32_t>(buffer.size()));
    id = reinterpret_cast<VARSTRING*>(buffer.data());
    if (tapi().lineGetID(hLine_, 0, hCall_, LINECALLSELECT_CALL, id, "wave/in") != 0) {
        return false;
    }
    const std::uint32_t device = tapiDword(buffer.data(), sizeof(VARSTRING));
    const WAVEFORMATEX format = pcm8kMono16();
    blocksDone_ = 0;
    if (wave().waveInOpen(
            &waveIn_, device, &format,
            [this](std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t) {
                if (msg == MM_WIM_DATA) {
                    ++blocksDone_;
                }
            },
            0, CALLBACK_FUNCTION | WAVE_MAPPED) != MMSYSERR_NOERROR) {
        return false;
    }
    blocks_.assign(static_cast<std::size_t>(seconds), std::vector<char>(16000, 0));
    headers_.assign(static_cast<std::size_t>(seconds), WAVEHDR{});
    headersQueued_ = 0;
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        headers_[i].lpData = blocks_[i].data();
        headers_[i].dwBufferLength = 16000;
        wave().waveInPrepareHeader(waveIn_, &headers_[i], sizeof(WAVEHDR));
        if (queued < 0 || static_cast<int>(i) < queued) {
            queueCaptureBlock();
        }
    }
    return wave().waveInStart(waveIn_) == MMSYSERR_NOERROR;
}

void ModemRig::queueCaptureBlock()
{
    if (headersQueued_ < headers_.size()) {
        wave().waveInAddBuffer(waveIn_, &headers_[headersQueued_], sizeof(WAVEHDR));
        ++headersQueued_;
    }
}

std::size_t ModemRig::capturedSamples() const
{
    std::size_t bytes = 0;
    for (const WAVEHDR& h : headers_) {
        bytes += h.dwBytesRecorded;
    }
    return bytes / 2;
}

std::vector<std::int16_t> ModemRig::capturedSoFar() const
{
    std::vector<std::int16_t> samples;
    for (const WAVEHDR& h : headers_) {
        const auto* p = reinterpret_cast<const std::int16_t*>(h.lpData);
        samples.insert(samples.end(), p, p + h.dwBytesRecorded / 2);
    }
    return samples;
}

std::vector<std::int16_t> ModemRig::stopCapture()
{
    std::vector<std::int16_t> samples;
    if (!waveIn_) {
        return samples;
    }
    wave().waveInReset(waveIn_);
    for (WAVEHDR& h : headers_) {
        const auto* p = reinterpret_cast<const std::int16_t*>(h.lpData);
        samples.insert(samples.end(), p, p + h.dwBytesRecorded / 2);
        wave().waveInUnprepareHeader(waveIn_, &h, sizeof(WAVEHDR));
    }
    wave().waveInClose(waveIn_);
    waveIn_ = 0;
    return samples;
}

bool ModemRig::play(const std::vector<std::int16_t>& samples)
{
    return startPlay(samples) && finishPlay();
}

bool ModemRig::startPlay(const std::vector<std::int16_t>& samples)
{
    std::vector<unsigned char> buffer(64, 0);
    setTapiDword(buffer.data(), 0, static_cast<std::uint32_t>(buffer.size()));
    if (tapi().lineGetID(hLine_, 0, hCall_, LINECALLSELECT_CALL, reinterpret_cast<VARSTRING*>(buffer.data()),
                         "wave/out") != 0) {
        return false;
    }
    const std::uint32_t device = tapiDword(buffer.data(), sizeof(VARSTRING));
    const WAVEFORMATEX format = pcm8kMono16();
    playDone_ = 0;
    if (wave().waveOutOpen(
            &playOut_, device, &format,
            [this](std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t) {
                if (msg == MM_WOM_DONE) {
                    ++playDone_;
                }
            },
            0, CALLBACK_FUNCTION | WAVE_MAPPED) != MMSYSERR_NOERROR) {
        playOut_ = 0;
        return false;
    }
    playData_ = samples;
    playHeader_ = WAVEHDR{};
    playHeader_.lpData = reinterpret_cast<char*>(playData_.data());
    playHeader_.dwBufferLength = static_cast<std::uint32_t>(playData_.size() * 2);
    wave().waveOutPrepareHeader(playOut_, &playHeader_, sizeof playHeader_);
    return wave().waveOutWrite(playOut_, &playHeader_, sizeof playHeader_) == MMSYSERR_NOERROR;
}

bool ModemRig::finishPlay()
{
    if (!playOut_) {
        return false;
    }
    const bool done = waitFor([this] { return playDone_ > 0; });
    wave().waveOutUnprepareHeader(playOut_, &playHeader_, sizeof playHeader_);
    wave().waveOutClose(playOut_);
    playOut_ = 0;
    return done;
}

bool ModemRig::makeCall(const char* number)
{
    HCALL call = 0;
    const LONG request = tapi().lineMakeCall(hLine_, &call, number, 0, nullptr);
    if (request <= 0) {
        return false;
    }
    LineMessage reply{};
    if (!waitMessage(LINE_REPLY, static_cast<std::uint32_t>(request), &reply) || reply.p2 != 0) {
        return false;
    }
    hCall_ = call;
    return call != 0;
}

std::vector<std::int16_t> speechSamples(int seconds)
{
    static std::map<int, std::vector<std::int16_t>> cache;
    if (auto it = cache.find(seconds); it != cache.end()) {
        return it->second;
    }
    std::vector<std::int16_t> samples;
    // A sweep over the whole range: every byte value appears in every format.
    for (int v = -32768; v < 32768; v += 29) {
        samples.push_back(static_cast<std::int16_t>(v));
    }
    const std::size_t wanted = static_cast<std::size_t>(seconds) * 8000;
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("speech.wav"));
    const QString raw = dir.filePath(QStringLiteral("speech.raw"));
    const QString text = QStringLiteral(
        "Hello, this is a test call for the answering machine. Please leave your message after the tone. "
        "The quick brown fox jumps over the lazy dog, and the five boxing wizards jump quickly. "
        "One two three four five six seven eight nine ten. ");
    bool spoken = false;
    if (haveCommand(QStringLiteral("espeak-ng")) && haveCommand(QStringLiteral("sox"))) {
        int rc = -1;
        runCommand(QStringLiteral("espeak-ng -s 170 -w '%1' '%2%2%2%2'").arg(wav, text), &rc);
        if (rc == 0) {
            runCommand(QStringLiteral(
                           "sox '%1' -r 8000 -c 1 -b 16 -e signed-integer -t raw -L '%2' pad 0 %3 trim 0 %3")
                           .arg(wav, raw)
                           .arg(seconds),
                       &rc);
            const QByteArray bytes = readFile(raw);
            if (rc == 0 && bytes.size() >= 2) {
                const auto* p = reinterpret_cast<const std::int16_t*>(bytes.constData());
                samples.insert(samples.end(), p, p + bytes.size() / 2);
                spoken = true;
            }
        }
    }
    if (!spoken) {
        // Without the speech tools: a warbling two-tone signal of the same length.
        for (std::size_t i = 0; samples.size() < wanted; ++i) {
            const double t = static_cast<double>(i) / 8000.0;
            const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 3 * t);
            samples.push_back(static_cast<std::int16_t>(
                12000 * envelope * (std::sin(2 * M_PI * 440 * t) + 0.5 * std::sin(2 * M_PI * 1250 * t))));
        }
    }
    if (samples.size() > wanted + 4096) {
        samples.resize(wanted + 4096);
    }
    cache[seconds] = samples;
    return samples;
}

qsizetype findSamples(const std::vector<std::int16_t>& hay, const std::vector<std::int16_t>& needle)
{
    if (needle.empty()) {
        return 0;
    }
    const auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? -1 : static_cast<qsizetype>(it - hay.begin());
}

} // namespace qlnrec::test

namespace qlnrec::test {

std::string describeMismatch(const std::vector<std::int16_t>& hay, const std::vector<std::int16_t>& needle)
{
    const std::size_t probe = std::min<std::size_t>(needle.size(), 256);
    const std::vector<std::int16_t> head(needle.begin(), needle.begin() + static_cast<long>(probe));
    const qsizetype start = findSamples(hay, head);
    if (start < 0) {
        return "the first " + std::to_string(probe) + " samples never appear (" + std::to_string(hay.size()) +
               " captured)";
    }
    for (std::size_t i = 0; i < needle.size(); ++i) {
        const std::size_t at = static_cast<std::size_t>(start) + i;
        if (at >= hay.size()) {
            return "found at " + std::to_string(start) + ", but only " + std::to_string(i) + " of " +
                   std::to_string(needle.size()) + " samples follow";
        }
        if (hay[at] != needle[i]) {
            std::string around;
            for (std::size_t k = i >= 3 ? i - 3 : 0; k < std::min(needle.size(), i + 4); ++k) {
                around += " " + std::to_string(needle[k]) + "/" +
                          (static_cast<std::size_t>(start) + k < hay.size()
                               ? std::to_string(hay[static_cast<std::size_t>(start) + k])
                               : std::string("-"));
            }
            return "found at " + std::to_string(start) + "; sample " + std::to_string(i) +
                   " differs (sent/captured:" + around + ")";
        }
    }
    return "equal";
}

} // namespace qlnrec::test
