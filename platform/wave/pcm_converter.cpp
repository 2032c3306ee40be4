#include "platform/wave/pcm_converter.h"

#include <algorithm>
#include <cmath>

namespace qlnrec::platform {

bool PcmConverter::supported(const WAVEFORMATEX& f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
           (f.nChannels == 1 || f.nChannels == 2) && f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 192000 &&
           f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

PcmConverter::PcmConverter(const WAVEFORMATEX& from, const WAVEFORMATEX& to)
    : from_(from), to_(to), identity_(sameFormat(from, to)),
      step_(static_cast<double>(from.nSamplesPerSec) / static_cast<double>(to.nSamplesPerSec))
{
}

namespace {

double readSample(const std::uint8_t* p, int bits)
{
    if (bits == 8) {
        return (static_cast<int>(p[0]) - 128) * 256.0;
    }
    return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8))));
}

} // namespace

void PcmConverter::emitFrame(const double* frame, std::vector<std::uint8_t>& out) const
{
    const int inChannels = from_.nChannels;
    double values[2];
    if (to_.nChannels == 1) {
        values[0] = inChannels == 2 ? (frame[0] + frame[1]) / 2 : frame[0];
    } else {
        values[0] = frame[0];
        values[1] = inChannels == 2 ? frame[1] : frame[0];
    }
    for (int c = 0; c < to_.nChannels; ++c) {
        const double v = std::clamp(std::nearbyint(values[c]), -32768.0, 32767.0);
        if (to_.wBitsPerSample == 8) {
            const int b = static_cast<int>(std::nearbyint(v / 256.0)) + 128;
            out.push_back(static_cast<std::uint8_t>(std::clamp(b, 0, 255)));
        } else {
            const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            out.push_back(static_cast<std::uint8_t>(s & 0xFF));
            out.push_back(static_cast<std::uint8_t>(s >> 8));
        }
    }
}

void PcmConverter::convert(const std::uint8_t* data, std::size_t bytes, std::vector<std::uint8_t>& out)
{
    if (identity_) {
        out.insert(out.end(), data, data + bytes);
        return;
    }
    const std::size_t frameBytes = from_.nBlockAlign;
    std::size_t offset = 0;
    auto consumeFrame = [&](const std::uint8_t* p) {
        double frame[2];
        for (int c = 0; c < from_.nChannels; ++c) {
            frame[c] = readSample(p + static_cast<std::size_t>(c) * (from_.wBitsPerSample / 8),
                                  from_.wBitsPerSample);
        }
        if (from_.nSamplesPerSec == to_.nSamplesPerSec) {
            emitFrame(frame, out);
            return;
        }
        if (!havePrev_) {
            prev_[0] = frame[0];
            prev_[1] = frame[from_.nChannels - 1];
            havePrev_ = true;
            return;
        }
        while (position_ < 1.0) {
            double mixed[2];
            for (int c = 0; c < from_.nChannels; ++c) {
                mixed[c] = prev_[c] + (frame[c] - prev_[c]) * position_;
            }
            emitFrame(mixed, out);
            position_ += step_;
        }
        position_ -= 1.0;
        prev_[0] = frame[0];
        prev_[1] = frame[from_.nChannels - 1];
    };
    if (!partial_.empty()) {
        const std::size_t need = frameBytes - partial_.size();
        const std::size_t take = std::min(need, bytes);
        partial_.insert(partial_.end(), data, data + take);
        offset = take;
        if (partial_.size() < frameBytes) {
            return;
        }
        consumeFrame(partial_.data());
        partial_.clear();
    }
    while (offset + frameBytes <= bytes) {
        consumeFrame(data + offset);
        offset += frameBytes;
    }
    partial_.insert(partial_.end(), data + offset, data + bytes);
}

std::vector<std::uint8_t> convertPcm(const WAVEFORMATEX& from, const std::uint8_t* data, std::size_t bytes,
                                     const WAVEFORMATEX& to)
{
    std::vector<std::uint8_t> out;
    PcmConverter converter(from, to);
    converter.convert(data, bytes, out);
    return out;
}

} // namespace qlnrec::platform
