#pragma once
// The line-provider interface behind the telephony service. A provider (simulated lines, a voice
// modem on a serial port) creates LineDevices; the service numbers them 0, 1, ... in order and
// turns their events into TAPI messages. The interface stays within what an analog voice modem
// can do: ring notices with a count, caller ID (number and name, each present, absent, private
// or unavailable), off hook / on hook, dialling with call-progress results, far-end hang-up
// notices (busy tone, dial tone, loop-current drop), DTMF detection and generation, and one
// audio channel each way through the wave service.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qlnrec::platform {

// What a device reports about itself (lineGetDevCaps, lineNegotiateAPIVersion).
struct LineDeviceCaps {
    QString name;                          // e.g. "Simulated Voice Modem 1"; may be empty
    QString providerInfo;                  // e.g. "qlnrec simulated line"
    std::uint32_t mediaModes = 4 | 8 | 16; // LINEMEDIAMODE_* bits
    std::uint32_t permanentLineId = 0;
    std::uint32_t apiVersionLow = 0x00010003; // range of TAPI versions the device supports
    std::uint32_t apiVersionHigh = 0x00010004;
    std::uint32_t defaultDigitDurationMs = 100;
};

// Dialling this address alone dials nothing: the device goes off hook on a call already in
// progress (picked up and dialled on a telephone set on the same line) and reports it connected
// at once, so the program can record it.
inline bool isJoinCallAddress(const QByteArray& address)
{
    return address == "O" || address == "o";
}

// One caller-ID field as the line delivered it.
struct CallerIdField {
    enum class Kind { Absent, Present, Private, Unavailable };
    Kind kind = Kind::Absent;
    QByteArray text; // the bytes as received when kind is Present

    static CallerIdField absent() { return {}; }
    static CallerIdField present(QByteArray value) { return {Kind::Present, std::move(value)}; }
    static CallerIdField privateField() { return {Kind::Private, {}}; }
    static CallerIdField unavailable() { return {Kind::Unavailable, {}}; }
    bool operator==(const CallerIdField&) const = default;
};

struct CallerId {
    CallerIdField number;
    CallerIdField name;
};

// Call progress as a device reports it. Device call ids identify the device's current call so
// that late events of an earlier call can be told apart.
enum class DeviceCallState {
    Offering,     // incoming call ringing
    DialTone,     // outgoing: off hook, dial tone heard
    Dialing,      // outgoing: digits being sent
    Proceeding,   // outgoing: dialled, waiting for progress
    Ringback,     // outgoing: far end is ringing
    Busy,         // outgoing: busy tone
    Connected,    // off hook with a party on the line (or assumed so)
    Disconnected, // the far end went away; the device is still off hook until hung up
    Idle,         // on hook, call over
};

// Why a call was disconnected.
enum class HangUpNotice {
    None,       // no notice: the far end just fell silent
    LoopDrop,   // loop-current interruption
    BusyTone,   // the exchange returned busy / reorder tone
    DialTone,   // the exchange returned dial tone
    NoAnswer,   // outgoing call never answered
    NoDialTone, // outgoing call found no dial tone
    Rejected,   // outgoing call refused (bad number)
    Unknown,
};

// Events a device raises. May be called from any thread; the service marshals every call to
// the GUI thread. Must not be called after LineDevice::close() has returned.
class LineDeviceEvents {
public:
    virtual void ring(std::uint32_t callId, std::uint32_t ringCount) = 0;
    virtual void callerId(std::uint32_t callId, const CallerId& id) = 0;
    virtual void callState(std::uint32_t callId, DeviceCallState state, HangUpNotice notice) = 0;
    virtual void digitDetected(std::uint32_t callId, char digit) = 0;
    // A generation started with generateDigits/generateTone has ended (completed or cancelled).
    virtual void generateFinished(std::uint32_t callId, bool completed) = 0;

protected:
    ~LineDeviceEvents() = default;
};

// Completion of an asynchronous command: 0 or a negative LINEERR_* code. May be called from any
// thread, also before the command returns.
using LineCompletion = std::function<void(std::int32_t result)>;

class LineDevice {
public:
    virtual ~LineDevice() = default;

    virtual LineDeviceCaps caps() const = 0;
    // Wave device ids of the line's audio channel in the wave service, if it has one.
    virtual std::optional<std::uint32_t> waveInId() const = 0;
    virtual std::optional<std::uint32_t> waveOutId() const = 0;

    // Starts the device (opens the port, enables caller ID and ring reports). Returns 0 or a
    // negative LINEERR_* code (LINEERR_RESOURCEUNAVAIL when the device is in use or missing).
    virtual std::int32_t open(LineDeviceEvents* events) = 0;
    // Hangs up any call and stops the device; no events are raised after it returns.
    virtual void close() = 0;

    // Commands on the current call. Each completes through `done`.
    virtual void answer(std::uint32_t callId, LineCompletion done) = 0;
    virtual void hangUp(std::uint32_t callId, LineCompletion done) = 0;
    // Goes off hook and dials; returns the new call's id through `callId` before completing.
    virtual void dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done) = 0;
    // Starts (true) or stops DTMF detection reports on the call.
    virtual std::int32_t monitorDigits(std::uint32_t callId, bool enable) = 0;
    // Sends DTMF digits ("0-9*#ABCD,") into the line, each lasting durationMs.
    virtual std::int32_t generateDigits(std::uint32_t callId, const QByteArray& digits,
                                        std::uint32_t durationMs) = 0;
    // Sends a tone of up to three frequencies (Hz) into the line for durationMs.
    virtual std::int32_t generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                                      std::uint32_t durationMs) = 0;
    // Cancels a running generation (generateFinished with completed = false follows).
    virtual void cancelGenerate(std::uint32_t callId) = 0;
};

} // namespace qlnrec::platform
