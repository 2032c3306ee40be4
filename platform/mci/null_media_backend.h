#pragma once
// A sound card that makes no sound: playback advances with the EventService clock (virtual time
// in tests, real time on a machine without audio hardware), recording yields samples from a
// generator (silence unless set), and sndPlaySound requests are recorded.
#include "platform/mci/media_backend.h"

#include <functional>
#include <vector>

namespace qlnrec::platform {

class NullMediaBackend final : public MediaBackend {
public:
    struct SoundRequest {
        QString path;
        std::uint32_t flags = 0;
        bool played = false;          // a sound was decoded and started
        std::uint32_t timeMs = 0;     // EventService time of the request
        std::uint64_t durationMs = 0; // length of the sound
    };
    // Sample value (int16) for frame index n and channel c while recording.
    using CaptureGenerator = std::function<std::int16_t(std::uint64_t frame, std::uint16_t channel)>;

    explicit NullMediaBackend(EventService& events);

    QString name() const override { return QStringLiteral("null"); }
    std::unique_ptr<AudioRenderer> createRenderer() override;
    std::unique_ptr<AudioCapturer> createCapturer() override;
    bool playSound(const QString& path, std::shared_ptr<const PcmAudio> audio, std::uint32_t flags) override;
    // Recorded as a request with an empty path.
    void stopSound() override;

    const std::vector<SoundRequest>& soundRequests() const { return soundRequests_; }
    void clearSoundRequests() { soundRequests_.clear(); }
    // Whether the last sound started is still playing by the clock.
    bool soundPlaying() const override;
    void setCaptureGenerator(CaptureGenerator generator) { generator_ = std::move(generator); }
    // Makes the next renderer or capturer refuse to start (a busy or missing device).
    void failNextStart() { failNext_ = true; }

private:
    friend class NullRenderer;
    friend class NullCapturer;
    bool takeFailure()
    {
        const bool f = failNext_;
        failNext_ = false;
        return f;
    }

    EventService& events_;
    std::vector<SoundRequest> soundRequests_;
    CaptureGenerator generator_;
    bool failNext_ = false;
};

} // namespace qlnrec::platform
