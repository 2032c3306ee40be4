#include "platform/modem/modem_line.h"

#include "platform/modem/at_response.h"
#include "platform/modem/caller_id_parser.h"
#include "platform/modem/dle_codec.h"
#include "platform/modem/modem_channel.h"
#include "platform/modem/serial_link.h"
#include "platform/telephony/tapi_types.h"
#include "platform/wave/media_pacer.h"

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>

namespace qlnrec::platform {

using modem::ModemChannel;
using modem::ModemReply;
using modem::ResultCode;
using modem::SampleFormat;
using modem::SerialLink;

namespace modem {

QByteArray initCommandWithX3(const QString& userInit)
{
    QByteArray text;
    for (const QChar c : userInit) {
        const ushort u = c.unicode();
        if (u > 0x20 && u < 0x7F) {
            text.append(static_cast<char>(u));
        }
    }
    if (text.startsWith("AT") || text.startsWith("at") || text.startsWith("At") || text.startsWith("aT")) {
        text.remove(0, 2);
    }
    if (!text.toUpper().contains("X3")) {
        // After an extended command ("+VSD=128,50") a basic one needs a semicolon before it.
        bool extended = false;
        for (const char c : text) {
            if (QByteArray("+#%*$!").contains(c)) {
                extended = true;
            } else if (c == ';') {
                extended = false;
            }
        }
        text.append(extended ? ";X3" : "X3");
    }
    return "AT" + text;
}

QByteArray sanitizeDialString(const QByteArray& address)
{
    static const QByteArray allowed("0123456789*#ABCD,TPW!@");
    QByteArray out;
    bool digit = false;
    for (const char raw : address) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
        if (allowed.contains(c)) {
            out.append(c);
            digit = digit || std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#';
        }
    }
    if (!digit) {
        return {};
    }
    return out.left(60);
}

namespace {

std::uint32_t toUnits(std::uint32_t durationMs, std::uint32_t unitMs)
{
    return std::max<std::uint32_t>(1, (durationMs + unitMs / 2) / unitMs);
}

} // namespace

QByteArray toneArgument(const std::vector<std::uint32_t>& frequenciesHz, std::uint32_t durationMs,
                        std::uint32_t unitMs)
{
    auto clampHz = [](std::uint32_t hz) -> std::uint32_t {
        if (hz == 0) {
            return 0;
        }
        return std::clamp<std::uint32_t>(hz, 200, 3000);
    };
    const std::uint32_t f1 = frequenciesHz.empty() ? 0 : clampHz(frequenciesHz[0]);
    const std::uint32_t f2 = frequenciesHz.size() < 2 ? 0 : clampHz(frequenciesHz[1]);
    std::uint32_t units = toUnits(durationMs, unitMs);
    QByteArray out;
    // One item lasts at most 255 units; longer tones are several items in a row.
    while (units > 0) {
        const std::uint32_t part = std::min<std::uint32_t>(units, 255);
        if (!out.isEmpty()) {
            out.append(',');
        }
        out.append('[').append(QByteArray::number(f1)).append(',').append(QByteArray::number(f2)).append(',');
        out.append(QByteArray::number(part)).append(']');
        units -= part;
    }
    return out;
}

QByteArray digitsArgument(const QByteArray& digits, std::uint32_t unitMs)
{
    static const QByteArray dtmf("0123456789*#ABCD");
    QByteArray out;
    for (const char raw : digits) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
        QByteArray item;
        if (dtmf.contains(c)) {
            item = QByteArray(1, c);
        } else if (c == ',') {
            item = "[0,0," + QByteArray::number(toUnits(500, unitMs)) + ']';
        } else {
            continue;
        }
        if (!out.isEmpty()) {
            out.append(',');
        }
        out.append(item);
    }
    return out;
}

} // namespace modem

namespace {

enum class Phase {
    None,         // no call
    Offering,     // ringing, not answered
    Ignoring,     // a ringing call the program dropped: its rings are not reported
    Answering,    // going off hook
    Dialing,      // ATD sent
    Connected,    // off hook with a party
    Disconnected, // the far end went away; still off hook
    HangingUp,
};

enum class StreamKind { None, Receive, Transmit, Duplex };

constexpr std::uint32_t kPumpIntervalMs = 20;
constexpr std::uint32_t kCallerIdQuietMs = 400;
constexpr std::uint32_t kFailedIdleMs = 1500;
constexpr std::uint32_t kStreamCloseTimeoutMs = 3000;
constexpr std::uint32_t kHealthTimeoutMs = 2000;
constexpr std::uint32_t kMaxPumpFrames = 8000;
constexpr int kGarbageLinesBeforeCheck = 3;

bool traceEnabled()
{
    static const bool on = qEnvironmentVariableIntValue("QLNREC_MODEM_DEBUG") != 0;
    return on;
}

QByteArray visible(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out.append(c);
        } else if (c == modem::kDle) {
            out.append("<DLE>");
        } else if (c == '\r') {
            out.append("<CR>");
        } else {
            out.append('<').append(QByteArray::number(u, 16)).append('>');
        }
    }
    return out;
}

// Serial ports whose nominal rate limits the audio: a real UART behind ttyS / ttyUSB. USB CDC
// modems (ttyACM) and pseudo-terminals ignore it.
bool rateLimitsAudio(const QString& port)
{
    const QString target = QFileInfo(port).canonicalFilePath();
    const QString name = QFileInfo(target.isEmpty() ? port : target).fileName();
    return name.startsWith(QLatin1String("ttyS")) || name.startsWith(QLatin1String("ttyUSB"));
}

} // namespace

class ModemLine::Impl final : public modem::ModemChannelListener, public std::enable_shared_from_this<Impl> {
public:
    Impl(EventService& events, ModemLineOptions options, modem::ModemIdentity identity)
        : events(events), opt(std::move(options)), identity(std::move(identity)), serial(events),
          channel(events, *this, [this](const QByteArray& bytes) { write(bytes); }),
          ringGapTimer(events, 0, [this] { onRingGap(); }),
          cidQuietTimer(events, 0, [this] { reportCallerId(); }),
          pumpTimer(events, kPumpIntervalMs, [this] { pump(); }), pollTimer(events, 0, [this] { poll(); }),
          failedIdleTimer(events, 0, [this] { onFailedIdle(); })
    {
        name = this->identity.displayName();
        hashCommands = this->identity.hashVoice && !this->identity.voice;
    }

