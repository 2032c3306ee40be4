#pragma once
// The simulated voice modem itself, without a port: bytes from the program go in through
// input(), what the modem says collects in output() for whoever carries it, and its clock moves
// only when advanceTo() is called. It answers as one chipset family would, rings, sends caller
// ID, streams far-end audio with <DLE> shielding, records what the program transmits, reports
// touch tones and hang-up notices and answers dialled calls. Not thread-safe: ModemSimulator
// serves it over a pseudo-terminal or inside the process.
#include "tests/platform/modem/modemsim/sim_family.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace qlnrec::modemsim {

// A fault that meets the next commands starting with a given prefix.
enum class CommandFault {
    SlowReply,       // answered `amount` ms late
    GarbledReply,    // answered with random bytes instead of its result
    LostCommandByte, // the byte at `amount` never arrives (its length: the CR, so it waits for more)
};

struct SimCallerId {
    QByteArray date = "1207"; // MMDD; empty leaves the line out
    QByteArray time = "1405"; // HHMM; empty leaves the line out
    QByteArray number;        // digits, "P" or "O"; empty leaves the line out
    QByteArray name;          // empty leaves the line out
    QByteArray message;       // a MESG line when not empty
};

class SimModem {
public:
    explicit SimModem(SimFamily family);
    ~SimModem();
    SimModem(const SimModem&) = delete;
    SimModem& operator=(const SimModem&) = delete;

    const SimFamily& family() const;

    // ---- the program's side ----
    void input(const QByteArray& bytes);
    // Moves the modem's clock (milliseconds, never backwards): what falls due runs, far-end
    // audio streams.
    void advanceTo(std::uint64_t nowMs);
    // What the modem said and nobody took yet.
    QByteArray& output();
    // Plugged in and freshly powered on / pulled out (what it would say is lost).
    void powerOn();
    void pullOut();

    // ---- the far end and the line (see ModemSimulator) ----
    void ring();
    void sendCallerId(const SimCallerId& id);
    // How later caller IDs are reported (a modem set to unformatted reports by its owner, say).
    void setCallerIdStyle(SimFamily::CallerIdStyle style);
    void queueFarEndAudio(const std::vector<std::int16_t>& samples);
    void setAudioSpeed(double speed);
    void setFillSilence(bool on);
    void sendDtmf(const QByteArray& digits);
    void sendNotice(char code);
    void setDialOutcome(const QByteArray& result, int delayMs);
    void setGarbage(bool on);
    void sendRaw(const QByteArray& bytes);
    void setToneTimeScale(double scale);
    // The caller hangs up: reported as the family does with what the program enabled.
    void farEndHangsUp();
    // What the exchange plays once the caller has gone ('b' busy, 'd' dial tone, 0 nothing).
    void setExchangeAfterHangUp(char tone, int delayMs);

    // ---- faults ----
    // Every command is carried out and answered this long after its CR.
    void setReplyDelay(int ms);
    // The answer to the next command starting with commandPrefix ("" any) loses the byte at
    // `index` of its framed result code ("\r\nOK\r\n": 3 is the K).
    void dropInReply(const QByteArray& commandPrefix, int index);
    void faultOnCommand(const QByteArray& commandPrefix, CommandFault fault, int amount = 0, int times = 1);
    // The next shielded code loses its <DLE> (dle true) or the code after it.
    void dropInNextCode(bool dle);

    // ---- what happened ----
    bool offHook() const;
    bool voiceClass() const;
    QString streamState() const;
    SimFormat format() const;
    int formatCode() const;
    QList<QByteArray> commands() const;
    bool sawCommand(const QByteArray& prefix) const;
    QList<QByteArray> dialled() const;
    QList<QByteArray> tones() const;
    QByteArray transmittedBytes() const;
    std::vector<std::int16_t> transmitted() const;
    void clearTransmitted();
    QByteArray farEndSentBytes() const;
    std::vector<std::int16_t> farEndSent() const;
    bool farEndQueueEmpty() const;
    std::size_t farEndSentSamples() const;
    std::uint64_t dataDleSent() const;
    std::uint64_t compactDleSent() const;
    int streamsStarted() const;

private:
    struct Core;
    std::unique_ptr<Core> core_;
};

} // namespace qlnrec::modemsim
