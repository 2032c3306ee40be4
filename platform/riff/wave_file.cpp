#include "platform/riff/wave_file.h"

#include "platform/riff/mmio.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

namespace qlnrec::platform {

namespace {

WaveFileData failure(MMRESULT code, const QString& text)
{
    WaveFileData w;
    w.error = code;
    w.errorText = text;
    return w;
}

// Reads the form found at an open handle. The handle is closed by the caller.
WaveFileData readFrom(HMMIO h)
{
    MMCKINFO riff;
    riff.fccType = mmioStringToFOURCC("WAVE", 0);
    if (mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR)
        return failure(MMIOERR_CHUNKNOTFOUND, QStringLiteral("Not a RIFF WAVE file"));

    MMCKINFO fmt;
    fmt.ckid = mmioStringToFOURCC("fmt", 0);
    if (mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return failure(MMIOERR_CHUNKNOTFOUND, QStringLiteral("No \"fmt \" chunk"));
    if (fmt.cksize < 16)
        return failure(MMIOERR_INVALIDFILE, QStringLiteral("The \"fmt \" chunk is too short"));

    // The record is at most 18 bytes and 65,535 extra bytes; anything after that is ignored.
    const std::uint32_t fmtBytes = std::min<std::uint32_t>(fmt.cksize, 18 + 0xFFFF);
    std::vector<char> raw(fmtBytes);
    if (mmioRead(h, raw.data(), static_cast<std::int32_t>(fmtBytes)) != static_cast<std::int32_t>(fmtBytes))
        return failure(MMIOERR_CANNOTREAD, QStringLiteral("The \"fmt \" chunk cannot be read"));

    WaveFileData w;
    const auto* p = reinterpret_cast<const uchar*>(raw.data());
    w.format.wFormatTag = qFromLittleEndian<quint16>(p);
    w.format.nChannels = qFromLittleEndian<quint16>(p + 2);
    w.format.nSamplesPerSec = qFromLittleEndian<quint32>(p + 4);
    w.format.nAvgBytesPerSec = qFromLittleEndian<quint32>(p + 8);
    w.format.nBlockAlign = qFromLittleEndian<quint16>(p + 12);
    w.format.wBitsPerSample = qFromLittleEndian<quint16>(p + 14);
    w.format.cbSize = 0;
    if (fmtBytes >= 18 && w.format.wFormatTag != WAVE_FORMAT_PCM) {
        // Take no more extra bytes than the chunk holds.
        const std::uint32_t declared = qFromLittleEndian<quint16>(p + 16);
        const std::uint32_t extra = std::min<std::uint32_t>(declared, fmtBytes - 18);
        w.extra.assign(p + 18, p + 18 + extra);
        w.format.cbSize = static_cast<std::uint16_t>(extra);
    }
    if (w.format.nChannels == 0 || w.format.nSamplesPerSec == 0 || w.format.nBlockAlign == 0)
        return failure(MMIOERR_INVALIDFILE, QStringLiteral("The wave format is invalid"));
    mmioAscend(h, &fmt, 0);

    // An optional "fact" chunk between "fmt " and "data" carries the sample count.
    MMCKINFO fact;
    fact.ckid = mmioStringToFOURCC("fact", 0);
    const std::int32_t afterFmt = mmioSeek(h, 0, MMIO_SEEK_CUR);
    if (mmioDescend(h, &fact, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR && fact.cksize >= 4) {
        uchar count[4];
        if (mmioRead(h, reinterpret_cast<char*>(count), 4) == 4) {
            w.hasFact = true;
            w.factSamples = qFromLittleEndian<quint32>(count);
        }
    }
    mmioSeek(h, afterFmt, MMIO_SEEK_SET);

    MMCKINFO data;
    data.ckid = mmioStringToFOURCC("data", 0);
    if (mmioDescend(h, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return failure(MMIOERR_CHUNKNOTFOUND, QStringLiteral("No \"data\" chunk"));
    if (data.cksize > kMaxWaveDataBytes)
        return failure(MMIOERR_OUTOFMEMORY, QStringLiteral("The \"data\" chunk is too large"));
    try {
        w.data.resize(static_cast<qsizetype>(data.cksize));
    } catch (const std::bad_alloc&) {
        return failure(MMIOERR_OUTOFMEMORY, QStringLiteral("Not enough memory for the \"data\" chunk"));
    }
    if (data.cksize > 0 && mmioRead(h, w.data.data(), static_cast<std::int32_t>(data.cksize)) !=
                               static_cast<std::int32_t>(data.cksize))
        return failure(MMIOERR_CANNOTREAD, QStringLiteral("The \"data\" chunk cannot be read"));
    return w;
}

} // namespace

QByteArray WaveFileData::formatRecord() const
{
    QByteArray record(reinterpret_cast<const char*>(&format), sizeof(WAVEFORMATEX));
    record.append(reinterpret_cast<const char*>(extra.data()), static_cast<qsizetype>(extra.size()));
    return record;
}

std::uint64_t WaveFileData::durationMs() const
{
    if (format.nAvgBytesPerSec == 0)
        return 0;
    return static_cast<std::uint64_t>(data.size()) * 1000u / format.nAvgBytesPerSec;
}

WaveFileData readWaveFile(const QString& path)
{
    MMIOINFO info;
    HMMIO h = mmioOpen(path, &info, MMIO_READ);
    if (!h) {
        return failure(info.wErrorRet ? info.wErrorRet : MMIOERR_CANNOTOPEN,
                       info.wErrorRet == MMIOERR_FILENOTFOUND || info.wErrorRet == MMIOERR_PATHNOTFOUND
                           ? QStringLiteral("File not found: %1").arg(path)
                           : QStringLiteral("Cannot open %1").arg(path));
    }
    WaveFileData w = readFrom(h);
    mmioClose(h, 0);
    return w;
}

WaveFileData readWaveMemory(const std::uint8_t* bytes, std::size_t size)
{
    MMIOINFO info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = bytes ? reinterpret_cast<const char*>(bytes) : "";
    info.cchBuffer = static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX));
    HMMIO h = mmioOpen(QString(), &info, MMIO_READ);
    if (!h)
        return failure(info.wErrorRet, QStringLiteral("Cannot read the memory block"));
    WaveFileData w = readFrom(h);
    mmioClose(h, 0);
    return w;
}

QByteArray pcmWaveHeader(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample,
                         std::uint32_t dataBytes)
{
    QByteArray h(44, '\0');
    auto* p = reinterpret_cast<uchar*>(h.data());
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bitsPerSample + 7) / 8));
    std::memcpy(p, "RIFF", 4);
    qToLittleEndian<quint32>(dataBytes + 36, p + 4);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, p + 16);
    qToLittleEndian<quint16>(WAVE_FORMAT_PCM, p + 20);
    qToLittleEndian<quint16>(channels, p + 22);
    qToLittleEndian<quint32>(samplesPerSec, p + 24);
    qToLittleEndian<quint32>(samplesPerSec * blockAlign, p + 28);
    qToLittleEndian<quint16>(blockAlign, p + 32);
    qToLittleEndian<quint16>(bitsPerSample, p + 34);
    std::memcpy(p + 36, "data", 4);
    qToLittleEndian<quint32>(dataBytes, p + 40);
    return h;
}

} // namespace qlnrec::platform