    ~Impl() { shutDown(); }

    // ---------------------------------------------------------------- tracing
    void trace(const QByteArray& text) const
    {
        if (traceEnabled()) {
            std::fprintf(stderr, "[modem %s] %s\n", qPrintable(opt.port), text.constData());
        }
    }

    void write(const QByteArray& bytes)
    {
        if (traceEnabled() && (channel.mode() == ModemChannel::Mode::Command || bytes.size() < 8)) {
            trace("> " + visible(bytes));
        }
        serial.write(bytes);
    }

    // ---------------------------------------------------------------- events to the service
    void emitState(DeviceCallState state, HangUpNotice notice = HangUpNotice::None)
    {
        trace("call " + QByteArray::number(callId) + " state " + QByteArray::number(static_cast<int>(state)));
        if (listener) {
            listener->callState(callId, state, notice);
        }
    }

    void notifyStatus(bool isFailed, const QString& text)
    {
        statusText = text;
        trace((isFailed ? "FAILED: " : "OK: ") + text.toUtf8());
        if (statusHandler) {
            statusHandler(isFailed, text);
        }
    }

    // ---------------------------------------------------------------- operations
    // Operations that talk to the modem run one after another.
    void enqueue(std::function<void()> op)
    {
        ops.push_back(std::move(op));
        runNextOp();
    }

    void runNextOp()
    {
        if (opRunning || ops.empty()) {
            return;
        }
        opRunning = true;
        auto op = std::move(ops.front());
        ops.pop_front();
        op();
    }

    void opDone()
    {
        opRunning = false;
        runNextOp();
    }

    // A command whose reply is dropped when the channel is reset (the failure path then takes
    // care of what was waiting).
    void cmd(const QByteArray& line, std::uint32_t timeoutMs, std::function<void(const ModemReply&)> then,
             bool opensStream = false)
    {
        channel.command(
            line, timeoutMs,
            [this, line, then](const ModemReply& r) {
                if (r.reset) {
                    return;
                }
                trace("< " + line + ": " + modem::resultName(r.result) + (r.timedOut ? " (timed out)" : ""));
                then(r);
            },
            opensStream);
    }

    // After a command went unanswered: is the modem still there?
    void healthCheck(const QString& reason, std::function<void()> then)
    {
        cmd("AT", kHealthTimeoutMs, [this, reason, then](const ModemReply& r) {
            if (r.ok()) {
                then();
            } else {
                fail(reason);
            }
        });
    }

    // The completion of the operation that is running, so a failure can answer it.
    void setPending(LineCompletion done) { pendingCompletion = std::move(done); }
    void completePending(std::int32_t result)
    {
        if (pendingCompletion) {
            LineCompletion done = std::move(pendingCompletion);
            pendingCompletion = nullptr;
            done(result);
        }
    }

    // ---------------------------------------------------------------- port
    SerialLink::OpenResult openPort(QString* error)
    {
        std::weak_ptr<Impl> weak = weak_from_this();
        SerialLink::Handlers h;
        h.data = [weak](const QByteArray& bytes) {
            if (auto self = weak.lock()) {
                self->onBytes(bytes);
            }
        };
        h.error = [weak](const QString& text) {
            if (auto self = weak.lock()) {
                self->onPortError(text);
            }
        };
        return serial.open(opt.port, opt.baudRate, std::move(h), error);
    }

    void onBytes(const QByteArray& bytes)
    {
        if (!opened) {
            return;
        }
        if (traceEnabled() && channel.mode() == ModemChannel::Mode::Command) {
            trace("< " + visible(bytes));
        }
        channel.feed(bytes);
    }

    void onPortError(const QString& text)
    {
        if (!opened) {
            return;
        }
        if (recovering) {
            recoveryFailed();
            return;
        }
        fail(QStringLiteral("port error: %1").arg(text));
    }

    // ---------------------------------------------------------------- open / close
    std::int32_t open(LineDeviceEvents* events_)
    {
        if (opened) {
            return LINEERR_ALLOCATED;
        }
        listener = events_;
        opened = true;
        failed = false;
        recovering = false;
        QString error;
        const SerialLink::OpenResult r = openPort(&error);
        if (r == SerialLink::OpenResult::Busy) {
            listener = nullptr;
            opened = false;
            std::fprintf(stderr, "qlnrec: %s cannot be opened (%s)\n", qPrintable(opt.port),
                         qPrintable(error));
            return LINEERR_RESOURCEUNAVAIL;
        }
        if (r != SerialLink::OpenResult::Opened) {
            // Configured but not plugged in: the line waits for the modem.
            markFailed(QStringLiteral("%1 is not connected (%2); the line waits for it").arg(name, error));
            return 0;
        }
        enqueue([this] {
            initialise([this](bool ok, const QString& why) {
                if (!ok) {
                    opDone();
                    fail(why);
                    return;
                }
                opDone();
            });
        });
        return 0;
    }

    void shutDown()
    {
        if (!opened) {
            return;
        }
        listener = nullptr; // no events from here on
        opened = false;
        stopTimers();
        QList<QByteArray> farewell;
        if (serial.isOpen()) {
            if (stream != StreamKind::None || channel.mode() != ModemChannel::Mode::Command) {
                farewell.append(
                    streamTerminator(stream == StreamKind::None ? StreamKind::Duplex : stream, true));
            }
            if (callActive()) {
                farewell.append(hashCommands ? QByteArray("ATH\r") : QByteArray("AT+VLS=0\r"));
            }
            // Leave the modem in data mode, as other programs expect to find it.
            farewell.append(hashCommands ? QByteArray("AT#CLS=0\r") : QByteArray("AT+FCLASS=0\r"));
        }
        serial.close(farewell);
        channel.reset();
        ops.clear();
        opRunning = false;
        completePending(LINEERR_OPERATIONFAILED);
        phase = Phase::None;
        stream = StreamKind::None;
        generating = false;
        ready = false;
        failed = false;
        recovering = false;
    }

    void stopTimers()
    {
        ringGapTimer.setEnabled(false);
        cidQuietTimer.setEnabled(false);
        pumpTimer.setEnabled(false);
        pollTimer.setEnabled(false);
        failedIdleTimer.setEnabled(false);
    }

    // ---------------------------------------------------------------- initialisation
    using InitDone = std::function<void(bool ok, const QString& why)>;

