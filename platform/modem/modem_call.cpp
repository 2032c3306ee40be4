#include "platform/modem/modem_call.h"

#include "platform/modem/modem_commands.h"
#include "platform/telephony/tapi_types.h"

#include <algorithm>

namespace qlnrec::platform::modem {

namespace {
// How long the call of a vanished modem waits for the program to hang up before it ends itself.
constexpr std::uint32_t kFailedIdleMs = 1500;
} // namespace

ModemCall::ModemCall(EventService& events, ModemCommander& commander, ModemSetup& setup, ModemAudio& audio,
                     ModemEventDecoder& decoder, const ModemLineOptions& options, LineView line)
    : commander_(commander), setup_(setup), audio_(audio), decoder_(decoder), options_(options),
      line_(std::move(line)), ringGapTimer_(events, 0, [this] { onRingGap(); }),
      failedIdleTimer_(events, 0, [this] { onFailedIdle(); })
{
}

bool ModemCall::active() const
{
    return phase_ == Phase::Answering || phase_ == Phase::Dialing || phase_ == Phase::Connected ||
           phase_ == Phase::Disconnected || phase_ == Phase::HangingUp;
}

void ModemCall::emitState(DeviceCallState state, HangUpNotice notice)
{
    commander_.trace("call " + QByteArray::number(callId_) + " state " +
                     QByteArray::number(static_cast<int>(state)));
    if (listener_) {
        listener_->callState(callId_, state, notice);
    }
}

void ModemCall::completePending(std::int32_t result)
{
    if (pending_) {
        LineCompletion done = std::move(pending_);
        pending_ = nullptr;
        done(result);
    }
}

// ---------------------------------------------------------------------------- incoming calls

void ModemCall::startIncoming()
{
    callId_ = ++nextCallId_;
    phase_ = Phase::Offering;
    rings_ = 0;
    callerIdReported_ = false;
    monitoring_ = false;
    emitState(DeviceCallState::Offering);
}

void ModemCall::ring()
{
    if (!usable()) {
        return;
    }
    if (phase_ == Phase::None) {
        startIncoming();
    }
    if (phase_ == Phase::Ignoring) {
        ringGapTimer_.restart();
        return;
    }
    if (phase_ != Phase::Offering) {
        return;
    }
    decoder_.flushCallerId();
    ++rings_;
    if (listener_) {
        listener_->ring(callId_, rings_);
    }
    ringGapTimer_.setInterval(options_.ringTimeoutMs);
    ringGapTimer_.restart();
}

void ModemCall::callerId(const CallerId& id)
{
    if (!usable()) {
        return;
    }
    if (phase_ == Phase::None) {
        // Caller ID before the first ring (some exchanges send it so).
        startIncoming();
        ringGapTimer_.setInterval(options_.ringTimeoutMs);
        ringGapTimer_.restart();
    }
    if (phase_ != Phase::Offering || callerIdReported_) {
        return; // a repeated packet, or call waiting during a call
    }
    callerIdReported_ = true;
    if (listener_) {
        listener_->callerId(callId_, id);
    }
}

void ModemCall::onRingGap()
{
    ringGapTimer_.setEnabled(false);
    if (phase_ == Phase::Offering) {
        phase_ = Phase::None;
        decoder_.clear();
        emitState(DeviceCallState::Idle);
    } else if (phase_ == Phase::Ignoring) {
        phase_ = Phase::None;
        decoder_.clear();
    }
}

void ModemCall::digit(char digit)
{
    if (phase_ != Phase::Connected || !monitoring_) {
        return;
    }
    if (listener_) {
        listener_->digitDetected(callId_, digit);
    }
}

void ModemCall::ringback()
{
    if (phase_ == Phase::Dialing && !ringbackSeen_) {
        ringbackSeen_ = true;
        emitState(DeviceCallState::Ringback);
    }
}

void ModemCall::farEndGone(HangUpNotice notice)
{
    if (phase_ != Phase::Connected) {
        return;
    }
    phase_ = Phase::Disconnected;
    emitState(DeviceCallState::Disconnected, notice);
}

// ---------------------------------------------------------------------------- answering

void ModemCall::answer(std::uint32_t id, LineCompletion done)
{
    if (id != callId_ || phase_ != Phase::Offering) {
        done(LINEERR_INVALCALLSTATE);
        return;
    }
    if (line_.failed()) {
        done(LINEERR_OPERATIONFAILED);
        return;
    }
    phase_ = Phase::Answering;
    ringGapTimer_.setEnabled(false);
    commander_.enqueue([this, id, done] {
        if (line_.failed()) {
            done(LINEERR_OPERATIONFAILED);
            commander_.opDone();
            return;
        }
        if (id != callId_ || phase_ != Phase::Answering) {
            done(LINEERR_INVALCALLSTATE);
            commander_.opDone();
            return;
        }
        setPending(done);
        const QByteArray line = pickUpCommand();
        commander_.cmd(line, std::max<std::uint32_t>(options_.commandTimeoutMs, 10000),
                       [this, id, line](const ModemReply& r) {
                           if (id != callId_ || phase_ != Phase::Answering) {
                               completePending(LINEERR_INVALCALLSTATE);
                               commander_.opDone();
                               return;
                           }
                           if (r.accepted()) {
                               phase_ = Phase::Connected;
                               completePending(0);
                               emitState(DeviceCallState::Connected);
                               audio_.ensureStream([this] { commander_.opDone(); });
                               return;
                           }
                           if (r.timedOut) {
                               // The modem may have gone off hook all the same (its answer
                               // got lost): back on hook, and the call rings on or is given up.
                               completePending(LINEERR_OPERATIONFAILED);
                               phase_ = Phase::Offering;
                               ringGapTimer_.restart();
                               commander_.healthCheck(
                                   QStringLiteral("no answer to %1").arg(QString::fromLatin1(line)),
                                   [this] { onHook([this] { commander_.opDone(); }); });
                               return;
                           }
                           // Refused: the call keeps ringing.
                           phase_ = Phase::Offering;
                           ringGapTimer_.restart();
                           completePending(LINEERR_OPERATIONFAILED);
                           commander_.opDone();
                       });
    });
}

// ---------------------------------------------------------------------------- hanging up

void ModemCall::hangUp(std::uint32_t id, LineCompletion done)
{
    if (id != callId_ || phase_ == Phase::None || phase_ == Phase::Ignoring || phase_ == Phase::HangingUp) {
        done(LINEERR_INVALCALLSTATE);
        return;
    }
    ringGapTimer_.setEnabled(false);
    cancelGeneration(false);
    if (phase_ == Phase::Offering) {
        // A ringing call cannot be refused on an analog line; its rings are just not reported
        // any more.
        phase_ = Phase::Ignoring;
        ringGapTimer_.restart();
        emitState(DeviceCallState::Idle);
        done(0);
        return;
    }
    if (line_.failed()) {
        failedIdleTimer_.setEnabled(false);
        phase_ = Phase::None;
        emitState(DeviceCallState::Idle);
        done(0);
        return;
    }
    if (phase_ == Phase::Dialing) {
        commander_.write("\r"); // any character stops the dialling
    }
    phase_ = Phase::HangingUp;
    commander_.enqueue([this, id, done] {
        if (line_.failed()) {
            done(0);
            commander_.opDone();
            return;
        }
        setPending(done);
        audio_.stopStream(true, [this, id] {
            onHook([this, id] {
                audio_.forgetStream();
                if (id == callId_ && phase_ == Phase::HangingUp) {
                    phase_ = Phase::None;
                    emitState(DeviceCallState::Idle);
                }
                completePending(0);
                commander_.opDone();
            });
        });
    });
}

void ModemCall::onHook(std::function<void()> then)
{
    auto hangUpCommand = [this, then] {
        // ATH takes some modems ("#" ones always) out of voice mode; their voice settings need
        // sending again.
        commander_.cmd("ATH", options_.commandTimeoutMs, [this, then](const ModemReply& h) {
            if (h.timedOut) {
                commander_.healthCheck(QStringLiteral("no answer to ATH"),
                                       [this, then] { setup_.reenterVoice(then); });
                return;
            }
            setup_.reenterVoice(then);
        });
    };
    if (setup_.settings().hashCommands) {
        hangUpCommand();
        return;
    }
    commander_.cmd("AT+VLS=0", options_.commandTimeoutMs, [then, hangUpCommand](const ModemReply& r) {
        if (r.ok()) {
            then();
            return;
        }
        hangUpCommand();
    });
}

// ---------------------------------------------------------------------------- dialling

QByteArray ModemCall::pickUpCommand() const
{
    const VoiceSettings& s = setup_.settings();
    return s.hashCommands ? QByteArray("ATA") : "AT+VLS=" + QByteArray::number(s.lineLabel);
}

void ModemCall::dial(const QByteArray& address, std::uint32_t* idOut, LineCompletion done)
{
    if (!usable()) {
        done(LINEERR_RESOURCEUNAVAIL);
        return;
    }
    if (phase_ != Phase::None && phase_ != Phase::Ignoring) {
        done(LINEERR_CALLUNAVAIL);
        return;
    }
    const bool join = isJoinCallAddress(address);
    const QByteArray number = join ? QByteArray() : sanitizeDialString(address);
    if (number.isEmpty() && !join) {
        done(LINEERR_INVALADDRESS);
        return;
    }
    ringGapTimer_.setEnabled(false);
    callId_ = ++nextCallId_;
    if (idOut) {
        *idOut = callId_;
    }
    phase_ = Phase::Dialing;
    monitoring_ = false;
    ringbackSeen_ = false;
    done(0);
    emitState(DeviceCallState::Dialing);
    const std::uint32_t id = callId_;
    commander_.enqueue([this, id, number, join] {
        if (line_.failed() || id != callId_ || phase_ != Phase::Dialing) {
            commander_.opDone();
            return;
        }
        if (join) {
            // The call was dialled on the telephone set: pick the line up as for answering, and
            // dial nothing.
            commander_.cmd(pickUpCommand(), std::max<std::uint32_t>(options_.commandTimeoutMs, 10000),
                           [this, id](const ModemReply& r) {
                               if (id != callId_ || phase_ != Phase::Dialing) {
                                   commander_.opDone();
                                   return;
                               }
                               if (r.accepted()) {
                                   dialled(id, r);
                                   return;
                               }
                               phase_ = Phase::Disconnected;
                               emitState(DeviceCallState::Disconnected, HangUpNotice::Rejected);
                               commander_.opDone();
                           });
            return;
        }
        emitState(DeviceCallState::Proceeding);
        commander_.cmd("ATD" + number, options_.dialTimeoutMs, [this, id](const ModemReply& r) {
            if (id != callId_ || phase_ != Phase::Dialing) {
                commander_.opDone(); // hung up meanwhile
                return;
            }
            dialled(id, r);
        });
    });
}

void ModemCall::dialled(std::uint32_t, const ModemReply& r)
{
    switch (r.result) {
    case ResultCode::Ok:
    case ResultCode::Vcon:
    case ResultCode::Connect:
        phase_ = Phase::Connected;
        emitState(DeviceCallState::Connected);
        audio_.ensureStream([this] { commander_.opDone(); });
        return;
    case ResultCode::Busy:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Busy, HangUpNotice::BusyTone);
        emitState(DeviceCallState::Disconnected, HangUpNotice::BusyTone);
        break;
    case ResultCode::NoDialTone:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::NoDialTone);
        break;
    case ResultCode::NoAnswer:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::NoAnswer);
        break;
    case ResultCode::Error:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::Rejected);
        break;
    case ResultCode::NoCarrier:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::Unknown);
        break;
    case ResultCode::None:
        // Nobody answered in time: stop dialling.
        commander_.write("\r");
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::NoAnswer);
        break;
    }
    commander_.opDone();
}

