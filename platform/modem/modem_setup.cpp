#include "platform/modem/modem_setup.h"

#include "platform/modem/modem_commands.h"

#include <algorithm>
#include <utility>

namespace qlnrec::platform::modem {

namespace {
// How often a command is sent before the set-up gives up on the modem.
constexpr int kAttempts = 3;
} // namespace

ModemSetup::ModemSetup(EventService& events, ModemCommander& commander, const ModemLineOptions& options,
                       bool hashCommands, std::function<bool()> fitsWideAudio)
    : commander_(commander), options_(options), fitsWideAudio_(std::move(fitsWideAudio)),
      hashCommandsAtStart_(hashCommands), retryTimer_(events, 0, [this] {
          retryTimer_.setEnabled(false);
          if (auto retry = std::exchange(retry_, nullptr)) {
              retry();
          }
      })
{
    settings_.hashCommands = hashCommands;
}

void ModemSetup::run(Done done)
{
    cancel();
    ready_ = false;
    garbageSeen_ = false;
    done_ = std::move(done);
    // Nothing an earlier, broken-off set-up found is kept.
    settings_ = VoiceSettings{};
    settings_.hashCommands = hashCommandsAtStart_;
    commander_.cmd("ATZ", std::max<std::uint32_t>(options_.commandTimeoutMs, 4000),
                   [this](const ModemReply& r) {
                       if (r.ok()) {
                           basics();
                           return;
                       }
                       // Some modems need a moment after a reset, or answer the next "AT" only.
                       ask("AT", [this](const ModemReply& again) {
                           if (again.ok()) {
                               basics();
                           } else {
                               finish(false, garbageSeen_ ? QStringLiteral("it answers garbage")
                                                          : QStringLiteral("does not answer AT commands"));
                           }
                       });
                   });
}

void ModemSetup::cancel()
{
    done_ = nullptr;
    retry_ = nullptr;
    retryTimer_.setEnabled(false);
}

void ModemSetup::finish(bool ok, const QString& why)
{
    if (ok) {
        ready_ = true;
    }
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) {
        done(ok, why);
    }
}

// Why the set-up stopped at a command that went unanswered.
QString ModemSetup::unanswered(const QByteArray& line, int tries) const
{
    if (garbageSeen_) {
        return QStringLiteral("it answers garbage");
    }
    if (line == "AT") {
        return QStringLiteral("does not answer AT commands");
    }
    return QStringLiteral("no answer to %1 after %2 tries").arg(QString::fromLatin1(line)).arg(tries);
}

// A command that must be answered; a command that stays unanswered ends the set-up.
void ModemSetup::ask(const QByteArray& line, std::function<void(const ModemReply&)> then)
{
    garbageSeen_ = false;
    attempt(line, 1, std::move(then));
}

void ModemSetup::attempt(const QByteArray& line, int tries, std::function<void(const ModemReply&)> then)
{
    commander_.cmd(line, options_.commandTimeoutMs, [this, line, tries, then](const ModemReply& r) {
        if (!r.timedOut) {
            then(r);
            return;
        }
        if (tries >= kAttempts) {
            finish(false, unanswered(line, tries));
            return;
        }
        commander_.trace("no answer to " + line + "; sending it again");
        // A lost CR leaves the command waiting in the modem: a CR ends it. Its answer, or a late
        // one, arrives while nothing waits and cannot be taken for the answer to the next try.
        commander_.write("\r");
        retry_ = [this, line, tries, then] { attempt(line, tries + 1, then); };
        retryTimer_.setInterval(std::max<std::uint32_t>(options_.commandTimeoutMs / 2, 500));
        retryTimer_.restart();
    });
}

void ModemSetup::basics()
{
    ask("ATE0V1Q0S0=0", [this](const ModemReply&) {
        settings_.initCommand = initCommandWithX3(options_.userInit);
        ask(settings_.initCommand, [this](const ModemReply& r) {
            if (!r.ok() && settings_.initCommand != "ATX3") {
                // The user's commands were refused; result codes still need X3.
                commander_.trace("user initialisation refused");
                ask("ATX3", [this](const ModemReply&) { voiceMode(); });
                return;
            }
            voiceMode();
        });
    });
}

