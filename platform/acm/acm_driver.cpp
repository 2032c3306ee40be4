#include "platform/acm/acm_driver.h"

#include <algorithm>
#include <cstring>

namespace qlnrec::platform {

AcmFormat AcmFormat::fromWaveFormat(const WAVEFORMATEX& format)
{
    AcmFormat f;
    f.formatTag = format.wFormatTag;
    f.channels = format.nChannels;
    f.samplesPerSec = format.nSamplesPerSec;
    f.avgBytesPerSec = format.nAvgBytesPerSec;
    f.blockAlign = format.nBlockAlign;
    f.bitsPerSample = format.wBitsPerSample;
    if (format.wFormatTag != WAVE_FORMAT_PCM && format.cbSize > 0) {
        const auto* extra = reinterpret_cast<const std::uint8_t*>(&format) + sizeof(WAVEFORMATEX);
        f.extra.assign(extra, extra + format.cbSize);
    }
    return f;
}

AcmFormat AcmFormat::pcm(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample)
{
    AcmFormat f;
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = static_cast<std::uint16_t>(channels * ((bitsPerSample + 7) / 8));
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    return f;
}

HACMDRIVERID AcmDriverRegistry::add(std::shared_ptr<AcmDriver> driver, bool enabled)
{
    if (!driver)
        return nullptr;
    std::lock_guard lock(mutex_);
    Entry entry;
    entry.id = reinterpret_cast<HACMDRIVERID>(nextId_++);
    entry.driver = std::move(driver);
    entry.enabled = enabled;
    entries_.push_back(entry);
    return entry.id;
}

bool AcmDriverRegistry::remove(HACMDRIVERID id)
{
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

bool AcmDriverRegistry::setEnabled(HACMDRIVERID id, bool enabled)
{
    std::lock_guard lock(mutex_);
    for (auto& e : entries_) {
        if (e.id == id) {
            e.enabled = enabled;
            return true;
        }
    }
    return false;
}

std::vector<AcmDriverRegistry::Entry> AcmDriverRegistry::entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

AcmDriverRegistry::Entry AcmDriverRegistry::find(HACMDRIVERID id) const
{
    std::lock_guard lock(mutex_);
    for (const auto& e : entries_) {
        if (e.id == id && id != nullptr)
            return e;
    }
    return {};
}

} // namespace qlnrec::platform
