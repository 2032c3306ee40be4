#include "tests/platform/modem/modemsim/sim_modem.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <utility>

namespace qlnrec::modemsim {

namespace {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr char kSub = 0x1A;
constexpr char kCan = 0x18;
constexpr std::size_t kMaxPending = 4u << 20;

enum class Mode { Command, Receive, Transmit, Duplex, Dialing };

} // namespace

struct SimModem::Core {
    explicit Core(SimFamily fam) : family(std::move(fam)) { resetModem(); }

    // ------------------------------------------------------------------ output
    void out(const QByteArray& bytes)
    {
        if (!present) {
            return;
        }
        if (static_cast<std::size_t>(pending.size()) + static_cast<std::size_t>(bytes.size()) > kMaxPending) {
            return; // nobody reads: the modem's buffer overflows
        }
        pending.append(bytes);
    }

    void result(const QByteArray& word)
    {
        QByteArray framed = "\r\n" + word + "\r\n";
        if (dropThisReply) {
            dropThisReply = false;
            if (dropIndex >= 0 && dropIndex < framed.size()) {
                framed.remove(dropIndex, 1);
            }
        }
        out(framed);
    }

    void info(const QByteArray& line) { out("\r\n" + line + "\r\n"); }

    void code(char c)
    {
        switch (std::exchange(dropInCode, CodeLoss::None)) {
        case CodeLoss::None:
            out(QByteArray{} + kDle + c);
            return;
        case CodeLoss::Dle:
            out(QByteArray(1, c));
            return;
        case CodeLoss::Code:
            out(QByteArray(1, kDle));
            return;
        }
    }

    // ------------------------------------------------------------------ scheduling
    void after(int ms, std::function<void()> fn)
    {
        due.emplace(now + static_cast<std::uint64_t>(std::max(0, ms)), std::move(fn));
    }

    void runDue()
    {
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
        steBits = 0;
        toneReports = !family.toneReportsNeedVtd;
        silenceTenths = 50;
        ++hookGeneration;
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
            if (takeFault(CommandFault::LostCommandByte, lineBuffer)) {
                if (faultAmount >= lineBuffer.size()) {
                    return; // the CR is lost: the line goes on with what comes next
                }
                lineBuffer.remove(faultAmount, 1);
            }
            if (echo) {
                out(lineBuffer + '\r');
            }
            const QByteArray line = lineBuffer;
            lineBuffer.clear();
            const int delayMs = takeFault(CommandFault::SlowReply, line) ? faultAmount : replyDelayMs;
            if (delayMs > 0) {
                after(delayMs, [this, line] { execute(line); });
            } else {
                execute(line);
            }
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
        lastPump = now;
        audioCredit = 0;
        silenceCredit = 0;
        voiceHeard = false;
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
        ++hookGeneration; // what the last call's line still had coming ends here
        if (isStreaming()) {
            mode = Mode::Command;
        }
    }

    // ------------------------------------------------------------------ commands
    // True (and counted) when the armed fault is `kind` and meets this command line.
    bool takeFault(CommandFault kind, const QByteArray& line)
    {
        if (faultTimes <= 0 || faultKind != kind || !line.trimmed().toUpper().startsWith(faultPrefix)) {
            return false;
        }
        --faultTimes;
        return true;
    }

