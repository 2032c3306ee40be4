#include "tests/modem/modemsim/modem_simulator.h"

#include "platform/telephony/sim/wave_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
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
constexpr char kEtx = 0x03;
constexpr char kSub = 0x1A;
constexpr char kCan = 0x18;
constexpr std::size_t kMaxPending = 4u << 20;

enum class Mode { Command, Receive, Transmit, Duplex, Dialing };

} // namespace

class ModemSimulator::Impl {
public:
    explicit Impl(SimFamily fam, QString link) : family(std::move(fam)), linkPath(std::move(link)) {}

    ~Impl() { stop(); }

    // ------------------------------------------------------------------ thread and terminal
    bool start(QString* error)
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
            pending.clear();
            resetModem();
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
        pending.clear();
    }

    void wake()
    {
        if (wakePipe[1] >= 0) {
            const char c = 1;
            [[maybe_unused]] const auto n = ::write(wakePipe[1], &c, 1);
        }
    }

    void post(std::function<void()> fn)
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
                runDue();
                pumpAudio();
                flushLocked();
                fd = master;
                hasPending = !pending.isEmpty();
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
                    input(QByteArray(buf, static_cast<qsizetype>(got)));
                }
            }
        }
    }

    // ------------------------------------------------------------------ output
    void out(const QByteArray& bytes)
    {
        if (master < 0) {
            return;
        }
        if (static_cast<std::size_t>(pending.size()) + static_cast<std::size_t>(bytes.size()) > kMaxPending) {
            return; // nobody reads: the modem's buffer overflows
        }
        pending.append(bytes);
    }

    void result(const QByteArray& word) { out("\r\n" + word + "\r\n"); }

    void info(const QByteArray& line) { out("\r\n" + line + "\r\n"); }

    void code(char c) { out(QByteArray{} + kDle + c); }

    void flushLocked()
    {
        const auto now = Clock::now();
        if (now < holdUntil) {
            return;
        }
        while (master >= 0 && !pending.isEmpty()) {
            // Writes of varying size, now and then ending right after a <DLE> with a short pause,
            // so the program sees codes split across its reads.
            qsizetype chunk =
                std::min<qsizetype>(pending.size(), 64 + QRandomGenerator::global()->bounded(900));
            bool pause = false;
            const qsizetype dle = pending.left(chunk).indexOf(kDle);
            if (splitAtDle && dle >= 0 && now - lastSplit > std::chrono::milliseconds(40) &&
                QRandomGenerator::global()->bounded(4) == 0) {
                chunk = dle + 1;
                pause = true;
            }
            const ssize_t written = ::write(master, pending.constData(), static_cast<std::size_t>(chunk));
            if (written <= 0) {
                return;
            }
            pending.remove(0, written);
            if (pause && written == chunk) {
                ++splitsMade;
                lastSplit = now;
                holdUntil = now + std::chrono::milliseconds(3);
                return;
            }
        }
    }

    // ------------------------------------------------------------------ scheduling
    void after(int ms, std::function<void()> fn)
    {
        due.emplace(Clock::now() + std::chrono::milliseconds(ms), std::move(fn));
    }

    void runDue()
    {
        const auto now = Clock::now();
        while (!due.empty() && due.begin()->first <= now) {
            auto fn = std::move(due.begin()->second);
            due.erase(due.begin());
            fn();
        }
    }

    // ------------------------------------------------------------------ modem state
    void resetModem()
    {
        echo = true;
        voice = false;
        offHook = false;
        mode = Mode::Command;
        format = family.hashCommands ? SimFormat::Unsigned8 : SimFormat::Unsigned8;
        formatCode = family.hashCommands ? 8 : 1;
        lineBuffer.clear();
        dleEscape = false;
        due.clear();
        vtdUnits = 10;
    }

    bool isStreaming() const
    {
        return mode == Mode::Receive || mode == Mode::Transmit || mode == Mode::Duplex;
    }

    void input(const QByteArray& bytes)
    {
        for (const char c : bytes) {
            inputByte(c);
        }
    }

    void inputByte(char c)
    {
        if (mode == Mode::Dialing) {
            // Any character stops the dialling.
            mode = Mode::Command;
            offHook = false;
            due.clear();
            result("NO CARRIER");
            return;
        }
        if (isStreaming()) {
            streamByte(c);
            return;
        }
        if (dleEscape) {
            dleEscape = false; // codes in command state carry nothing here
            return;
        }
        if (c == kDle) {
            dleEscape = true;
            return;
        }
        if (c == '\r') {
            if (echo) {
                out(lineBuffer + '\r');
            }
            const QByteArray line = lineBuffer;
            lineBuffer.clear();
            execute(line);
            return;
        }
        if (c == '\n') {
            return;
        }
        if (lineBuffer.size() < 512) {
            lineBuffer.append(c);
        }
    }

    void streamByte(char c)
    {
        if (!dleEscape) {
            if (c == kDle) {
                dleEscape = true;
                return;
            }
            if (mode == Mode::Receive) {
                // "#" modems stop recording on any character.
                if (family.hashCommands && c != 0x11 && c != 0x13) {
                    endStream();
                }
                return;
            }
            transmitted.append(c);
            return;
        }
        dleEscape = false;
        switch (c) {
        case kDle:
            if (mode != Mode::Receive) {
                transmitted.append(kDle);
            }
            return;
        case kSub:
            if (mode != Mode::Receive) {
                transmitted.append(kDle).append(kDle);
            }
            return;
        case kEtx:
            if (mode == Mode::Transmit) {
                endStream();
            }
            return;
        case '!':
            if (mode == Mode::Receive || mode == Mode::Duplex) {
                endStream();
            }
            return;
        case '^':
            if (mode == Mode::Duplex) {
                endStream();
            }
            return;
        case kCan:
            return; // the transmit buffer is empty anyway
        default:
            return;
        }
    }

    void endStream()
    {
        const Mode was = mode;
        mode = Mode::Command;
        streamDleStarted = false;
        if (was == Mode::Transmit && !family.etxBeforeTransmitEnd) {
            result(family.streamEndResult);
            return;
        }
        code(kEtx);
        result(family.streamEndResult);
    }

    void startStream(Mode m)
    {
        mode = m;
        lastPump = Clock::now();
        audioCredit = 0;
        silenceCredit = 0;
        ++streams;
        result("CONNECT");
        if ((m == Mode::Transmit || m == Mode::Duplex) && family.underrunAtTransmitStart) {
            code('u');
        }
        if ((m == Mode::Transmit || m == Mode::Duplex) && family.spuriousDialToneInPlay) {
            after(60, [this] {
                if (mode == Mode::Transmit || mode == Mode::Duplex) {
                    code('d');
                }
            });
        }
    }

    void goOnHook()
    {
        offHook = false;
        if (isStreaming()) {
            mode = Mode::Command;
        }
    }

    // ------------------------------------------------------------------ commands
    void execute(const QByteArray& raw)
    {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) {
            return;
        }
        commands.append(line);
        if (garbage) {
            QByteArray junk;
            for (int i = 0; i < 40; ++i) {
                junk.append(static_cast<char>(QRandomGenerator::global()->bounded(256)));
            }
            junk.replace(kDle, QByteArray(1, '\x7f'));
            out(junk + "\r\n");
            return;
        }
        const QByteArray upper = line.toUpper();
        if (!upper.startsWith("AT")) {
            return;
        }
        QByteArray rest = line.mid(2);
        bool failed = false;
        QList<QByteArray> infoLines;
        std::function<void()> finish; // a command that answers on its own (stream, tone, dial)
        while (!rest.isEmpty() && !failed && !finish) {
            const char first = rest.at(0);
            if (first == ';') {
                rest.remove(0, 1);
                continue;
            }
            if (QByteArray("+#%*$-!").contains(first)) {
                const qsizetype end = rest.indexOf(';');
                const QByteArray cmd = end < 0 ? rest : rest.left(end);
                rest = end < 0 ? QByteArray() : rest.mid(end + 1);
                failed = !extended(cmd, infoLines, finish);
                continue;
            }
            failed = !basic(rest, infoLines, finish);
        }
        for (const QByteArray& l : infoLines) {
            info(l);
        }
        if (failed) {
            result("ERROR");
            return;
        }
        if (finish) {
            finish();
            return;
        }
        result("OK");
    }

    static int takeNumber(QByteArray& rest)
    {
        int v = 0;
        qsizetype i = 0;
        while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest.at(i)))) {
            v = v * 10 + (rest.at(i) - '0');
            ++i;
        }
        rest.remove(0, i);
        return v;
    }

    bool basic(QByteArray& rest, QList<QByteArray>& infoLines, std::function<void()>& finish)
    {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(rest.at(0))));
        rest.remove(0, 1);
        switch (letter) {
        case 'Z':
            takeNumber(rest);
            resetModem();
            return true;
        case 'E':
            echo = takeNumber(rest) != 0;
            return true;
        case 'V':
        case 'Q':
        case 'X':
        case 'M':
        case 'L':
            takeNumber(rest);
            return true;
        case 'S': {
            takeNumber(rest);
            if (!rest.isEmpty() && rest.at(0) == '=') {
                rest.remove(0, 1);
                takeNumber(rest);
            } else if (!rest.isEmpty() && rest.at(0) == '?') {
                rest.remove(0, 1);
                infoLines.append("000");
            }
            return true;
        }
        case '&':
            if (!rest.isEmpty()) {
                rest.remove(0, 1);
                takeNumber(rest);
            }
            return true;
        case 'I': {
            const bool numbered = !rest.isEmpty() && std::isdigit(static_cast<unsigned char>(rest.at(0)));
            const int n = takeNumber(rest);
            const QByteArray key = numbered ? "I" + QByteArray::number(n) : QByteArray("I");
            if (key == "I" && family.plainAtiRefused) {
                return false;
            }
            auto it = family.identification.find(key);
            if (it == family.identification.end() && key == "I0") {
                it = family.identification.find("I");
            }
            if (it == family.identification.end()) {
                return false;
            }
            infoLines += it->second;
            return true;
        }
        case 'H':
            takeNumber(rest);
            goOnHook();
            if (family.hangUpLeavesVoice) {
                voice = false;
            }
            return true;
        case 'A':
            if (!(family.hashCommands && voice)) {
                return false;
            }
            offHook = true;
            finish = [this] { result(family.answerResult); };
            return true;
        case 'D': {
            QByteArray number = rest;
            rest.clear();
            dialled.append(number);
            offHook = true;
            mode = Mode::Dialing;
            finish = [this] {
                const QByteArray outcome = dialOutcome;
                after(dialDelayMs / 2, [this] {
                    if (mode == Mode::Dialing) {
                        code('r');
                    }
                });
                after(dialDelayMs, [this, outcome] {
                    if (mode != Mode::Dialing) {
                        return;
                    }
                    mode = Mode::Command;
                    const bool answered = outcome.isEmpty() || outcome == "OK" || outcome == "VCON";
                    if (!answered) {
                        offHook = false;
                    }
                    result(outcome.isEmpty() ? family.dialResult : outcome);
                });
            };
            return true;
        }
        default:
            return false;
        }
    }

    bool extended(const QByteArray& cmdText, QList<QByteArray>& infoLines, std::function<void()>& finish)
    {
        const QByteArray cmd = cmdText.toUpper();
        // Identification.
        if (family.identification.count(cmd)) {
            infoLines += family.identification.at(cmd);
            return true;
        }
        if (cmd == "+FCLASS=?") {
            infoLines.append(family.classList);
            return true;
        }
        if (cmd == "+FCLASS?") {
            infoLines.append(voice ? "8" : "0");
            return true;
        }
        if (cmd.startsWith("+FCLASS=")) {
            const QByteArray v = cmd.mid(8);
            if (v == "8") {
                if (family.hashCommands || !family.voiceCapable) {
                    return false;
                }
                voice = true;
                return true;
            }
            voice = false;
            return v == "0" || v == "1" || v == "2";
        }
        if (cmd == "#CLS=?") {
            if (family.hashClassList.isEmpty()) {
                return false;
            }
            infoLines.append(family.hashClassList);
            return true;
        }
        if (cmd.startsWith("#CLS=")) {
            if (!family.hashCommands) {
                return false;
            }
            voice = cmd.mid(5) == "8";
            return true;
        }
        if (cmd == "+VCID=1" || cmd == "#CID=1" || cmd == "#CC1" || cmd == "%CCID=1" || cmd == "*ID1") {
            return cmd == family.callerIdCommand.toUpper();
        }
        if (family.hashCommands) {
            return hashCommand(cmd, infoLines, finish);
        }
        if (!cmd.startsWith("+V")) {
            return cmd.startsWith("+IFC") || cmd.startsWith("+GCI");
        }
        if (!voice) {
            return false; // voice commands need voice mode
        }
        if (cmd == "+VSM=?") {
            for (const SimMethod& m : family.methods) {
                infoLines.append(m.listing);
            }
            return true;
        }
        if (cmd.startsWith("+VSM=")) {
            const QList<QByteArray> args = cmd.mid(5).split(',');
            bool ok = false;
            const int c = args.value(0).toInt(&ok);
            if (!ok || args.size() < 2 || args.at(1).trimmed() != "8000") {
                return false;
            }
            for (const SimMethod& m : family.methods) {
                if (m.code == c && m.format != SimFormat::None) {
                    format = m.format;
                    formatCode = c;
                    return true;
                }
            }
            return false;
        }
        if (cmd == "+VLS=?") {
            infoLines += family.lineListing;
            return true;
        }
        if (cmd.startsWith("+VLS=")) {
            const int label = cmd.mid(5).toInt();
            if (label == 0) {
                goOnHook();
                return true;
            }
            if (label == family.lineLabel) {
                offHook = true;
                finish = [this] { result(family.answerResult); };
            }
            return true; // other labels select the handset or speaker: not the line
        }
        if (cmd == "+VRX") {
            if (!offHook) {
                return false;
            }
            finish = [this] { startStream(Mode::Receive); };
            return true;
        }
        if (cmd == "+VTX") {
            if (!offHook) {
                return false;
            }
            finish = [this] { startStream(Mode::Transmit); };
            return true;
        }
        if (cmd == "+VTR") {
            if (!offHook || !family.duplex) {
                return false;
            }
            finish = [this] { startStream(Mode::Duplex); };
            return true;
        }
        if (cmd.startsWith("+VTD=")) {
            vtdUnits = std::max(1, cmd.mid(5).toInt());
            return true;
        }
        if (cmd.startsWith("+VTS=")) {
            return tone(cmd.mid(5), finish);
        }
        return cmd.startsWith("+VIT") || cmd.startsWith("+VSD") || cmd.startsWith("+VGT") ||
               cmd.startsWith("+VGR") || cmd.startsWith("+VRA") || cmd.startsWith("+VRN") ||
               cmd.startsWith("+VNH") || cmd.startsWith("+VIP") || cmd.startsWith("+VDR");
    }

    bool hashCommand(const QByteArray& cmd, QList<QByteArray>&, std::function<void()>& finish)
    {
        if (!cmd.startsWith('#')) {
            return false;
        }
        if (!voice) {
            return false;
        }
        if (cmd.startsWith("#VBS=")) {
            const int bits = cmd.mid(5).toInt();
            if (bits == 8) {
                format = SimFormat::Unsigned8;
                formatCode = 8;
                return true;
            }
            if (bits == 16 && family.wide) {
                format = SimFormat::Signed16;
                formatCode = 16;
                return true;
            }
            return false;
        }
        if (cmd.startsWith("#VSR=")) {
            return cmd.mid(5) == "8000" || cmd.mid(5) == "7200";
        }
        if (cmd.startsWith("#VLS=")) {
            return true;
        }
        if (cmd == "#VRX" || cmd == "#VTX") {
            if (!offHook) {
                return false;
            }
            const Mode m = cmd == "#VRX" ? Mode::Receive : Mode::Transmit;
            finish = [this, m] { startStream(m); };
            return true;
        }
        if (cmd.startsWith("#VTS=")) {
            return tone(cmd.mid(5), finish);
        }
        return cmd.startsWith("#VTD") || cmd.startsWith("#VSD") || cmd.startsWith("#VRA") ||
               cmd.startsWith("#VRN") || cmd.startsWith("#BDR");
    }

    // +VTS / #VTS: digits last +VTD units each, [f1,f2,d] items d units.
    bool tone(const QByteArray& argument, std::function<void()>& finish)
    {
        tones.append(argument);
        int units = 0;
        qsizetype i = 0;
        while (i < argument.size()) {
            const char c = argument.at(i);
            if (c == '[' || c == '{') {
                const qsizetype end = argument.indexOf(c == '[' ? ']' : '}', i);
                if (end < 0) {
                    return false;
                }
                const QList<QByteArray> fields = argument.mid(i + 1, end - i - 1).split(',');
                units += fields.size() >= 3 ? fields.at(2).toInt() : vtdUnits;
                i = end + 1;
            } else if (c == ',') {
                ++i;
            } else {
                units += vtdUnits;
                ++i;
            }
        }
        const int ms = static_cast<int>(units * family.toneUnitMs * toneTimeScale);
        finish = [this, ms] { after(ms, [this] { result("OK"); }); };
        return true;
    }

    // ------------------------------------------------------------------ far end
    void ringNow()
    {
        if (voice && family.ringDle) {
            code('R');
        }
        if (!voice || family.ringText || !family.ringDle) {
            result("RING");
        }
    }

    void callerIdNow(const SimCallerId& id)
    {
        const bool spaced = family.callerIdStyle != SimFamily::CallerIdStyle::Unspaced;
        auto field = [&](const char* tag, const QByteArray& value) {
            if (!value.isEmpty()) {
                info(QByteArray(tag) + (spaced ? " = " : "=") + value);
            }
        };
        const bool framed = family.callerIdStyle == SimFamily::CallerIdStyle::Framed && voice;
        if (framed) {
            code('X');
        }
        field("DATE", id.date);
        field("TIME", id.time);
        if (framed) {
            // This chipset names the caller before the number.
            field("NAME", id.name);
            field("NMBR", id.number);
        } else {
            field("NMBR", id.number);
            if (family.duplicateNumber && !id.number.isEmpty()) {
                field("NMBR", "O");
            }
            field("NAME", id.name);
        }
        field("MESG", id.message);
        if (framed) {
            code('.');
        }
    }

    void dtmfNow(const QByteArray& digits)
    {
        int delay = 0;
        for (const char d : digits) {
            after(delay, [this, d] {
                switch (family.dtmfStyle) {
                case SimFamily::DtmfStyle::ShieldedRepeats:
                    code('/');
                    code(d);
                    after(70, [this, d] {
                        code(d);
                        after(70, [this, d] {
                            code(d);
                            code('~');
                        });
                    });
                    break;
                case SimFamily::DtmfStyle::Shielded:
                    code('/');
                    code(d);
                    code('~');
                    break;
                case SimFamily::DtmfStyle::Single:
                    code(d);
                    break;
                }
            });
            delay += 250;
        }
    }

    // Far-end audio while receiving: queued speech `speed` times faster than real time, silence
    // at real time between.
    void pumpAudio()
    {
        if (mode != Mode::Receive && mode != Mode::Duplex) {
            return;
        }
        const auto now = Clock::now();
        const double seconds = std::chrono::duration<double>(now - lastPump).count();
        if (seconds < 0.005) {
            return;
        }
        lastPump = now;
        QByteArray data;
        if (!farEndQueue.empty()) {
            audioCredit += seconds * 8000.0 * speed;
            std::size_t n = static_cast<std::size_t>(audioCredit);
            audioCredit -= static_cast<double>(n);
            n = std::min(n, farEndQueue.size());
            if (n > 0) {
                std::vector<std::int16_t> chunk(farEndQueue.begin(),
                                                farEndQueue.begin() + static_cast<long>(n));
                farEndQueue.erase(farEndQueue.begin(), farEndQueue.begin() + static_cast<long>(n));
                data = simEncode(format, chunk);
                farEndSent.append(data);
            }
            silenceCredit = 0;
        } else if (fillSilence) {
            silenceCredit += seconds * 8000.0;
            const auto n = static_cast<qsizetype>(silenceCredit);
            silenceCredit -= static_cast<double>(n);
            data = QByteArray(n * simBytesPerSample(format), static_cast<char>(simSilenceByte(format)));
        }
        if (data.isEmpty()) {
            return;
        }
        out(shield(data));
    }

    QByteArray shield(const QByteArray& data)
    {
        QByteArray s;
        s.reserve(data.size() + data.size() / 32);
        for (qsizetype i = 0; i < data.size(); ++i) {
            const char c = data.at(i);
            if (c != kDle) {
                s.append(c);
                continue;
            }
            ++dataDle;
            if (family.compactDoubleDle && i + 1 < data.size() && data.at(i + 1) == kDle) {
                s.append(kDle).append(kSub);
                ++dataDle;
                ++compactDle;
                ++i;
                continue;
            }
            s.append(kDle).append(kDle);
        }
        return s;
    }

    // ------------------------------------------------------------------ state
    SimFamily family;
    QString linkPath;
    std::unique_ptr<QTemporaryDir> tempDir;
    mutable std::mutex mutex;
    std::thread thread;
    bool running = false;
    int wakePipe[2] = {-1, -1};
    int master = -1;
    int spareSlave = -1;
    QString terminal;
    bool plugged = false;
    QByteArray pending;
    bool splitAtDle = true;
    Clock::time_point holdUntil;
    Clock::time_point lastSplit;
    std::uint64_t splitsMade = 0;
    std::deque<std::function<void()>> actions;
    std::multimap<Clock::time_point, std::function<void()>> due;

    bool echo = true;
    bool voice = false;
    bool offHook = false;
    Mode mode = Mode::Command;
    SimFormat format = SimFormat::Unsigned8;
    int formatCode = 1;
    QByteArray lineBuffer;
    bool dleEscape = false;
    bool streamDleStarted = false;
    int vtdUnits = 10;
    bool garbage = false;
    QByteArray dialOutcome;
    int dialDelayMs = 300;
    double toneTimeScale = 0.2;

    std::vector<std::int16_t> farEndQueue;
    double speed = 10.0;
    bool fillSilence = true;
    Clock::time_point lastPump;
    double audioCredit = 0;
    double silenceCredit = 0;

    QList<QByteArray> commands;
    QList<QByteArray> dialled;
    QList<QByteArray> tones;
    QByteArray transmitted;
    QByteArray farEndSent;
    std::uint64_t dataDle = 0;
    std::uint64_t compactDle = 0;
    int streams = 0;
};

