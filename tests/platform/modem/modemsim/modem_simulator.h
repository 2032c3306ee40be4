#pragma once
// A simulated voice modem (SimModem) where the program can reach it. Over a pseudo-terminal the
// program opens the terminal's slave side (by a stable symbolic link, so a modem that is
// "unplugged" and "plugged in" again reappears under the same name) and the modem runs on its
// own thread in real time. Inside the process it is wired to the line's byte link and runs in
// the event service's (virtual) time.
//
// Every public function may be called from any thread.
#include "platform/core/event_service.h"
#include "tests/platform/modem/modemsim/sim_family.h"
#include "tests/platform/modem/modemsim/sim_modem.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qlnrec::modemsim {

class ModemSimulator {
public:
    // Over a pseudo-terminal; linkPath: where the symbolic link to the terminal goes (a
    // temporary folder by default).
    explicit ModemSimulator(SimFamily family, QString linkPath = {});
    // Inside the process: its clock and timers are those of `events`; attach() wires it.
    ModemSimulator(SimFamily family, platform::EventService& events);
    ~ModemSimulator();
    ModemSimulator(const ModemSimulator&) = delete;
    ModemSimulator& operator=(const ModemSimulator&) = delete;

    bool start(QString* error = nullptr);
    QString portPath() const;     // the symbolic link (a name inside the process)
    QString terminalPath() const; // the current /dev/pts/N ("" inside the process)

    // ---- inside the process ----
    struct Wire {
        std::function<void(const QByteArray& bytes)> send; // what the modem says
        std::function<void(bool pluggedIn)> presence;      // unplug() / plugIn()
    };
    void attach(Wire wire);
    // Bytes the program wrote.
    void receive(const QByteArray& bytes);
    const SimFamily& family() const { return family_; }

    // ---- the far end and the line ----
    void ring();
    void sendCallerId(const SimCallerId& id);
    void setCallerIdStyle(SimFamily::CallerIdStyle style);
    // Far-end speech, 8 kHz 16-bit; sent while a receive or duplex stream is open, in the format
    // the program chose, `speed` times faster than real time.
    void queueFarEndAudio(const std::vector<std::int16_t>& samples);
    // The same from a PCM WAVE file (any rate, mono or stereo, converted to 8 kHz mono).
    bool queueFarEndWav(const QString& path, QString* error = nullptr);
    void setAudioSpeed(double speed);
    // Silence between far-end audio (as a real modem streams continuously).
    void setFillSilence(bool on);
    void sendDtmf(const QByteArray& digits);
    // A shielded code from the modem: 'b' busy, 'd' dial tone, 'l' loop drop, 's'/'q' silence.
    void sendNotice(char code);
    // What ATD leads to: "OK"/"VCON" (answered; the family's own word when empty), "BUSY",
    // "NO DIALTONE", "NO ANSWER", "NO CARRIER"; after delayMs, with <DLE>r ringback first.
    void setDialOutcome(const QByteArray& result, int delayMs = 300);
    // Answers every command with random bytes (a modem gone mad) while on.
    void setGarbage(bool on);
    void sendRaw(const QByteArray& bytes);
    // Pulls the modem out (the terminal closes) / plugs it in again (a new terminal behind the
    // same link, the modem freshly powered on).
    void unplug();
    bool plugIn(QString* error = nullptr);
    // Scales how long +VTS tones take (1 = their real length).
    void setToneTimeScale(double scale);
    // The caller hangs up; the modem reports it as its family does with what the program
    // enabled (loop-current break, silence, the exchange's tone).
    void farEndHangsUp();
    // What the exchange plays once the caller has gone: 'b' busy (the default, after 4 s),
    // 'd' dial tone, 0 nothing.
    void setExchangeAfterHangUp(char tone, int delayMs = 4000);

    // ---- a failing modem ----
    // Each command is carried out and answered this long after it arrives.
    void setReplyDelay(int ms);
    // The answer to the next command starting with commandPrefix ("" any) loses the byte at
    // `index` of its framed result code ("\r\nOK\r\n": 3 is the K, 4 the CR).
    void dropInReply(const QByteArray& commandPrefix, int index);
    // The next `times` commands starting with commandPrefix meet `fault` (see CommandFault).
    void faultOnCommand(const QByteArray& commandPrefix, CommandFault fault, int amount = 0, int times = 1);
    // The next shielded code loses its <DLE> (dle true) or the code after it.
    void dropInNextCode(bool dle);
    // Inside the process only: the modem is pulled out when a command starting with
    // commandPrefix arrives (before it answers).
    void vanishOnCommand(const QByteArray& commandPrefix);

    // ---- what happened ----
    bool offHook() const;
    bool voiceClass() const;
    QString streamState() const; // "command", "receive", "transmit", "duplex", "dialing"
    SimFormat format() const;
    int formatCode() const;
    QList<QByteArray> commands() const;
    bool sawCommand(const QByteArray& prefix) const;
    QList<QByteArray> dialled() const;
    QList<QByteArray> tones() const; // arguments of +VTS / #VTS
    // Audio the program transmitted (unshielded bytes in the format at the time, decoded).
    QByteArray transmittedBytes() const;
    std::vector<std::int16_t> transmitted() const;
    void clearTransmitted();
    // Far-end audio sent so far (the queued speech only, not the silence between).
    QByteArray farEndSentBytes() const;
    std::vector<std::int16_t> farEndSent() const;
    bool farEndQueueEmpty() const;
    std::size_t farEndSentSamples() const;
    // Shielded bytes written to the program so far, and how many 0x10 data bytes they carried.
    std::uint64_t dataDleSent() const;
    std::uint64_t compactDleSent() const;
    int streamsStarted() const;
    bool pluggedIn() const;

    // Runs fn on the simulator thread (for one-off scripting).
    void post(std::function<void()> fn);

    class Transport;

private:
    template <typename T> T read(T (SimModem::*query)() const) const;

    SimFamily family_;
    std::unique_ptr<Transport> transport_;
};

} // namespace qlnrec::modemsim
