#pragma once
// What the media control strings and sndPlaySound need from a sound card: a renderer that plays
// one stretch of decoded audio, a capturer that records PCM, and one-shot sounds. Two backends:
// Qt Multimedia (real sound card) and a null one that follows the program's clock.
#include "platform/mci/pcm_audio.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace qlnrec::platform {

class EventService;

// Plays audio->samples[fromByte, toByte). Times are audio time in milliseconds.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // False when the sound card cannot play the audio.
    virtual bool start(std::shared_ptr<const PcmAudio> audio, std::uint64_t fromByte,
                       std::uint64_t toByte) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Audio played since start (pauses excluded), at most the stretch's length.
    virtual std::uint64_t elapsedMs() const = 0;
    // The whole stretch has been played.
    virtual bool finished() const = 0;
};

struct CaptureFormat {
    std::uint32_t samplesPerSec = 11025;
    std::uint16_t channels = 1;
    std::uint16_t bitsPerSample = 16; // 8 (unsigned) or 16 (signed)

    std::uint16_t blockAlign() const { return static_cast<std::uint16_t>(channels * (bitsPerSample / 8)); }
};

// Records PCM in the given format from the computer's default input.
class AudioCapturer {
public:
    virtual ~AudioCapturer() = default;
    virtual bool start(const CaptureFormat& format) = 0;
    virtual void stop() = 0;
    // Moves the bytes recorded so far (whole frames) out of the capturer.
    virtual QByteArray takeRecorded() = 0;
};

class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    virtual QString name() const = 0;
    virtual std::unique_ptr<AudioRenderer> createRenderer() = 0;
    virtual std::unique_ptr<AudioCapturer> createCapturer() = 0;
    // Plays a sound without waiting; a new sound replaces the one playing. audio is null when the
    // file could not be read: nothing plays and the result is false. path and flags are for the
    // record only.
    virtual bool playSound(const QString& path, std::shared_ptr<const PcmAudio> audio,
                           std::uint32_t flags) = 0;
    virtual void stopSound() = 0;
    virtual bool soundPlaying() const = 0;
};

// Qt Multimedia when the machine has an audio output, else the null backend. The environment
// variable QLNREC_AUDIO=null forces the null backend.
std::unique_ptr<MediaBackend> createMediaBackend(EventService& events);

} // namespace qlnrec::platform
