#include "platform/riff/mmio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace qlnrec::platform {

struct MmioFile {
    std::unique_ptr<QFile> file;  // null for memory
    const char* memory = nullptr; // memory source
    std::uint64_t size = 0;       // bytes readable, at most 4 GB
    std::uint64_t position = 0;

    // Reads up to n bytes at offset; the count read.
    std::uint64_t readAt(std::uint64_t offset, char* out, std::uint64_t n)
    {
        if (offset >= size || n == 0)
            return 0;
        n = std::min(n, size - offset);
        if (memory) {
            std::memcpy(out, memory + offset, n);
            return n;
        }
        if (!file->seek(static_cast<qint64>(offset)))
            return 0;
        const qint64 got = file->read(out, static_cast<qint64>(n));
        return got > 0 ? static_cast<std::uint64_t>(got) : 0;
    }
};

namespace {

// Handles handed out and not yet closed, so a stale or made-up handle is refused instead of
// being dereferenced.
std::mutex& handleMutex()
{
    static std::mutex m;
    return m;
}
std::set<MmioFile*>& liveHandles()
{
    static std::set<MmioFile*> handles;
    return handles;
}

bool isLive(HMMIO h)
{
    std::lock_guard lock(handleMutex());
    return h != nullptr && liveHandles().count(h) != 0;
}

HMMIO registerHandle(std::unique_ptr<MmioFile> f)
{
    std::lock_guard lock(handleMutex());
    HMMIO h = f.release();
    liveHandles().insert(h);
    return h;
}

constexpr std::uint64_t kMaxRiffBytes = 0xFFFFFFFFull;

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void setError(MMIOINFO* info, MMRESULT code)
{
    if (info)
        info->wErrorRet = code;
}

} // namespace