    void initialise(InitDone done)
    {
        ready = false;
        initDone = std::move(done);
        voiceSetup.clear();
        cmd("ATZ", std::max<std::uint32_t>(opt.commandTimeoutMs, 4000), [this](const ModemReply& r) {
            if (r.ok()) {
                initBasics();
                return;
            }
            // Some modems need a moment after a reset, or answer the next "AT" only.
            cmd("AT", opt.commandTimeoutMs, [this](const ModemReply& again) {
                if (again.ok()) {
                    initBasics();
                } else {
                    initFinished(false, QStringLiteral("does not answer AT commands"));
                }
            });
        });
    }

    void initFinished(bool ok, const QString& why)
    {
        if (ok) {
            ready = true;
            garbageLines = 0;
        }
        InitDone done = std::move(initDone);
        initDone = nullptr;
        if (done) {
            done(ok, why);
        }
    }

    // A command that must be answered; no answer at all ends the initialisation.
    void initCmd(const QByteArray& line, std::function<void(const ModemReply&)> then)
    {
        cmd(line, opt.commandTimeoutMs, [this, line, then](const ModemReply& r) {
            if (r.timedOut) {
                initFinished(false, QStringLiteral("no answer to %1").arg(QString::fromLatin1(line)));
                return;
            }
            then(r);
        });
    }

    void initBasics()
    {
        initCmd("ATE0V1Q0S0=0", [this](const ModemReply&) {
            initCommand = modem::initCommandWithX3(opt.userInit);
            initCmd(initCommand, [this](const ModemReply& r) {
                if (!r.ok() && initCommand != "ATX3") {
                    // The user's commands were refused; result codes still need X3.
                    trace("user initialisation refused");
                    initCmd("ATX3", [this](const ModemReply&) { initVoice(); });
                    return;
                }
                initVoice();
            });
        });
    }

    void initVoice()
    {
        if (!hashCommands) {
            initCmd("AT+FCLASS=8", [this](const ModemReply& r) {
                if (r.ok()) {
                    hashCommands = false;
                    voiceSetup.append("AT+FCLASS=8");
                    initFormatList();
                    return;
                }
                initHashVoice();
            });
            return;
        }
        initHashVoice();
    }

    void initHashVoice()
    {
        initCmd("AT#CLS=8", [this](const ModemReply& r) {
            if (!r.ok()) {
                // A data modem: rings and caller ID still work, audio does not.
                voice = false;
                initCallerId(0);
                return;
            }
            hashCommands = true;
            voiceSetup.append("AT#CLS=8");
            initHashFormat();
        });
    }

    bool sixteenBitFits() const { return !rateLimitsAudio(opt.port) || opt.baudRate >= 230400; }

    void initFormatList()
    {
        initCmd("AT+VSM=?", [this](const ModemReply& r) {
            std::vector<modem::VoiceMethod> methods;
            if (r.ok()) {
                methods = modem::parseVsmList(r.lines);
            }
            if (!sixteenBitFits()) {
                methods.erase(std::remove_if(methods.begin(), methods.end(),
                                             [](const modem::VoiceMethod& m) {
                                                 return m.format == SampleFormat::Signed16;
                                             }),
                              methods.end());
            }
            formatCandidates = modem::rankVoiceMethods(methods, opt.format);
            if (formatCandidates.empty()) {
                // Nothing we can decode was listed: the safe V.253 choice.
                modem::VoiceMethod safe;
                safe.code = 1;
                safe.name = "UNSIGNED PCM";
                safe.bits = 8;
                safe.format = SampleFormat::Unsigned8;
                formatCandidates.push_back(safe);
            }
            initFormatSet(0, false);
        });
    }

    void initFormatSet(std::size_t index, bool longForm)
    {
        if (index >= formatCandidates.size()) {
            voice = false;
            format = SampleFormat::Unsupported;
            trace("no usable audio format");
            initLineLabel();
            return;
        }
        const modem::VoiceMethod& m = formatCandidates[index];
        const QByteArray line =
            "AT+VSM=" + QByteArray::number(m.code) + ",8000" + (longForm ? QByteArray(",0,0") : QByteArray());
        initCmd(line, [this, index, longForm, line](const ModemReply& r) {
            if (r.ok()) {
                format = formatCandidates[index].format;
                formatCode = formatCandidates[index].code;
                voice = true;
                voiceSetup.append(line);
                initLineLabel();
                return;
            }
            if (!longForm) {
                initFormatSet(index, true);
            } else {
                initFormatSet(index + 1, false);
            }
        });
    }

    void initHashFormat()
    {
        const bool tryWide = sixteenBitFits() && (!opt.format || *opt.format == SampleFormat::Signed16);
        auto narrow = [this] {
            initCmd("AT#VBS=8", [this](const ModemReply& r) {
                if (r.ok()) {
                    format = SampleFormat::Unsigned8;
                    formatCode = 8;
                    voice = true;
                    voiceSetup.append("AT#VBS=8");
                } else {
                    format = SampleFormat::Unsupported;
                    voice = false;
                }
                initHashRate();
            });
        };
        if (!tryWide) {
            narrow();
            return;
        }
        initCmd("AT#VBS=16", [this, narrow](const ModemReply& r) {
            if (!r.ok()) {
                narrow();
                return;
            }
            format = SampleFormat::Signed16;
            formatCode = 16;
            voice = true;
            voiceSetup.append("AT#VBS=16");
            initHashRate();
        });
    }

    void initHashRate()
    {
        initCmd("AT#VSR=8000", [this](const ModemReply& r) {
            if (r.ok()) {
                voiceSetup.append("AT#VSR=8000");
            } else {
                trace("the modem refused 8000 samples/s");
            }
            lineLabel = 0;
            initCallerId(0);
        });
    }

    void initLineLabel()
    {
        initCmd("AT+VLS=?", [this](const ModemReply& r) {
            lineLabel = modem::chooseLineLabel(r.ok() ? modem::parseVlsList(r.lines)
                                                      : std::vector<modem::VoiceLineOption>{});
            initCmd("AT+VLS=0", [this](const ModemReply&) { initCallerId(0); });
        });
    }

    QList<QByteArray> callerIdCommands() const
    {
        if (hashCommands) {
            return {"AT#CID=1", "AT+VCID=1", "AT#CC1", "AT%CCID=1", "AT*ID1"};
        }
        return {"AT+VCID=1", "AT#CID=1", "AT#CC1", "AT%CCID=1", "AT*ID1"};
    }