void ModemSetup::voiceMode()
{
    if (settings_.hashCommands) {
        hashVoiceMode();
        return;
    }
    ask("AT+FCLASS=8", [this](const ModemReply& r) {
        if (!r.ok()) {
            hashVoiceMode();
            return;
        }
        settings_.hashCommands = false;
        settings_.voiceCommands.append("AT+FCLASS=8");
        formatList();
    });
}

void ModemSetup::hashVoiceMode()
{
    ask("AT#CLS=8", [this](const ModemReply& r) {
        if (!r.ok()) {
            // A data modem: rings and caller ID still work, audio does not.
            settings_.voice = false;
            callerId(0);
            return;
        }
        settings_.hashCommands = true;
        settings_.voiceCommands.append("AT#CLS=8");
        hashFormat();
    });
}

void ModemSetup::formatList()
{
    ask("AT+VSM=?", [this](const ModemReply& r) {
        std::vector<VoiceMethod> methods;
        if (r.ok()) {
            methods = parseVsmList(r.lines);
        }
        if (!fitsWideAudio_()) {
            methods.erase(
                std::remove_if(methods.begin(), methods.end(),
                               [](const VoiceMethod& m) { return m.format == SampleFormat::Signed16; }),
                methods.end());
        }
        candidates_ = rankVoiceMethods(methods, options_.format);
        if (candidates_.empty()) {
            // Nothing we can decode was listed: the safe V.253 choice.
            VoiceMethod safe;
            safe.code = 1;
            safe.name = "UNSIGNED PCM";
            safe.bits = 8;
            safe.format = SampleFormat::Unsigned8;
            candidates_.push_back(safe);
        }
        formatSet(0, false);
    });
}

void ModemSetup::formatSet(std::size_t index, bool longForm)
{
    if (index >= candidates_.size()) {
        settings_.voice = false;
        settings_.format = SampleFormat::Unsupported;
        commander_.trace("no usable audio format");
        lineLabel();
        return;
    }
    const VoiceMethod& m = candidates_[index];
    const QByteArray line =
        "AT+VSM=" + QByteArray::number(m.code) + ",8000" + (longForm ? QByteArray(",0,0") : QByteArray());
    ask(line, [this, index, longForm, line](const ModemReply& r) {
        if (r.ok()) {
            settings_.format = candidates_[index].format;
            settings_.formatCode = candidates_[index].code;
            settings_.voice = true;
            settings_.voiceCommands.append(line);
            lineLabel();
            return;
        }
        if (!longForm) {
            formatSet(index, true);
        } else {
            formatSet(index + 1, false);
        }
    });
}

void ModemSetup::hashFormat()
{
    const bool tryWide = fitsWideAudio_() && (!options_.format || *options_.format == SampleFormat::Signed16);
    auto narrow = [this] {
        ask("AT#VBS=8", [this](const ModemReply& r) {
            if (r.ok()) {
                settings_.format = SampleFormat::Unsigned8;
                settings_.formatCode = 8;
                settings_.voice = true;
                settings_.voiceCommands.append("AT#VBS=8");
            } else {
                settings_.format = SampleFormat::Unsupported;
                settings_.voice = false;
            }
            hashRate();
        });
    };
    if (!tryWide) {
        narrow();
        return;
    }
    ask("AT#VBS=16", [this, narrow](const ModemReply& r) {
        if (!r.ok()) {
            narrow();
            return;
        }
        settings_.format = SampleFormat::Signed16;
        settings_.formatCode = 16;
        settings_.voice = true;
        settings_.voiceCommands.append("AT#VBS=16");
        hashRate();
    });
}

void ModemSetup::hashRate()
{
    ask("AT#VSR=8000", [this](const ModemReply& r) {
        if (r.ok()) {
            settings_.voiceCommands.append("AT#VSR=8000");
        } else {
            commander_.trace("the modem refused 8000 samples/s");
        }
        settings_.lineLabel = 0;
        callerId(0);
    });
}

void ModemSetup::lineLabel()
{
    ask("AT+VLS=?", [this](const ModemReply& r) {
        settings_.lineLabel =
            chooseLineLabel(r.ok() ? parseVlsList(r.lines) : std::vector<VoiceLineOption>{});
        ask("AT+VLS=0", [this](const ModemReply&) { callerId(0); });
    });
}

