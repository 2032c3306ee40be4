#include "audio/wave_layouts.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace qlnrec::audio {

namespace {

// Sizes beyond 4 GiB cannot be written into a RIFF header; they are held at the largest value.
std::uint32_t clamp32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFFu));
}

class HeaderBuilder {
public:
    void tag(const char (&text)[5]) { bytes_.append(text, 4); }
    void u16(std::uint16_t value)
    {
        char raw[2];
        qToLittleEndian(value, raw);
        bytes_.append(raw, 2);
    }
    void u32(std::uint32_t value)
    {
        char raw[4];
        qToLittleEndian(value, raw);
        bytes_.append(raw, 4);
    }
    void zeros(int count) { bytes_.append(count, '\0'); }
    QByteArray take() { return std::move(bytes_); }

private:
    QByteArray bytes_;
};

} // namespace

int headerBytes(OutputFormat format)
{
    return format == OutputFormat::TrueSpeech ? kTrueSpeechHeaderBytes : kPcmHeaderBytes;
}

std::uint32_t trueSpeechSampleCount(std::uint64_t dataBytes)
{
    return clamp32(dataBytes * 8000u / kTrueSpeechBytesPerSecond);
}

QByteArray pcmWaveHeader(std::uint64_t dataBytes)
{
    HeaderBuilder h;
    h.tag("RIFF");
    h.u32(clamp32(dataBytes + 36));
    h.tag("WAVE");
    h.tag("fmt ");
    h.u32(16);
    h.u16(platform::WAVE_FORMAT_PCM);
    h.u16(1);
    h.u32(8000);
    h.u32(16000);
    h.u16(2);
    h.u16(16);
    h.tag("data");
    h.u32(clamp32(dataBytes));
    return h.take();
}

QByteArray trueSpeechWaveHeader(std::uint64_t dataBytes)
{
    HeaderBuilder h;
    h.tag("RIFF");
    h.u32(clamp32(dataBytes + 82));
    h.tag("WAVE");
    h.tag("fmt ");
    h.u32(50);
    h.u16(platform::WAVE_FORMAT_DSPGROUP_TRUESPEECH);
    h.u16(1);
    h.u32(8000);
    h.u32(kTrueSpeechBytesPerSecond);
    h.u16(32);
    h.u16(1);
    h.u16(kTrueSpeechExtraBytes);
    h.u16(1);   // revision
    h.u16(240); // samples per block
    h.zeros(28);
    h.tag("fact");
    h.u32(4);
    h.u32(trueSpeechSampleCount(dataBytes));
    h.tag("data");
    h.u32(clamp32(dataBytes));
    return h.take();
}

QByteArray waveHeader(OutputFormat format, std::uint64_t dataBytes)
{
    return format == OutputFormat::TrueSpeech ? trueSpeechWaveHeader(dataBytes) : pcmWaveHeader(dataBytes);
}

TrueSpeechFormat trueSpeechFormat()
{
    TrueSpeechFormat f{};
    f.wfx = platform::WAVEFORMATEX{platform::WAVE_FORMAT_DSPGROUP_TRUESPEECH,
                                   1,
                                   8000,
                                   kTrueSpeechBytesPerSecond,
                                   32,
                                   1,
                                   kTrueSpeechExtraBytes};
    std::memset(f.extra, 0, sizeof f.extra);
    qToLittleEndian<std::uint16_t>(1, f.extra);
    qToLittleEndian<std::uint16_t>(240, f.extra + 2);
    return f;
}

} // namespace qlnrec::audio
