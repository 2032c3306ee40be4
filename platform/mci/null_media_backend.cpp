#include "platform/mci/null_media_backend.h"

#include "platform/core/event_service.h"

#include <QtEndian>

#include <algorithm>

namespace qlnrec::platform {

class NullRenderer final : public AudioRenderer {
public:
    explicit NullRenderer(NullMediaBackend& backend) : backend_(backend) {}

    bool start(std::shared_ptr<const PcmAudio> audio, std::uint64_t fromByte, std::uint64_t toByte) override
    {
        stop();
        if (backend_.takeFailure() || !audio || audio->channels == 0)
            return false;
        toByte = std::min<std::uint64_t>(toByte, static_cast<std::uint64_t>(audio->samples.size()));
        fromByte = std::min(fromByte, toByte);
        lengthMs_ = PcmAudio::framesToMs((toByte - fromByte) / audio->frameBytes(), audio->sampleRate);
        accumulatedMs_ = 0;
        running_ = true;
        resumedAt_ = now();
        return true;
    }
    void pause() override
    {
        if (running_) {
            accumulatedMs_ = elapsedMs();
            running_ = false;
        }
    }
    void resume() override
    {
        if (!running_) {
            running_ = true;
            resumedAt_ = now();
        }
    }
    void stop() override { pause(); }
    std::uint64_t elapsedMs() const override
    {
        std::uint64_t e = accumulatedMs_;
        if (running_)
            e += static_cast<std::uint32_t>(now() - resumedAt_);
        return std::min(e, lengthMs_);
    }
    bool finished() const override { return elapsedMs() >= lengthMs_; }

private:
    std::uint32_t now() const { return backend_.events_.timeGetTime(); }

    NullMediaBackend& backend_;
    std::uint64_t lengthMs_ = 0;
    std::uint64_t accumulatedMs_ = 0;
    std::uint32_t resumedAt_ = 0;
    bool running_ = false;
};

class NullCapturer final : public AudioCapturer {
public:
    explicit NullCapturer(NullMediaBackend& backend) : backend_(backend) {}

    bool start(const CaptureFormat& format) override
    {
        if (backend_.takeFailure() || format.channels == 0 || format.samplesPerSec == 0 ||
            (format.bitsPerSample != 8 && format.bitsPerSample != 16))
            return false;
        produce();
        format_ = format;
        running_ = true;
        startedAt_ = backend_.events_.timeGetTime();
        framesAtStart_ = framesMade_;
        return true;
    }
    void stop() override
    {
        produce();
        running_ = false;
    }
    QByteArray takeRecorded() override
    {
        produce();
        QByteArray out;
        out.swap(pending_);
        return out;
    }

private:
    // Makes the frames that the clock says have been recorded by now.
    void produce()
    {
        if (!running_)
            return;
        const std::uint64_t elapsedMs =
            static_cast<std::uint32_t>(backend_.events_.timeGetTime() - startedAt_);
        const std::uint64_t due = framesAtStart_ + elapsedMs * format_.samplesPerSec / 1000u;
        const std::uint16_t bytes = format_.bitsPerSample / 8;
        for (; framesMade_ < due; ++framesMade_) {
            for (std::uint16_t c = 0; c < format_.channels; ++c) {
                const std::int16_t v = backend_.generator_ ? backend_.generator_(framesMade_, c) : 0;
                if (bytes == 1) {
                    pending_.append(static_cast<char>((v >> 8) + 128));
                } else {
                    char le[2];
                    qToLittleEndian<qint16>(v, le);
                    pending_.append(le, 2);
                }
            }
        }
    }

    NullMediaBackend& backend_;
    CaptureFormat format_;
    bool running_ = false;
    std::uint32_t startedAt_ = 0;
    std::uint64_t framesAtStart_ = 0;
    std::uint64_t framesMade_ = 0;
    QByteArray pending_;
};

NullMediaBackend::NullMediaBackend(EventService& events) : events_(events) {}

std::unique_ptr<AudioRenderer> NullMediaBackend::createRenderer()
{
    return std::make_unique<NullRenderer>(*this);
}

std::unique_ptr<AudioCapturer> NullMediaBackend::createCapturer()
{
    return std::make_unique<NullCapturer>(*this);
}

bool NullMediaBackend::playSound(const QString& path, std::shared_ptr<const PcmAudio> audio,
                                 std::uint32_t flags)
{
    SoundRequest r;
    r.path = path;
    r.flags = flags;
    r.timeMs = events_.timeGetTime();
    r.played = audio != nullptr;
    r.durationMs = audio ? audio->durationMs() : 0;
    soundRequests_.push_back(r);
    return r.played;
}

void NullMediaBackend::stopSound()
{
    SoundRequest r;
    r.timeMs = events_.timeGetTime();
    soundRequests_.push_back(r);
}

bool NullMediaBackend::soundPlaying() const
{
    for (auto it = soundRequests_.rbegin(); it != soundRequests_.rend(); ++it) {
        if (it->played || it->path.isEmpty()) {
            if (!it->played)
                return false; // a stop request
            return static_cast<std::uint32_t>(events_.timeGetTime() - it->timeMs) < it->durationMs;
        }
    }
    return false;
}

} // namespace qlnrec::platform
