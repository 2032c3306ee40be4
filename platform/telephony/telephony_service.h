#pragma once
// The telephony service in the style of TAPI 1.x with one application callback: the same
// operations, buffers, message numbers and result codes, over the line devices of the configured
// providers. Results: 0 success, a positive request id for asynchronous operations (lineAnswer,
// lineDrop, lineMakeCall; a LINE_REPLY with the id and the final result follows), or a negative
// LINEERR_* code. Bad handles, ids and buffers give error codes, never a crash.
//
// Messages reach the callback on the GUI thread through EventService::post, in the order the
// events happened: LINE_CALLSTATE (hDevice = the call handle; param1 state, param2 state detail
// such as the disconnect mode, param3 the application's privilege on the first message of a
// call), LINE_LINEDEVSTATE (hDevice = the line handle; LINEDEVSTATE_RINGING with the ring count
// in param3, only after lineSetStatusMessages asked for it), LINE_CALLINFO (param1
// LINECALLINFOSTATE_CALLERID when caller ID arrives), LINE_MONITORDIGITS (the digit in the low
// 16 bits of param1, only while monitoring), LINE_GENERATE (param1 LINEGENERATETERM_DONE or
// _CANCEL when a generation ends) and LINE_REPLY (param1 request id, param2 result).
#include "platform/core/event_service.h"
#include "platform/telephony/line_device.h"
#include "platform/telephony/line_provider.h"
#include "platform/telephony/tapi_types.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace qlnrec::platform {

// Tone modes and the custom tone record of lineGenerateTone.
inline constexpr std::uint32_t LINETONEMODE_CUSTOM = 0x00000001;
inline constexpr std::uint32_t LINETONEMODE_RINGBACK = 0x00000002;
inline constexpr std::uint32_t LINETONEMODE_BUSY = 0x00000004;
inline constexpr std::uint32_t LINETONEMODE_BEEP = 0x00000008;
struct LINEGENERATETONE {
    std::uint32_t dwFrequency;
    std::uint32_t dwCadenceOn;
    std::uint32_t dwCadenceOff;
    std::uint32_t dwVolume;
};

class TelephonyService {
public:
    explicit TelephonyService(EventService& events);
    ~TelephonyService();
    TelephonyService(const TelephonyService&) = delete;
    TelephonyService& operator=(const TelephonyService&) = delete;

    // Devices get ids 0, 1, ... in the order they are added. The service does not own them;
    // they must outlive it (or lineShutdown).
    void addDevice(LineDevice* device);
    void addProvider(LineProvider& provider);
    std::uint32_t deviceCount() const;
    LineDevice* device(std::uint32_t deviceId) const;

    // Makes an operation fail with `error` (a negative LINEERR_* code) on one device, or on every
    // device when deviceId is empty; `times` < 0 means every time. lineInitialize and
    // lineShutdown ignore the device id. Tests and demos use this to produce the failure paths.
    enum class Operation {
        Initialize,
        NegotiateAPIVersion,
        GetDevCaps,
        Open,
        SetStatusMessages,
        GetCallInfo,
        Answer,
        Drop,
        DeallocateCall,
        MonitorDigits,
        GenerateDigits,
        GetID,
        MakeCall,
        Close,
    };
    void injectError(Operation operation, std::optional<std::uint32_t> deviceId, LONG error, int times = -1);
    void clearInjectedErrors();

    LONG lineInitialize(HLINEAPP* lphLineApp, std::uintptr_t hInstance, LineCallback callback,
                        const char* appName, std::uint32_t* lpdwNumDevs);
    LONG lineShutdown(HLINEAPP hLineApp);
    LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, std::uint32_t deviceId, std::uint32_t apiLowVersion,
                                 std::uint32_t apiHighVersion, std::uint32_t* lpdwApiVersion,
                                 LINEEXTENSIONID* lpExtensionId);
    LONG lineGetDevCaps(HLINEAPP hLineApp, std::uint32_t deviceId, std::uint32_t apiVersion,
                        std::uint32_t extVersion, LINEDEVCAPS* lpLineDevCaps);
    LONG lineOpen(HLINEAPP hLineApp, std::uint32_t deviceId, HLINE* lphLine, std::uint32_t apiVersion,
                  std::uint32_t extVersion, std::uint32_t callbackInstance, std::uint32_t privileges,
                  std::uint32_t mediaModes, const void* lpCallParams);
    LONG lineClose(HLINE hLine);
    LONG lineSetStatusMessages(HLINE hLine, std::uint32_t lineStates, std::uint32_t addressStates);
    LONG lineGetCallInfo(HCALL hCall, LINECALLINFO* lpCallInfo);
    LONG lineAnswer(HCALL hCall, const char* lpsUserUserInfo, std::uint32_t size);
    LONG lineDrop(HCALL hCall, const char* lpsUserUserInfo, std::uint32_t size);
    LONG lineDeallocateCall(HCALL hCall);
    LONG lineMonitorDigits(HCALL hCall, std::uint32_t digitModes);
    LONG lineGenerateDigits(HCALL hCall, std::uint32_t digitMode, const char* lpszDigits,
                            std::uint32_t durationMs);
    LONG lineGenerateTone(HCALL hCall, std::uint32_t toneMode, std::uint32_t durationMs,
                          std::uint32_t numTones, const LINEGENERATETONE* lpTones);
    LONG lineGetID(HLINE hLine, std::uint32_t addressId, HCALL hCall, std::uint32_t select,
                   VARSTRING* lpDeviceId, const char* lpszDeviceClass);
    // *lphCall receives the new call's handle when the LINE_REPLY is delivered, just before it.
    LONG lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, std::uint32_t countryCode,
                      const void* lpCallParams);

    // The current state (LINECALLSTATE_*) of a call, 0 for an unknown handle.
    std::uint32_t callState(HCALL hCall) const;

private:
    class Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace qlnrec::platform
