#include "tests/platform/modem/modemsim/modem_simulator.h"

#include "platform/telephony/sim/wave_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace qlnrec::modemsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kDle = 0x10;

} // namespace

// Where the modem meets the program. The modem is used under the mutex only.
class ModemSimulator::Transport {
public:
    explicit Transport(SimFamily family) : modem(std::move(family)) {}
    virtual ~Transport() = default;

    virtual bool start(QString* error) = 0;
    // Runs fn on the modem's side, in order with the program's bytes.
    virtual void post(std::function<void()> fn) = 0;
    virtual void unplug() = 0;
    virtual bool plugIn(QString* error) = 0;
    virtual QString portPath() const { return {}; }
    virtual QString terminalPath() const { return {}; }
    virtual void attach(Wire) {}
    virtual void receive(const QByteArray&) {}

    mutable std::mutex mutex;
    SimModem modem;
    bool plugged = false;
    QByteArray vanishOn; // inside the process: pulled out on receiving a command starting so
};

namespace {

// ---------------------------------------------------------------------------- pseudo-terminal

// The modem on a thread of its own behind a pseudo-terminal, in real time.
class PtyTransport final : public ModemSimulator::Transport {
public:
    PtyTransport(SimFamily family, QString link) : Transport(std::move(family)), linkPath(std::move(link)) {}
    ~PtyTransport() override { stop(); }

    QString portPath() const override { return linkPath; }
    QString terminalPath() const override
    {
        std::lock_guard lock(mutex);
        return terminal;
    }

    void unplug() override
    {
        closeTerminal();
        wake();
    }

    bool plugIn(QString* error) override
    {
        const bool ok = openTerminal(error);
        wake();
        return ok;
    }

    std::uint64_t nowMs() const
    {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count());
    }

    // ------------------------------------------------------------------ thread and terminal
    bool start(QString* error) override
    {
        if (linkPath.isEmpty()) {
            tempDir = std::make_unique<QTemporaryDir>();
            linkPath = tempDir->path() + QStringLiteral("/ttyMODEM0");
        }
        if (pipe(wakePipe) != 0) {
            if (error) {
                *error = QStringLiteral("pipe failed");
            }
            return false;
        }
        fcntl(wakePipe[0], F_SETFL, O_NONBLOCK);
        fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
        if (!openTerminal(error)) {
            return false;
        }
        running = true;
        thread = std::thread([this] { loop(); });
        return true;
    }

    void stop()
    {
        if (running) {
            {
                std::lock_guard lock(mutex);
                running = false;
            }
            wake();
            thread.join();
        }
        closeTerminal();
        for (int& fd : wakePipe) {
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
        }
        if (!linkPath.isEmpty()) {
            QFile::remove(linkPath);
        }
    }

