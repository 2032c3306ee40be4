#pragma once
// The computer's sound card through Qt Multimedia: QAudioSink for playback and sounds,
// QAudioSource for recording. Audio runs on the GUI thread's event loop.
#include "platform/mci/media_backend.h"

namespace qlnrec::platform {

class QtMediaBackend final : public MediaBackend {
public:
    QtMediaBackend();
    ~QtMediaBackend() override;

    QString name() const override { return QStringLiteral("qt"); }
    std::unique_ptr<AudioRenderer> createRenderer() override;
    std::unique_ptr<AudioCapturer> createCapturer() override;
    bool playSound(const QString& path, std::shared_ptr<const PcmAudio> audio, std::uint32_t flags) override;
    void stopSound() override;
    bool soundPlaying() const override;

    // Whether the machine has an audio output / input device.
    static bool haveOutput();
    static bool haveInput();

private:
    std::unique_ptr<AudioRenderer> sound_;
};

} // namespace qlnrec::platform
