#pragma once
// Drivers for the compression tests. FakeTrueSpeechDriver turns every whole 480-byte PCM frame
// into a 32-byte block (the frame's byte sum and its first 31 bytes) and keeps a partial frame
// for the next call; flush pads the partial frame with zeros. It decodes by expanding each
// 32-byte block into 480 bytes of its first byte.
#include "platform/acm/acm_driver.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace qlnrec::platform::fakes {

inline AcmFormat trueSpeechFormat()
{
    AcmFormat f;
    f.formatTag = WAVE_FORMAT_DSPGROUP_TRUESPEECH;
    f.channels = 1;
    f.samplesPerSec = 8000;
    f.avgBytesPerSec = 1067;
    f.blockAlign = 32;
    f.bitsPerSample = 1;
    f.extra.assign(32, 0);
    f.extra[0] = 1;
    f.extra[2] = 240;
    return f;
}

class FakeTrueSpeechStream final : public AcmDriverStream {
public:
    explicit FakeTrueSpeechStream(bool encode) : encode_(encode) {}

    MMRESULT convert(const std::uint8_t* src, std::uint32_t srcLength, std::uint32_t* srcLengthUsed,
                     std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        *srcLengthUsed = 0;
        *dstLengthUsed = 0;
        if (!encode_) {
            std::uint32_t s = 0, d = 0;
            while (s + 32 <= srcLength && d + 480 <= dstLength) {
                std::fill_n(dst + d, 480, src[s]);
                s += 32;
                d += 480;
            }
            *srcLengthUsed = s;
            *dstLengthUsed = d;
            return MMSYSERR_NOERROR;
        }
        std::uint32_t d = 0;
        std::uint32_t s = 0;
        while (s < srcLength) {
            pending_.push_back(src[s++]);
            if (pending_.size() == 480) {
                if (d + 32 > dstLength) {
                    pending_.pop_back();
                    --s;
                    break;
                }
                writeBlock(dst + d);
                d += 32;
            }
        }
        *srcLengthUsed = s;
        *dstLengthUsed = d;
        return MMSYSERR_NOERROR;
    }

    MMRESULT flush(std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        *dstLengthUsed = 0;
        if (!encode_ || pending_.empty())
            return MMSYSERR_NOERROR;
        if (dstLength < 32)
            return MMSYSERR_NOMEM;
        pending_.resize(480, 0);
        writeBlock(dst);
        *dstLengthUsed = 32;
        return MMSYSERR_NOERROR;
    }

    void restart() override
    {
        pending_.clear();
        ++restarts;
    }

    std::uint32_t maxDestinationLength(std::uint32_t srcLength) const override
    {
        return encode_ ? (srcLength + 479) / 480 * 32 + 32 : srcLength / 32 * 480;
    }

    int restarts = 0;

private:
    void writeBlock(std::uint8_t* out)
    {
        std::uint8_t sum = 0;
        for (auto b : pending_)
            sum = static_cast<std::uint8_t>(sum + b);
        out[0] = sum;
        std::copy_n(pending_.begin(), 31, out + 1);
        pending_.clear();
    }

    bool encode_;
    std::vector<std::uint8_t> pending_;
};

class FakeTrueSpeechDriver final : public AcmDriver {
public:
    explicit FakeTrueSpeechDriver(std::string shortName = "DSP Group TrueSpeech(TM)") : shortName_(shortName)
    {
    }

    std::string shortName() const override { return shortName_; }
    std::string longName() const override { return "DSP Group TrueSpeech(TM) Audio Codec (fake)"; }
    std::string copyright() const override { return "none"; }
    std::vector<std::uint16_t> formatTags() const override
    {
        return {WAVE_FORMAT_PCM, WAVE_FORMAT_DSPGROUP_TRUESPEECH};
    }
    bool canConvert(const AcmFormat& src, const AcmFormat& dst) const override
    {
        const AcmFormat pcm = AcmFormat::pcm(8000, 1, 16);
        const AcmFormat ts = trueSpeechFormat();
        return (src == pcm && dst == ts) || (src == ts && dst == pcm);
    }
    std::unique_ptr<AcmDriverStream> openStream(const AcmFormat& src, const AcmFormat& dst) override
    {
        if (!canConvert(src, dst))
            return nullptr;
        ++streamsOpened;
        auto s = std::make_unique<FakeTrueSpeechStream>(src.formatTag == WAVE_FORMAT_PCM);
        lastStream = s.get();
        return s;
    }

    int streamsOpened = 0;
    FakeTrueSpeechStream* lastStream = nullptr;

private:
    std::string shortName_;
};

// A driver that lists itself but converts nothing, with settable names.
class NamedDriver final : public AcmDriver {
public:
    NamedDriver(std::string shortName, std::string longName) : short_(shortName), long_(longName) {}
    std::string shortName() const override { return short_; }
    std::string longName() const override { return long_; }
    std::vector<std::uint16_t> formatTags() const override { return {WAVE_FORMAT_PCM}; }
    bool canConvert(const AcmFormat&, const AcmFormat&) const override { return false; }
    std::unique_ptr<AcmDriverStream> openStream(const AcmFormat&, const AcmFormat&) override
    {
        return nullptr;
    }

private:
    std::string short_, long_;
};

// A driver whose stream misbehaves: claims more than it was given, or throws.
class UnrulyStream final : public AcmDriverStream {
public:
    explicit UnrulyStream(bool throws) : throws_(throws) {}
    MMRESULT convert(const std::uint8_t*, std::uint32_t srcLength, std::uint32_t* srcLengthUsed,
                     std::uint8_t*, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        if (throws_)
            throw std::runtime_error("codec failure");
        *srcLengthUsed = srcLength + 1000;
        *dstLengthUsed = dstLength + 1000;
        return MMSYSERR_NOERROR;
    }

private:
    bool throws_;
};

class UnrulyDriver final : public AcmDriver {
public:
    explicit UnrulyDriver(bool throws) : throws_(throws) {}
    std::string shortName() const override { return "Unruly"; }
    std::string longName() const override { return "Unruly"; }
    std::vector<std::uint16_t> formatTags() const override { return {WAVE_FORMAT_PCM}; }
    bool canConvert(const AcmFormat& src, const AcmFormat&) const override
    {
        return src.samplesPerSec == 11025;
    }
    std::unique_ptr<AcmDriverStream> openStream(const AcmFormat&, const AcmFormat&) override
    {
        return std::make_unique<UnrulyStream>(throws_);
    }

private:
    bool throws_;
};

} // namespace qlnrec::platform::fakes