    bool openTerminal(QString* error)
    {
        int m = -1;
        int s = -1;
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&m, &s, name, &raw, nullptr) != 0) {
            if (error) {
                *error =
                    QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            }
            return false;
        }
        fcntl(m, F_SETFL, O_NONBLOCK);
        {
            std::lock_guard lock(mutex);
            master = m;
            spareSlave = s; // kept open so the master never sees a hang-up while the program reopens
            terminal = QString::fromLocal8Bit(name);
            plugged = true;
            modem.powerOn();
        }
        // Point the link at the new terminal in one step.
        const QByteArray tmp = QFile::encodeName(linkPath + QStringLiteral(".new"));
        ::unlink(tmp.constData());
        if (::symlink(name, tmp.constData()) != 0 ||
            ::rename(tmp.constData(), QFile::encodeName(linkPath).constData()) != 0) {
            if (error) {
                *error = QStringLiteral("cannot link %1").arg(linkPath);
            }
            return false;
        }
        return true;
    }

    void closeTerminal()
    {
        std::lock_guard lock(mutex);
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
        if (spareSlave >= 0) {
            ::close(spareSlave);
            spareSlave = -1;
        }
        plugged = false;
        modem.pullOut();
    }

    void wake()
    {
        if (wakePipe[1] >= 0) {
            const char c = 1;
            [[maybe_unused]] const auto n = ::write(wakePipe[1], &c, 1);
        }
    }

    void post(std::function<void()> fn) override
    {
        {
            std::lock_guard lock(mutex);
            actions.push_back(std::move(fn));
        }
        wake();
    }

    void runActions()
    {
        std::deque<std::function<void()>> todo;
        {
            std::lock_guard lock(mutex);
            todo.swap(actions);
        }
        for (auto& fn : todo) {
            std::lock_guard lock(mutex);
            modem.advanceTo(nowMs());
            fn();
        }
    }

    void loop()
    {
        for (;;) {
            int fd = -1;
            bool wantOut = false;
            bool hasPending = false;
            {
                std::lock_guard lock(mutex);
                if (!running) {
                    return;
                }
            }
            runActions();
            {
                std::lock_guard lock(mutex);
                modem.advanceTo(nowMs());
                flushLocked();
                fd = master;
                hasPending = !modem.output().isEmpty();
                wantOut = hasPending && Clock::now() >= holdUntil;
            }
            pollfd fds[2];
            int n = 0;
            fds[n++] = {wakePipe[0], POLLIN, 0};
            if (fd >= 0) {
                fds[n++] = {fd, static_cast<short>(POLLIN | (wantOut ? POLLOUT : 0)), 0};
            }
            ::poll(fds, static_cast<nfds_t>(n), hasPending && !wantOut ? 2 : 5);
            if (fds[0].revents & POLLIN) {
                char buf[64];
                while (::read(wakePipe[0], buf, sizeof buf) > 0) {
                }
            }
            // What was posted before the program's bytes arrived applies to them.
            runActions();
            if (n > 1 && (fds[1].revents & POLLIN)) {
                char buf[4096];
                for (;;) {
                    const ssize_t got = ::read(fd, buf, sizeof buf);
                    if (got <= 0) {
                        break;
                    }
                    // Anything posted before these bytes were written applies to them.
                    runActions();
                    std::lock_guard lock(mutex);
                    if (fd != master) {
                        break;
                    }
                    modem.advanceTo(nowMs());
                    modem.input(QByteArray(buf, static_cast<qsizetype>(got)));
                }
            }
        }
    }

    void flushLocked()
    {
        const auto now = Clock::now();
        if (now < holdUntil) {
            return;
        }
        while (master >= 0 && !modem.output().isEmpty()) {
            // Writes of varying size, now and then ending right after a <DLE> with a short pause,
            // so the program sees codes split across its reads.
            qsizetype chunk =
                std::min<qsizetype>(modem.output().size(), 64 + QRandomGenerator::global()->bounded(900));
            bool pause = false;
            const qsizetype dle = modem.output().left(chunk).indexOf(kDle);
            if (splitAtDle && dle >= 0 && now - lastSplit > std::chrono::milliseconds(40) &&
                QRandomGenerator::global()->bounded(4) == 0) {
                chunk = dle + 1;
                pause = true;
            }
            const ssize_t written =
                ::write(master, modem.output().constData(), static_cast<std::size_t>(chunk));
            if (written <= 0) {
                return;
            }
            modem.output().remove(0, written);
            if (pause && written == chunk) {
                ++splitsMade;
                lastSplit = now;
                holdUntil = now + std::chrono::milliseconds(3);
                return;
            }
        }
    }

    Clock::time_point started = Clock::now();
    QString linkPath;
    std::unique_ptr<QTemporaryDir> tempDir;
    std::thread thread;
    bool running = false;
    int wakePipe[2] = {-1, -1};
    int master = -1;
    int spareSlave = -1;
    QString terminal;
    bool splitAtDle = true;
    Clock::time_point holdUntil;
    Clock::time_point lastSplit;
    std::uint64_t splitsMade = 0;
    std::deque<std::function<void()>> actions;
};

// ---------------------------------------------------------------------------- in the process

// The modem inside the process: the program's bytes arrive through receive(), the modem's leave
// through the wire in pieces of varying size (some ending right after a <DLE>, so the program
// sees codes split across its reads), and the clock is the event service's.
class InProcessTransport final : public ModemSimulator::Transport {
public:
    static constexpr std::uint32_t kTickMs = 5;

    InProcessTransport(SimFamily family, platform::EventService& events)
        : Transport(std::move(family)), events_(events), last_(events.timeGetTime()),
          tick_(events, kTickMs, [this] {
              std::lock_guard lock(mutex);
              modem.advanceTo(nowMs());
              vanishIfAsked();
              flush();
          })
    {
    }

    bool start(QString*) override
    {
        std::lock_guard lock(mutex);
        plugged = true;
        modem.powerOn();
        modem.advanceTo(nowMs());
        tick_.setEnabled(true);
        return true;
    }

    void post(std::function<void()> fn) override
    {
        std::lock_guard lock(mutex);
        modem.advanceTo(nowMs());
        fn();
        flush();
    }

    QString portPath() const override { return QStringLiteral("in-process/") + modem.family().name; }

    void attach(ModemSimulator::Wire wire) override
    {
        std::lock_guard lock(mutex);
        wire_ = std::move(wire);
    }

