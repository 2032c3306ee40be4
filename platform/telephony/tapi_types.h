#pragma once
// Telephony types with the layouts and values of TAPI 1.x: handles, message numbers, states,
// result codes and the variable-size structures the program passes as raw byte buffers (the first
// dword is dwTotalSize; the service fills what fits and reports dwNeededSize). All fields are
// little-endian 32-bit values at the offsets asserted below. The service reads and writes these
// buffers byte-wise, so a buffer need not be aligned.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>

namespace qlnrec::platform {

using HLINEAPP = std::uint32_t;
using HLINE = std::uint32_t;
using HCALL = std::uint32_t;
using LONG = std::int32_t;

// Line callback: (hDevice, message, callback instance, param1, param2, param3).
using LINECALLBACK = void (*)(std::uint32_t hDevice, std::uint32_t msg, std::uint32_t instance,
                              std::uint32_t param1, std::uint32_t param2, std::uint32_t param3);
using LineCallback = std::function<void(std::uint32_t hDevice, std::uint32_t msg, std::uint32_t instance,
                                        std::uint32_t param1, std::uint32_t param2, std::uint32_t param3)>;

// Messages.
inline constexpr std::uint32_t LINE_ADDRESSSTATE = 0;
inline constexpr std::uint32_t LINE_CALLINFO = 1;
inline constexpr std::uint32_t LINE_CALLSTATE = 2;
inline constexpr std::uint32_t LINE_CLOSE = 3;
inline constexpr std::uint32_t LINE_DEVSPECIFIC = 4;
inline constexpr std::uint32_t LINE_DEVSPECIFICFEATURE = 5;
inline constexpr std::uint32_t LINE_GATHERDIGITS = 6;
inline constexpr std::uint32_t LINE_GENERATE = 7;
inline constexpr std::uint32_t LINE_LINEDEVSTATE = 8;
inline constexpr std::uint32_t LINE_MONITORDIGITS = 9;
inline constexpr std::uint32_t LINE_MONITORMEDIA = 10;
inline constexpr std::uint32_t LINE_MONITORTONE = 11;
inline constexpr std::uint32_t LINE_REPLY = 12;
inline constexpr std::uint32_t LINE_REQUEST = 13;

// Call states (LINE_CALLSTATE param1).
inline constexpr std::uint32_t LINECALLSTATE_IDLE = 0x00000001;
inline constexpr std::uint32_t LINECALLSTATE_OFFERING = 0x00000002;
inline constexpr std::uint32_t LINECALLSTATE_ACCEPTED = 0x00000004;
inline constexpr std::uint32_t LINECALLSTATE_DIALTONE = 0x00000008;
inline constexpr std::uint32_t LINECALLSTATE_DIALING = 0x00000010;
inline constexpr std::uint32_t LINECALLSTATE_RINGBACK = 0x00000020;
inline constexpr std::uint32_t LINECALLSTATE_BUSY = 0x00000040;
inline constexpr std::uint32_t LINECALLSTATE_SPECIALINFO = 0x00000080;
inline constexpr std::uint32_t LINECALLSTATE_CONNECTED = 0x00000100;
inline constexpr std::uint32_t LINECALLSTATE_PROCEEDING = 0x00000200;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLD = 0x00000400;
inline constexpr std::uint32_t LINECALLSTATE_CONFERENCED = 0x00000800;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLDPENDCONF = 0x00001000;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLDPENDTRANSFER = 0x00002000;
inline constexpr std::uint32_t LINECALLSTATE_DISCONNECTED = 0x00004000;
inline constexpr std::uint32_t LINECALLSTATE_UNKNOWN = 0x00008000;

// Disconnect modes (LINE_CALLSTATE param2 with LINECALLSTATE_DISCONNECTED).
inline constexpr std::uint32_t LINEDISCONNECTMODE_NORMAL = 0x00000001;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNKNOWN = 0x00000002;
inline constexpr std::uint32_t LINEDISCONNECTMODE_REJECT = 0x00000004;
inline constexpr std::uint32_t LINEDISCONNECTMODE_PICKUP = 0x00000008;
inline constexpr std::uint32_t LINEDISCONNECTMODE_FORWARDED = 0x00000010;
inline constexpr std::uint32_t LINEDISCONNECTMODE_BUSY = 0x00000020;
inline constexpr std::uint32_t LINEDISCONNECTMODE_NOANSWER = 0x00000040;
inline constexpr std::uint32_t LINEDISCONNECTMODE_BADADDRESS = 0x00000080;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNREACHABLE = 0x00000100;
inline constexpr std::uint32_t LINEDISCONNECTMODE_CONGESTION = 0x00000200;
inline constexpr std::uint32_t LINEDISCONNECTMODE_INCOMPATIBLE = 0x00000400;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNAVAIL = 0x00000800;
inline constexpr std::uint32_t LINEDISCONNECTMODE_NODIALTONE = 0x00001000;

// Line device states (lineSetStatusMessages, LINE_LINEDEVSTATE param1).
inline constexpr std::uint32_t LINEDEVSTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t LINEDEVSTATE_RINGING = 0x00000002;
inline constexpr std::uint32_t LINEDEVSTATE_CONNECTED = 0x00000004;
inline constexpr std::uint32_t LINEDEVSTATE_DISCONNECTED = 0x00000008;
inline constexpr std::uint32_t LINEDEVSTATE_OPEN = 0x00000200;
inline constexpr std::uint32_t LINEDEVSTATE_CLOSE = 0x00000400;
inline constexpr std::uint32_t LINEDEVSTATE_REINIT = 0x00040000;
inline constexpr std::uint32_t LINEDEVSTATE_ALL = 0x0007FFFF;

// Call information states (LINE_CALLINFO param1).
inline constexpr std::uint32_t LINECALLINFOSTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t LINECALLINFOSTATE_ORIGIN = 0x00000800;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLERID = 0x00008000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLEDID = 0x00010000;

// Party id flags (dwCallerIDFlags).
inline constexpr std::uint32_t LINECALLPARTYID_BLOCKED = 0x00000001;
inline constexpr std::uint32_t LINECALLPARTYID_OUTOFAREA = 0x00000002;
inline constexpr std::uint32_t LINECALLPARTYID_NAME = 0x00000004;
inline constexpr std::uint32_t LINECALLPARTYID_ADDRESS = 0x00000008;
inline constexpr std::uint32_t LINECALLPARTYID_PARTIAL = 0x00000010;
inline constexpr std::uint32_t LINECALLPARTYID_UNKNOWN = 0x00000020;
inline constexpr std::uint32_t LINECALLPARTYID_UNAVAIL = 0x00000040;

// Call origin and reason.
inline constexpr std::uint32_t LINECALLORIGIN_OUTBOUND = 0x00000001;
inline constexpr std::uint32_t LINECALLORIGIN_INTERNAL = 0x00000002;
inline constexpr std::uint32_t LINECALLORIGIN_EXTERNAL = 0x00000004;
inline constexpr std::uint32_t LINECALLORIGIN_UNKNOWN = 0x00000010;
inline constexpr std::uint32_t LINECALLORIGIN_UNAVAIL = 0x00000020;
inline constexpr std::uint32_t LINECALLORIGIN_INBOUND = 0x00000080;
inline constexpr std::uint32_t LINECALLREASON_DIRECT = 0x00000001;
inline constexpr std::uint32_t LINECALLREASON_UNAVAIL = 0x00000400;

// Digit and generation modes.
inline constexpr std::uint32_t LINEDIGITMODE_PULSE = 0x00000001;
inline constexpr std::uint32_t LINEDIGITMODE_DTMF = 0x00000002;
inline constexpr std::uint32_t LINEDIGITMODE_DTMFEND = 0x00000004;
inline constexpr std::uint32_t LINEGENERATETERM_DONE = 0x00000001;
inline constexpr std::uint32_t LINEGENERATETERM_CANCEL = 0x00000002;

// lineGetID selection.
inline constexpr std::uint32_t LINECALLSELECT_LINE = 0x00000001;
inline constexpr std::uint32_t LINECALLSELECT_ADDRESS = 0x00000002;
inline constexpr std::uint32_t LINECALLSELECT_CALL = 0x00000004;

// Media modes.
inline constexpr std::uint32_t LINEMEDIAMODE_UNKNOWN = 0x00000002;
inline constexpr std::uint32_t LINEMEDIAMODE_INTERACTIVEVOICE = 0x00000004;
inline constexpr std::uint32_t LINEMEDIAMODE_AUTOMATEDVOICE = 0x00000008;
inline constexpr std::uint32_t LINEMEDIAMODE_DATAMODEM = 0x00000010;
inline constexpr std::uint32_t LINEMEDIAMODE_G3FAX = 0x00000020;

inline constexpr std::uint32_t LINEBEARERMODE_VOICE = 0x00000001;
inline constexpr std::uint32_t LINEADDRESSMODE_ADDRESSID = 0x00000001;

// Privileges (lineOpen).
inline constexpr std::uint32_t LINECALLPRIVILEGE_NONE = 0x00000001;
inline constexpr std::uint32_t LINECALLPRIVILEGE_MONITOR = 0x00000002;
inline constexpr std::uint32_t LINECALLPRIVILEGE_OWNER = 0x00000004;

// String formats (VARSTRING, LINEDEVCAPS).
inline constexpr std::uint32_t STRINGFORMAT_ASCII = 0x00000001;
inline constexpr std::uint32_t STRINGFORMAT_DBCS = 0x00000002;
inline constexpr std::uint32_t STRINGFORMAT_UNICODE = 0x00000003;
inline constexpr std::uint32_t STRINGFORMAT_BINARY = 0x00000004;

// Versions the service supports (lineNegotiateAPIVersion).
inline constexpr std::uint32_t TAPI_VERSION_1_3 = 0x00010003;
inline constexpr std::uint32_t TAPI_VERSION_1_4 = 0x00010004;
inline constexpr std::uint32_t TAPI_VERSION_2_0 = 0x00020000;
inline constexpr std::uint32_t TAPI_VERSION_2_2 = 0x00020002;
inline constexpr std::uint32_t TAPI_VERSION_3_0 = 0x00030000;
inline constexpr std::uint32_t TAPI_VERSION_LOWEST = TAPI_VERSION_1_3;
inline constexpr std::uint32_t TAPI_VERSION_HIGHEST = TAPI_VERSION_3_0;

// Result codes: 0 success, positive = request id of an asynchronous operation, negative = error.
inline constexpr LONG LINEERR(std::uint32_t code)
{
    return static_cast<LONG>(code);
}
inline constexpr LONG LINEERR_ALLOCATED = LINEERR(0x80000001);
inline constexpr LONG LINEERR_BADDEVICEID = LINEERR(0x80000002);
inline constexpr LONG LINEERR_BEARERMODEUNAVAIL = LINEERR(0x80000003);
inline constexpr LONG LINEERR_CALLUNAVAIL = LINEERR(0x80000005);
inline constexpr LONG LINEERR_INCOMPATIBLEAPIVERSION = LINEERR(0x8000000C);
inline constexpr LONG LINEERR_INCOMPATIBLEEXTVERSION = LINEERR(0x8000000D);
inline constexpr LONG LINEERR_INUSE = LINEERR(0x8000000F);
inline constexpr LONG LINEERR_INVALADDRESS = LINEERR(0x80000010);
inline constexpr LONG LINEERR_INVALADDRESSID = LINEERR(0x80000011);
inline constexpr LONG LINEERR_INVALAPPHANDLE = LINEERR(0x80000014);
inline constexpr LONG LINEERR_INVALAPPNAME = LINEERR(0x80000015);
inline constexpr LONG LINEERR_INVALCALLHANDLE = LINEERR(0x80000018);
inline constexpr LONG LINEERR_INVALCALLPARAMS = LINEERR(0x80000019);
inline constexpr LONG LINEERR_INVALCALLSELECT = LINEERR(0x8000001B);
inline constexpr LONG LINEERR_INVALCALLSTATE = LINEERR(0x8000001C);
inline constexpr LONG LINEERR_INVALCOUNTRYCODE = LINEERR(0x80000022);
inline constexpr LONG LINEERR_INVALDEVICECLASS = LINEERR(0x80000023);
inline constexpr LONG LINEERR_INVALDIGITMODE = LINEERR(0x80000027);
inline constexpr LONG LINEERR_INVALDIGITS = LINEERR(0x80000028);
inline constexpr LONG LINEERR_INVALLINEHANDLE = LINEERR(0x8000002B);
inline constexpr LONG LINEERR_INVALLINESTATE = LINEERR(0x8000002C);
inline constexpr LONG LINEERR_INVALMEDIAMODE = LINEERR(0x8000002F);
inline constexpr LONG LINEERR_INVALPARAM = LINEERR(0x80000032);
inline constexpr LONG LINEERR_INVALPOINTER = LINEERR(0x80000035);
inline constexpr LONG LINEERR_INVALPRIVSELECT = LINEERR(0x80000036);
inline constexpr LONG LINEERR_NODEVICE = LINEERR(0x80000042);
inline constexpr LONG LINEERR_NODRIVER = LINEERR(0x80000043);
inline constexpr LONG LINEERR_NOMEM = LINEERR(0x80000044);
inline constexpr LONG LINEERR_NOTOWNER = LINEERR(0x80000046);
// The project's documents give "resource unavailable" (a line that cannot be opened) as
// 0x80000048; "operation failed" takes the neighbouring code so the two stay distinct.
inline constexpr LONG LINEERR_RESOURCEUNAVAIL = LINEERR(0x80000048);
inline constexpr LONG LINEERR_OPERATIONUNAVAIL = LINEERR(0x80000049);
inline constexpr LONG LINEERR_OPERATIONFAILED = LINEERR(0x8000004B);
inline constexpr LONG LINEERR_STRUCTURETOOSMALL = LINEERR(0x8000004D);
inline constexpr LONG LINEERR_UNINITIALIZED = LINEERR(0x80000050);
inline constexpr LONG LINEERR_USERUSERINFOTOOBIG = LINEERR(0x80000051);

// Dial parameters embedded in LINECALLINFO and LINEDEVCAPS.
struct LINEDIALPARAMS {
    std::uint32_t dwDialPause;
    std::uint32_t dwDialSpeed;
    std::uint32_t dwDigitDuration;
    std::uint32_t dwWaitForDialtone;
};
static_assert(sizeof(LINEDIALPARAMS) == 16);

// A variable string: 24-byte header, then the data area.
struct VARSTRING {
    std::uint32_t dwTotalSize;
    std::uint32_t dwNeededSize;
    std::uint32_t dwUsedSize;
    std::uint32_t dwStringFormat;
    std::uint32_t dwStringSize;
    std::uint32_t dwStringOffset;
};
static_assert(sizeof(VARSTRING) == 24);
static_assert(offsetof(VARSTRING, dwStringOffset) == 20);

// Call information, TAPI 1.x fixed part (296 bytes).
struct LINECALLINFO {
    std::uint32_t dwTotalSize;
    std::uint32_t dwNeededSize;
    std::uint32_t dwUsedSize;
    HLINE hLine;
    std::uint32_t dwLineDeviceID;
    std::uint32_t dwAddressID;
    std::uint32_t dwBearerMode;
    std::uint32_t dwRate;
    std::uint32_t dwMediaMode;
    std::uint32_t dwAppSpecific;
    std::uint32_t dwCallID;
    std::uint32_t dwRelatedCallID;
    std::uint32_t dwCallParamFlags;
    std::uint32_t dwCallStates;
    std::uint32_t dwMonitorDigitModes;
    std::uint32_t dwMonitorMediaModes;
    LINEDIALPARAMS DialParams;
    std::uint32_t dwOrigin;
    std::uint32_t dwReason;
    std::uint32_t dwCompletionID;
    std::uint32_t dwNumOwners;
    std::uint32_t dwNumMonitors;
    std::uint32_t dwCountryCode;
    std::uint32_t dwTrunk;
    std::uint32_t dwCallerIDFlags;
    std::uint32_t dwCallerIDSize;
    std::uint32_t dwCallerIDOffset;
    std::uint32_t dwCallerIDNameSize;
    std::uint32_t dwCallerIDNameOffset;
    std::uint32_t dwCalledIDFlags;
    std::uint32_t dwCalledIDSize;
    std::uint32_t dwCalledIDOffset;
    std::uint32_t dwCalledIDNameSize;
    std::uint32_t dwCalledIDNameOffset;
    std::uint32_t dwConnectedIDFlags;
    std::uint32_t dwConnectedIDSize;
    std::uint32_t dwConnectedIDOffset;
    std::uint32_t dwConnectedIDNameSize;
    std::uint32_t dwConnectedIDNameOffset;
    std::uint32_t dwRedirectionIDFlags;
    std::uint32_t dwRedirectionIDSize;
    std::uint32_t dwRedirectionIDOffset;
    std::uint32_t dwRedirectionIDNameSize;
    std::uint32_t dwRedirectionIDNameOffset;
    std::uint32_t dwRedirectingIDFlags;
    std::uint32_t dwRedirectingIDSize;
    std::uint32_t dwRedirectingIDOffset;
    std::uint32_t dwRedirectingIDNameSize;
    std::uint32_t dwRedirectingIDNameOffset;
    std::uint32_t dwAppNameSize;
    std::uint32_t dwAppNameOffset;
    std::uint32_t dwDisplayableAddressSize;
    std::uint32_t dwDisplayableAddressOffset;
    std::uint32_t dwCalledPartySize;
    std::uint32_t dwCalledPartyOffset;
    std::uint32_t dwCommentSize;
    std::uint32_t dwCommentOffset;
    std::uint32_t dwDisplaySize;
    std::uint32_t dwDisplayOffset;
    std::uint32_t dwUserUserInfoSize;
    std::uint32_t dwUserUserInfoOffset;
    std::uint32_t dwHighLevelCompSize;
    std::uint32_t dwHighLevelCompOffset;
    std::uint32_t dwLowLevelCompSize;
    std::uint32_t dwLowLevelCompOffset;
    std::uint32_t dwChargingInfoSize;
    std::uint32_t dwChargingInfoOffset;
    std::uint32_t dwTerminalModesSize;
    std::uint32_t dwTerminalModesOffset;
    std::uint32_t dwDevSpecificSize;
    std::uint32_t dwDevSpecificOffset;
};
static_assert(sizeof(LINECALLINFO) == 296);
static_assert(offsetof(LINECALLINFO, hLine) == 12);
static_assert(offsetof(LINECALLINFO, DialParams) == 64);
static_assert(offsetof(LINECALLINFO, dwOrigin) == 80);
static_assert(offsetof(LINECALLINFO, dwCallerIDFlags) == 108);
static_assert(offsetof(LINECALLINFO, dwCallerIDSize) == 112);
static_assert(offsetof(LINECALLINFO, dwCallerIDOffset) == 116);
static_assert(offsetof(LINECALLINFO, dwCallerIDNameSize) == 120);
static_assert(offsetof(LINECALLINFO, dwCallerIDNameOffset) == 124);
static_assert(offsetof(LINECALLINFO, dwCalledIDFlags) == 128);
static_assert(offsetof(LINECALLINFO, dwDevSpecificOffset) == 292);

// Line device capabilities, TAPI 1.4 fixed part (240 bytes); versions from 2.0 on report 252.
struct LINEDEVCAPS {
    std::uint32_t dwTotalSize;
    std::uint32_t dwNeededSize;
    std::uint32_t dwUsedSize;
    std::uint32_t dwProviderInfoSize;
    std::uint32_t dwProviderInfoOffset;
    std::uint32_t dwSwitchInfoSize;
    std::uint32_t dwSwitchInfoOffset;
    std::uint32_t dwPermanentLineID;
    std::uint32_t dwLineNameSize;
    std::uint32_t dwLineNameOffset;
    std::uint32_t dwStringFormat;
    std::uint32_t dwAddressModes;
    std::uint32_t dwNumAddresses;
    std::uint32_t dwBearerModes;
    std::uint32_t dwMaxRate;
    std::uint32_t dwMediaModes;
    std::uint32_t dwGenerateToneModes;
    std::uint32_t dwGenerateToneMaxNumFreq;
    std::uint32_t dwGenerateDigitModes;
    std::uint32_t dwMonitorToneMaxNumFreq;
    std::uint32_t dwMonitorToneMaxNumEntries;
    std::uint32_t dwMonitorDigitModes;
    std::uint32_t dwGatherDigitsMinTimeout;
    std::uint32_t dwGatherDigitsMaxTimeout;
    std::uint32_t dwMedCtlDigitMaxListSize;
    std::uint32_t dwMedCtlMediaMaxListSize;
    std::uint32_t dwMedCtlToneMaxListSize;
    std::uint32_t dwMedCtlCallStateMaxListSize;
    std::uint32_t dwDevCapFlags;
    std::uint32_t dwMaxNumActiveCalls;
    std::uint32_t dwAnswerMode;
    std::uint32_t dwRingModes;
    std::uint32_t dwLineStates;
    std::uint32_t dwUUIAcceptSize;
    std::uint32_t dwUUIAnswerSize;
    std::uint32_t dwUUIMakeCallSize;
    std::uint32_t dwUUIDropSize;
    std::uint32_t dwUUISendUserUserInfoSize;
    std::uint32_t dwUUICallInfoSize;
    LINEDIALPARAMS MinDialParams;
    LINEDIALPARAMS MaxDialParams;
    LINEDIALPARAMS DefaultDialParams;
    std::uint32_t dwNumTerminals;
    std::uint32_t dwTerminalCapsSize;
    std::uint32_t dwTerminalCapsOffset;
    std::uint32_t dwTerminalTextEntrySize;
    std::uint32_t dwTerminalTextSize;
    std::uint32_t dwTerminalTextOffset;
    std::uint32_t dwDevSpecificSize;
    std::uint32_t dwDevSpecificOffset;
    std::uint32_t dwLineFeatures;
};
static_assert(sizeof(LINEDEVCAPS) == 240);
static_assert(offsetof(LINEDEVCAPS, dwLineNameSize) == 32);
static_assert(offsetof(LINEDEVCAPS, dwLineNameOffset) == 36);
static_assert(offsetof(LINEDEVCAPS, dwStringFormat) == 40);
static_assert(offsetof(LINEDEVCAPS, dwMediaModes) == 60);
static_assert(offsetof(LINEDEVCAPS, MinDialParams) == 156);
static_assert(offsetof(LINEDEVCAPS, dwDevSpecificOffset) == 232);
static_assert(offsetof(LINEDEVCAPS, dwLineFeatures) == 236);

// Fixed size of LINEDEVCAPS the service reports for a negotiated version.
constexpr std::uint32_t lineDevCapsFixedSize(std::uint32_t apiVersion)
{
    return apiVersion >= TAPI_VERSION_2_0 ? 252u : apiVersion >= TAPI_VERSION_1_4 ? 240u : 236u;
}

struct LINEEXTENSIONID {
    std::uint32_t dwExtensionID0;
    std::uint32_t dwExtensionID1;
    std::uint32_t dwExtensionID2;
    std::uint32_t dwExtensionID3;
};

// Byte-wise access to the little-endian dwords of a TAPI buffer.
inline std::uint32_t tapiDword(const void* buffer, std::size_t offset)
{
    const auto* p = static_cast<const unsigned char*>(buffer) + offset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void setTapiDword(void* buffer, std::size_t offset, std::uint32_t value)
{
    auto* p = static_cast<unsigned char*>(buffer) + offset;
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

} // namespace qlnrec::platform
