#include "platform/acm/acm.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

namespace qlnrec::platform {

struct AcmService::OpenDriver {
    HACMDRIVERID id = nullptr;
    std::shared_ptr<AcmDriver> driver;
    int openStreams = 0;
};

struct AcmService::OpenStream {
    std::uintptr_t driverHandle = 0; // 0 when the service chose the driver itself
    std::shared_ptr<AcmDriver> driver;
    std::unique_ptr<AcmDriverStream> stream;
    AcmFormat src;
    AcmFormat dst;
    std::mutex convertMutex; // one conversion at a time per stream
    std::map<const ACMSTREAMHEADER*, Prepared> prepared;
};

namespace {

template <typename Char, std::size_t N> void copyText(Char (&target)[N], const std::string& text)
{
    std::fill(std::begin(target), std::end(target), Char{});
    if constexpr (std::is_same_v<Char, char16_t>) {
        const std::u16string wide = QString::fromStdString(text).toStdU16String();
        std::copy_n(wide.begin(), std::min(wide.size(), N - 1), target);
    } else {
        // Cut on a character boundary so the UTF-8 text stays valid.
        std::size_t n = std::min(text.size(), N - 1);
        if (n < text.size()) {
            while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
                --n;
        }
        std::copy_n(text.begin(), n, target);
    }
}

template <typename Details>
MMRESULT fillDetails(const std::shared_ptr<AcmDriver>& driver, bool enabled, Details* details)
{
    if (details == nullptr || details->cbStruct < sizeof(std::uint32_t))
        return MMSYSERR_INVALPARAM;
    Details full{};
    full.cbStruct = sizeof(Details);
    full.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    full.fccComp = 0;
    full.wMid = 0;
    full.wPid = 0;
    full.vdwACM = 0x04000000;
    full.vdwDriver = 0x01000000;
    try {
        full.fdwSupport = driver->supportFlags() & ~ACMDRIVERDETAILS_SUPPORTF_DISABLED;
        if (!enabled)
            full.fdwSupport |= ACMDRIVERDETAILS_SUPPORTF_DISABLED;
        full.cFormatTags = static_cast<std::uint32_t>(driver->formatTags().size());
        full.cFilterTags = 0;
        full.hicon = nullptr;
        copyText(full.szShortName, driver->shortName());
        copyText(full.szLongName, driver->longName());
        copyText(full.szCopyright, driver->copyright());
        copyText(full.szLicensing, driver->licensing());
        copyText(full.szFeatures, driver->features());
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (...) {
        return MMSYSERR_ERROR;
    }
    const std::uint32_t bytes = std::min<std::uint32_t>(details->cbStruct, sizeof(Details));
    full.cbStruct = bytes;
    std::memcpy(static_cast<void*>(details), &full, bytes);
    return MMSYSERR_NOERROR;
}

} // namespace

AcmService::AcmService(AcmDriverRegistry& registry) : registry_(registry) {}

AcmService::~AcmService() = default;

std::uintptr_t AcmService::newHandle()
{
    return ++nextHandle_;
}

std::shared_ptr<AcmDriver> AcmService::driverFor(HACMDRIVERID hadid, bool* enabled)
{
    if (hadid == nullptr)
        return nullptr;
    auto entry = registry_.find(hadid);
    if (entry.driver) {
        *enabled = entry.enabled;
        return entry.driver;
    }
    std::lock_guard lock(mutex_);
    auto it = drivers_.find(reinterpret_cast<std::uintptr_t>(hadid));
    if (it == drivers_.end())
        return nullptr;
    *enabled = true;
    return it->second->driver;
}

std::shared_ptr<AcmService::OpenStream> AcmService::streamFor(HACMSTREAM has)
{
    std::lock_guard lock(mutex_);
    auto it = streams_.find(reinterpret_cast<std::uintptr_t>(has));
    return it == streams_.end() ? nullptr : it->second;
}

MMRESULT AcmService::acmDriverEnum(const ACMDRIVERENUMCB& callback, std::uintptr_t instance,
                                   std::uint32_t fdwEnum)
{
    if (!callback)
        return MMSYSERR_INVALPARAM;
    if (fdwEnum & ~(ACM_DRIVERENUMF_NOLOCAL | ACM_DRIVERENUMF_DISABLED))
        return MMSYSERR_INVALFLAG;
    // A snapshot, so the callback may open drivers or read details without deadlock.
    for (const auto& entry : registry_.entries()) {
        std::uint32_t support = 0;
        try {
            support = entry.driver->supportFlags() & ~ACMDRIVERDETAILS_SUPPORTF_DISABLED;
        } catch (...) {
            continue;
        }
        if (!entry.enabled) {
            if (!(fdwEnum & ACM_DRIVERENUMF_DISABLED))
                continue;
            support |= ACMDRIVERDETAILS_SUPPORTF_DISABLED;
        }
        if ((fdwEnum & ACM_DRIVERENUMF_NOLOCAL) && (support & ACMDRIVERDETAILS_SUPPORTF_LOCAL))
            continue;
        if (!callback(entry.id, instance, support))
            break;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmDriverDetailsW(HACMDRIVERID hadid, ACMDRIVERDETAILSW* details,
                                       std::uint32_t fdwDetails)
{
    if (fdwDetails != 0)
        return MMSYSERR_INVALFLAG;
    bool enabled = true;
    auto driver = driverFor(hadid, &enabled);
    if (!driver)
        return MMSYSERR_INVALHANDLE;
    return fillDetails(driver, enabled, details);
}

MMRESULT AcmService::acmDriverDetailsA(HACMDRIVERID hadid, ACMDRIVERDETAILSA* details,
                                       std::uint32_t fdwDetails)
{
    if (fdwDetails != 0)
        return MMSYSERR_INVALFLAG;
    bool enabled = true;
    auto driver = driverFor(hadid, &enabled);
    if (!driver)
        return MMSYSERR_INVALHANDLE;
    return fillDetails(driver, enabled, details);
}

MMRESULT AcmService::acmDriverOpen(HACMDRIVER* phad, HACMDRIVERID hadid, std::uint32_t fdwOpen)
{
    if (phad == nullptr)
        return MMSYSERR_INVALPARAM;
    *phad = nullptr;
    if (fdwOpen != 0)
        return MMSYSERR_INVALFLAG;
    auto entry = registry_.find(hadid);
    if (!entry.driver)
        return MMSYSERR_INVALHANDLE;
    if (!entry.enabled)
        return MMSYSERR_NOTENABLED;
    auto open = std::make_shared<OpenDriver>();
    open->id = entry.id;
    open->driver = entry.driver;
    std::lock_guard lock(mutex_);
    const std::uintptr_t handle = newHandle();
    drivers_[handle] = open;
    *phad = reinterpret_cast<HACMDRIVER>(handle);
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmDriverClose(HACMDRIVER had, std::uint32_t fdwClose)
{
    if (fdwClose != 0)
        return MMSYSERR_INVALFLAG;
    std::lock_guard lock(mutex_);
    auto it = drivers_.find(reinterpret_cast<std::uintptr_t>(had));
    if (it == drivers_.end())
        return MMSYSERR_INVALHANDLE;
    if (it->second->openStreams > 0)
        return ACMERR_BUSY;
    drivers_.erase(it);
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmStreamOpen(HACMSTREAM* phas, HACMDRIVER had, const WAVEFORMATEX* pwfxSrc,
                                   const WAVEFORMATEX* pwfxDst, const void* pwfltr, std::uintptr_t dwCallback,
                                   std::uintptr_t dwInstance, std::uint32_t fdwOpen)
{
    (void)dwCallback;
    (void)dwInstance;
    const bool query = (fdwOpen & ACM_STREAMOPENF_QUERY) != 0;
    if (phas != nullptr)
        *phas = nullptr;
    if (fdwOpen &
        ~(ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_ASYNC | ACM_STREAMOPENF_NONREALTIME | CALLBACK_TYPEMASK))
        return MMSYSERR_INVALFLAG;
    if (pwfxSrc == nullptr || pwfxDst == nullptr || (!query && phas == nullptr))
        return MMSYSERR_INVALPARAM;
    if (fdwOpen & ACM_STREAMOPENF_ASYNC)
        return MMSYSERR_NOTSUPPORTED;
    if (fdwOpen & CALLBACK_TYPEMASK)
        return MMSYSERR_INVALFLAG; // a callback only makes sense for an asynchronous stream
    if (pwfltr != nullptr)
        return ACMERR_NOTPOSSIBLE;

    const AcmFormat src = AcmFormat::fromWaveFormat(*pwfxSrc);
    const AcmFormat dst = AcmFormat::fromWaveFormat(*pwfxDst);

    std::vector<std::pair<std::uintptr_t, std::shared_ptr<AcmDriver>>> candidates;
    if (had != nullptr) {
        std::lock_guard lock(mutex_);
        auto it = drivers_.find(reinterpret_cast<std::uintptr_t>(had));
        if (it == drivers_.end())
            return MMSYSERR_INVALHANDLE;
        candidates.emplace_back(it->first, it->second->driver);
    } else {
        for (const auto& entry : registry_.entries()) {
            if (entry.enabled)
                candidates.emplace_back(0, entry.driver);
        }
    }

    try {
        for (const auto& [handle, driver] : candidates) {
            if (!driver->canConvert(src, dst))
                continue;
            if (query)
                return MMSYSERR_NOERROR;
            auto stream = driver->openStream(src, dst);
            if (!stream)
                continue;
            auto open = std::make_shared<OpenStream>();
            open->driverHandle = handle;
            open->driver = driver;
            open->stream = std::move(stream);
            open->src = src;
            open->dst = dst;
            std::lock_guard lock(mutex_);
            if (handle != 0) {
                auto it = drivers_.find(handle);
                if (it == drivers_.end())
                    return MMSYSERR_INVALHANDLE; // closed meanwhile by another thread
                ++it->second->openStreams;
            }
            const std::uintptr_t streamHandle = newHandle();
            streams_[streamHandle] = open;
            *phas = reinterpret_cast<HACMSTREAM>(streamHandle);
            return MMSYSERR_NOERROR;
        }
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (...) {
        return MMSYSERR_ERROR;
    }
    return ACMERR_NOTPOSSIBLE;
}

MMRESULT AcmService::acmStreamSize(HACMSTREAM has, std::uint32_t cbInput, std::uint32_t* pdwOutputBytes,
                                   std::uint32_t fdwSize)
{
    auto stream = streamFor(has);
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (pdwOutputBytes == nullptr)
        return MMSYSERR_INVALPARAM;
    *pdwOutputBytes = 0;
    if (fdwSize == ACM_STREAMSIZEF_DESTINATION)
        return MMSYSERR_NOTSUPPORTED;
    if (fdwSize != ACM_STREAMSIZEF_SOURCE)
        return MMSYSERR_INVALFLAG;
    std::lock_guard lock(stream->convertMutex);
    const std::uint32_t size = stream->stream->maxDestinationLength(cbInput);
    if (size == 0 && cbInput != 0)
        return ACMERR_NOTPOSSIBLE;
    *pdwOutputBytes = size;
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, std::uint32_t fdwPrepare)
{
    auto stream = streamFor(has);
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (pash == nullptr || pash->cbStruct < ACMSTREAMHEADER_MIN_CBSTRUCT)
        return MMSYSERR_INVALPARAM;
    if (fdwPrepare != 0)
        return MMSYSERR_INVALFLAG;
    if ((pash->pbSrc == nullptr && pash->cbSrcLength > 0) ||
        (pash->pbDst == nullptr && pash->cbDstLength > 0))
        return MMSYSERR_INVALPARAM;
    std::lock_guard lock(stream->convertMutex);
    stream->prepared[pash] = Prepared{pash->pbSrc, pash->cbSrcLength, pash->pbDst, pash->cbDstLength};
    pash->fdwStatus = (pash->fdwStatus & ~(ACMSTREAMHEADER_STATUSF_DONE | ACMSTREAMHEADER_STATUSF_INQUEUE)) |
                      ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, std::uint32_t fdwConvert)
{
    auto stream = streamFor(has);
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (pash == nullptr || pash->cbStruct < ACMSTREAMHEADER_MIN_CBSTRUCT)
        return MMSYSERR_INVALPARAM;
    if (fdwConvert & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
        return MMSYSERR_INVALFLAG;
    std::lock_guard lock(stream->convertMutex);
    auto it = stream->prepared.find(pash);
    if (it == stream->prepared.end() || !(pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return ACMERR_UNPREPARED;
    // The buffers must lie within what was prepared.
    const Prepared& p = it->second;
    if (pash->pbSrc != p.src || pash->pbDst != p.dst || pash->cbSrcLength > p.srcLength ||
        pash->cbDstLength > p.dstLength)
        return MMSYSERR_INVALPARAM;

    pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
    pash->cbSrcLengthUsed = 0;
    pash->cbDstLengthUsed = 0;
    std::uint32_t srcLength = pash->cbSrcLength;
    if ((fdwConvert & ACM_STREAMCONVERTF_BLOCKALIGN) && stream->src.blockAlign > 1)
        srcLength -= srcLength % stream->src.blockAlign;

    std::uint32_t srcUsed = 0;
    std::uint32_t dstUsed = 0;
    MMRESULT result = MMSYSERR_NOERROR;
    try {
        if (fdwConvert & ACM_STREAMCONVERTF_START)
            stream->stream->restart();
        result = stream->stream->convert(pash->pbSrc, srcLength, &srcUsed, pash->pbDst, pash->cbDstLength,
                                         &dstUsed);
        // A driver never gets to claim more than it was given.
        srcUsed = std::min(srcUsed, srcLength);
        dstUsed = std::min(dstUsed, pash->cbDstLength);
        if (result == MMSYSERR_NOERROR && (fdwConvert & ACM_STREAMCONVERTF_END)) {
            std::uint32_t flushed = 0;
            const std::uint32_t room = pash->cbDstLength - dstUsed;
            result = stream->stream->flush(pash->pbDst ? pash->pbDst + dstUsed : nullptr, room, &flushed);
            dstUsed += std::min(flushed, room);
        }
    } catch (const std::bad_alloc&) {
        result = MMSYSERR_NOMEM;
    } catch (...) {
        result = MMSYSERR_ERROR;
    }
    pash->cbSrcLengthUsed = srcUsed;
    pash->cbDstLengthUsed = dstUsed;
    pash->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return result;
}

MMRESULT AcmService::acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash,
                                              std::uint32_t fdwUnprepare)
{
    auto stream = streamFor(has);
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (pash == nullptr || pash->cbStruct < ACMSTREAMHEADER_MIN_CBSTRUCT)
        return MMSYSERR_INVALPARAM;
    if (fdwUnprepare != 0)
        return MMSYSERR_INVALFLAG;
    std::lock_guard lock(stream->convertMutex);
    auto it = stream->prepared.find(pash);
    if (it == stream->prepared.end())
        return ACMERR_UNPREPARED;
    if (pash->pbSrc != it->second.src || pash->pbDst != it->second.dst)
        return MMSYSERR_INVALPARAM;
    stream->prepared.erase(it);
    pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT AcmService::acmStreamClose(HACMSTREAM has, std::uint32_t fdwClose)
{
    if (fdwClose != 0)
        return MMSYSERR_INVALFLAG;
    std::shared_ptr<OpenStream> stream;
    {
        std::lock_guard lock(mutex_);
        auto it = streams_.find(reinterpret_cast<std::uintptr_t>(has));
        if (it == streams_.end())
            return MMSYSERR_INVALHANDLE;
        stream = it->second;
        streams_.erase(it);
        if (stream->driverHandle != 0) {
            auto d = drivers_.find(stream->driverHandle);
            if (d != drivers_.end())
                --d->second->openStreams;
        }
    }
    // Wait for a conversion running on another thread before the stream object goes.
    std::lock_guard lock(stream->convertMutex);
    stream->prepared.clear();
    return MMSYSERR_NOERROR;
}

std::size_t AcmService::openDriverCount() const
{
    std::lock_guard lock(mutex_);
    return drivers_.size();
}

std::size_t AcmService::openStreamCount() const
{
    std::lock_guard lock(mutex_);
    return streams_.size();
}

const char* acmErrorName(MMRESULT code)
{
    switch (code) {
    case MMSYSERR_NOERROR:
        return "MMSYSERR_NOERROR";
    case MMSYSERR_ERROR:
        return "MMSYSERR_ERROR";
    case MMSYSERR_BADDEVICEID:
        return "MMSYSERR_BADDEVICEID";
    case MMSYSERR_NOTENABLED:
        return "MMSYSERR_NOTENABLED";
    case MMSYSERR_ALLOCATED:
        return "MMSYSERR_ALLOCATED";
    case MMSYSERR_INVALHANDLE:
        return "MMSYSERR_INVALHANDLE";
    case MMSYSERR_NODRIVER:
        return "MMSYSERR_NODRIVER";
    case MMSYSERR_NOMEM:
        return "MMSYSERR_NOMEM";
    case MMSYSERR_NOTSUPPORTED:
        return "MMSYSERR_NOTSUPPORTED";
    case MMSYSERR_INVALFLAG:
        return "MMSYSERR_INVALFLAG";
    case MMSYSERR_INVALPARAM:
        return "MMSYSERR_INVALPARAM";
    case MMSYSERR_HANDLEBUSY:
        return "MMSYSERR_HANDLEBUSY";
    case ACMERR_NOTPOSSIBLE:
        return "ACMERR_NOTPOSSIBLE";
    case ACMERR_BUSY:
        return "ACMERR_BUSY";
    case ACMERR_UNPREPARED:
        return "ACMERR_UNPREPARED";
    case ACMERR_CANCELED:
        return "ACMERR_CANCELED";
    default:
        return "unknown error";
    }
}

} // namespace qlnrec::platform