// ---------------------------------------------------------------------------- public

ModemSimulator::ModemSimulator(SimFamily family, QString linkPath)
    : family_(family), impl_(std::make_unique<Impl>(std::move(family), std::move(linkPath)))
{
}

ModemSimulator::~ModemSimulator() = default;

bool ModemSimulator::start(QString* error)
{
    return impl_->start(error);
}

QString ModemSimulator::portPath() const
{
    return impl_->linkPath;
}

QString ModemSimulator::terminalPath() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->terminal;
}

void ModemSimulator::post(std::function<void()> fn)
{
    impl_->post(std::move(fn));
}

void ModemSimulator::ring()
{
    post([this] { impl_->ringNow(); });
}

void ModemSimulator::sendCallerId(const SimCallerId& id)
{
    post([this, id] { impl_->callerIdNow(id); });
}

void ModemSimulator::queueFarEndAudio(const std::vector<std::int16_t>& samples)
{
    post([this, samples] {
        impl_->farEndQueue.insert(impl_->farEndQueue.end(), samples.begin(), samples.end());
    });
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
    post([this, speed] { impl_->speed = speed; });
}

void ModemSimulator::setFillSilence(bool on)
{
    post([this, on] { impl_->fillSilence = on; });
}

void ModemSimulator::sendDtmf(const QByteArray& digits)
{
    post([this, digits] { impl_->dtmfNow(digits); });
}