    void execute(const QByteArray& raw)
    {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) {
            return;
        }
        commands.append(line);
        if (dropArmed && line.toUpper().startsWith(dropPrefix)) {
            dropArmed = false;
            dropThisReply = true;
        }
        if (garbage || takeFault(CommandFault::GarbledReply, line)) {
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
            const bool entering = !voice && cmd.mid(5) == "8";
            voice = cmd.mid(5) == "8";
            if (entering) {
                // Voice settings are not kept outside voice mode.
                toneReports = !family.toneReportsNeedVtd;
            }
            return true;
        }
        if (cmd.startsWith("-STE")) {
            if (!family.steCommand) {
                return false;
            }
            if (cmd == "-STE?") {
                infoLines.append(QByteArray::number(steBits));
                return true;
            }
            bool ok = false;
            const int bits = cmd.mid(5).toInt(&ok);
            if (!cmd.startsWith("-STE=") || !ok || bits < 0 || bits > 7) {
                return false;
            }
            steBits = bits;
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
        if (cmd.startsWith("+VSD=")) {
            silenceTenths = cmd.mid(5).split(',').value(1).toInt();
            return true;
        }
        return cmd.startsWith("+VIT") || cmd.startsWith("+VGT") || cmd.startsWith("+VGR") ||
               cmd.startsWith("+VRA") || cmd.startsWith("+VRN") || cmd.startsWith("+VNH") ||
               cmd.startsWith("+VIP") || cmd.startsWith("+VDR");
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
        if (cmd.startsWith("#VTD=")) {
            bool any = false;
            for (const QByteArray& mask : cmd.mid(5).split(',')) {
                bool ok = false;
                const int bits = mask.toInt(&ok, 16);
                if (!ok) {
                    return false;
                }
                any = any || bits != 0;
            }
            toneReports = any || !family.toneReportsNeedVtd;
            return true;
        }
        return cmd.startsWith("#VSD") || cmd.startsWith("#VRA") || cmd.startsWith("#VRN") ||
               cmd.startsWith("#BDR");
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

    // The unformatted report: type 0x80, length, parameters (date and time, number or the reason
    // it is missing, name), checksum; as upper-case hex without blanks.
    void callerIdPacketNow(const SimCallerId& id)
    {
        QByteArray body;
        auto param = [&](unsigned char type, const QByteArray& value) {
            body.append(static_cast<char>(type));
            body.append(static_cast<char>(value.size()));
            body.append(value);
        };
        if (!id.date.isEmpty() && !id.time.isEmpty()) {
            param(0x01, id.date + id.time);
        }
        if (id.number == "P" || id.number == "O") {
            param(0x04, id.number);
        } else if (!id.number.isEmpty()) {
            param(0x02, id.number);
        }
        if (!id.name.isEmpty()) {
            param(0x07, id.name);
        }
        QByteArray packet;
        packet.append(static_cast<char>(0x80));
        packet.append(static_cast<char>(body.size()));
        packet.append(body);
        unsigned sum = 0;
        for (const char b : packet) {
            sum += static_cast<unsigned char>(b);
        }
        packet.append(static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF));
        info(packet.toHex().toUpper());
    }

