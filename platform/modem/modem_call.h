#pragma once
// The calls of one modem line: an incoming call from its first ring (or its caller ID) to the
// moment it is answered, dropped or given up by the caller; answering, dialling, hanging up;
// touch tones and beeps; the far end's hang-up notices; and the end of a call whose modem went
// away. Reports every change to the line's listener.
#include "platform/core/event_service.h"
#include "platform/modem/modem_audio.h"
#include "platform/modem/modem_commander.h"
#include "platform/modem/modem_events.h"
#include "platform/modem/modem_options.h"
#include "platform/modem/modem_setup.h"
#include "platform/telephony/line_device.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <functional>
#include <vector>

namespace qlnrec::platform::modem {

class ModemCall {
public:
    // The state of the line around the call.
    struct LineView {
        std::function<bool()> opened;
        std::function<bool()> failed;
    };

    ModemCall(EventService& events, ModemCommander& commander, ModemSetup& setup, ModemAudio& audio,
              ModemEventDecoder& decoder, const ModemLineOptions& options, LineView line);
    ModemCall(const ModemCall&) = delete;
    ModemCall& operator=(const ModemCall&) = delete;

    void setListener(LineDeviceEvents* listener) { listener_ = listener; }
    std::uint32_t callId() const { return callId_; }

    // ---- for the audio ----
    bool connected() const { return phase_ == Phase::Connected; }
    bool offHook() const { return phase_ == Phase::Connected || phase_ == Phase::Disconnected; }
    bool active() const;

    // ---- what the modem reported ----
    void ring();
    void callerId(const CallerId& id);
    void digit(char digit);
    void ringback();
    void farEndGone(HangUpNotice notice);

    // ---- what the program asks for ----
    void answer(std::uint32_t id, LineCompletion done);
    void hangUp(std::uint32_t id, LineCompletion done);
    void dial(const QByteArray& address, std::uint32_t* idOut, LineCompletion done);
    std::int32_t monitorDigits(std::uint32_t id, bool enable);
    std::int32_t generateDigits(std::uint32_t id, const QByteArray& digits, std::uint32_t durationMs);
    std::int32_t generateTone(std::uint32_t id, const std::vector<std::uint32_t>& frequenciesHz,
                              std::uint32_t durationMs);
    void cancelGenerate(std::uint32_t id);

    // ---- the modem went away, the line closes ----
    // Answers what was waiting for the modem and ends the call (the program is told).
    void modemLost();
    // Ends everything without telling anyone (the line is closing); what waits gets a failure.
    void closeQuietly();

private:
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

    bool usable() const { return line_.opened() && !line_.failed(); }
    void emitState(DeviceCallState state, HangUpNotice notice = HangUpNotice::None);
    void setPending(LineCompletion done) { pending_ = std::move(done); }
    void completePending(std::int32_t result);
    void startIncoming();
    void onRingGap();
    void onFailedIdle();
    void onHook(std::function<void()> then);
    void dialled(std::uint32_t id, const ModemReply& r);
    // Takes the line off hook in voice mode (answering, or joining a call in progress).
    QByteArray pickUpCommand() const;
    std::int32_t generate(std::uint32_t id, QList<QByteArray> commands, std::uint32_t totalMs);
    void runToneCommands(const QList<QByteArray>& commands, int index, std::uint32_t timeoutMs,
                         std::function<void(bool ok)> then);
    void finishGeneration(std::uint64_t token, bool ok);
    void cancelGeneration(bool report);

    ModemCommander& commander_;
    ModemSetup& setup_;
    ModemAudio& audio_;
    ModemEventDecoder& decoder_;
    const ModemLineOptions& options_;
    LineView line_;
    LineDeviceEvents* listener_ = nullptr;

    Phase phase_ = Phase::None;
    std::uint32_t callId_ = 0;
    std::uint32_t nextCallId_ = 0;
    std::uint32_t rings_ = 0;
    bool callerIdReported_ = false;
    bool monitoring_ = false;
    bool ringbackSeen_ = false;
    bool generating_ = false;
    std::uint64_t generationToken_ = 0;
    LineCompletion pending_;

    Timer ringGapTimer_;
    Timer failedIdleTimer_;
};

} // namespace qlnrec::platform::modem