void ModemSimulator::sendNotice(char c)
{
    post([this, c] { impl_->code(c); });
}

void ModemSimulator::setDialOutcome(const QByteArray& result, int delayMs)
{
    post([this, result, delayMs] {
        impl_->dialOutcome = result;
        impl_->dialDelayMs = delayMs;
    });
}

void ModemSimulator::setGarbage(bool on)
{
    post([this, on] { impl_->garbage = on; });
}

void ModemSimulator::sendRaw(const QByteArray& bytes)
{
    post([this, bytes] { impl_->out(bytes); });
}

void ModemSimulator::unplug()
{
    impl_->closeTerminal();
    impl_->wake();
}

bool ModemSimulator::plugIn(QString* error)
{
    const bool ok = impl_->openTerminal(error);
    impl_->wake();
    return ok;
}

void ModemSimulator::setToneTimeScale(double scale)
{
    post([this, scale] { impl_->toneTimeScale = scale; });
}

bool ModemSimulator::offHook() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->offHook;
}

bool ModemSimulator::voiceClass() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->voice;
}

QString ModemSimulator::streamState() const
{
    std::lock_guard lock(impl_->mutex);
    switch (impl_->mode) {
    case Mode::Command:
        return QStringLiteral("command");
    case Mode::Receive:
        return QStringLiteral("receive");
    case Mode::Transmit:
        return QStringLiteral("transmit");
    case Mode::Duplex:
        return QStringLiteral("duplex");
    case Mode::Dialing:
        return QStringLiteral("dialing");
    }
    return {};
}

