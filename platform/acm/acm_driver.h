#pragma once
// The driver side of the compression service. A driver converts between wave formats; the
// service (acm.h) finds drivers in an AcmDriverRegistry, opens streams on them and feeds them
// the stream headers the program fills. Built-in drivers live beside this file (for example
// truespeech_driver.h/.cpp) and are added to a registry by registerBuiltInAcmDrivers().
#include "platform/riff/mmsystem.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qlnrec::platform {

// Opaque handles in the style of the Windows compression manager; a null handle is "none".
struct HACMDRIVERID__;
struct HACMDRIVER__;
struct HACMSTREAM__;
using HACMDRIVERID = HACMDRIVERID__*;
using HACMDRIVER = HACMDRIVER__*;
using HACMSTREAM = HACMSTREAM__*;

// Compression-manager result codes (the MMSYSERR_* codes of mmsystem.h apply as well).
inline constexpr MMRESULT ACMERR_BASE = 512;
inline constexpr MMRESULT ACMERR_NOTPOSSIBLE = ACMERR_BASE + 0;
inline constexpr MMRESULT ACMERR_BUSY = ACMERR_BASE + 1;
inline constexpr MMRESULT ACMERR_UNPREPARED = ACMERR_BASE + 2;
inline constexpr MMRESULT ACMERR_CANCELED = ACMERR_BASE + 3;

// fdwSupport bits a driver reports.
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_CODEC = 0x00000001;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_CONVERTER = 0x00000002;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_FILTER = 0x00000004;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_HARDWARE = 0x00000008;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_ASYNC = 0x00000010;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_LOCAL = 0x40000000;
inline constexpr std::uint32_t ACMDRIVERDETAILS_SUPPORTF_DISABLED = 0x80000000;

// A wave format as a driver sees it: the WAVEFORMATEX fields and the cbSize extra bytes that
// follow them (TrueSpeech: 32 bytes, revision 1 and 240 samples per block, then zeros).
struct AcmFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::uint8_t> extra;

    bool operator==(const AcmFormat&) const = default;

    // Reads a WAVEFORMATEX and the cbSize bytes after it. For WAVE_FORMAT_PCM cbSize is ignored,
    // as the Windows manager does, because callers often leave it uninitialised.
    static AcmFormat fromWaveFormat(const WAVEFORMATEX& format);
    // PCM, given rate, channels and bits; block alignment and byte rate derived.
    static AcmFormat pcm(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample);
};

// One open conversion. A stream is used from one thread at a time; it may keep state across
// convert() calls (codec history, samples held back until a whole frame is there).
class AcmDriverStream {
public:
    virtual ~AcmDriverStream() = default;

    // Converts from src into dst. *srcLengthUsed receives the source bytes taken (a stream that
    // keeps a partial frame for the next call counts it as taken), *dstLengthUsed the bytes
    // written, never more than dstLength. Returns MMSYSERR_NOERROR or an error code.
    virtual MMRESULT convert(const std::uint8_t* src, std::uint32_t srcLength, std::uint32_t* srcLengthUsed,
                             std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) = 0;

    // End of the stream: writes out whatever is held back (at most dstLength bytes). The
    // default holds nothing back.
    virtual MMRESULT flush(std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed)
    {
        (void)dst;
        (void)dstLength;
        *dstLengthUsed = 0;
        return MMSYSERR_NOERROR;
    }

    // Start of a new stream on the same object: forget held-back data and history.
    virtual void restart() {}

    // Largest number of destination bytes srcLength source bytes can produce, or 0 if unknown.
    virtual std::uint32_t maxDestinationLength(std::uint32_t srcLength) const
    {
        (void)srcLength;
        return 0;
    }
};

// A conversion driver. Names are plain ASCII/UTF-8; the service cuts them to the widths of the
// details record (short name 31 characters, long name 127, copyright 79, licensing 127,
// features 511).
class AcmDriver {
public:
    virtual ~AcmDriver() = default;

    virtual std::string shortName() const = 0;
    virtual std::string longName() const = 0;
    virtual std::string copyright() const { return {}; }
    virtual std::string licensing() const { return {}; }
    virtual std::string features() const { return {}; }
    // ACMDRIVERDETAILS_SUPPORTF_* bits other than DISABLED (the registry adds that).
    virtual std::uint32_t supportFlags() const { return ACMDRIVERDETAILS_SUPPORTF_CODEC; }
    // Format tags this driver reads or writes (for example WAVE_FORMAT_PCM and 34).
    virtual std::vector<std::uint16_t> formatTags() const = 0;

    // Whether a stream from src to dst can be opened. Must agree with openStream.
    virtual bool canConvert(const AcmFormat& src, const AcmFormat& dst) const = 0;
    // Opens a stream from src to dst, or returns null when this driver cannot convert them.
    virtual std::unique_ptr<AcmDriverStream> openStream(const AcmFormat& src, const AcmFormat& dst) = 0;
};

// Where drivers are listed. Ids are stable for the life of the registry and never null.
// Thread-safe; drivers are shared so that a removed driver stays alive while a stream uses it.
class AcmDriverRegistry {
public:
    struct Entry {
        HACMDRIVERID id = nullptr;
        std::shared_ptr<AcmDriver> driver;
        bool enabled = true;
    };

    AcmDriverRegistry() = default;
    AcmDriverRegistry(const AcmDriverRegistry&) = delete;
    AcmDriverRegistry& operator=(const AcmDriverRegistry&) = delete;

    // Adds a driver at the end of the list; a disabled driver is only enumerated on request.
    HACMDRIVERID add(std::shared_ptr<AcmDriver> driver, bool enabled = true);
    bool remove(HACMDRIVERID id);
    bool setEnabled(HACMDRIVERID id, bool enabled);
    // Snapshot in the order of adding.
    std::vector<Entry> entries() const;
    // The entry for id, or an entry with a null driver.
    Entry find(HACMDRIVERID id) const;

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::uintptr_t nextId_ = 1;
};

// Adds the drivers built into the program (the TrueSpeech codec) to registry. Called once by
// the start-up code on the registry it hands to the compression service.
void registerBuiltInAcmDrivers(AcmDriverRegistry& registry);

} // namespace qlnrec::platform
