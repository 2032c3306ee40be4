#include "platform/modem/modem_events.h"

#include "platform/modem/at_response.h"
#include "platform/modem/modem_trace.h"

namespace qlnrec::platform::modem {

namespace {
// Caller-ID lines come in a burst; this much quiet after one ends the burst.
constexpr std::uint32_t kCallerIdQuietMs = 400;
} // namespace

ModemEventDecoder::ModemEventDecoder(EventService& events, Target& target, bool falseDialTone,
                                     QString traceName)
    : target_(target), falseDialTone_(falseDialTone), traceName_(std::move(traceName)),
      cidQuietTimer_(events, 0, [this] { reportCallerId(); })
{
}

void ModemEventDecoder::flushCallerId()
{
    if (cid_.hasData() && !inCidPacket_) {
        reportCallerId();
    }
}

void ModemEventDecoder::clear()
{
    cidQuietTimer_.setEnabled(false);
    cid_.clear();
    inCidPacket_ = false;
    dtmfRun_ = false;
    runDigit_ = 0;
}

void ModemEventDecoder::reportCallerId()
{
    cidQuietTimer_.setEnabled(false);
    inCidPacket_ = false;
    if (!cid_.hasData()) {
        return;
    }
    const CallerId id = cid_.take().callerId();
    if (id.number.kind == CallerIdField::Kind::Absent && id.name.kind == CallerIdField::Kind::Absent) {
        return; // date and time alone say nothing about the caller
    }
    target_.callerId(id);
}

void ModemEventDecoder::unsolicitedLine(const QByteArray& line)
{
    trace(traceName_, "< " + line);
    if (isRingLine(line)) {
        target_.ring();
        return;
    }
    if (cid_.addLine(line)) {
        // Inside a framed packet too: a packet whose closing <DLE>. was lost on the way still
        // ends with the quiet after its last line, rather than losing the caller.
        cidQuietTimer_.setInterval(kCallerIdQuietMs);
        cidQuietTimer_.restart();
        return;
    }
    const ResultCode r = classifyResult(line);
    if (r == ResultCode::NoCarrier || r == ResultCode::Busy) {
        target_.farEndGone(r == ResultCode::Busy ? HangUpNotice::BusyTone : HangUpNotice::Unknown);
    }
}

void ModemEventDecoder::code(char c)
{
    trace(traceName_, QByteArray("<DLE>") + c);
    switch (c) {
    case 'R':
        target_.ring();
        return;
    case 'X':
        inCidPacket_ = true;
        return;
    case '.':
        if (inCidPacket_) {
            inCidPacket_ = false;
            reportCallerId();
        }
        return;
    case '/':
        dtmfRun_ = true;
        runDigit_ = 0;
        return;
    case '~':
        dtmfRun_ = false;
        runDigit_ = 0;
        return;
    case 'b':
    case 'K':
        target_.farEndGone(HangUpNotice::BusyTone);
        return;
    case 'd':
        if (falseDialTone_ && target_.streaming()) {
            return;
        }
        target_.farEndGone(HangUpNotice::DialTone);
        return;
    case 'l':
        target_.farEndGone(HangUpNotice::LoopDrop);
        return;
    case 's':
    case 'q':
        // A caller listening to a prompt is silent; only silence while we listen counts.
        if (!target_.playing()) {
            target_.farEndGone(HangUpNotice::None);
        }
        return;
    case 'r':
        target_.ringback();
        return;
    default:
        break;
    }
    static const QByteArray dtmf("0123456789*#ABCD");
    if (dtmf.contains(c)) {
        digit(c);
    }
    // Everything else (timing marks, buffer reports, tone detections, handset states) carries
    // nothing for the line.
}

void ModemEventDecoder::digit(char d)
{
    if (dtmfRun_) {
        // Inside <DLE>/ ... <DLE>~ the digit repeats while the key is held.
        if (d == runDigit_) {
            return;
        }
        runDigit_ = d;
    }
    target_.digit(d);
}

} // namespace qlnrec::platform::modem