    void initCallerId(int index)
    {
        const QList<QByteArray> commands = callerIdCommands();
        if (index >= commands.size()) {
            callerIdCommand.clear();
            trace("no caller-ID command accepted");
            initExtras();
            return;
        }
        const QByteArray line = commands.at(index);
        initCmd(line, [this, index, line](const ModemReply& r) {
            if (r.ok()) {
                callerIdCommand = line;
                voiceSetup.append(line);
                initExtras();
            } else {
                initCallerId(index + 1);
            }
        });
    }

    void initExtras()
    {
        if (hashCommands || !voice) {
            initFinished(true, {});
            return;
        }
        // The inactivity timer would drop the modem out of voice mode during long idle times.
        initCmd("AT+VIT=0", [this](const ModemReply&) { initFinished(true, {}); });
    }

    // Voice mode again after ATH (which knocks some modems out of it), with what set-up chose.
    void reenterVoice(std::function<void()> then, int index = 0)
    {
        if (index >= voiceSetup.size()) {
            then();
            return;
        }
        cmd(voiceSetup.at(index), opt.commandTimeoutMs, [this, then, index](const ModemReply& r) {
            if (r.timedOut) {
                healthCheck(QStringLiteral("stopped answering"),
                            [this, then, index] { reenterVoice(then, index + 1); });
                return;
            }
            reenterVoice(then, index + 1);
        });
    }

    // ---------------------------------------------------------------- failure and recovery
    void markFailed(const QString& text)
    {
        failed = true;
        ready = false;
        notifyStatus(true, text);
        pollTimer.setInterval(opt.recoveryPollMs);
        pollTimer.setEnabled(true);
    }

    void fail(const QString& reason)
    {
        if (!opened || failed) {
            return;
        }
        failed = true;
        ready = false;
        trace("failing: " + reason.toUtf8());
        serial.close();
        stream = StreamKind::None;
        streamClosing = false;
        channel.reset();
        cidQuietTimer.setEnabled(false);
        ringGapTimer.setEnabled(false);
        // What was waiting for the modem gets its answer now.
        opRunning = false;
        initDone = nullptr;
        completePending(LINEERR_OPERATIONFAILED);
        endCallOnFailure();
        markFailed(
            QStringLiteral("%1 stopped working (%2); the line waits for it to come back").arg(name, reason));
        // Queued operations see the failure and complete at once.
        runNextOp();
    }

    void endCallOnFailure()
    {
        if (generating) {
            generating = false;
            if (listener) {
                listener->generateFinished(callId, false);
            }
        }
        switch (phase) {
        case Phase::None:
            break;
        case Phase::Offering:
            phase = Phase::None;
            emitState(DeviceCallState::Idle);
            break;
        case Phase::Ignoring:
            phase = Phase::None;
            break;
        case Phase::Answering:
        case Phase::Dialing:
        case Phase::Connected:
        case Phase::HangingUp:
            phase = Phase::Disconnected;
            emitState(DeviceCallState::Disconnected, HangUpNotice::Unknown);
            failedIdleTimer.setInterval(kFailedIdleMs);
            failedIdleTimer.setEnabled(true);
            break;
        case Phase::Disconnected:
            failedIdleTimer.setInterval(kFailedIdleMs);
            failedIdleTimer.setEnabled(true);
            break;
        }
    }

    // The program did not hang up the call of a vanished modem: end it for it.
    void onFailedIdle()
    {
        failedIdleTimer.setEnabled(false);
        if (phase != Phase::None && failed) {
            phase = Phase::None;
            emitState(DeviceCallState::Idle);
        }
    }

    void poll()
    {
        if (!opened || !failed || recovering) {
            return;
        }
        QString error;
        if (openPort(&error) != SerialLink::OpenResult::Opened) {
            return;
        }
        trace("port is back; initialising");
        pollTimer.setEnabled(false);
        recovering = true;
        channel.reset();
        ops.clear();
        opRunning = false;
        initialise([this](bool ok, const QString& why) {
            recovering = false;
            if (!ok) {
                trace("recovery failed: " + why.toUtf8());
                recoveryFailed();
                return;
            }
            failed = false;
            notifyStatus(false, QStringLiteral("%1 works again").arg(name));
        });
    }

    void recoveryFailed()
    {
        recovering = false;
        initDone = nullptr;
        serial.close();
        channel.reset();
        pollTimer.setInterval(opt.recoveryPollMs);
        pollTimer.setEnabled(true);
    }

    // ---------------------------------------------------------------- channel listener
    void unsolicitedLine(const QByteArray& line) override
    {
        trace("< " + line);
        if (modem::isRingLine(line)) {
            onRing();
            return;
        }
        if (cid.addLine(line)) {
            if (!inCidPacket) {
                cidQuietTimer.setInterval(kCallerIdQuietMs);
                cidQuietTimer.restart();
            }
            return;
        }
        const ResultCode r = modem::classifyResult(line);
        if (r == ResultCode::NoCarrier || r == ResultCode::Busy) {
            farEndGone(r == ResultCode::Busy ? HangUpNotice::BusyTone : HangUpNotice::Unknown);
        }
    }

    void code(char c) override
    {
        trace(QByteArray("<DLE>") + c);
        switch (c) {
        case 'R':
            onRing();
            return;
        case 'X':
            inCidPacket = true;
            return;
        case '.':
            if (inCidPacket) {
                inCidPacket = false;
                reportCallerId();
            }
            return;
        case '/':
            dtmfRun = true;
            runDigit = 0;
            return;
        case '~':
            dtmfRun = false;
            runDigit = 0;
            return;
        case 'b':
        case 'K':
            farEndGone(HangUpNotice::BusyTone);
            return;
        case 'd':
            // US Robotics modems report dial tone falsely while playing or recording.
            if (identity.isUsRobotics() && stream != StreamKind::None) {
                return;
            }
            farEndGone(HangUpNotice::DialTone);
            return;
        case 'l':
            farEndGone(HangUpNotice::LoopDrop);
            return;
        case 's':
        case 'q':
            // A caller listening to a prompt is silent; only silence while we listen counts.
            if (!source) {
                farEndGone(HangUpNotice::None);
            }
            return;
        case 'r':
            if (phase == Phase::Dialing && !ringbackSeen) {
                ringbackSeen = true;
                emitState(DeviceCallState::Ringback);
            }
            return;
        default:
            break;
        }
        static const QByteArray dtmf("0123456789*#ABCD");
        if (dtmf.contains(c)) {
            onDigit(c);
        }
        // Everything else (timing marks, buffer reports, tone detections, handset states) carries
        // nothing for the line.
    }

