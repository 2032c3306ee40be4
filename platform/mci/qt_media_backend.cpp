#include "platform/mci/qt_media_backend.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>
#include <QtEndian>

#include <algorithm>

namespace qlnrec::platform {

namespace {

QAudioFormat int16Format(std::uint32_t rate, std::uint16_t channels)
{
    QAudioFormat f;
    f.setSampleRate(static_cast<int>(rate));
    f.setChannelCount(channels);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

class QtRenderer final : public AudioRenderer {
public:
    bool start(std::shared_ptr<const PcmAudio> audio, std::uint64_t fromByte, std::uint64_t toByte) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (!audio || audio->channels == 0 || device.isNull())
            return false;
        toByte = std::min<std::uint64_t>(toByte, static_cast<std::uint64_t>(audio->samples.size()));
        fromByte = std::min(fromByte, toByte);
        PcmAudio stretch;
        stretch.sampleRate = audio->sampleRate;
        stretch.channels = audio->channels;
        stretch.samples =
            audio->samples.mid(static_cast<qsizetype>(fromByte), static_cast<qsizetype>(toByte - fromByte));
        lengthMs_ = stretch.durationMs();

        QAudioFormat format = int16Format(stretch.sampleRate, stretch.channels);
        if (!device.isFormatSupported(format)) {
            // Play at the card's own rate and channel count instead.
            const QAudioFormat preferred = device.preferredFormat();
            stretch = convertPcm(stretch, static_cast<std::uint32_t>(preferred.sampleRate()),
                                 static_cast<std::uint16_t>(preferred.channelCount()));
            format = int16Format(stretch.sampleRate, stretch.channels);
            if (!device.isFormatSupported(format))
                return false;
        }
        data_ = stretch.samples;
        buffer_ = std::make_unique<QBuffer>(&data_);
        buffer_->open(QIODevice::ReadOnly);
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->start(buffer_.get());
        return sink_->error() == QAudio::NoError || sink_->error() == QAudio::UnderrunError;
    }
    void pause() override
    {
        if (sink_ && sink_->state() == QAudio::ActiveState)
            sink_->suspend();
    }
    void resume() override
    {
        if (sink_ && sink_->state() == QAudio::SuspendedState)
            sink_->resume();
    }
    void stop() override
    {
        if (sink_) {
            stoppedAtMs_ = elapsedMs();
            sink_->stop();
            sink_.reset();
        }
        buffer_.reset();
        data_.clear();
    }
    std::uint64_t elapsedMs() const override
    {
        if (!sink_)
            return stoppedAtMs_;
        return std::min<std::uint64_t>(static_cast<std::uint64_t>(sink_->processedUSecs()) / 1000u,
                                       lengthMs_);
    }
    bool finished() const override
    {
        if (!sink_)
            return true;
        if (sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError)
            return true;
        return sink_->state() == QAudio::IdleState && buffer_ && buffer_->atEnd();
    }

private:
    QByteArray data_;
    std::unique_ptr<QBuffer> buffer_;
    std::unique_ptr<QAudioSink> sink_;
    std::uint64_t lengthMs_ = 0;
    std::uint64_t stoppedAtMs_ = 0;
};

class QtCapturer final : public AudioCapturer {
public:
    bool start(const CaptureFormat& format) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull() || format.channels == 0 ||
            (format.bitsPerSample != 8 && format.bitsPerSample != 16))
            return false;
        QAudioFormat f;
        f.setSampleRate(static_cast<int>(format.samplesPerSec));
        f.setChannelCount(format.channels);
        f.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        if (!device.isFormatSupported(f))
            return false;
        format_ = format;
        source_ = std::make_unique<QAudioSource>(device, f);
        io_ = source_->start();
        if (!io_) {
            source_.reset();
            return false;
        }
        QObject::connect(io_, &QIODevice::readyRead, source_.get(),
                         [this] { pending_.append(io_->readAll()); });
        return true;
    }
    void stop() override
    {
        if (source_) {
            if (io_)
                pending_.append(io_->readAll());
            source_->stop();
            source_.reset();
            io_ = nullptr;
        }
    }
    QByteArray takeRecorded() override
    {
        if (io_)
            pending_.append(io_->readAll());
        const qsizetype frame = std::max<qsizetype>(format_.blockAlign(), 1);
        const qsizetype whole = pending_.size() - pending_.size() % frame;
        QByteArray out = pending_.left(whole);
        pending_.remove(0, whole);
        return out;
    }

private:
    CaptureFormat format_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* io_ = nullptr;
    QByteArray pending_;
};

} // namespace

QtMediaBackend::QtMediaBackend() = default;
QtMediaBackend::~QtMediaBackend() = default;

std::unique_ptr<AudioRenderer> QtMediaBackend::createRenderer()
{
    return std::make_unique<QtRenderer>();
}

std::unique_ptr<AudioCapturer> QtMediaBackend::createCapturer()
{
    return std::make_unique<QtCapturer>();
}

bool QtMediaBackend::playSound(const QString& path, std::shared_ptr<const PcmAudio> audio,
                               std::uint32_t flags)
{
    (void)path;
    (void)flags;
    if (!audio)
        return false;
    if (sound_)
        sound_->stop();
    else
        sound_ = createRenderer();
    return sound_->start(audio, 0, static_cast<std::uint64_t>(audio->samples.size()));
}

void QtMediaBackend::stopSound()
{
    if (sound_)
        sound_->stop();
}

bool QtMediaBackend::soundPlaying() const
{
    return sound_ && !sound_->finished();
}

bool QtMediaBackend::haveOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool QtMediaBackend::haveInput()
{
    return !QMediaDevices::audioInputs().isEmpty();
}

} // namespace qlnrec::platform