// ---------------------------------------------------------------------------- digits and tones

std::int32_t ModemCall::monitorDigits(std::uint32_t id, bool enable)
{
    if (id != callId_ || phase_ == Phase::None || phase_ == Phase::Ignoring) {
        return LINEERR_INVALCALLSTATE;
    }
    monitoring_ = enable;
    return 0;
}

std::int32_t ModemCall::generateDigits(std::uint32_t id, const QByteArray& digits, std::uint32_t durationMs)
{
    const std::uint32_t each = durationMs == 0 ? 100 : durationMs;
    const QByteArray argument = digitsArgument(digits, setup_.toneUnitMs());
    if (argument.isEmpty()) {
        return LINEERR_INVALDIGITS;
    }
    QList<QByteArray> commands;
    if (!setup_.settings().hashCommands) {
        commands.append("AT+VTD=" + QByteArray::number(std::clamp<std::uint32_t>((each + 5) / 10, 1, 255)));
        commands.append("AT+VTS=" + argument);
    } else {
        commands.append("AT#VTS=" + argument);
    }
    const std::uint32_t totalMs = static_cast<std::uint32_t>(digits.size()) * (each + 500);
    return generate(id, commands, totalMs);
}

std::int32_t ModemCall::generateTone(std::uint32_t id, const std::vector<std::uint32_t>& frequenciesHz,
                                     std::uint32_t durationMs)
{
    const std::uint32_t length = durationMs == 0 ? 100 : durationMs;
    const QByteArray command =
        (setup_.settings().hashCommands ? QByteArray("AT#VTS=") : QByteArray("AT+VTS=")) +
        toneArgument(frequenciesHz, length, setup_.toneUnitMs());
    return generate(id, {command}, length);
}