QList<QByteArray> ModemSetup::callerIdCommands() const
{
    if (settings_.hashCommands) {
        return {"AT#CID=1", "AT+VCID=1", "AT#CC1", "AT%CCID=1", "AT*ID1"};
    }
    return {"AT+VCID=1", "AT#CID=1", "AT#CC1", "AT%CCID=1", "AT*ID1"};
}

void ModemSetup::callerId(int index)
{
    const QList<QByteArray> commands = callerIdCommands();
    if (index >= commands.size()) {
        settings_.callerIdCommand.clear();
        commander_.trace("no caller-ID command accepted");
        extras();
        return;
    }
    const QByteArray line = commands.at(index);
    ask(line, [this, index, line](const ModemReply& r) {
        if (r.ok()) {
            settings_.callerIdCommand = line;
            settings_.voiceCommands.append(line);
            extras();
        } else {
            callerId(index + 1);
        }
    });
}

void ModemSetup::extras()
{
    settings_.hangUpReportCommand.clear();
    if (!settings_.voice) {
        finish(true, {});
        return;
    }
    if (settings_.hashCommands) {
        hashToneReports();
        return;
    }
    loopCurrentReports();
}

namespace {
// Remote hang-up (a loop-current break while off hook, sent as <DLE>l) among the -STE bits.
constexpr int kSteRemoteHangUp = 4;

// The value of a "-STE?" answer ("3", "003", "-STE: 3"); -1 when there is none.
int steValue(const QList<QByteArray>& lines)
{
    for (const QByteArray& line : lines) {
        const QByteArray digits = line.mid(line.lastIndexOf(':') + 1).trimmed();
        bool ok = false;
        const int v = digits.toInt(&ok);
        if (ok && v >= 0 && v <= 255) {
            return v;
        }
    }
    return -1;
}
} // namespace

// A Conexant modem reports the caller's loop-current break only when -STE asks for it; other
// modems do not know -STE and answer ERROR. The user's own -STE bits are kept.
void ModemSetup::loopCurrentReports()
{
    ask("AT-STE?", [this](const ModemReply& r) {
        if (!r.ok()) {
            commander_.trace("no -STE: the loop-current break is reported as the modem does on its own");
            inactivityTimer();
            return;
        }
        setLoopCurrentReports(std::max(steValue(r.lines), 0));
    });
}

void ModemSetup::setLoopCurrentReports(int current)
{
    if ((current & kSteRemoteHangUp) != 0) {
        settings_.hangUpReportCommand = "AT-STE=" + QByteArray::number(current);
        inactivityTimer();
        return;
    }
    const QByteArray line = "AT-STE=" + QByteArray::number(current | kSteRemoteHangUp);
    ask(line, [this, line](const ModemReply& r) {
        if (r.ok()) {
            settings_.hangUpReportCommand = line;
        } else {
            commander_.trace("-STE refused: no loop-current reports");
        }
        inactivityTimer();
    });
}

// "#" modems report busy and dial tone (and touch tones) only when #VTD asks for them, and forget
// it with the other voice settings when they leave voice mode.
void ModemSetup::hashToneReports()
{
    const QByteArray line = "AT#VTD=3F,3F,3F";
    ask(line, [this, line](const ModemReply& r) {
        if (r.ok()) {
            settings_.hangUpReportCommand = line;
            settings_.voiceCommands.append(line);
        } else {
            commander_.trace("#VTD refused: tone reports as the modem does on its own");
        }
        finish(true, {});
    });
}

void ModemSetup::inactivityTimer()
{
    // The inactivity timer would drop the modem out of voice mode during long idle times.
    ask("AT+VIT=0", [this](const ModemReply&) { finish(true, {}); });
}

void ModemSetup::reenterVoice(std::function<void()> then, int index)
{
    if (index >= settings_.voiceCommands.size()) {
        then();
        return;
    }
    commander_.cmd(settings_.voiceCommands.at(index), options_.commandTimeoutMs,
                   [this, then, index](const ModemReply& r) {
                       if (r.timedOut) {
                           commander_.healthCheck(QStringLiteral("stopped answering"),
                                                  [this, then, index] { reenterVoice(then, index + 1); });
                           return;
                       }
                       reenterVoice(then, index + 1);
                   });
}

} // namespace qlnrec::platform::modem
