#pragma once
// Reading RIFF files in the style of the Windows multimedia file functions: open a file (or a
// block of memory), descend into chunks by id or form type, read, ascend, close. Read-only.
//
// Unlike the Windows functions, a chunk's size is cut to the bytes the file really holds after
// the chunk header, so a caller that allocates cksize bytes and reads the chunk never allocates
// more than the file's length, whatever a damaged or truncated header claims. Offsets are 64-bit
// inside, so sizes near 4 GB cannot wrap around.
#include "platform/riff/mmsystem.h"

#include <QString>

#include <cstdint>

namespace qlnrec::platform {

struct MmioFile;
using HMMIO = MmioFile*;

// Multimedia file result codes.
inline constexpr MMRESULT MMIOERR_BASE = 256;
inline constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
inline constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
inline constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
inline constexpr MMRESULT MMIOERR_CANNOTCLOSE = MMIOERR_BASE + 4;
inline constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
inline constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
inline constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
inline constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
inline constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
inline constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;
inline constexpr MMRESULT MMIOERR_PATHNOTFOUND = MMIOERR_BASE + 11;
inline constexpr MMRESULT MMIOERR_ACCESSDENIED = MMIOERR_BASE + 12;
inline constexpr MMRESULT MMIOERR_INVALIDFILE = MMIOERR_BASE + 16;

// mmioOpen flags (only reading is offered).
inline constexpr std::uint32_t MMIO_READ = 0x00000000;
inline constexpr std::uint32_t MMIO_WRITE = 0x00000001;
inline constexpr std::uint32_t MMIO_READWRITE = 0x00000002;
inline constexpr std::uint32_t MMIO_CREATE = 0x00001000;
inline constexpr std::uint32_t MMIO_DENYWRITE = 0x00000020;
inline constexpr std::uint32_t MMIO_DENYREAD = 0x00000030;
inline constexpr std::uint32_t MMIO_DENYNONE = 0x00000040;
inline constexpr std::uint32_t MMIO_ALLOCBUF = 0x00010000;

// mmioStringToFOURCC flag.
inline constexpr std::uint32_t MMIO_TOUPPER = 0x0010;

// mmioDescend flags.
inline constexpr std::uint32_t MMIO_FINDCHUNK = 0x0010;
inline constexpr std::uint32_t MMIO_FINDRIFF = 0x0020;
inline constexpr std::uint32_t MMIO_FINDLIST = 0x0040;

// mmioSeek origins.
inline constexpr int MMIO_SEEK_SET = 0;
inline constexpr int MMIO_SEEK_CUR = 1;
inline constexpr int MMIO_SEEK_END = 2;

inline constexpr FOURCC FOURCC_RIFF = makeFourCC('R', 'I', 'F', 'F');
inline constexpr FOURCC FOURCC_LIST = makeFourCC('L', 'I', 'S', 'T');
inline constexpr FOURCC FOURCC_DOS = makeFourCC('D', 'O', 'S', ' ');
inline constexpr FOURCC FOURCC_MEM = makeFourCC('M', 'E', 'M', ' ');

// Open parameters. Set fccIOProc to FOURCC_MEM with pchBuffer/cchBuffer to read a block of
// memory instead of a file (the memory must outlive the handle). wErrorRet receives the
// reason when mmioOpen fails.
struct MMIOINFO {
    std::uint32_t dwFlags = 0;
    FOURCC fccIOProc = 0;
    MMRESULT wErrorRet = 0;
    std::int32_t cchBuffer = 0;
    const char* pchBuffer = nullptr;
};

// A chunk as mmioDescend finds it. dwDataOffset is the file offset of the chunk's data (for
// RIFF and LIST chunks the form type is the first four data bytes).
struct MMCKINFO {
    FOURCC ckid = 0;
    std::uint32_t cksize = 0;
    FOURCC fccType = 0;
    std::uint32_t dwDataOffset = 0;
    std::uint32_t dwFlags = 0;
};

// Opens path for reading. Returns null on failure, with the reason in info->wErrorRet.
HMMIO mmioOpen(const QString& path, MMIOINFO* info, std::uint32_t flags);
HMMIO mmioOpen(const char* path, MMIOINFO* info, std::uint32_t flags);
// Four characters, padded with blanks ("fmt" gives "fmt "); extra characters are ignored.
FOURCC mmioStringToFOURCC(const char* text, std::uint32_t flags);
MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* ck, const MMCKINFO* parent, std::uint32_t flags);
// Reads up to cch bytes at the current position: the count read, 0 at the end, -1 on error.
std::int32_t mmioRead(HMMIO hmmio, char* buffer, std::int32_t cch);
// Moves past the end of the chunk (and its pad byte when the size is odd).
MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* ck, std::uint32_t flags);
// New position, or -1.
std::int32_t mmioSeek(HMMIO hmmio, std::int32_t offset, int origin);
MMRESULT mmioClose(HMMIO hmmio, std::uint32_t flags);

} // namespace qlnrec::platform
