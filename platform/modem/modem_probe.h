#pragma once
// Finding out what sits behind a serial port: does it answer AT, who made it, which classes it
// offers (voice when "8" is among them). The probe talks to the port directly with short
// time-outs, so a port without a modem costs well under a second.
#include "platform/core/event_service.h"
#include "platform/modem/at_response.h"
#include "platform/modem/dle_codec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace qlnrec::platform::modem {

struct ModemIdentity {
    QString port;
    bool answered = false;  // something answered "AT" with OK
    QString manufacturer;   // +FMI? / +GMI
    QString model;          // +FMM? / +GMM
    QString chip;           // ATI3
    QString info;           // ATI / ATI0
    QList<int> classes;     // +FCLASS=?
    bool voice = false;     // "8" among +FCLASS=? (V.253 voice command set)
    bool hashVoice = false; // "8" among #CLS=? only (older "#" voice command set)
    QString error;          // why the probe failed

    // "CX93001-EIS_V0.2002-V92 on /dev/ttyACM0": what the modem says it is, and where.
    QString displayName() const;
    // What the modem said about itself, without the port ("" when it said nothing useful).
    QString description() const;
    std::uint32_t mediaModes() const;
    bool isUsRobotics() const;
};

// Parses the classes of "AT+FCLASS=?" / "AT#CLS=?": "0,1,1.0,2,8", "(0-2,8)", "+FCLASS: (0,1,8)".
QList<int> parseClassList(const QList<QByteArray>& lines);
// The first meaningful line of an identification answer, without a "+FMI:"-style prefix or quotes.
QString identificationText(const QList<QByteArray>& lines);

// One answer to a probe's question: the information lines and the final result code.
struct ProbeReply {
    ResultCode result = ResultCode::None; // None: no final result came
    QList<QByteArray> lines;
    bool ok() const { return result == ResultCode::Ok; }
};

// Reads the answer to `command` as its bytes arrive, without the echo and without the rings and
// caller ID of a call that comes in meanwhile.
class ProbeAnswer {
public:
    explicit ProbeAnswer(QByteArray command) : command_(std::move(command)) {}
    // True once the final result code came (bytes after it are ignored).
    bool feed(const QByteArray& bytes);
    bool complete() const { return done_; }
    const ProbeReply& reply() const { return reply_; }

private:
    QByteArray command_;
    DleDecoder decoder_;
    LineAssembler assembler_;
    ProbeReply reply_;
    bool done_ = false;
};

// Asks a modem that answered "AT" who it is and which classes it offers; `ask` sends one
// command and returns its answer.
using ProbeAsk = std::function<ProbeReply(const QByteArray& command)>;
void readIdentity(ModemIdentity& id, const ProbeAsk& ask);

// Probes one port (blocking; for start-up and for an explicitly configured port). With a clock,
// no command waits longer than three answer time-outs even on a port that chatters without
// end (a GPS receiver, say).
ModemIdentity probeModem(const QString& port, int baudRate, int answerTimeoutMs,
                         const EventService* clock = nullptr);

// The ports worth probing: /dev/ttyACM*, /dev/ttyUSB* and the extra ones named, without repeats.
QStringList candidateModemPorts(const QStringList& extra);

} // namespace qlnrec::platform::modem
