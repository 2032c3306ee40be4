#include "platform/wave/qt_sound_card.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace qlnrec::platform {

namespace {

// 16-bit PCM at the card's preferred rate and channel count when it cannot do 8 kHz mono; the
// wave service converts to and from the caller's format.
QAudioFormat chooseFormat(const QAudioDevice& device)
{
    QAudioFormat format;
    format.setSampleRate(8000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format)) {
        return format;
    }
    format = device.preferredFormat();
    format.setSampleFormat(QAudioFormat::Int16);
    format.setChannelCount(std::min(format.channelCount(), 2));
    if (!device.isFormatSupported(format)) {
        return {};
    }
    return format;
}

WAVEFORMATEX toWaveFormat(const QAudioFormat& format)
{
    const auto channels = static_cast<std::uint16_t>(format.channelCount());
    const auto rate = static_cast<std::uint32_t>(format.sampleRate());
    const auto align = static_cast<std::uint16_t>(channels * 2);
    return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, 16, 0};
}

class QtInput final : public WaveInDevice {
public:
    explicit QtInput(QAudioDevice device) : device_(std::move(device)), format_(chooseFormat(device_)) {}
    ~QtInput() override { QtInput::stop(); }

    QString name() const override { return device_.description(); }
    WAVEFORMATEX nativeFormat() const override { return toWaveFormat(format_); }

    bool start(WaveCaptureSink* sink) override
    {
        if (!format_.isValid() || source_) {
            return false;
        }
        source_ = std::make_unique<QAudioSource>(device_, format_);
        io_ = source_->start();
        if (!io_ || source_->error() != QAudio::NoError) {
            source_.reset();
            io_ = nullptr;
            return false;
        }
        QObject::connect(io_, &QIODevice::readyRead, io_, [this, sink] {
            const QByteArray data = io_->readAll();
            if (!data.isEmpty()) {
                sink->captured(reinterpret_cast<const std::uint8_t*>(data.constData()),
                               static_cast<std::size_t>(data.size()));
            }
        });
        return true;
    }

    void stop() override
    {
        if (!source_) {
            return;
        }
        if (io_) {
            QObject::disconnect(io_, nullptr, nullptr, nullptr);
        }
        source_->stop();
        source_.reset();
        io_ = nullptr;
    }

private:
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* io_ = nullptr;
};

// Pull-mode feed for QAudioSink: hands out queued audio and silence behind it, so the sink keeps
// running between prompts.
class PullFeed final : public QIODevice {
public:
    explicit PullFeed(WavePlaybackSource* source) : source_(source) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 4096 + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const auto want = static_cast<std::size_t>(maxSize);
        const std::size_t got = source_->pull(reinterpret_cast<std::uint8_t*>(data), want);
        std::memset(data + got, 0, want - got);
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    WavePlaybackSource* source_;
};

class QtOutput final : public WaveOutDevice {
public:
    explicit QtOutput(QAudioDevice device) : device_(std::move(device)), format_(chooseFormat(device_)) {}
    ~QtOutput() override { QtOutput::stop(); }

    QString name() const override { return device_.description(); }
    WAVEFORMATEX nativeFormat() const override { return toWaveFormat(format_); }

    bool start(WavePlaybackSource* source) override
    {
        if (!format_.isValid() || sink_) {
            return false;
        }
        feed_ = std::make_unique<PullFeed>(source);
        sink_ = std::make_unique<QAudioSink>(device_, format_);
        sink_->start(feed_.get());
        if (sink_->error() != QAudio::NoError) {
            stop();
            return false;
        }
        return true;
    }

    void stop() override
    {
        if (sink_) {
            sink_->stop();
            sink_.reset();
        }
        feed_.reset();
    }

private:
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<PullFeed> feed_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

std::shared_ptr<WaveInDevice> createQtSoundCardInput()
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull() || !chooseFormat(device).isValid()) {
        return nullptr;
    }
    return std::make_shared<QtInput>(device);
}

std::shared_ptr<WaveOutDevice> createQtSoundCardOutput()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !chooseFormat(device).isValid()) {
        return nullptr;
    }
    return std::make_shared<QtOutput>(device);
}

} // namespace qlnrec::platform
