#pragma once
// What the modem says on its own, read as line events: rings (RING or <DLE>R), caller ID (text
// lines, or framed by <DLE>X ... <DLE>.), touch tones (one report per key press, however often
// the modem repeats a held key), ringback, and the hang-up notices (busy tone, dial tone, loop
// drop, silence), with the quirks of the chipsets that send them falsely.
#include "platform/core/event_service.h"
#include "platform/modem/caller_id_parser.h"
#include "platform/modem/modem_channel.h"
#include "platform/telephony/line_device.h"

#include <QByteArray>

namespace qlnrec::platform::modem {

class ModemEventDecoder final : public ModemChannelListener {
public:
    class Target {
    public:
        virtual void ring() = 0;
        virtual void callerId(const CallerId& id) = 0;
        virtual void digit(char digit) = 0;
        virtual void ringback() = 0;
        virtual void farEndGone(HangUpNotice notice) = 0;
        // Audio of the open stream, and its end by the modem.
        virtual void audio(const char* data, std::size_t size) = 0;
        virtual void streamEnded() = 0;
        // Text that cannot come from a working modem.
        virtual void garbage(const QByteArray& sample) = 0;
        // Whether an audio stream is open, and whether a prompt is playing into it.
        virtual bool streaming() const = 0;
        virtual bool playing() const = 0;

    protected:
        ~Target() = default;
    };

    // falseDialTone: the modem reports dial tone falsely while it streams (US Robotics).
    ModemEventDecoder(EventService& events, Target& target, bool falseDialTone, QString traceName);
    ModemEventDecoder(const ModemEventDecoder&) = delete;
    ModemEventDecoder& operator=(const ModemEventDecoder&) = delete;

    // Caller ID that came before a ring belongs before it: reports it now unless a framed
    // packet is still arriving.
    void flushCallerId();
    // Forgets a half-read caller ID and touch tone (the call is over, or the modem was reset).
    void clear();

    // ---- ModemChannelListener ----
    void unsolicitedLine(const QByteArray& line) override;
    void code(char c) override;
    void audio(const char* data, std::size_t size) override { target_.audio(data, size); }
    void streamEnded() override { target_.streamEnded(); }
    void garbage(const QByteArray& sample) override { target_.garbage(sample); }

private:
    void reportCallerId();
    void digit(char d);

    Target& target_;
    bool falseDialTone_;
    QString traceName_;
    CallerIdCollector cid_;
    bool inCidPacket_ = false;
    bool dtmfRun_ = false;
    char runDigit_ = 0;
    Timer cidQuietTimer_;
};

} // namespace qlnrec::platform::modem
