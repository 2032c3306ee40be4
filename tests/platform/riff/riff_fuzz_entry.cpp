#include "tests/platform/riff/riff_fuzz_entry.h"

#include "platform/riff/mmio.h"
#include "platform/riff/wave_file.h"

#include <cstdlib>
#include <vector>

namespace qlnrec::test {

namespace {

using namespace qlnrec::platform;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Descends into every chunk below parent (nested forms too, a few levels deep).
void walk(HMMIO h, const MMCKINFO* parent, std::uint64_t fileSize, int depth)
{
    for (int n = 0; n < 64; ++n) {
        MMCKINFO ck;
        if (mmioDescend(h, &ck, parent, 0) != MMSYSERR_NOERROR)
            return;
        check(std::uint64_t{ck.dwDataOffset} + ck.cksize <= fileSize);
        if ((ck.ckid == FOURCC_RIFF || ck.ckid == FOURCC_LIST) && depth < 4) {
            walk(h, &ck, fileSize, depth + 1);
        } else {
            std::vector<char> buffer(ck.cksize > 4096 ? 4096 : ck.cksize);
            const std::int32_t got = mmioRead(h, buffer.data(), static_cast<std::int32_t>(buffer.size()));
            check(got >= 0 && static_cast<std::size_t>(got) <= buffer.size());
        }
        if (mmioAscend(h, &ck, 0) != MMSYSERR_NOERROR)
            return;
    }
}

} // namespace

int fuzzRiffOnce(const std::uint8_t* data, std::size_t size)
{
    const WaveFileData wave = readWaveMemory(data, size);
    if (wave.ok()) {
        check(static_cast<std::size_t>(wave.data.size()) <= size);
        check(wave.extra.size() == wave.format.cbSize);
        check(wave.format.nChannels != 0 && wave.format.nBlockAlign != 0 && wave.format.nSamplesPerSec != 0);
        check(wave.formatRecord().size() == static_cast<qsizetype>(18 + wave.extra.size()));
    } else {
        check(!wave.errorText.isEmpty());
    }

    MMIOINFO info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = size ? reinterpret_cast<const char*>(data) : "";
    info.cchBuffer = static_cast<std::int32_t>(size);
    HMMIO h = mmioOpen(QString(), &info, MMIO_READ);
    check(h != nullptr);
    walk(h, nullptr, size, 0);
    // The search functions, as a prompt loader uses them.
    mmioSeek(h, 0, MMIO_SEEK_SET);
    MMCKINFO riff;
    riff.fccType = mmioStringToFOURCC("WAVE", 0);
    if (mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR) {
        MMCKINFO ck;
        ck.ckid = mmioStringToFOURCC("data", 0);
        if (mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR)
            check(std::uint64_t{ck.dwDataOffset} + ck.cksize <= size);
    }
    check(mmioClose(h, 0) == MMSYSERR_NOERROR);
    return 0;
}

} // namespace qlnrec::test