SimFormat ModemSimulator::format() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->format;
}

int ModemSimulator::formatCode() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->formatCode;
}

QList<QByteArray> ModemSimulator::commands() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->commands;
}

bool ModemSimulator::sawCommand(const QByteArray& prefix) const
{
    std::lock_guard lock(impl_->mutex);
    for (const QByteArray& c : impl_->commands) {
        if (c.toUpper().startsWith(prefix.toUpper())) {
            return true;
        }
    }
    return false;
}

QList<QByteArray> ModemSimulator::dialled() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->dialled;
}

QList<QByteArray> ModemSimulator::tones() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->tones;
}

QByteArray ModemSimulator::transmittedBytes() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->transmitted;
}

std::vector<std::int16_t> ModemSimulator::transmitted() const
{
    std::lock_guard lock(impl_->mutex);
    return simDecode(impl_->format, impl_->transmitted);
}

void ModemSimulator::clearTransmitted()
{
    std::lock_guard lock(impl_->mutex);
    // Whole samples only, so what follows stays aligned.
    const qsizetype width = simBytesPerSample(impl_->format);
    impl_->transmitted.remove(0, impl_->transmitted.size() - impl_->transmitted.size() % width);
}

QByteArray ModemSimulator::farEndSentBytes() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->farEndSent;
}

std::vector<std::int16_t> ModemSimulator::farEndSent() const
{
    std::lock_guard lock(impl_->mutex);
    return simDecode(impl_->format, impl_->farEndSent);
}

std::size_t ModemSimulator::farEndSentSamples() const
{
    std::lock_guard lock(impl_->mutex);
    return static_cast<std::size_t>(impl_->farEndSent.size() / simBytesPerSample(impl_->format));
}

bool ModemSimulator::farEndQueueEmpty() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->farEndQueue.empty();
}

std::uint64_t ModemSimulator::dataDleSent() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->dataDle;
}

std::uint64_t ModemSimulator::compactDleSent() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->compactDle;
}

int ModemSimulator::streamsStarted() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->streams;
}

bool ModemSimulator::pluggedIn() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->plugged;
}

} // namespace qlnrec::modemsim