    void audio(const char* data, std::size_t size) override
    {
        if (!sink || format == SampleFormat::Unsupported || size == 0) {
            return;
        }
        rxSamples.clear();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
        if (format == SampleFormat::Signed16) {
            std::size_t i = 0;
            if (hasCarry) {
                const std::uint8_t pair[2] = {carry, bytes[0]};
                modem::decodeSamples(format, pair, 2, rxSamples);
                hasCarry = false;
                i = 1;
            }
            const std::size_t whole = (size - i) & ~std::size_t(1);
            modem::decodeSamples(format, bytes + i, whole, rxSamples);
            if (i + whole < size) {
                carry = bytes[size - 1];
                hasCarry = true;
            }
        } else {
            modem::decodeSamples(format, bytes, size, rxSamples);
        }
        if (!rxSamples.empty()) {
            sink->captured(reinterpret_cast<const std::uint8_t*>(rxSamples.data()), rxSamples.size() * 2);
        }
    }

    void streamEnded() override
    {
        if (streamClosing) {
            return; // our own terminator's answer
        }
        trace("the modem ended the stream");
        stream = StreamKind::None;
        pumpTimer.setEnabled(sourceNeedsDraining());
        // Keep listening while the call lasts (inactivity timers and length limits end streams).
        if (phase == Phase::Connected && !opRunning) {
            enqueue([this] { ensureStream([this] { opDone(); }); });
        }
    }

    void garbage(const QByteArray& sample) override
    {
        trace("garbage: " + visible(sample));
        if (!ready || failed) {
            return;
        }
        if (++garbageLines < kGarbageLinesBeforeCheck || healthCheckQueued) {
            return;
        }
        healthCheckQueued = true;
        enqueue([this] {
            healthCheckQueued = false;
            if (failed) {
                opDone();
                return;
            }
            cmd("AT", kHealthTimeoutMs, [this](const ModemReply& r) {
                opDone();
                if (r.ok()) {
                    garbageLines = 0;
                } else {
                    fail(QStringLiteral("it answers garbage"));
                }
            });
        });
    }

    // ---------------------------------------------------------------- incoming calls
    void startIncoming()
    {
        callId = ++nextCallId;
        phase = Phase::Offering;
        rings = 0;
        callerIdReported = false;
        monitoring = false;
        emitState(DeviceCallState::Offering);
    }

    void onRing()
    {
        if (!opened || failed) {
            return;
        }
        if (phase == Phase::None) {
            startIncoming();
        }
        if (phase == Phase::Ignoring) {
            ringGapTimer.restart();
            return;
        }
        if (phase != Phase::Offering) {
            return;
        }
        // Caller ID that came before this ring belongs before it.
        if (cid.hasData() && !inCidPacket) {
            reportCallerId();
        }
        ++rings;
        if (listener) {
            listener->ring(callId, rings);
        }
        ringGapTimer.setInterval(opt.ringTimeoutMs);
        ringGapTimer.restart();
    }

    void reportCallerId()
    {
        cidQuietTimer.setEnabled(false);
        if (!cid.hasData()) {
            return;
        }
        const modem::CallerIdReport report = cid.take();
        const CallerId id = report.callerId();
        if (id.number.kind == CallerIdField::Kind::Absent && id.name.kind == CallerIdField::Kind::Absent) {
            return; // date and time alone say nothing about the caller
        }
        if (!opened || failed) {
            return;
        }
        if (phase == Phase::None) {
            // Caller ID before the first ring (some exchanges send it so).
            startIncoming();
            ringGapTimer.setInterval(opt.ringTimeoutMs);
            ringGapTimer.restart();
        }
        if (phase != Phase::Offering || callerIdReported) {
            return; // a repeated packet, or call waiting during a call
        }
        callerIdReported = true;
        if (listener) {
            listener->callerId(callId, id);
        }
    }

    void onRingGap()
    {
        ringGapTimer.setEnabled(false);
        if (phase == Phase::Offering) {
            phase = Phase::None;
            cid.clear();
            emitState(DeviceCallState::Idle);
        } else if (phase == Phase::Ignoring) {
            phase = Phase::None;
            cid.clear();
        }
    }

    void onDigit(char digit)
    {
        if (dtmfRun) {
            // Inside <DLE>/ ... <DLE>~ the digit repeats while the key is held.
            if (digit == runDigit) {
                return;
            }
            runDigit = digit;
        }
        if (phase != Phase::Connected || !monitoring) {
            return;
        }
        if (listener) {
            listener->digitDetected(callId, digit);
        }
    }