HMMIO mmioOpen(const QString& path, MMIOINFO* info, std::uint32_t flags)
{
    setError(info, MMSYSERR_NOERROR);
    if (flags & (MMIO_WRITE | MMIO_READWRITE | MMIO_CREATE)) {
        setError(info, MMSYSERR_NOTSUPPORTED);
        return nullptr;
    }
    auto f = std::make_unique<MmioFile>();
    if (info && info->fccIOProc == FOURCC_MEM) {
        if (info->pchBuffer == nullptr || info->cchBuffer < 0) {
            setError(info, MMSYSERR_INVALPARAM);
            return nullptr;
        }
        f->memory = info->pchBuffer;
        f->size = static_cast<std::uint64_t>(info->cchBuffer);
        return registerHandle(std::move(f));
    }
    if (path.isEmpty()) {
        setError(info, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    const QFileInfo fi(path);
    if (!fi.exists()) {
        setError(info, fi.dir().exists() ? MMIOERR_FILENOTFOUND : MMIOERR_PATHNOTFOUND);
        return nullptr;
    }
    if (fi.isDir()) {
        setError(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    f->file = std::make_unique<QFile>(path);
    if (!f->file->open(QIODevice::ReadOnly)) {
        setError(info, f->file->error() == QFileDevice::PermissionsError ? MMIOERR_ACCESSDENIED
                                                                         : MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    const qint64 size = f->file->size();
    f->size = size > 0 ? std::min<std::uint64_t>(static_cast<std::uint64_t>(size), kMaxRiffBytes) : 0;
    return registerHandle(std::move(f));
}

HMMIO mmioOpen(const char* path, MMIOINFO* info, std::uint32_t flags)
{
    return mmioOpen(path ? QString::fromUtf8(path) : QString(), info, flags);
}

FOURCC mmioStringToFOURCC(const char* text, std::uint32_t flags)
{
    char c[4] = {' ', ' ', ' ', ' '};
    if (text) {
        for (int i = 0; i < 4 && text[i] != '\0'; ++i) {
            char ch = text[i];
            if ((flags & MMIO_TOUPPER) && ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 'a' + 'A');
            c[i] = ch;
        }
    }
    return makeFourCC(c[0], c[1], c[2], c[3]);
}

MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* ck, const MMCKINFO* parent, std::uint32_t flags)
{
    if (!isLive(hmmio))
        return MMSYSERR_INVALHANDLE;
    if (ck == nullptr)
        return MMSYSERR_INVALPARAM;
    const std::uint32_t find = flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    if ((flags & ~find) != 0 ||
        (find != 0 && find != MMIO_FINDCHUNK && find != MMIO_FINDRIFF && find != MMIO_FINDLIST))
        return MMSYSERR_INVALFLAG;

    MmioFile& f = *hmmio;
    // Chunks are searched up to the parent's end (or the file's end): a chunk header must
    // lie wholly inside that range.
    std::uint64_t limit = f.size;
    if (parent) {
        const std::uint64_t parentEnd = std::uint64_t{parent->dwDataOffset} + parent->cksize;
        limit = std::min(limit, parentEnd);
    }
    const FOURCC wantId = find == MMIO_FINDRIFF   ? FOURCC_RIFF
                          : find == MMIO_FINDLIST ? FOURCC_LIST
                                                  : ck->ckid;
    const FOURCC wantType = ck->fccType;

    std::uint64_t pos = f.position;
    while (true) {
        unsigned char head[12];
        if (pos + 8 > limit || f.readAt(pos, reinterpret_cast<char*>(head), 8) != 8) {
            f.position = std::min(std::max(pos, f.position), f.size);
            return MMIOERR_CHUNKNOTFOUND;
        }
        const FOURCC id = le32(head);
        const std::uint32_t declared = le32(head + 4);
        const std::uint64_t dataOffset = pos + 8;
        // Cut the size to what the file holds after the header.
        const std::uint64_t available = f.size > dataOffset ? f.size - dataOffset : 0;
        const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::uint64_t>(declared, available));
        const bool isForm = id == FOURCC_RIFF || id == FOURCC_LIST;
        FOURCC type = 0;
        if (isForm) {
            if (size < 4 || f.readAt(dataOffset, reinterpret_cast<char*>(head + 8), 4) != 4) {
                if (find == 0) {
                    f.position = std::min(dataOffset, f.size);
                    return MMIOERR_CHUNKNOTFOUND;
                }
                type = 0;
            } else {
                type = le32(head + 8);
            }
        }
        const bool match =
            find == 0 || (id == wantId && (find == MMIO_FINDCHUNK || (isForm && type == wantType)));
        if (match) {
            ck->ckid = id;
            ck->cksize = size;
            ck->fccType = isForm ? type : 0;
            ck->dwDataOffset = static_cast<std::uint32_t>(dataOffset);
            ck->dwFlags = 0;
            f.position = dataOffset + (isForm ? 4 : 0);
            return MMSYSERR_NOERROR;
        }
        // Skip the chunk and its pad byte; the declared size decides where the next one is.
        pos = dataOffset + declared + (declared & 1u);
    }
}

std::int32_t mmioRead(HMMIO hmmio, char* buffer, std::int32_t cch)
{
    if (!isLive(hmmio) || cch < 0 || (buffer == nullptr && cch > 0))
        return -1;
    MmioFile& f = *hmmio;
    const std::uint64_t got = f.readAt(f.position, buffer, static_cast<std::uint64_t>(cch));
    if (got == 0 && cch > 0 && f.position < f.size)
        return -1; // the file could not be read although bytes should be there
    f.position += got;
    return static_cast<std::int32_t>(got);
}

MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* ck, std::uint32_t flags)
{
    if (!isLive(hmmio))
        return MMSYSERR_INVALHANDLE;
    if (ck == nullptr)
        return MMSYSERR_INVALPARAM;
    if (flags != 0)
        return MMSYSERR_INVALFLAG;
    const std::uint64_t end = std::uint64_t{ck->dwDataOffset} + ck->cksize + (ck->cksize & 1u);
    hmmio->position = std::min(end, hmmio->size);
    return MMSYSERR_NOERROR;
}

std::int32_t mmioSeek(HMMIO hmmio, std::int32_t offset, int origin)
{
    if (!isLive(hmmio))
        return -1;
    std::int64_t base = 0;
    switch (origin) {
    case MMIO_SEEK_SET:
        base = 0;
        break;
    case MMIO_SEEK_CUR:
        base = static_cast<std::int64_t>(hmmio->position);
        break;
    case MMIO_SEEK_END:
        base = static_cast<std::int64_t>(hmmio->size);
        break;
    default:
        return -1;
    }
    const std::int64_t target = base + offset;
    if (target < 0 || target > INT32_MAX)
        return -1;
    hmmio->position = static_cast<std::uint64_t>(target);
    return static_cast<std::int32_t>(target);
}

MMRESULT mmioClose(HMMIO hmmio, std::uint32_t flags)
{
    (void)flags;
    {
        std::lock_guard lock(handleMutex());
        if (hmmio == nullptr || liveHandles().erase(hmmio) == 0)
            return MMSYSERR_INVALHANDLE;
    }
    delete hmmio;
    return MMSYSERR_NOERROR;
}

} // namespace qlnrec::platform
