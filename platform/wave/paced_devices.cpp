#include "platform/wave/paced_devices.h"

#include <algorithm>
#include <vector>

namespace qlnrec::platform {

PacedInputDevice::PacedInputDevice(MediaPacer& pacer, QString name, std::uint32_t epochMs)
    : pacer_(pacer), name_(std::move(name)), epochMs_(epochMs)
{
}

PacedInputDevice::~PacedInputDevice()
{
    PacedInputDevice::stop();
}

bool PacedInputDevice::start(WaveCaptureSink* sink)
{
    if (pumpId_ != 0 || !sink) {
        return false;
    }
    const std::uint32_t now = pacer_.events().timeGetTime();
    {
        std::lock_guard lock(mutex_);
        sink_ = sink;
        counter_ = PacedCounter(now, 8000);
        firstFrame_ = static_cast<std::int64_t>(static_cast<std::uint32_t>(now - epochMs_)) * 8;
    }
    pumpId_ = pacer_.add([this](std::uint32_t nowMs) { pump(nowMs); });
    return true;
}

void PacedInputDevice::pump(std::uint32_t nowMs)
{
    std::lock_guard lock(mutex_);
    if (!sink_) {
        return;
    }
    const std::uint64_t fresh = counter_.take(nowMs);
    if (fresh == 0) {
        return;
    }
    std::vector<std::int16_t> frames(static_cast<std::size_t>(fresh));
    const std::int64_t first = firstFrame_ + static_cast<std::int64_t>(counter_.taken() - fresh);
    render(first, frames.data(), frames.size());
    sink_->captured(reinterpret_cast<const std::uint8_t*>(frames.data()),
                    frames.size() * sizeof(std::int16_t));
}

void PacedInputDevice::flush()
{
    if (pumpId_ != 0) {
        pump(pacer_.events().timeGetTime());
    }
}

void PacedInputDevice::stop()
{
    if (pumpId_ == 0) {
        return;
    }
    pacer_.remove(pumpId_);
    pumpId_ = 0;
    std::lock_guard lock(mutex_);
    sink_ = nullptr;
}

PacedOutputDevice::PacedOutputDevice(MediaPacer& pacer, QString name) : pacer_(pacer), name_(std::move(name))
{
}

PacedOutputDevice::~PacedOutputDevice()
{
    PacedOutputDevice::stop();
}

bool PacedOutputDevice::start(WavePlaybackSource* source)
{
    if (pumpId_ != 0 || !source) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        source_ = source;
        counter_ = PacedCounter(pacer_.events().timeGetTime(), 8000);
    }
    pumpId_ = pacer_.add([this](std::uint32_t nowMs) { pump(nowMs); });
    return true;
}

void PacedOutputDevice::pump(std::uint32_t nowMs)
{
    std::lock_guard lock(mutex_);
    if (!source_) {
        return;
    }
    const std::uint64_t fresh = counter_.take(nowMs);
    if (fresh == 0) {
        return;
    }
    std::vector<std::int16_t> frames(static_cast<std::size_t>(fresh), 0);
    const std::size_t got =
        source_->pull(reinterpret_cast<std::uint8_t*>(frames.data()), frames.size() * sizeof(std::int16_t));
    played(frames.data(), got / sizeof(std::int16_t), frames.size());
}

void PacedOutputDevice::stop()
{
    if (pumpId_ == 0) {
        return;
    }
    pacer_.remove(pumpId_);
    pumpId_ = 0;
    std::lock_guard lock(mutex_);
    source_ = nullptr;
}

void NullInputDevice::render(std::int64_t, std::int16_t* out, std::size_t count)
{
    std::fill(out, out + count, std::int16_t{0});
}

} // namespace qlnrec::platform