    void farEndGone(HangUpNotice notice)
    {
        if (phase != Phase::Connected) {
            return;
        }
        phase = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, notice);
    }

    bool callActive() const
    {
        return phase == Phase::Answering || phase == Phase::Dialing || phase == Phase::Connected ||
               phase == Phase::Disconnected || phase == Phase::HangingUp;
    }

    // ---------------------------------------------------------------- answering
    void answer(std::uint32_t id, LineCompletion done)
    {
        if (id != callId || phase != Phase::Offering) {
            done(LINEERR_INVALCALLSTATE);
            return;
        }
        if (failed) {
            done(LINEERR_OPERATIONFAILED);
            return;
        }
        phase = Phase::Answering;
        ringGapTimer.setEnabled(false);
        enqueue([this, id, done] {
            if (failed) {
                done(LINEERR_OPERATIONFAILED);
                opDone();
                return;
            }
            if (id != callId || phase != Phase::Answering) {
                done(LINEERR_INVALCALLSTATE);
                opDone();
                return;
            }
            setPending(done);
            const QByteArray line =
                hashCommands ? QByteArray("ATA") : "AT+VLS=" + QByteArray::number(lineLabel);
            cmd(line, std::max<std::uint32_t>(opt.commandTimeoutMs, 10000),
                [this, id, line](const ModemReply& r) {
                    if (id != callId || phase != Phase::Answering) {
                        completePending(LINEERR_INVALCALLSTATE);
                        opDone();
                        return;
                    }
                    if (r.accepted()) {
                        phase = Phase::Connected;
                        completePending(0);
                        emitState(DeviceCallState::Connected);
                        ensureStream([this] { opDone(); });
                        return;
                    }
                    if (r.timedOut) {
                        completePending(LINEERR_OPERATIONFAILED);
                        phase = Phase::Offering;
                        healthCheck(QStringLiteral("no answer to %1").arg(QString::fromLatin1(line)),
                                    [this] { opDone(); });
                        return;
                    }
                    // Refused: the call keeps ringing.
                    phase = Phase::Offering;
                    ringGapTimer.restart();
                    completePending(LINEERR_OPERATIONFAILED);
                    opDone();
                });
        });
    }

    // ---------------------------------------------------------------- audio streams
    bool duplexWanted() const { return opt.duplex && duplexSupported.value_or(!hashCommands); }

    StreamKind wantedStream() const
    {
        if (!voice || format == SampleFormat::Unsupported || failed) {
            return StreamKind::None;
        }
        if (phase != Phase::Connected && phase != Phase::Disconnected) {
            return StreamKind::None;
        }
        if (duplexWanted()) {
            return StreamKind::Duplex;
        }
        return source && !transmitRefused ? StreamKind::Transmit : StreamKind::Receive;
    }

    QByteArray streamTerminator(StreamKind kind, bool abandon) const
    {
        switch (kind) {
        case StreamKind::Duplex:
            return modem::dleCode('^');
        case StreamKind::Receive:
            return modem::dleCode('!');
        case StreamKind::Transmit:
            // <DLE><CAN> drops what the modem still holds; without it the prompt plays out.
            return abandon ? modem::dleCode(modem::kCan) + modem::dleCode(modem::kEtx)
                           : modem::dleCode(modem::kEtx);
        case StreamKind::None:
            break;
        }
        return {};
    }

    // Brings the stream to what the call needs now, then runs `then`.
    void ensureStream(std::function<void()> then)
    {
        const StreamKind want = wantedStream();
        if (want == stream) {
            then();
            return;
        }
        if (stream != StreamKind::None) {
            stopStream(false, [this, then] { ensureStream(then); });
            return;
        }
        startStream(want, then);
    }

    void startStream(StreamKind kind, std::function<void()> then)
    {
        QByteArray line;
        switch (kind) {
        case StreamKind::Duplex:
            line = "AT+VTR";
            break;
        case StreamKind::Receive:
            line = hashCommands ? "AT#VRX" : "AT+VRX";
            break;
        case StreamKind::Transmit:
            line = hashCommands ? "AT#VTX" : "AT+VTX";
            break;
        case StreamKind::None:
            then();
            return;
        }
        cmd(
            line, opt.commandTimeoutMs,
            [this, kind, then, line](const ModemReply& r) {
                if (r.result == ResultCode::Connect) {
                    stream = kind;
                    if (kind == StreamKind::Duplex) {
                        duplexSupported = true;
                    }
                    beginStream();
                    // The call may have changed while the modem was switching.
                    ensureStream(then);
                    return;
                }
                if (r.timedOut) {
                    healthCheck(QStringLiteral("no answer to %1").arg(QString::fromLatin1(line)), then);
                    return;
                }
                if (kind == StreamKind::Duplex) {
                    duplexSupported = false;
                    ensureStream(then);
                    return;
                }
                if (kind == StreamKind::Transmit) {
                    // Without a transmit stream the prompt still has to run out.
                    transmitRefused = true;
                    pumpTimer.setEnabled(true);
                    ensureStream(then);
                    return;
                }
                trace("the modem refused to stream audio");
                then();
            },
            true);
    }

    void beginStream()
    {
        hasCarry = false;
        txCounter = PacedCounter(events.timeGetTime(), 8000);
        txLeadDue = true;
        pumpTimer.setEnabled(true);
    }

    void stopStream(bool abandon, std::function<void()> then)
    {
        if (stream == StreamKind::None) {
            then();
            return;
        }
        const QByteArray terminator = streamTerminator(stream, abandon);
        stream = StreamKind::None;
        streamClosing = true;
        pumpTimer.setEnabled(sourceNeedsDraining());
        channel.closeStream(terminator, kStreamCloseTimeoutMs, [this, then](const ModemReply& r) {
            if (r.reset) {
                streamClosing = false;
                return;
            }
            streamClosing = false;
            if (r.timedOut) {
                // Every way of ending a stream at once, then see whether the modem is still there.
                write(modem::dleCode('!') + modem::dleCode('^') + modem::dleCode(modem::kEtx) + "\r");
                healthCheck(QStringLiteral("it did not leave the audio stream"), then);
                return;
            }
            then();
        });
    }

    bool transmitStreaming() const
    {
        return (stream == StreamKind::Transmit || stream == StreamKind::Duplex) &&
               channel.mode() == ModemChannel::Mode::Stream;
    }

    // A prompt that cannot reach the modem (no call, no transmit stream, modem gone) still plays
    // out in time, so its player sees it end.
    bool sourceNeedsDraining() const
    {
        return source && !transmitStreaming() &&
               (failed || !callActive() || transmitRefused || !voice || format == SampleFormat::Unsupported);
    }

    void pump()
    {
        const bool streaming = transmitStreaming();
        const bool draining = !streaming && sourceNeedsDraining();
        if (!streaming && !draining) {
            pumpTimer.setEnabled(false);
            drainStarted = false;
            return;
        }
        const std::uint32_t now = events.timeGetTime();
        if (draining && !drainStarted) {
            drainStarted = true;
            txCounter = PacedCounter(now, 8000);
            txLeadDue = false;
        }
        if (streaming) {
            drainStarted = false;
        }
        std::uint64_t frames = txCounter.take(now);
        if (txLeadDue) {
            frames += opt.transmitLeadMs * 8;
            txLeadDue = false;
        }
        frames = std::min<std::uint64_t>(frames, kMaxPumpFrames);
        if (frames == 0) {
            return;
        }
        txSamples.assign(frames, 0);
        if (source) {
            source->pull(reinterpret_cast<std::uint8_t*>(txSamples.data()), frames * 2);
        }
        if (!streaming) {
            return;
        }
        // Silence fills what the program did not supply, so the modem never runs dry.
        QByteArray encoded;
        encoded.reserve(static_cast<qsizetype>(frames) * 2);
        modem::encodeSamples(format, txSamples.data(), txSamples.size(), encoded);
        channel.sendStream(modem::dleShield(encoded));
    }

    // ---------------------------------------------------------------- wave devices
    bool startCapture(WaveCaptureSink* s)
    {
        if (failed || !opened) {
            return false;
        }
        sink = s;
        hasCarry = false;
        return true;
    }

    void stopCapture() { sink = nullptr; }

    bool startPlayback(WavePlaybackSource* s)
    {
        source = s;
        transmitRefused = false;
        drainStarted = false;
        if (sourceNeedsDraining()) {
            pumpTimer.setEnabled(true);
        }
        if (stream != wantedStream() && (phase == Phase::Connected || phase == Phase::Disconnected)) {
            enqueue([this] { ensureStream([this] { opDone(); }); });
        }
        return true;
    }

    void stopPlayback()
    {
        source = nullptr;
        transmitRefused = false;
        if (stream != wantedStream() && (phase == Phase::Connected || phase == Phase::Disconnected)) {
            enqueue([this] { ensureStream([this] { opDone(); }); });
        }
    }

    // ---------------------------------------------------------------- hanging up
    void hangUp(std::uint32_t id, LineCompletion done)
    {
        if (id != callId || phase == Phase::None || phase == Phase::Ignoring || phase == Phase::HangingUp) {
            done(LINEERR_INVALCALLSTATE);
            return;
        }
        ringGapTimer.setEnabled(false);
        cancelGeneration(false);
        if (phase == Phase::Offering) {
            // A ringing call cannot be refused on an analog line; its rings are just not
            // reported any more.
            phase = Phase::Ignoring;
            ringGapTimer.restart();
            emitState(DeviceCallState::Idle);
            done(0);
            return;
        }
        if (failed) {
            failedIdleTimer.setEnabled(false);
            phase = Phase::None;
            emitState(DeviceCallState::Idle);
            done(0);
            return;
        }
        if (phase == Phase::Dialing) {
            write("\r"); // any character stops the dialling
        }
        phase = Phase::HangingUp;
        enqueue([this, id, done] {
            if (failed) {
                done(0);
                opDone();
                return;
            }
            setPending(done);
            stopStream(true, [this, id] {
                onHook([this, id] {
                    stream = StreamKind::None;
                    if (id == callId && phase == Phase::HangingUp) {
                        phase = Phase::None;
                        emitState(DeviceCallState::Idle);
                    }
                    completePending(0);
                    opDone();
                });
            });
        });
    }

    void onHook(std::function<void()> then)
    {
        if (!hashCommands) {
            cmd("AT+VLS=0", opt.commandTimeoutMs, [this, then](const ModemReply& r) {
                if (r.ok()) {
                    then();
                    return;
                }
                cmd("ATH", opt.commandTimeoutMs, [this, then](const ModemReply& h) {
                    if (h.timedOut) {
                        healthCheck(QStringLiteral("no answer to ATH"), [this, then] { reenterVoice(then); });
                        return;
                    }
                    reenterVoice(then);
                });
            });
            return;
        }
        // ATH takes "#" modems out of voice mode; their voice settings need sending again.
        cmd("ATH", opt.commandTimeoutMs, [this, then](const ModemReply& h) {
            if (h.timedOut) {
                healthCheck(QStringLiteral("no answer to ATH"), [this, then] { reenterVoice(then); });
                return;
            }
            reenterVoice(then);
        });
    }

    // ---------------------------------------------------------------- dialling
    void dial(const QByteArray& address, std::uint32_t* idOut, LineCompletion done)
    {
        if (failed || !opened) {
            done(LINEERR_RESOURCEUNAVAIL);
            return;
        }
        if (phase != Phase::None && phase != Phase::Ignoring) {
            done(LINEERR_CALLUNAVAIL);
            return;
        }
        const QByteArray number = modem::sanitizeDialString(address);
        if (number.isEmpty()) {
            done(LINEERR_INVALADDRESS);
            return;
        }
        ringGapTimer.setEnabled(false);
        callId = ++nextCallId;
        if (idOut) {
            *idOut = callId;
        }
        phase = Phase::Dialing;
        monitoring = false;
        ringbackSeen = false;
        done(0);
        emitState(DeviceCallState::Dialing);
        const std::uint32_t id = callId;
        enqueue([this, id, number] {
            if (failed || id != callId || phase != Phase::Dialing) {
                opDone();
                return;
            }
            emitState(DeviceCallState::Proceeding);
            cmd("ATD" + number, opt.dialTimeoutMs, [this, id](const ModemReply& r) {
                if (id != callId || phase != Phase::Dialing) {
                    opDone(); // hung up meanwhile
                    return;
                }
                switch (r.result) {
                case ResultCode::Ok:
                case ResultCode::Vcon:
                case ResultCode::Connect:
                    phase = Phase::Connected;
                    emitState(DeviceCallState::Connected);
                    ensureStream([this] { opDone(); });
                    return;
                case ResultCode::Busy:
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Busy, HangUpNotice::BusyTone);
                    emitState(DeviceCallState::Disconnected, HangUpNotice::BusyTone);
                    break;
                case ResultCode::NoDialTone:
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Disconnected, HangUpNotice::NoDialTone);
                    break;
                case ResultCode::NoAnswer:
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Disconnected, HangUpNotice::NoAnswer);
                    break;
                case ResultCode::Error:
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Disconnected, HangUpNotice::Rejected);
                    break;
                case ResultCode::NoCarrier:
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Disconnected, HangUpNotice::Unknown);
                    break;
                case ResultCode::None:
                    // Nobody answered in time: stop dialling.
                    write("\r");
                    phase = Phase::Disconnected;
                    emitState(DeviceCallState::Disconnected, HangUpNotice::NoAnswer);
                    break;
                }
                opDone();
            });
        });
    }

    // ---------------------------------------------------------------- digits and tones
    std::int32_t monitorDigits(std::uint32_t id, bool enable)
    {
        if (id != callId || phase == Phase::None || phase == Phase::Ignoring) {
            return LINEERR_INVALCALLSTATE;
        }
        monitoring = enable;
        return 0;
    }

    std::int32_t generate(std::uint32_t id, QList<QByteArray> commands, std::uint32_t totalMs)
    {
        if (id != callId || (phase != Phase::Connected && phase != Phase::Disconnected)) {
            return LINEERR_INVALCALLSTATE;
        }
        if (failed || !voice) {
            return LINEERR_OPERATIONUNAVAIL;
        }
        cancelGeneration(false);
        generating = true;
        const std::uint64_t token = ++generationToken;
        enqueue([this, token, commands, totalMs] {
            if (!generating || token != generationToken || failed) {
                opDone();
                return;
            }
            // Tones are commands, so the audio stream pauses for them.
            stopStream(false, [this, token, commands, totalMs] {
                runToneCommands(commands, 0, totalMs + opt.commandTimeoutMs, [this, token](bool ok) {
                    finishGeneration(token, ok);
                    ensureStream([this] { opDone(); });
                });
            });
        });
        return 0;
    }

    void runToneCommands(const QList<QByteArray>& commands, int index, std::uint32_t timeoutMs,
                         std::function<void(bool ok)> then)
    {
        if (index >= commands.size()) {
            then(true);
            return;
        }
        cmd(commands.at(index), timeoutMs, [this, commands, index, timeoutMs, then](const ModemReply& r) {
            if (r.timedOut) {
                healthCheck(QStringLiteral("no answer to %1").arg(QString::fromLatin1(commands.at(index))),
                            [then] { then(false); });
                return;
            }
            // A refused duration setting is not fatal; a refused tone is.
            const bool last = index + 1 >= commands.size();
            if (!r.ok() && last) {
                then(false);
                return;
            }
            runToneCommands(commands, index + 1, timeoutMs, then);
        });
    }

    void finishGeneration(std::uint64_t token, bool ok)
    {
        if (!generating || token != generationToken) {
            return;
        }
        generating = false;
        if (listener) {
            listener->generateFinished(callId, ok);
        }
    }

    void cancelGeneration(bool report)
    {
        if (!generating) {
            return;
        }
        generating = false;
        ++generationToken;
        if (report && listener) {
            listener->generateFinished(callId, false);
        }
    }

    std::uint32_t toneUnitMs() const { return hashCommands ? 100 : 10; }

    // ---------------------------------------------------------------- state
    EventService& events;
    ModemLineOptions opt;
    modem::ModemIdentity identity;
    QString name;
    SerialLink serial;
    ModemChannel channel;
    LineDeviceEvents* listener = nullptr;
    StatusHandler statusHandler;
    QString statusText;

    bool opened = false;
    bool ready = false;
    bool failed = false;
    bool recovering = false;

    // Set-up.
    bool hashCommands = false;
    bool voice = false;
    SampleFormat format = SampleFormat::Unsupported;
    int formatCode = -1;
    int lineLabel = 1;
    std::optional<bool> duplexSupported;
    QByteArray callerIdCommand;
    QByteArray initCommand;
    QList<QByteArray> voiceSetup;
    std::vector<modem::VoiceMethod> formatCandidates;
    InitDone initDone;

    // Operations.
    std::deque<std::function<void()>> ops;
    bool opRunning = false;
    LineCompletion pendingCompletion;
    int garbageLines = 0;
    bool healthCheckQueued = false;

    // Call.
    Phase phase = Phase::None;
    std::uint32_t callId = 0;
    std::uint32_t nextCallId = 0;
    std::uint32_t rings = 0;
    bool callerIdReported = false;
    bool monitoring = false;
    bool ringbackSeen = false;
    modem::CallerIdCollector cid;
    bool inCidPacket = false;
    bool dtmfRun = false;
    char runDigit = 0;
    bool generating = false;
    std::uint64_t generationToken = 0;

    // Audio.
    StreamKind stream = StreamKind::None;
    bool streamClosing = false;
    bool transmitRefused = false;
    WaveCaptureSink* sink = nullptr;
    WavePlaybackSource* source = nullptr;
    PacedCounter txCounter;
    bool txLeadDue = false;
    bool drainStarted = false;
    bool hasCarry = false;
    std::uint8_t carry = 0;
    std::vector<std::int16_t> rxSamples;
    std::vector<std::int16_t> txSamples;

    Timer ringGapTimer;
    Timer cidQuietTimer;
    Timer pumpTimer;
    Timer pollTimer;
    Timer failedIdleTimer;
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
    : impl_(std::make_shared<Impl>(events, std::move(options), std::move(identity)))
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
    impl_->statusHandler = std::move(handler);
}

