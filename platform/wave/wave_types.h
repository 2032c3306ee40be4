#pragma once
// Waveform-audio types with the layouts and values of the Windows multimedia API, so the capture
// and prompt code can queue headers, read recorded-byte counts and react to the same callback
// messages it was written for.
#include "platform/riff/mmsystem.h"

#include <cstdint>
#include <functional>

namespace qlnrec::platform {

using HWAVEIN = std::uint32_t;
using HWAVEOUT = std::uint32_t;

// Device id of the wave mapper: the computer's sound card (or the null device without one).
inline constexpr std::uint32_t WAVE_MAPPER = 0xFFFFFFFFu;

// Open flags.
inline constexpr std::uint32_t WAVE_FORMAT_QUERY = 0x0001;
inline constexpr std::uint32_t WAVE_ALLOWSYNC = 0x0002;
inline constexpr std::uint32_t WAVE_MAPPED = 0x0004;
inline constexpr std::uint32_t CALLBACK_FUNCTION = 0x00030000;

// Callback messages.
inline constexpr std::uint32_t MM_WOM_OPEN = 0x3BB;  // 955
inline constexpr std::uint32_t MM_WOM_CLOSE = 0x3BC; // 956
inline constexpr std::uint32_t MM_WOM_DONE = 0x3BD;  // 957
inline constexpr std::uint32_t MM_WIM_OPEN = 0x3BE;  // 958
inline constexpr std::uint32_t MM_WIM_CLOSE = 0x3BF; // 959
inline constexpr std::uint32_t MM_WIM_DATA = 0x3C0;  // 960
inline constexpr std::uint32_t WOM_OPEN = MM_WOM_OPEN;
inline constexpr std::uint32_t WOM_CLOSE = MM_WOM_CLOSE;
inline constexpr std::uint32_t WOM_DONE = MM_WOM_DONE;
inline constexpr std::uint32_t WIM_OPEN = MM_WIM_OPEN;
inline constexpr std::uint32_t WIM_CLOSE = MM_WIM_CLOSE;
inline constexpr std::uint32_t WIM_DATA = MM_WIM_DATA;

// Wave-specific result codes.
inline constexpr MMRESULT WAVERR_BASE = 32;
inline constexpr MMRESULT WAVERR_BADFORMAT = WAVERR_BASE + 0;
inline constexpr MMRESULT WAVERR_STILLPLAYING = WAVERR_BASE + 1;
inline constexpr MMRESULT WAVERR_UNPREPARED = WAVERR_BASE + 2;
inline constexpr MMRESULT WAVERR_SYNC = WAVERR_BASE + 3;

// WAVEHDR.dwFlags bits.
inline constexpr std::uint32_t WHDR_DONE = 0x00000001;
inline constexpr std::uint32_t WHDR_PREPARED = 0x00000002;
inline constexpr std::uint32_t WHDR_BEGINLOOP = 0x00000004;
inline constexpr std::uint32_t WHDR_ENDLOOP = 0x00000008;
inline constexpr std::uint32_t WHDR_INQUEUE = 0x00000010;

// A block of audio handed to a device. The caller owns the memory; the service writes
// dwBytesRecorded and dwFlags, and hands the header back through the callback.
struct WAVEHDR {
    char* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;
    std::uintptr_t reserved = 0;
};

// Device callback: (handle, message, instance, param1, param2). For MM_WIM_DATA and MM_WOM_DONE
// param1 is the address of the WAVEHDR. It runs in the driver's context (a driver thread in real
// time, the clock's timer in virtual time) and must only store a flag; it must not call back into
// the wave service.
using WAVECALLBACK = void (*)(std::uint32_t handle, std::uint32_t msg, std::uintptr_t instance,
                              std::uintptr_t param1, std::uintptr_t param2);
using WaveCallback = std::function<void(std::uint32_t handle, std::uint32_t msg, std::uintptr_t instance,
                                        std::uintptr_t param1, std::uintptr_t param2)>;

// The capture format of the whole program: PCM, mono, 8 kHz, 16 bits.
constexpr WAVEFORMATEX pcm8kMono16()
{
    return WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
}

inline bool sameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b)
{
    return a.wFormatTag == b.wFormatTag && a.nChannels == b.nChannels &&
           a.nSamplesPerSec == b.nSamplesPerSec && a.nBlockAlign == b.nBlockAlign &&
           a.wBitsPerSample == b.wBitsPerSample;
}

} // namespace qlnrec::platform
