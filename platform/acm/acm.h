#pragma once
// The compression service in the style of the Windows audio compression manager: drivers are
// enumerated and opened by id, streams convert between two wave formats, and the caller drives
// each conversion through a stream header it prepares, converts and unprepares. Every call
// returns MMSYSERR_NOERROR or an MMSYSERR_* / ACMERR_* code; bad or stale handles give
// MMSYSERR_INVALHANDLE, never a crash. Conversion is synchronous.
#include "platform/acm/acm_driver.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace qlnrec::platform {

// acmDriverEnum flags.
inline constexpr std::uint32_t ACM_DRIVERENUMF_NOLOCAL = 0x40000000;
inline constexpr std::uint32_t ACM_DRIVERENUMF_DISABLED = 0x80000000;

// acmStreamOpen flags.
inline constexpr std::uint32_t ACM_STREAMOPENF_QUERY = 0x00000001;
inline constexpr std::uint32_t ACM_STREAMOPENF_ASYNC = 0x00000002;
inline constexpr std::uint32_t ACM_STREAMOPENF_NONREALTIME = 0x00000004;
inline constexpr std::uint32_t CALLBACK_TYPEMASK = 0x00070000;
inline constexpr std::uint32_t CALLBACK_NULL = 0x00000000;

// acmStreamConvert flags.
inline constexpr std::uint32_t ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
inline constexpr std::uint32_t ACM_STREAMCONVERTF_START = 0x00000010;
inline constexpr std::uint32_t ACM_STREAMCONVERTF_END = 0x00000020;

// acmStreamSize flags.
inline constexpr std::uint32_t ACM_STREAMSIZEF_SOURCE = 0x00000000;
inline constexpr std::uint32_t ACM_STREAMSIZEF_DESTINATION = 0x00000001;

// ACMSTREAMHEADER.fdwStatus bits.
inline constexpr std::uint32_t ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
inline constexpr std::uint32_t ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;
inline constexpr std::uint32_t ACMSTREAMHEADER_STATUSF_INQUEUE = 0x00100000;

inline constexpr std::uint32_t ACMDRIVERDETAILS_SHORTNAME_CHARS = 32;
inline constexpr std::uint32_t ACMDRIVERDETAILS_LONGNAME_CHARS = 128;
inline constexpr std::uint32_t ACMDRIVERDETAILS_COPYRIGHT_CHARS = 80;
inline constexpr std::uint32_t ACMDRIVERDETAILS_LICENSING_CHARS = 128;
inline constexpr std::uint32_t ACMDRIVERDETAILS_FEATURES_CHARS = 512;

// 'audc', the type of every compression driver.
inline constexpr FOURCC ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC = makeFourCC('a', 'u', 'd', 'c');

// Driver details, wide-character variant. Set cbStruct to sizeof before the call; the service
// fills at most cbStruct bytes and writes back how many it filled.
struct ACMDRIVERDETAILSW {
    std::uint32_t cbStruct;
    FOURCC fccType;
    FOURCC fccComp;
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vdwACM;
    std::uint32_t vdwDriver;
    std::uint32_t fdwSupport;
    std::uint32_t cFormatTags;
    std::uint32_t cFilterTags;
    void* hicon;
    char16_t szShortName[ACMDRIVERDETAILS_SHORTNAME_CHARS];
    char16_t szLongName[ACMDRIVERDETAILS_LONGNAME_CHARS];
    char16_t szCopyright[ACMDRIVERDETAILS_COPYRIGHT_CHARS];
    char16_t szLicensing[ACMDRIVERDETAILS_LICENSING_CHARS];
    char16_t szFeatures[ACMDRIVERDETAILS_FEATURES_CHARS];
};

// Driver details, narrow variant (UTF-8 text).
struct ACMDRIVERDETAILSA {
    std::uint32_t cbStruct;
    FOURCC fccType;
    FOURCC fccComp;
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vdwACM;
    std::uint32_t vdwDriver;
    std::uint32_t fdwSupport;
    std::uint32_t cFormatTags;
    std::uint32_t cFilterTags;
    void* hicon;
    char szShortName[ACMDRIVERDETAILS_SHORTNAME_CHARS];
    char szLongName[ACMDRIVERDETAILS_LONGNAME_CHARS];
    char szCopyright[ACMDRIVERDETAILS_COPYRIGHT_CHARS];
    char szLicensing[ACMDRIVERDETAILS_LICENSING_CHARS];
    char szFeatures[ACMDRIVERDETAILS_FEATURES_CHARS];
};