    void receive(const QByteArray& bytes) override
    {
        std::lock_guard lock(mutex);
        if (!plugged) {
            return;
        }
        modem.advanceTo(nowMs());
        modem.input(bytes);
        vanishIfAsked();
        flush();
    }

    void unplug() override
    {
        std::lock_guard lock(mutex);
        unplugLocked();
    }

    void unplugLocked()
    {
        plugged = false;
        modem.pullOut();
        if (wire_.presence) {
            wire_.presence(false);
        }
    }

    bool plugIn(QString*) override
    {
        std::lock_guard lock(mutex);
        plugged = true;
        modem.powerOn();
        if (wire_.presence) {
            wire_.presence(true);
        }
        return true;
    }

private:
    void vanishIfAsked()
    {
        const QList<QByteArray> commands = modem.commands();
        const auto seen = static_cast<qsizetype>(commandsSeen_);
        commandsSeen_ = static_cast<std::size_t>(commands.size());
        if (!plugged || vanishOn.isEmpty()) {
            return;
        }
        for (qsizetype i = seen; i < commands.size(); ++i) {
            if (commands.at(i).toUpper().startsWith(vanishOn)) {
                vanishOn.clear();
                unplugLocked();
                return;
            }
        }
    }

    std::uint64_t nowMs()
    {
        const std::uint32_t t = events_.timeGetTime();
        elapsed_ += static_cast<std::uint32_t>(t - last_);
        last_ = t;
        return elapsed_;
    }

    void flush()
    {
        QByteArray& out = modem.output();
        if (!wire_.send) {
            out.clear();
            return;
        }
        while (!out.isEmpty()) {
            qsizetype chunk = std::min<qsizetype>(out.size(), 64 + rng_.bounded(900));
            const qsizetype dle = out.left(chunk).indexOf(kDle);
            if (dle >= 0 && rng_.bounded(4) == 0) {
                chunk = dle + 1;
            }
            const QByteArray piece = out.left(chunk);
            out.remove(0, chunk);
            wire_.send(piece);
        }
    }

    platform::EventService& events_;
    std::uint32_t last_;
    std::uint64_t elapsed_ = 0;
    QRandomGenerator rng_{20261207};
    std::size_t commandsSeen_ = 0;
    ModemSimulator::Wire wire_;
    platform::Timer tick_;
};

} // namespace

// ---------------------------------------------------------------------------- public

ModemSimulator::ModemSimulator(SimFamily family, QString linkPath)
    : family_(family), transport_(std::make_unique<PtyTransport>(std::move(family), std::move(linkPath)))
{
}

ModemSimulator::ModemSimulator(SimFamily family, platform::EventService& events)
    : family_(family), transport_(std::make_unique<InProcessTransport>(std::move(family), events))
{
}

ModemSimulator::~ModemSimulator() = default;

bool ModemSimulator::start(QString* error)
{
    return transport_->start(error);
}

QString ModemSimulator::portPath() const
{
    return transport_->portPath();
}

QString ModemSimulator::terminalPath() const
{
    return transport_->terminalPath();
}

void ModemSimulator::attach(Wire wire)
{
    transport_->attach(std::move(wire));
}

void ModemSimulator::receive(const QByteArray& bytes)
{
    transport_->receive(bytes);
}

void ModemSimulator::post(std::function<void()> fn)
{
    transport_->post(std::move(fn));
}

template <typename T> T ModemSimulator::read(T (SimModem::*query)() const) const
{
    std::lock_guard lock(transport_->mutex);
    return (transport_->modem.*query)();
}

void ModemSimulator::ring()
{
    post([this] { transport_->modem.ring(); });
}

void ModemSimulator::sendCallerId(const SimCallerId& id)
{
    post([this, id] { transport_->modem.sendCallerId(id); });
}

void ModemSimulator::setCallerIdStyle(SimFamily::CallerIdStyle style)
{
    post([this, style] { transport_->modem.setCallerIdStyle(style); });
}

void ModemSimulator::queueFarEndAudio(const std::vector<std::int16_t>& samples)
{
    post([this, samples] { transport_->modem.queueFarEndAudio(samples); });
}

bool ModemSimulator::queueFarEndWav(const QString& path, QString* error)
{
    std::vector<std::int16_t> samples;
    if (!qlnrec::platform::readWaveFileAs8kMono(path, samples, error)) {
        return false;
    }
    queueFarEndAudio(samples);
    return true;
}

void ModemSimulator::setAudioSpeed(double speed)
{
    post([this, speed] { transport_->modem.setAudioSpeed(speed); });
}

void ModemSimulator::setFillSilence(bool on)
{
    post([this, on] { transport_->modem.setFillSilence(on); });
}

