// Text conversions of the Windows platform layer, all through the system's
// code page 932 table: Shift-JIS to UTF-16 for the wide Win32 calls, and the
// UTF-8 conversions of platform/encoding.h.
#include "platform/windows/common.h"

namespace plat {
namespace win {

namespace {

// Strict conversion of a whole text; false when a byte sequence is not
// Shift-JIS.
bool StrictWide(std::string_view sjis, std::wstring* out) {
    int length = static_cast<int>(sjis.size());
    int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, sjis.data(), length, nullptr, 0);
    if (n <= 0) return false;
    out->assign(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, sjis.data(), length, out->data(), n);
    return true;
}

bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::wstring Wide(std::string_view sjis) {
    std::wstring out;
    if (sjis.empty() || StrictWide(sjis, &out)) return out;
    // Character by character: a sequence the code page does not hold becomes
    // U+FFFD and conversion goes on with the next byte (the system's own
    // substitute would be U+30FB, a character that could be meant).
    out.clear();
    std::size_t i = 0;
    while (i < sjis.size()) {
        std::size_t n = LeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
        std::wstring piece;
        if (StrictWide(sjis.substr(i, n), &piece)) {
            out += piece;
            i += n;
        } else {
            out += L'\uFFFD';
            ++i;
        }
    }
    return out;
}

WideArg::WideArg(const char* sjis) {
    if (!sjis) return;
    if (IS_INTRESOURCE(sjis)) {
        value_ = reinterpret_cast<const wchar_t*>(sjis);
        return;
    }
    text_ = Wide(sjis);
    value_ = text_.c_str();
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    int length = static_cast<int>(utf16.size());
    // Without WC_NO_BEST_FIT_CHARS the system would quietly turn characters
    // like U+00E9 into look-alikes ('e'), which in a file name names another file.
    const ::DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = ::WideCharToMultiByte(kCodePage, flags, utf16.data(), length, nullptr, 0, "?", nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(kCodePage, flags, utf16.data(), length, out.data(), n, "?", nullptr);
    return out;
}

std::wstring FileNameForNarrowingCalls(const std::wstring& name) {
    bool ascii = true;
    for (wchar_t c : name) ascii &= c < 0x80;
    if (ascii) return name;
    ::DWORD n = ::GetShortPathNameW(name.c_str(), nullptr, 0);
    if (n == 0) return name;
    std::wstring shortName(n, L'\0');
    n = ::GetShortPathNameW(name.c_str(), shortName.data(), n);
    shortName.resize(n);
    for (wchar_t c : shortName)
        if (c >= 0x80) return name;
    return shortName.empty() ? name : shortName;
}

DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    std::size_t n = 0;
    while (n < text.size() && n + 1 < size) {
        unsigned char c = static_cast<unsigned char>(text[n]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && (n + 2 >= size || n + 1 >= text.size())) break;
        n += lead ? 2 : 1;
    }
    text.copy(buffer, n);
    buffer[n] = 0;
    return static_cast<DWORD>(n);
}

}  // namespace win

std::string SjisToUtf8(std::string_view sjis) {
    std::wstring w = win::Wide(sjis);
    if (w.empty()) return {};
    int length = static_cast<int>(w.size());
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
    if (utf8.empty()) return {};
    int length = static_cast<int>(utf8.size());
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, w.data(), n);
    return win::Narrow(w);
}

}  // namespace plat
