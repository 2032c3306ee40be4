#pragma once
// Plays a recorded WAVE file into a telephone line through the line's own wave-out device: the
// greeting, the legal notice and the do-not-call message of the answering sequence. A prompt is
// read whole into memory, written as one block, and its end is reported by the device callback
// clearing the line's promptPlaying flag, which the answering sequence polls.
//
// Each line plays with the format it loaded itself: promptFormat() only reports the format of
// the latest load. (Playing every line with the one latest format would garble a line whose
// prompt has another format.) Lines open their device mapped, so any PCM prompt (8 or 16 bits,
// mono or stereo, any rate) is converted to what the line's device takes; a modem then sends it
// in its negotiated voice format.
#include "platform/riff/mmsystem.h"
#include "platform/wave/wave_service.h"
#include "telephony/call_flow_roles.h"
#include "telephony/line_state.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

namespace qlnrec::audio {

class PromptPlayer final : public telephony::PromptRole {
public:
    PromptPlayer(platform::WaveService& wave, telephony::LineState& lines);
    ~PromptPlayer() override;
    PromptPlayer(const PromptPlayer&) = delete;
    PromptPlayer& operator=(const PromptPlayer&) = delete;

    // Reads the prompt of a line. promptLoaded is false afterwards when the path is empty, the
    // file cannot be opened, or it has no WAVE form, "fmt " or "data" chunk.
    void LoadPrompt(const QString& path, int line) override;
    // Plays the loaded prompt on device (-1: the computer's sound card); promptPlaying is -1
    // while it plays. Does nothing without a loaded prompt.
    void PlayPrompt(std::uint32_t device, int line) override;
    // Stops playback and closes the device; the prompt stays loaded.
    void StopPrompt(int line) override;

    bool promptLoaded(int line) const { return at(line).loaded; }
    // Whole frames of the loaded prompt.
    std::int32_t promptFrames(int line) const { return at(line).frames; }
    const platform::WAVEFORMATEX& promptFormat() const { return promptFormat_; }
    platform::MMRESULT lastWaveResult() const { return lastWaveResult_; }

private:
    struct LinePrompt {
        bool loaded = false;
        std::unique_ptr<char[]> memory;
        std::uint32_t memoryBytes = 0;
        std::int32_t frames = 0;
        platform::WAVEFORMATEX format{};
        platform::HWAVEOUT handle = 0;
        bool deviceOpen = false;
        platform::WAVEHDR header{};
    };

    LinePrompt& at(int line) { return prompts_.at(static_cast<std::size_t>(line)); }
    const LinePrompt& at(int line) const { return prompts_.at(static_cast<std::size_t>(line)); }
    void release(LinePrompt& p);

    platform::WaveService& wave_;
    telephony::LineState& lines_;
    std::array<LinePrompt, telephony::kLineCount> prompts_{};
    platform::WAVEFORMATEX promptFormat_{};
    platform::MMRESULT lastWaveResult_ = platform::MMSYSERR_NOERROR;
};

} // namespace qlnrec::audio