bool ModemLine::failed() const
{
    return impl_->failed;
}

QString ModemLine::statusText() const
{
    return impl_->statusText;
}

ModemLine::SetupInfo ModemLine::setupInfo() const
{
    SetupInfo info;
    info.ready = impl_->ready;
    info.hashCommands = impl_->hashCommands;
    info.format = impl_->format;
    info.formatCode = impl_->formatCode;
    info.lineLabel = impl_->lineLabel;
    info.duplex = impl_->duplexSupported;
    info.callerIdCommand = impl_->callerIdCommand;
    info.initCommand = impl_->initCommand;
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
    impl_->answer(callId, std::move(done));
}

void ModemLine::hangUp(std::uint32_t callId, LineCompletion done)
{
    impl_->hangUp(callId, std::move(done));
}

void ModemLine::dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done)
{
    impl_->dial(address, callId, std::move(done));
}

std::int32_t ModemLine::monitorDigits(std::uint32_t callId, bool enable)
{
    return impl_->monitorDigits(callId, enable);
}

std::int32_t ModemLine::generateDigits(std::uint32_t callId, const QByteArray& digits,
                                       std::uint32_t durationMs)
{
    const std::uint32_t each = durationMs == 0 ? 100 : durationMs;
    const std::uint32_t unit = impl_->toneUnitMs();
    QList<QByteArray> commands;
    const QByteArray argument = modem::digitsArgument(digits, unit);
    if (argument.isEmpty()) {
        return LINEERR_INVALDIGITS;
    }
    if (!impl_->hashCommands) {
        commands.append("AT+VTD=" + QByteArray::number(std::clamp<std::uint32_t>((each + 5) / 10, 1, 255)));
        commands.append("AT+VTS=" + argument);
    } else {
        commands.append("AT#VTS=" + argument);
    }
    const std::uint32_t totalMs = static_cast<std::uint32_t>(digits.size()) * (each + 500);
    return impl_->generate(callId, commands, totalMs);
}

std::int32_t ModemLine::generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                                     std::uint32_t durationMs)
{
    const std::uint32_t length = durationMs == 0 ? 100 : durationMs;
    const QByteArray command = (impl_->hashCommands ? QByteArray("AT#VTS=") : QByteArray("AT+VTS=")) +
                               modem::toneArgument(frequenciesHz, length, impl_->toneUnitMs());
    return impl_->generate(callId, {command}, length);
}

void ModemLine::cancelGenerate(std::uint32_t callId)
{
    if (callId == impl_->callId) {
        impl_->cancelGeneration(true);
    }
}

} // namespace qlnrec::platform
