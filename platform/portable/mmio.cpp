// Buffered RIFF reading over the C library's files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/mmio.h"

namespace plat {

struct MmioObject {
    std::FILE* file = nullptr;
    std::vector<char> buffer = std::vector<char>(8192);
    LONG fileSize = 0;
    LONG bufOffset = 0;  // file offset of buffer[0]
    LONG next = 0;       // index of the next byte in the buffer
    LONG end = 0;        // valid bytes in the buffer

    LONG Position() const { return bufOffset + next; }

    void RefillAt(LONG offset) {
        bufOffset = offset;
        next = 0;
        end = 0;
        if (offset >= fileSize || std::fseek(file, offset, SEEK_SET) != 0) return;
        end = static_cast<LONG>(std::fread(buffer.data(), 1, buffer.size(), file));
    }

    LONG Read(char* out, LONG bytes) {
        LONG done = 0;
        while (done < bytes) {
            if (next >= end) {
                RefillAt(bufOffset + end);
                if (end == 0) break;
            }
            LONG n = std::min(bytes - done, end - next);
            std::memcpy(out + done, buffer.data() + next, static_cast<std::size_t>(n));
            next += n;
            done += n;
        }
        return done;
    }

    void SeekTo(LONG target) {
        if (target >= bufOffset && target <= bufOffset + end) {
            next = target - bufOffset;
        } else {
            bufOffset = target;
            next = 0;
            end = 0;
        }
    }
};

namespace {

DWORD Le32(const char* p) {
    return static_cast<DWORD>(static_cast<BYTE>(p[0])) | (static_cast<DWORD>(static_cast<BYTE>(p[1])) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(p[2])) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(p[3])) << 24);
}

// Reads a chunk header at the current position, inside [.., limit).
bool ReadHeader(HMMIO h, MMCKINFO* ck, std::int64_t limit) {
    std::int64_t start = h->Position();
    if (start + 8 > limit) return false;
    char header[8];
    if (h->Read(header, 8) != 8) return false;
    ck->ckid = Le32(header);
    ck->cksize = Le32(header + 4);
    ck->dwDataOffset = static_cast<DWORD>(start + 8);
    ck->dwFlags = 0;
    ck->fccType = 0;
    if (ck->ckid == FOURCC_RIFF || ck->ckid == FOURCC_LIST) {
        if (start + 12 > limit) return false;
        char type[4];
        if (h->Read(type, 4) != 4) return false;
        ck->fccType = Le32(type);
    }
    return true;
}

}  // namespace

HMMIO mmioOpenA(const char* name, MMIOINFO* info, DWORD flags) {
    if (info) info->wErrorRet = 0;
    // Reading only: writing and the other modes are not used.
    if (!name || (flags & 0x3) != MMIO_READ) {
        if (info) info->wErrorRet = MMIOERR_CANNOTREAD;
        return nullptr;
    }
    std::FILE* f = OpenFile(name, "rb");
    if (!f) {
        if (info) info->wErrorRet = MMIOERR_FILENOTFOUND;
        return nullptr;
    }
    auto* h = new MmioObject;
    h->file = f;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        h->fileSize = static_cast<LONG>(std::clamp<long>(size, 0, 0x7FFFFFFF));
    }
    std::fseek(f, 0, SEEK_SET);
    return h;
}

MMRESULT mmioClose(HMMIO h, UINT) {
    if (!h) return MMSYSERR_INVALHANDLE;
    std::fclose(h->file);
    delete h;
    return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO h, char* buffer, LONG bytes) {
    if (!h || !buffer || bytes < 0) return -1;
    return h->Read(buffer, bytes);
}

LONG mmioSeek(HMMIO h, LONG offset, int origin) {
    if (!h) return -1;
    std::int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? h->Position() : h->fileSize;
    std::int64_t target = base + offset;
    if (target < 0 || target > 0x7FFFFFFF) return -1;
    h->SeekTo(static_cast<LONG>(target));
    return static_cast<LONG>(target);
}

MMRESULT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags) {
    if (!h || !ck) return MMSYSERR_INVALHANDLE;
    // The search never leaves the parent chunk nor the file.
    std::int64_t limit = h->fileSize;
    if (parent) limit = std::min<std::int64_t>(limit, std::int64_t{parent->dwDataOffset} + parent->cksize);
    FOURCC wantId = ck->ckid;
    FOURCC wantType = ck->fccType;
    if (flags & MMIO_FINDRIFF) wantId = FOURCC_RIFF;
    if (flags & MMIO_FINDLIST) wantId = FOURCC_LIST;
    bool find = (flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;
    for (;;) {
        MMCKINFO found{};
        if (!ReadHeader(h, &found, limit)) return MMIOERR_CHUNKNOTFOUND;
        bool match = !find || (found.ckid == wantId &&
                               ((flags & MMIO_FINDCHUNK) || found.fccType == wantType));
        if (match) {
            *ck = found;
            return MMSYSERR_NOERROR;
        }
        std::int64_t after = std::int64_t{found.dwDataOffset} + found.cksize + (found.cksize & 1);
        if (after >= limit) return MMIOERR_CHUNKNOTFOUND;
        h->SeekTo(static_cast<LONG>(after));
    }
}

MMRESULT mmioAscend(HMMIO h, MMCKINFO* ck, UINT) {
    if (!h || !ck) return MMSYSERR_INVALHANDLE;
    std::int64_t after = std::int64_t{ck->dwDataOffset} + ck->cksize + (ck->cksize & 1);
    if (after > 0x7FFFFFFF) return MMIOERR_CANNOTSEEK;
    h->SeekTo(static_cast<LONG>(after));
    return MMSYSERR_NOERROR;
}

MMRESULT mmioGetInfo(HMMIO h, MMIOINFO* info, UINT) {
    if (!h || !info) return MMSYSERR_INVALHANDLE;
    *info = MMIOINFO{};
    info->dwFlags = MMIO_ALLOCBUF;
    info->cchBuffer = static_cast<LONG>(h->buffer.size());
    info->pchBuffer = h->buffer.data();
    info->pchNext = h->buffer.data() + h->next;
    info->pchEndRead = h->buffer.data() + h->end;
    info->pchEndWrite = h->buffer.data() + h->buffer.size();
    info->lBufOffset = h->bufOffset;
    info->lDiskOffset = h->bufOffset + h->end;
    info->hmmio = h;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT) {
    if (!h || !info) return MMSYSERR_INVALHANDLE;
    if (info->pchBuffer == h->buffer.data() && info->pchNext) {
        auto n = static_cast<LONG>(info->pchNext - info->pchBuffer);
        h->next = std::clamp<LONG>(n, 0, h->end);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO h, MMIOINFO* info, UINT flags) {
    if (!h) return MMSYSERR_INVALHANDLE;
    if (flags != MMIO_READ) return MMIOERR_CANNOTREAD;
    // The new buffer holds the bytes that follow the old one.
    h->RefillAt(h->bufOffset + h->end);
    if (info) mmioGetInfo(h, info, 0);
    return MMSYSERR_NOERROR;
}

}  // namespace plat
