#pragma once
// Basic multimedia types shared by the RIFF reader, the compression service, the media control
// strings and the wave-audio service: result codes, FOURCCs and the wave format record with the
// byte layout the Windows multimedia API uses (little-endian, 18 bytes, extra bytes following).
#include <cstdint>

namespace qlnrec::platform {

using MMRESULT = std::uint32_t;
using FOURCC = std::uint32_t;

// General multimedia result codes.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr std::uint16_t WAVE_FORMAT_DSPGROUP_TRUESPEECH = 34;

#pragma pack(push, 1)
// The wave format record. cbSize extra bytes follow it in memory when a format carries them
// (TrueSpeech: 32). Packed so that sizeof is 18, as in files and in the Windows API.
struct WAVEFORMATEX {
    std::uint16_t wFormatTag;
    std::uint16_t nChannels;
    std::uint32_t nSamplesPerSec;
    std::uint32_t nAvgBytesPerSec;
    std::uint16_t nBlockAlign;
    std::uint16_t wBitsPerSample;
    std::uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

constexpr FOURCC makeFourCC(char a, char b, char c, char d)
{
    return static_cast<FOURCC>(static_cast<unsigned char>(a)) |
           (static_cast<FOURCC>(static_cast<unsigned char>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<unsigned char>(c)) << 16) |
           (static_cast<FOURCC>(static_cast<unsigned char>(d)) << 24);
}

} // namespace qlnrec::platform
