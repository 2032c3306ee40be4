#include "platform/mci/pcm_audio.h"

#include "platform/acm/acm.h"
#include "platform/riff/mmio.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace qlnrec::platform {

namespace {

constexpr std::uint16_t kWaveFormatIeeeFloat = 3;
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// Samples of containerBytes each (1 = unsigned 8-bit, 2..4 = signed little-endian) to int16.
QByteArray toInt16(const char* raw, std::uint64_t sampleCount, unsigned containerBytes, bool isFloat)
{
    QByteArray out(static_cast<qsizetype>(sampleCount * 2), '\0');
    auto* dst = reinterpret_cast<uchar*>(out.data());
    const auto* src = reinterpret_cast<const uchar*>(raw);
    for (std::uint64_t i = 0; i < sampleCount; ++i, src += containerBytes) {
        std::int16_t v = 0;
        if (isFloat) {
            float f;
            std::memcpy(&f, src, 4);
            if (!std::isfinite(f))
                f = 0.0f;
            v = static_cast<std::int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
        } else if (containerBytes == 1) {
            v = static_cast<std::int16_t>((static_cast<int>(src[0]) - 128) * 256);
        } else {
            // The two most significant bytes of a little-endian sample.
            v = static_cast<std::int16_t>(src[containerBytes - 2] | (src[containerBytes - 1] << 8));
        }
        qToLittleEndian<qint16>(v, dst + 2 * i);
    }
    return out;
}

MCIERROR decodeWithAcm(const WaveFileData& wave, AcmService* acm, PcmAudio* out)
{
    if (acm == nullptr)
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    const QByteArray srcRecord = wave.formatRecord();
    const auto* src = reinterpret_cast<const WAVEFORMATEX*>(srcRecord.constData());
    const std::uint16_t channels = wave.format.nChannels;
    const WAVEFORMATEX dst{WAVE_FORMAT_PCM,
                           channels,
                           wave.format.nSamplesPerSec,
                           wave.format.nSamplesPerSec * 2u * channels,
                           static_cast<std::uint16_t>(2 * channels),
                           16,
                           0};
    HACMSTREAM has = nullptr;
    if (acm->acmStreamOpen(&has, nullptr, src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) !=
        MMSYSERR_NOERROR)
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;

    // Whole source blocks per step; room for what they can produce (a generous bound when the
    // driver cannot tell).
    const std::uint32_t blockAlign = std::max<std::uint32_t>(wave.format.nBlockAlign, 1);
    const std::uint32_t srcStep = blockAlign * std::max<std::uint32_t>(1, 32768 / blockAlign);
    std::uint32_t dstStep = 0;
    if (acm->acmStreamSize(has, srcStep, &dstStep, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR ||
        dstStep == 0)
        dstStep = srcStep * 64;
    dstStep = std::max<std::uint32_t>(dstStep, 4096);

    QByteArray pcm;
    QByteArray srcBuffer(static_cast<qsizetype>(srcStep), '\0');
    QByteArray dstBuffer(static_cast<qsizetype>(dstStep), '\0');
    qsizetype offset = 0;
    MCIERROR result = 0;
    bool first = true;
    try {
        while (true) {
            const qsizetype remaining = wave.data.size() - offset;
            const auto take = static_cast<std::uint32_t>(std::min<qsizetype>(remaining, srcStep));
            const bool last = remaining <= static_cast<qsizetype>(srcStep);
            std::memcpy(srcBuffer.data(), wave.data.constData() + offset, take);
            ACMSTREAMHEADER h{};
            h.cbStruct = sizeof(ACMSTREAMHEADER);
            h.pbSrc = reinterpret_cast<std::uint8_t*>(srcBuffer.data());
            h.cbSrcLength = take;
            h.pbDst = reinterpret_cast<std::uint8_t*>(dstBuffer.data());
            h.cbDstLength = dstStep;
            if (acm->acmStreamPrepareHeader(has, &h, 0) != MMSYSERR_NOERROR) {
                result = MCIERR_WAVE_OUTPUTSUNSUITABLE;
                break;
            }
            std::uint32_t flags = ACM_STREAMCONVERTF_BLOCKALIGN;
            if (first)
                flags |= ACM_STREAMCONVERTF_START;
            if (last)
                flags |= ACM_STREAMCONVERTF_END;
            const MMRESULT r = acm->acmStreamConvert(has, &h, flags);
            acm->acmStreamUnprepareHeader(has, &h, 0);
            if (r != MMSYSERR_NOERROR) {
                result = MCIERR_INVALID_FILE;
                break;
            }
            first = false;
            pcm.append(dstBuffer.constData(), static_cast<qsizetype>(h.cbDstLengthUsed));
            offset += h.cbSrcLengthUsed;
            if (offset >= wave.data.size() || (h.cbSrcLengthUsed == 0 && h.cbDstLengthUsed == 0))
                break; // done, or the driver takes no more (a partial block at the end)
        }
    } catch (const std::bad_alloc&) {
        result = MCIERR_OUT_OF_MEMORY;
    }
    acm->acmStreamClose(has, 0);
    if (result != 0)
        return result;
    pcm.truncate(pcm.size() - pcm.size() % (2 * channels));
    out->sampleRate = wave.format.nSamplesPerSec;
    out->channels = channels;
    out->samples = std::move(pcm);
    return 0;
}

} // namespace

std::uint64_t PcmAudio::byteAtMs(std::uint64_t ms) const
{
    const std::uint64_t frame = std::min(ms * sampleRate / 1000u, frames());
    return frame * frameBytes();
}

PcmAudio pcmFromRaw(const QByteArray& raw, std::uint32_t sampleRate, std::uint16_t channels,
                    std::uint16_t bitsPerSample)
{
    PcmAudio a;
    a.sampleRate = sampleRate;
    a.channels = channels;
    const unsigned container = std::clamp((bitsPerSample + 7u) / 8u, 1u, 4u);
    if (channels == 0)
        return a;
    const std::uint64_t frames = static_cast<std::uint64_t>(raw.size()) / (container * channels);
    a.samples = toInt16(raw.constData(), frames * channels, container, false);
    return a;
}

PcmAudio convertPcm(const PcmAudio& in, std::uint32_t sampleRate, std::uint16_t channels)
{
    PcmAudio out;
    out.sampleRate = sampleRate;
    out.channels = channels;
    if (in.channels == 0 || in.sampleRate == 0 || sampleRate == 0 || channels == 0)
        return out;
    const std::uint64_t inFrames = in.frames();
    const std::uint64_t outFrames = inFrames * sampleRate / in.sampleRate;
    out.samples.resize(static_cast<qsizetype>(outFrames * channels * 2));
    const auto* src = reinterpret_cast<const uchar*>(in.samples.constData());
    auto* dst = reinterpret_cast<uchar*>(out.samples.data());
    // Mean over the input channels of frame f.
    auto monoAt = [&](std::uint64_t f, std::uint16_t c) -> double {
        if (in.channels == channels)
            return qFromLittleEndian<qint16>(src + 2 * (f * in.channels + c));
        if (in.channels == 1)
            return qFromLittleEndian<qint16>(src + 2 * f);
        double sum = 0;
        for (std::uint16_t k = 0; k < in.channels; ++k)
            sum += qFromLittleEndian<qint16>(src + 2 * (f * in.channels + k));
        return sum / in.channels;
    };
    for (std::uint64_t f = 0; f < outFrames; ++f) {
        const double pos = static_cast<double>(f) * in.sampleRate / sampleRate;
        const auto i0 = std::min<std::uint64_t>(static_cast<std::uint64_t>(pos), inFrames - 1);
        const std::uint64_t i1 = std::min<std::uint64_t>(i0 + 1, inFrames - 1);
        const double t = pos - static_cast<double>(i0);
        for (std::uint16_t c = 0; c < channels; ++c) {
            const double v = monoAt(i0, c) * (1.0 - t) + monoAt(i1, c) * t;
            qToLittleEndian<qint16>(static_cast<qint16>(std::lround(std::clamp(v, -32768.0, 32767.0))),
                                    dst + 2 * (f * channels + c));
        }
    }
    return out;
}

MCIERROR decodeWave(const WaveFileData& wave, AcmService* acm, PcmAudio* out)
{
    if (!wave.ok())
        return wave.error == MMIOERR_FILENOTFOUND || wave.error == MMIOERR_PATHNOTFOUND
                   ? MCIERR_FILE_NOT_FOUND
                   : MCIERR_INVALID_FILE;
    const WAVEFORMATEX& f = wave.format;
    if (f.nChannels == 0 || f.nSamplesPerSec == 0 || f.nBlockAlign == 0)
        return MCIERR_INVALID_FILE;

    std::uint16_t tag = f.wFormatTag;
    // The extensible layout names the real format in the first two bytes of its sub-format.
    if (tag == kWaveFormatExtensible) {
        if (wave.extra.size() < 22)
            return MCIERR_INVALID_FILE;
        tag = static_cast<std::uint16_t>(wave.extra[6] | (wave.extra[7] << 8));
    }
    if (tag != WAVE_FORMAT_PCM && tag != kWaveFormatIeeeFloat)
        return decodeWithAcm(wave, acm, out);

    if (f.nBlockAlign % f.nChannels != 0)
        return MCIERR_INVALID_FILE;
    const unsigned container = f.nBlockAlign / f.nChannels;
    const bool isFloat = tag == kWaveFormatIeeeFloat;
    if (container == 0 || container > 4 || (isFloat && container != 4))
        return MCIERR_INVALID_FILE;
    const std::uint64_t frames = static_cast<std::uint64_t>(wave.data.size()) / f.nBlockAlign;
    try {
        out->sampleRate = f.nSamplesPerSec;
        out->channels = f.nChannels;
        out->samples = toInt16(wave.data.constData(), frames * f.nChannels, container, isFloat);
    } catch (const std::bad_alloc&) {
        return MCIERR_OUT_OF_MEMORY;
    }
    return 0;
}

} // namespace qlnrec::platform
