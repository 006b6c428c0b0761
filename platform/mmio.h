// Buffered RIFF file reading, shaped after the Windows multimedia file
// services (mmioOpenA and its companions). Reading is bounded by the file's
// real size: a chunk search never runs past the end of the file or of the
// parent chunk, and reads return only the bytes that exist.
//
// Include this header before <windows.h> (constants share names with macros).
#pragma once

#include "platform/win.h"

namespace plat {

struct MmioObject;
using HMMIO = MmioObject*;
using FOURCC = DWORD;
using MMRESULT = UINT;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<BYTE>(a)) |
           (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) |
           (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}
constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;      // form type of "RIFF" and "LIST" chunks
    DWORD dwDataOffset;  // file offset of the chunk's data (of the form type for RIFF/LIST)
    DWORD dwFlags;
};

// The state of the file's I/O buffer, for direct access (mmioGetInfo,
// mmioAdvance, mmioSetInfo).
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    void* pIOProc;
    UINT wErrorRet;
    void* htask;
    LONG cchBuffer;
    char* pchBuffer;
    char* pchNext;      // next byte to read
    char* pchEndRead;   // one past the last valid byte
    char* pchEndWrite;
    LONG lBufOffset;    // file offset of the buffer's first byte
    LONG lDiskOffset;
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;

// Opens a file for reading (MMIO_READ, with MMIO_ALLOCBUF for an I/O buffer
// of the platform's size). Null when it cannot be opened.
HMMIO mmioOpenA(const char* name, MMIOINFO* info, DWORD flags);
MMRESULT mmioClose(HMMIO file, UINT flags);
// Bytes read (0 at the end of the file), or -1 on error.
LONG mmioRead(HMMIO file, char* buffer, LONG bytes);
// The new offset, or -1. Origin: SEEK_SET, SEEK_CUR or SEEK_END.
LONG mmioSeek(HMMIO file, LONG offset, int origin);
MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags);
MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT flags);
MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT flags);
MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT flags);
// Refills the I/O buffer with the bytes that follow it (flags MMIO_READ).
MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags);

}  // namespace plat