void ModemSimulator::sendDtmf(const QByteArray& digits)
{
    post([this, digits] { transport_->modem.sendDtmf(digits); });
}

void ModemSimulator::sendNotice(char c)
{
    post([this, c] { transport_->modem.sendNotice(c); });
}

void ModemSimulator::setDialOutcome(const QByteArray& result, int delayMs)
{
    post([this, result, delayMs] { transport_->modem.setDialOutcome(result, delayMs); });
}

void ModemSimulator::setGarbage(bool on)
{
    post([this, on] { transport_->modem.setGarbage(on); });
}

void ModemSimulator::sendRaw(const QByteArray& bytes)
{
    post([this, bytes] { transport_->modem.sendRaw(bytes); });
}

void ModemSimulator::unplug()
{
    transport_->unplug();
}

bool ModemSimulator::plugIn(QString* error)
{
    return transport_->plugIn(error);
}

void ModemSimulator::setToneTimeScale(double scale)
{
    post([this, scale] { transport_->modem.setToneTimeScale(scale); });
}

void ModemSimulator::farEndHangsUp()
{
    post([this] { transport_->modem.farEndHangsUp(); });
}

void ModemSimulator::setExchangeAfterHangUp(char tone, int delayMs)
{
    post([this, tone, delayMs] { transport_->modem.setExchangeAfterHangUp(tone, delayMs); });
}

void ModemSimulator::setReplyDelay(int ms)
{
    post([this, ms] { transport_->modem.setReplyDelay(ms); });
}

void ModemSimulator::dropInReply(const QByteArray& commandPrefix, int index)
{
    post([this, commandPrefix, index] { transport_->modem.dropInReply(commandPrefix, index); });
}

void ModemSimulator::faultOnCommand(const QByteArray& commandPrefix, CommandFault fault, int amount,
                                    int times)
{
    post([this, commandPrefix, fault, amount, times] {
        transport_->modem.faultOnCommand(commandPrefix, fault, amount, times);
    });
}

void ModemSimulator::dropInNextCode(bool dle)
{
    post([this, dle] { transport_->modem.dropInNextCode(dle); });
}

void ModemSimulator::vanishOnCommand(const QByteArray& commandPrefix)
{
    std::lock_guard lock(transport_->mutex);
    transport_->vanishOn = commandPrefix.toUpper();
}

bool ModemSimulator::offHook() const
{
    return read(&SimModem::offHook);
}

bool ModemSimulator::voiceClass() const
{
    return read(&SimModem::voiceClass);
}

QString ModemSimulator::streamState() const
{
    return read(&SimModem::streamState);
}

SimFormat ModemSimulator::format() const
{
    return read(&SimModem::format);
}

int ModemSimulator::formatCode() const
{
    return read(&SimModem::formatCode);
}

QList<QByteArray> ModemSimulator::commands() const
{
    return read(&SimModem::commands);
}

bool ModemSimulator::sawCommand(const QByteArray& prefix) const
{
    std::lock_guard lock(transport_->mutex);
    return transport_->modem.sawCommand(prefix);
}

QList<QByteArray> ModemSimulator::dialled() const
{
    return read(&SimModem::dialled);
}

QList<QByteArray> ModemSimulator::tones() const
{
    return read(&SimModem::tones);
}

QByteArray ModemSimulator::transmittedBytes() const
{
    return read(&SimModem::transmittedBytes);
}

std::vector<std::int16_t> ModemSimulator::transmitted() const
{
    return read(&SimModem::transmitted);
}

void ModemSimulator::clearTransmitted()
{
    std::lock_guard lock(transport_->mutex);
    transport_->modem.clearTransmitted();
}

QByteArray ModemSimulator::farEndSentBytes() const
{
    return read(&SimModem::farEndSentBytes);
}

std::vector<std::int16_t> ModemSimulator::farEndSent() const
{
    return read(&SimModem::farEndSent);
}

std::size_t ModemSimulator::farEndSentSamples() const
{
    return read(&SimModem::farEndSentSamples);
}

bool ModemSimulator::farEndQueueEmpty() const
{
    return read(&SimModem::farEndQueueEmpty);
}

std::uint64_t ModemSimulator::dataDleSent() const
{
    return read(&SimModem::dataDleSent);
}

std::uint64_t ModemSimulator::compactDleSent() const
{
    return read(&SimModem::compactDleSent);
}

int ModemSimulator::streamsStarted() const
{
    return read(&SimModem::streamsStarted);
}

bool ModemSimulator::pluggedIn() const
{
    std::lock_guard lock(transport_->mutex);
    return transport_->plugged;
}

} // namespace qlnrec::modemsim
