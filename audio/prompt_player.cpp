#include "audio/prompt_player.h"

#include "platform/riff/mmio.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qlnrec::audio {

using namespace platform;

PromptPlayer::PromptPlayer(WaveService& wave, telephony::LineState& lines) : wave_(wave), lines_(lines) {}

PromptPlayer::~PromptPlayer()
{
    // No device may call back into a line record after the player is gone.
    for (int line = 0; line < telephony::kLineCount; ++line) {
        if (at(line).deviceOpen) {
            StopPrompt(line);
        }
    }
}

void PromptPlayer::release(LinePrompt& p)
{
    p.memory.reset();
    p.memoryBytes = 0;
    p.frames = 0;
}

void PromptPlayer::LoadPrompt(const QString& path, int line)
{
    LinePrompt& p = at(line);
    // The block about to be released may still be queued on the device.
    if (p.deviceOpen) {
        StopPrompt(line);
    }
    p.loaded = false;
    if (path.isEmpty()) {
        release(p);
        return;
    }
    MMIOINFO info;
    HMMIO file = mmioOpen(path, &info, MMIO_READ | MMIO_ALLOCBUF);
    if (!file) {
        release(p);
        return;
    }
    MMCKINFO riff;
    riff.fccType = mmioStringToFOURCC("WAVE", 0);
    MMCKINFO chunk;
    chunk.ckid = mmioStringToFOURCC("fmt", 0);
    WAVEFORMATEX format{};
    bool found = mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR &&
                 mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
    if (found) {
        // A plain PCM "fmt " chunk has 16 bytes: the extra-size field is then 0, not the first
        // bytes of the next chunk.
        const auto want = static_cast<std::int32_t>(std::min<std::uint32_t>(chunk.cksize, sizeof format));
        found = want >= 16 && mmioRead(file, reinterpret_cast<char*>(&format), want) == want;
        if (want < static_cast<std::int32_t>(sizeof format)) {
            format.cbSize = 0;
        }
    }
    if (found) {
        mmioAscend(file, &chunk, 0);
        chunk.ckid = mmioStringToFOURCC("data", 0);
        found = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
    }
    // Without a frame size nothing can be played.
    if (!found || format.nBlockAlign == 0) {
        mmioClose(file, 0);
        return;
    }
    release(p);
    // The reader cut the chunk size to what the file holds, so this never exceeds its length.
    p.memory.reset(new (std::nothrow) char[chunk.cksize == 0 ? 1 : chunk.cksize]());
    const bool read = p.memory && (chunk.cksize == 0 ||
                                   mmioRead(file, p.memory.get(), static_cast<std::int32_t>(chunk.cksize)) ==
                                       static_cast<std::int32_t>(chunk.cksize));
    mmioClose(file, 0);
    if (!read) {
        release(p);
        return;
    }
    p.memoryBytes = chunk.cksize;
    p.frames = static_cast<std::int32_t>(chunk.cksize / format.nBlockAlign);
    p.format = format;
    promptFormat_ = format;
    p.loaded = true;
}

void PromptPlayer::PlayPrompt(std::uint32_t device, int line)
{
    LinePrompt& p = at(line);
    if (!p.loaded || !p.memory) {
        return;
    }
    if (p.deviceOpen) {
        StopPrompt(line);
    }
    std::uint32_t flags = CALLBACK_FUNCTION;
    if (device != WAVE_MAPPER) {
        flags |= WAVE_MAPPED;
    }
    // One routine per line: it only stores the end of the block into the line's flag.
    telephony::LineState& lines = lines_;
    auto callback = [&lines, line](std::uint32_t, std::uint32_t message, std::uintptr_t, std::uintptr_t,
                                   std::uintptr_t) {
        if (message == MM_WOM_DONE) {
            lines[line].promptPlaying = 0;
        }
    };
    p.handle = 0;
    lastWaveResult_ = wave_.waveOutOpen(&p.handle, device, &p.format, callback, 0, flags);
    if (lastWaveResult_ != MMSYSERR_NOERROR) {
        release(p);
        p.loaded = false;
        return;
    }
    p.deviceOpen = true;
    p.header = WAVEHDR{};
    p.header.lpData = p.memory.get();
    p.header.dwBufferLength = static_cast<std::uint32_t>(p.frames) * p.format.nBlockAlign;
    lastWaveResult_ = wave_.waveOutPrepareHeader(p.handle, &p.header, sizeof p.header);
    if (lastWaveResult_ != MMSYSERR_NOERROR) {
        return;
    }
    // Raised before the write: a short block may be done (and the flag cleared by the driver)
    // before waveOutWrite returns.
    lines_[line].promptPlaying = -1;
    lastWaveResult_ = wave_.waveOutWrite(p.handle, &p.header, sizeof p.header);
    if (lastWaveResult_ != MMSYSERR_NOERROR) {
        lines_[line].promptPlaying = 0;
        release(p);
        p.loaded = false;
    }
}

void PromptPlayer::StopPrompt(int line)
{
    LinePrompt& p = at(line);
    lastWaveResult_ = wave_.waveOutReset(p.handle);
    lastWaveResult_ = wave_.waveOutUnprepareHeader(p.handle, &p.header, sizeof p.header);
    lastWaveResult_ = wave_.waveOutClose(p.handle);
    p.deviceOpen = false;
    p.handle = 0;
}

} // namespace qlnrec::audio
