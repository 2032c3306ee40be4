#include "platform/acm/truespeech_driver.h"

#include "platform/codec/truespeech_stream.h"

namespace qlnrec::platform {

namespace {

constexpr std::uint32_t kFrameBytes = 2 * kTrueSpeechFrameSamples;

std::uint16_t word(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

class EncodeStream : public AcmDriverStream {
public:
    MMRESULT convert(const std::uint8_t* src, std::uint32_t srcLength, std::uint32_t* srcLengthUsed,
                     std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        const StreamConversion r = encoder_.convert(src, srcLength, dst, dstLength);
        *srcLengthUsed = static_cast<std::uint32_t>(r.sourceUsed);
        *dstLengthUsed = static_cast<std::uint32_t>(r.produced);
        return MMSYSERR_NOERROR;
    }

    MMRESULT flush(std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        *dstLengthUsed = static_cast<std::uint32_t>(encoder_.flush(dst, dstLength));
        return MMSYSERR_NOERROR;
    }

    void restart() override { encoder_.reset(); }

    std::uint32_t maxDestinationLength(std::uint32_t srcLength) const override
    {
        // Room for every frame the input can complete, plus the padded last one of an end flush.
        const std::uint64_t held = encoder_.pendingSamples() * 2 + 1;
        const std::uint64_t frames = (srcLength + held + kFrameBytes - 1) / kFrameBytes;
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(frames * kTrueSpeechBlockBytes, UINT32_MAX));
    }

private:
    TrueSpeechStreamEncoder encoder_;
};

class DecodeStream : public AcmDriverStream {
public:
    MMRESULT convert(const std::uint8_t* src, std::uint32_t srcLength, std::uint32_t* srcLengthUsed,
                     std::uint8_t* dst, std::uint32_t dstLength, std::uint32_t* dstLengthUsed) override
    {
        const StreamConversion r = decoder_.convert(src, srcLength, dst, dstLength);
        *srcLengthUsed = static_cast<std::uint32_t>(r.sourceUsed);
        *dstLengthUsed = static_cast<std::uint32_t>(r.produced);
        return MMSYSERR_NOERROR;
    }

    void restart() override { decoder_.reset(); }

    std::uint32_t maxDestinationLength(std::uint32_t srcLength) const override
    {
        const std::uint64_t blocks =
            (srcLength + decoder_.pendingBytes() + kTrueSpeechBlockBytes - 1) / kTrueSpeechBlockBytes;
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks * kFrameBytes, UINT32_MAX));
    }

private:
    TrueSpeechStreamDecoder decoder_;
};

} // namespace

std::string TrueSpeechAcmDriver::shortName() const
{
    return "DSP Group TrueSpeech(TM)";
}

std::string TrueSpeechAcmDriver::longName() const
{
    return "DSP Group TrueSpeech(TM) compatible codec";
}

std::string TrueSpeechAcmDriver::copyright() const
{
    return "Built into qlnrec";
}

std::string TrueSpeechAcmDriver::features() const
{
    return "Converts 8 kHz 16-bit mono PCM to and from TrueSpeech 8.5 (WAVE format 34).";
}

std::vector<std::uint16_t> TrueSpeechAcmDriver::formatTags() const
{
    return {WAVE_FORMAT_PCM, WAVE_FORMAT_DSPGROUP_TRUESPEECH};
}

AcmFormat TrueSpeechAcmDriver::pcmFormat()
{
    return AcmFormat::pcm(8000, 1, 16);
}

AcmFormat TrueSpeechAcmDriver::trueSpeechFormat()
{
    AcmFormat f;
    f.formatTag = WAVE_FORMAT_DSPGROUP_TRUESPEECH;
    f.channels = 1;
    f.samplesPerSec = 8000;
    f.avgBytesPerSec = 1067;
    f.blockAlign = kTrueSpeechBlockBytes;
    f.bitsPerSample = 1;
    f.extra.assign(32, 0);
    f.extra[0] = 1; // revision
    f.extra[2] = static_cast<std::uint8_t>(kTrueSpeechFrameSamples);
    return f;
}

bool TrueSpeechAcmDriver::isPcmFormat(const AcmFormat& f)
{
    return f.formatTag == WAVE_FORMAT_PCM && f.channels == 1 && f.samplesPerSec == 8000 &&
           f.bitsPerSample == 16 && f.blockAlign == 2 && f.avgBytesPerSec == 16000;
}

bool TrueSpeechAcmDriver::isTrueSpeechFormat(const AcmFormat& f)
{
    // The 28 bytes after revision and samples per block are reserved and not looked at.
    return f.formatTag == WAVE_FORMAT_DSPGROUP_TRUESPEECH && f.channels == 1 && f.samplesPerSec == 8000 &&
           f.avgBytesPerSec == 1067 && f.blockAlign == kTrueSpeechBlockBytes && f.bitsPerSample == 1 &&
           f.extra.size() >= 4 && word(f.extra, 0) == 1 && word(f.extra, 2) == kTrueSpeechFrameSamples;
}

bool TrueSpeechAcmDriver::canConvert(const AcmFormat& src, const AcmFormat& dst) const
{
    return (isPcmFormat(src) && isTrueSpeechFormat(dst)) || (isTrueSpeechFormat(src) && isPcmFormat(dst));
}

std::unique_ptr<AcmDriverStream> TrueSpeechAcmDriver::openStream(const AcmFormat& src, const AcmFormat& dst)
{
    if (isPcmFormat(src) && isTrueSpeechFormat(dst)) {
        return std::make_unique<EncodeStream>();
    }
    if (isTrueSpeechFormat(src) && isPcmFormat(dst)) {
        return std::make_unique<DecodeStream>();
    }
    return nullptr;
}

} // namespace qlnrec::platform
