// Internal helpers of the Windows platform layer: the interface headers (which
// must come before the system headers, whose macros share their names), the
// system headers, text conversion between the library's Shift-JIS and the
// UTF-16 of the wide Win32 calls, and conversions of handles and records
// between the interface types and the system's own.
//
// The interface's handles are opaque pointers; on Windows they carry the
// system's handle values unchanged. Records are copied field by field rather
// than reinterpreted, because the interface's integer types (int32_t) are not
// the system's (long) even where the sizes agree.
#pragma once

#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/dsound.h"
#include "platform/encoding.h"
#include "platform/entry.h"
#include "platform/gdi.h"
#include "platform/mci.h"
#include "platform/mmio.h"
#include "platform/win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h:
#include <mmsystem.h>
#include <ddraw.h>
#include <dsound.h>

#include <string>
#include <string_view>

namespace plat::win {

// The library's code page.
constexpr UINT kCodePage = 932;

// Shift-JIS (code page 932) to UTF-16. Bytes that are not valid Shift-JIS
// become U+FFFD or the system's substitute, never an error.
std::wstring Wide(std::string_view sjis);
// Null stays null (optional names); MAKEINTRESOURCE numbers are passed as
// they are, since they are not texts.
class WideArg {
public:
    explicit WideArg(const char* sjis);
    const wchar_t* get() const { return value_; }

private:
    std::wstring text_;
    const wchar_t* value_ = nullptr;
};
// The UTF-16 name of an existing file for calls that, under Wine, narrow the
// name to the system's ANSI code page before opening it (mmioOpenW and the
// MCI devices that read files through it): a name with characters outside
// ASCII is given as its short (8.3) form, which is ASCII. Names that are
// ASCII already, or files without a short name, are returned unchanged.
std::wstring FileNameForNarrowingCalls(const std::wstring& name);
// UTF-16 to Shift-JIS; characters without a Shift-JIS form become '?'.
std::string Narrow(std::wstring_view utf16);
// Copies a Shift-JIS text into a caller's buffer of `size` bytes with the
// terminating zero, cut at a character boundary when it does not fit.
// Returns the bytes copied without the zero.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size);

inline ::HWND Real(HWND h) { return reinterpret_cast<::HWND>(h); }
inline HWND Ours(::HWND h) { return reinterpret_cast<HWND>(h); }
inline ::HDC Real(HDC h) { return reinterpret_cast<::HDC>(h); }
inline HDC Ours(::HDC h) { return reinterpret_cast<HDC>(h); }
inline ::HGDIOBJ Real(HGDIOBJ h) { return reinterpret_cast<::HGDIOBJ>(h); }
inline HGDIOBJ Ours(::HGDIOBJ h) { return reinterpret_cast<HGDIOBJ>(h); }
inline ::HANDLE Real(HANDLE h) { return reinterpret_cast<::HANDLE>(h); }
// ::HANDLE and ::HGDIOBJ are both void*: kernel handles get their own name.
inline HANDLE OursKernel(::HANDLE h) { return reinterpret_cast<HANDLE>(h); }
inline ::HINSTANCE Real(HINSTANCE h) { return reinterpret_cast<::HINSTANCE>(h); }
inline HINSTANCE Ours(::HINSTANCE h) { return reinterpret_cast<HINSTANCE>(h); }

inline ::RECT Real(const RECT& r) { return ::RECT{r.left, r.top, r.right, r.bottom}; }
inline RECT Ours(const ::RECT& r) {
    return RECT{static_cast<LONG>(r.left), static_cast<LONG>(r.top), static_cast<LONG>(r.right),
                static_cast<LONG>(r.bottom)};
}

// The window procedure the library registered for a window's class; the
// system calls a trampoline of ours that forwards to it.
WNDPROC ProcedureOf(::HWND window);

}  // namespace plat::win