// The record the caller fills for each conversion. Laid out naturally for this platform (with
// 8-byte pointers it is larger than on 32-bit Windows). The service checks cbStruct loosely:
// any value of at least ACMSTREAMHEADER_MIN_CBSTRUCT (88, the size callers written for 32-bit
// Windows put there) is accepted.
struct ACMSTREAMHEADER {
    std::uint32_t cbStruct;
    std::uint32_t fdwStatus;
    std::uintptr_t dwUser;
    std::uint8_t* pbSrc;
    std::uint32_t cbSrcLength;
    std::uint32_t cbSrcLengthUsed;
    std::uintptr_t dwSrcUser;
    std::uint8_t* pbDst;
    std::uint32_t cbDstLength;
    std::uint32_t cbDstLengthUsed;
    std::uintptr_t dwDstUser;
    std::uint32_t dwReservedDriver[10];
};
inline constexpr std::uint32_t ACMSTREAMHEADER_MIN_CBSTRUCT = 88;

// Called once per driver; return false to end the enumeration. fdwSupport carries the
// ACMDRIVERDETAILS_SUPPORTF_* bits (DISABLED for a disabled driver). A plain function
// BOOL-style (returning int) converts to this.
using ACMDRIVERENUMCB =
    std::function<bool(HACMDRIVERID hadid, std::uintptr_t instance, std::uint32_t fdwSupport)>;

class AcmService {
public:
    // The registry must outlive the service.
    explicit AcmService(AcmDriverRegistry& registry);
    ~AcmService();
    AcmService(const AcmService&) = delete;
    AcmService& operator=(const AcmService&) = delete;

    AcmDriverRegistry& registry() { return registry_; }

    MMRESULT acmDriverEnum(const ACMDRIVERENUMCB& callback, std::uintptr_t instance, std::uint32_t fdwEnum);
    // hadid may also be an open driver handle, as the Windows manager allows.
    MMRESULT acmDriverDetailsW(HACMDRIVERID hadid, ACMDRIVERDETAILSW* details, std::uint32_t fdwDetails);
    MMRESULT acmDriverDetailsA(HACMDRIVERID hadid, ACMDRIVERDETAILSA* details, std::uint32_t fdwDetails);
    MMRESULT acmDriverDetails(HACMDRIVERID hadid, ACMDRIVERDETAILSW* details, std::uint32_t fdwDetails)
    {
        return acmDriverDetailsW(hadid, details, fdwDetails);
    }
    MMRESULT acmDriverDetails(HACMDRIVERID hadid, ACMDRIVERDETAILSA* details, std::uint32_t fdwDetails)
    {
        return acmDriverDetailsA(hadid, details, fdwDetails);
    }

    MMRESULT acmDriverOpen(HACMDRIVER* phad, HACMDRIVERID hadid, std::uint32_t fdwOpen);
    // ACMERR_BUSY while streams opened on the handle are still open.
    MMRESULT acmDriverClose(HACMDRIVER had, std::uint32_t fdwClose);

    // Opens a stream from *pwfxSrc to *pwfxDst (each followed by its cbSize extra bytes). With
    // had null every enabled driver is tried in order. Filters and asynchronous streams are not
    // supported (ACMERR_NOTPOSSIBLE / MMSYSERR_NOTSUPPORTED). With ACM_STREAMOPENF_QUERY only
    // tells whether the conversion is possible; phas may then be null.
    MMRESULT acmStreamOpen(HACMSTREAM* phas, HACMDRIVER had, const WAVEFORMATEX* pwfxSrc,
                           const WAVEFORMATEX* pwfxDst, const void* pwfltr, std::uintptr_t dwCallback,
                           std::uintptr_t dwInstance, std::uint32_t fdwOpen);
    MMRESULT acmStreamSize(HACMSTREAM has, std::uint32_t cbInput, std::uint32_t* pdwOutputBytes,
                           std::uint32_t fdwSize);
    MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, std::uint32_t fdwPrepare);
    MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, std::uint32_t fdwConvert);
    // The header's buffer pointers and lengths must be those it was prepared with.
    MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, std::uint32_t fdwUnprepare);
    // Forgets headers still prepared on the stream (their memory is not touched).
    MMRESULT acmStreamClose(HACMSTREAM has, std::uint32_t fdwClose);

    // Number of open driver and stream handles (for leak checks).
    std::size_t openDriverCount() const;
    std::size_t openStreamCount() const;

private:
    struct OpenDriver;
    struct OpenStream;
    struct Prepared {
        std::uint8_t* src = nullptr;
        std::uint32_t srcLength = 0;
        std::uint8_t* dst = nullptr;
        std::uint32_t dstLength = 0;
    };

    std::shared_ptr<AcmDriver> driverFor(HACMDRIVERID hadid, bool* enabled);
    std::shared_ptr<OpenStream> streamFor(HACMSTREAM has);
    std::uintptr_t newHandle();

    AcmDriverRegistry& registry_;
    mutable std::mutex mutex_;
    std::uintptr_t nextHandle_ = 0x10000;
    std::map<std::uintptr_t, std::shared_ptr<OpenDriver>> drivers_;
    std::map<std::uintptr_t, std::shared_ptr<OpenStream>> streams_;
};

// Text of an ACM or MMSYSERR code, for messages.
const char* acmErrorName(MMRESULT code);

} // namespace qlnrec::platform