    void callerIdNow(const SimCallerId& id)
    {
        if (family.callerIdStyle == SimFamily::CallerIdStyle::Packet) {
            callerIdPacketNow(id);
            return;
        }
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

    // The caller hangs up: the loop-current break (if the modem reports it and it is enabled),
    // then silence (if the modem's detector works) and the exchange's tone, repeated.
    void farEndHangsUpNow()
    {
        if (!offHook || !voice) {
            return;
        }
        const std::uint64_t call = hookGeneration;
        if (family.loopDropReported && toneReports && (!family.loopDropNeedsSte || (steBits & 4) != 0)) {
            code('l');
        }
        farEndQueue.clear();
        if (family.silenceDetection && silenceTenths > 0) {
            after(silenceTenths * 100, [this, call] {
                if (hookGeneration == call && (mode == Mode::Receive || mode == Mode::Duplex)) {
                    code(voiceHeard && !family.silenceOnlyS ? 'q' : 's');
                }
            });
        }
        if (exchangeTone != 0 && family.exchangeTonesReported) {
            after(exchangeDelayMs, [this, call] { exchangeToneNow(call); });
        }
    }

    void exchangeToneNow(std::uint64_t call)
    {
        if (hookGeneration != call) {
            return;
        }
        if (toneReports && (!family.toneReportsOnlyReceiving || mode == Mode::Receive)) {
            code(exchangeTone);
        }
        // Busy tone is reported every 4 s, dial tone every 3 s, while it lasts.
        after(exchangeTone == 'b' ? 4000 : 3000, [this, call] { exchangeToneNow(call); });
    }

    void dtmfNow(const QByteArray& digits)
    {
        if (!toneReports) {
            return; // touch-tone reports are off
        }
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
        const double seconds = static_cast<double>(now - lastPump) / 1000.0;
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
                voiceHeard = true;
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
    std::uint64_t now = 0;
    bool present = true; // plugged in: what it says reaches the program
    QByteArray pending;
    std::multimap<std::uint64_t, std::function<void()>> due;

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
    std::uint64_t lastPump = 0;
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

    // Hang-up reports and the exchange.
    int steBits = 0;
    bool toneReports = true;
    int silenceTenths = 50;
    bool voiceHeard = false;
    std::uint64_t hookGeneration = 0;
    char exchangeTone = 'b';
    int exchangeDelayMs = 4000;

    // Faults.
    int replyDelayMs = 0;
    bool dropArmed = false;
    QByteArray dropPrefix;
    int dropIndex = -1;
    bool dropThisReply = false;
    enum class CodeLoss { None, Dle, Code } dropInCode = CodeLoss::None;
    int faultTimes = 0;
    CommandFault faultKind = CommandFault::SlowReply;
    QByteArray faultPrefix;
    int faultAmount = 0;
};

SimModem::SimModem(SimFamily family) : core_(std::make_unique<Core>(std::move(family))) {}

SimModem::~SimModem() = default;

const SimFamily& SimModem::family() const
{
    return core_->family;
}

void SimModem::input(const QByteArray& bytes)
{
    core_->input(bytes);
}

void SimModem::advanceTo(std::uint64_t nowMs)
{
    core_->now = std::max(core_->now, nowMs);
    core_->runDue();
    core_->pumpAudio();
}

QByteArray& SimModem::output()
{
    return core_->pending;
}

void SimModem::powerOn()
{
    core_->present = true;
    core_->pending.clear();
    core_->resetModem();
}

void SimModem::pullOut()
{
    core_->present = false;
    core_->pending.clear();
}

void SimModem::ring()
{
    core_->ringNow();
}

void SimModem::setCallerIdStyle(SimFamily::CallerIdStyle style)
{
    core_->family.callerIdStyle = style;
}

void SimModem::sendCallerId(const SimCallerId& id)
{
    core_->callerIdNow(id);
}

void SimModem::queueFarEndAudio(const std::vector<std::int16_t>& samples)
{
    core_->farEndQueue.insert(core_->farEndQueue.end(), samples.begin(), samples.end());
}

void SimModem::setAudioSpeed(double speed)
{
    core_->speed = speed;
}

void SimModem::setFillSilence(bool on)
{
    core_->fillSilence = on;
}

void SimModem::sendDtmf(const QByteArray& digits)
{
    core_->dtmfNow(digits);
}

void SimModem::sendNotice(char c)
{
    core_->code(c);
}

void SimModem::setDialOutcome(const QByteArray& result, int delayMs)
{
    core_->dialOutcome = result;
    core_->dialDelayMs = delayMs;
}

void SimModem::setGarbage(bool on)
{
    core_->garbage = on;
}

void SimModem::sendRaw(const QByteArray& bytes)
{
    core_->out(bytes);
}

void SimModem::setToneTimeScale(double scale)
{
    core_->toneTimeScale = scale;
}

void SimModem::farEndHangsUp()
{
    core_->farEndHangsUpNow();
}

void SimModem::setExchangeAfterHangUp(char tone, int delayMs)
{
    core_->exchangeTone = tone;
    core_->exchangeDelayMs = delayMs;
}

void SimModem::setReplyDelay(int ms)
{
    core_->replyDelayMs = ms;
}

void SimModem::dropInReply(const QByteArray& commandPrefix, int index)
{
    core_->dropArmed = true;
    core_->dropPrefix = commandPrefix.toUpper();
    core_->dropIndex = index;
}

void SimModem::faultOnCommand(const QByteArray& commandPrefix, CommandFault fault, int amount, int times)
{
    core_->faultTimes = times;
    core_->faultKind = fault;
    core_->faultPrefix = commandPrefix.toUpper();
    core_->faultAmount = amount;
}

void SimModem::dropInNextCode(bool dle)
{
    core_->dropInCode = dle ? Core::CodeLoss::Dle : Core::CodeLoss::Code;
}

bool SimModem::offHook() const
{
    return core_->offHook;
}

bool SimModem::voiceClass() const
{
    return core_->voice;
}

QString SimModem::streamState() const
{
    switch (core_->mode) {
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

SimFormat SimModem::format() const
{
    return core_->format;
}

int SimModem::formatCode() const
{
    return core_->formatCode;
}

QList<QByteArray> SimModem::commands() const
{
    return core_->commands;
}

bool SimModem::sawCommand(const QByteArray& prefix) const
{
    for (const QByteArray& c : core_->commands) {
        if (c.toUpper().startsWith(prefix.toUpper())) {
            return true;
        }
    }
    return false;
}

QList<QByteArray> SimModem::dialled() const
{
    return core_->dialled;
}

QList<QByteArray> SimModem::tones() const
{
    return core_->tones;
}

QByteArray SimModem::transmittedBytes() const
{
    return core_->transmitted;
}

std::vector<std::int16_t> SimModem::transmitted() const
{
    return simDecode(core_->format, core_->transmitted);
}

void SimModem::clearTransmitted()
{
    // Whole samples only, so what follows stays aligned.
    const qsizetype width = simBytesPerSample(core_->format);
    core_->transmitted.remove(0, core_->transmitted.size() - core_->transmitted.size() % width);
}

QByteArray SimModem::farEndSentBytes() const
{
    return core_->farEndSent;
}

std::vector<std::int16_t> SimModem::farEndSent() const
{
    return simDecode(core_->format, core_->farEndSent);
}

std::size_t SimModem::farEndSentSamples() const
{
    return static_cast<std::size_t>(core_->farEndSent.size() / simBytesPerSample(core_->format));
}

bool SimModem::farEndQueueEmpty() const
{
    return core_->farEndQueue.empty();
}

std::uint64_t SimModem::dataDleSent() const
{
    return core_->dataDle;
}

std::uint64_t SimModem::compactDleSent() const
{
    return core_->compactDle;
}

int SimModem::streamsStarted() const
{
    return core_->streams;
}

} // namespace qlnrec::modemsim
