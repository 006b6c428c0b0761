// RIFF file reading through winmm's multimedia file services. The file name
// goes out as UTF-16; chunk and buffer records are copied field by field
// between the interface's records and the system's.
#include <cstring>

#include "platform/windows/common.h"

namespace plat {
namespace {

::HMMIO Real(HMMIO h) { return reinterpret_cast<::HMMIO>(h); }
HMMIO Ours(::HMMIO h) { return reinterpret_cast<HMMIO>(h); }

::MMCKINFO Real(const MMCKINFO& c) {
    ::MMCKINFO r{};
    r.ckid = c.ckid;
    r.cksize = c.cksize;
    r.fccType = c.fccType;
    r.dwDataOffset = c.dwDataOffset;
    r.dwFlags = c.dwFlags;
    return r;
}

void CopyBack(const ::MMCKINFO& r, MMCKINFO* c) {
    c->ckid = static_cast<FOURCC>(r.ckid);
    c->cksize = static_cast<DWORD>(r.cksize);
    c->fccType = static_cast<FOURCC>(r.fccType);
    c->dwDataOffset = static_cast<DWORD>(r.dwDataOffset);
    c->dwFlags = static_cast<DWORD>(r.dwFlags);
}

::MMIOINFO Real(const MMIOINFO& i) {
    ::MMIOINFO r{};
    r.dwFlags = i.dwFlags;
    r.fccIOProc = i.fccIOProc;
    r.pIOProc = reinterpret_cast<::LPMMIOPROC>(i.pIOProc);
    r.wErrorRet = i.wErrorRet;
    r.htask = reinterpret_cast<::HTASK>(i.htask);
    r.cchBuffer = i.cchBuffer;
    r.pchBuffer = i.pchBuffer;
    r.pchNext = i.pchNext;
    r.pchEndRead = i.pchEndRead;
    r.pchEndWrite = i.pchEndWrite;
    r.lBufOffset = i.lBufOffset;
    r.lDiskOffset = i.lDiskOffset;
    for (int k = 0; k < 3; ++k) r.adwInfo[k] = i.adwInfo[k];
    r.dwReserved1 = i.dwReserved1;
    r.dwReserved2 = i.dwReserved2;
    r.hmmio = Real(i.hmmio);
    return r;
}

void CopyBack(const ::MMIOINFO& r, MMIOINFO* i) {
    i->dwFlags = static_cast<DWORD>(r.dwFlags);
    i->fccIOProc = static_cast<FOURCC>(r.fccIOProc);
    i->pIOProc = reinterpret_cast<void*>(r.pIOProc);
    i->wErrorRet = r.wErrorRet;
    i->htask = reinterpret_cast<void*>(r.htask);
    i->cchBuffer = static_cast<LONG>(r.cchBuffer);
    i->pchBuffer = r.pchBuffer;
    i->pchNext = r.pchNext;
    i->pchEndRead = r.pchEndRead;
    i->pchEndWrite = r.pchEndWrite;
    i->lBufOffset = static_cast<LONG>(r.lBufOffset);
    i->lDiskOffset = static_cast<LONG>(r.lDiskOffset);
    for (int k = 0; k < 3; ++k) i->adwInfo[k] = static_cast<DWORD>(r.adwInfo[k]);
    i->dwReserved1 = static_cast<DWORD>(r.dwReserved1);
    i->dwReserved2 = static_cast<DWORD>(r.dwReserved2);
    i->hmmio = Ours(r.hmmio);
}

}  // namespace

HMMIO mmioOpenA(const char* name, MMIOINFO* info, DWORD flags) {
    if (!name) {
        if (info) info->wErrorRet = MMIOERR_FILENOTFOUND;
        return nullptr;
    }
    std::wstring wide = win::FileNameForNarrowingCalls(win::Wide(name));
    ::MMIOINFO real{};
    if (info) real = Real(*info);
    ::HMMIO h = ::mmioOpenW(wide.data(), info ? &real : nullptr, flags);
    if (info) CopyBack(real, info);
    return Ours(h);
}

MMRESULT mmioClose(HMMIO file, UINT flags) { return ::mmioClose(Real(file), flags); }

LONG mmioRead(HMMIO file, char* buffer, LONG bytes) {
    return static_cast<LONG>(::mmioRead(Real(file), buffer, bytes));
}

LONG mmioSeek(HMMIO file, LONG offset, int origin) {
    return static_cast<LONG>(::mmioSeek(Real(file), offset, origin));
}

MMRESULT mmioDescend(HMMIO file, MMCKINFO* chunk, const MMCKINFO* parent, UINT flags) {
    if (!chunk) return MMSYSERR_INVALPARAM;
    ::MMCKINFO c = Real(*chunk);
    ::MMCKINFO p{};
    if (parent) p = Real(*parent);
    MMRESULT r = ::mmioDescend(Real(file), &c, parent ? &p : nullptr, flags);
    CopyBack(c, chunk);
    return r;
}

MMRESULT mmioAscend(HMMIO file, MMCKINFO* chunk, UINT flags) {
    if (!chunk) return MMSYSERR_INVALPARAM;
    ::MMCKINFO c = Real(*chunk);
    MMRESULT r = ::mmioAscend(Real(file), &c, flags);
    CopyBack(c, chunk);
    return r;
}

MMRESULT mmioGetInfo(HMMIO file, MMIOINFO* info, UINT flags) {
    if (!info) return MMSYSERR_INVALPARAM;
    ::MMIOINFO real{};
    MMRESULT r = ::mmioGetInfo(Real(file), &real, flags);
    if (r == MMSYSERR_NOERROR) CopyBack(real, info);
    return r;
}

MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT flags) {
    if (!info) return MMSYSERR_INVALPARAM;
    ::MMIOINFO real = Real(*info);
    return ::mmioSetInfo(Real(file), &real, flags);
}

MMRESULT mmioAdvance(HMMIO file, MMIOINFO* info, UINT flags) {
    if (!info) return ::mmioAdvance(Real(file), nullptr, flags);
    ::MMIOINFO real = Real(*info);
    MMRESULT r = ::mmioAdvance(Real(file), &real, flags);
    CopyBack(real, info);
    return r;
}

}  // namespace plat