void ModemCall::cancelGenerate(std::uint32_t id)
{
    if (id == callId_) {
        cancelGeneration(true);
    }
}

std::int32_t ModemCall::generate(std::uint32_t id, QList<QByteArray> commands, std::uint32_t totalMs)
{
    if (id != callId_ || !offHook()) {
        return LINEERR_INVALCALLSTATE;
    }
    if (line_.failed() || !setup_.settings().voice) {
        return LINEERR_OPERATIONUNAVAIL;
    }
    cancelGeneration(false);
    generating_ = true;
    const std::uint64_t token = ++generationToken_;
    commander_.enqueue([this, token, commands, totalMs] {
        if (!generating_ || token != generationToken_ || line_.failed()) {
            commander_.opDone();
            return;
        }
        // Tones are commands, so the audio stream pauses for them.
        audio_.stopStream(false, [this, token, commands, totalMs] {
            runToneCommands(commands, 0, totalMs + options_.commandTimeoutMs, [this, token](bool ok) {
                finishGeneration(token, ok);
                audio_.ensureStream([this] { commander_.opDone(); });
            });
        });
    });
    return 0;
}

void ModemCall::runToneCommands(const QList<QByteArray>& commands, int index, std::uint32_t timeoutMs,
                                std::function<void(bool ok)> then)
{
    if (index >= commands.size()) {
        then(true);
        return;
    }
    commander_.cmd(commands.at(index), timeoutMs,
                   [this, commands, index, timeoutMs, then](const ModemReply& r) {
                       if (r.timedOut) {
                           commander_.healthCheck(
                               QStringLiteral("no answer to %1").arg(QString::fromLatin1(commands.at(index))),
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

void ModemCall::finishGeneration(std::uint64_t token, bool ok)
{
    if (!generating_ || token != generationToken_) {
        return;
    }
    generating_ = false;
    if (listener_) {
        listener_->generateFinished(callId_, ok);
    }
}

void ModemCall::cancelGeneration(bool report)
{
    if (!generating_) {
        return;
    }
    generating_ = false;
    ++generationToken_;
    if (report && listener_) {
        listener_->generateFinished(callId_, false);
    }
}

// ---------------------------------------------------------------------------- the modem went away

void ModemCall::modemLost()
{
    ringGapTimer_.setEnabled(false);
    completePending(LINEERR_OPERATIONFAILED);
    if (generating_) {
        generating_ = false;
        if (listener_) {
            listener_->generateFinished(callId_, false);
        }
    }
    switch (phase_) {
    case Phase::None:
        break;
    case Phase::Offering:
        phase_ = Phase::None;
        emitState(DeviceCallState::Idle);
        break;
    case Phase::Ignoring:
        phase_ = Phase::None;
        break;
    case Phase::Answering:
    case Phase::Dialing:
    case Phase::Connected:
    case Phase::HangingUp:
        phase_ = Phase::Disconnected;
        emitState(DeviceCallState::Disconnected, HangUpNotice::Unknown);
        failedIdleTimer_.setInterval(kFailedIdleMs);
        failedIdleTimer_.setEnabled(true);
        break;
    case Phase::Disconnected:
        failedIdleTimer_.setInterval(kFailedIdleMs);
        failedIdleTimer_.setEnabled(true);
        break;
    }
}

// The program did not hang up the call of a vanished modem: end it for it.
void ModemCall::onFailedIdle()
{
    failedIdleTimer_.setEnabled(false);
    if (phase_ != Phase::None && line_.failed()) {
        phase_ = Phase::None;
        emitState(DeviceCallState::Idle);
    }
}

void ModemCall::closeQuietly()
{
    ringGapTimer_.setEnabled(false);
    failedIdleTimer_.setEnabled(false);
    completePending(LINEERR_OPERATIONFAILED);
    phase_ = Phase::None;
    generating_ = false;
}

} // namespace qlnrec::platform::modem
