// The system side of the Windows test helpers.
#include "win_support.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace wintest {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string Expect(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct BoxAnswerer::State {
    std::wstring caption;
    int button;
    std::wstring text;
    std::atomic<bool> seen{false};
    std::atomic<bool> stop{false};
    std::thread thread;

    static BOOL CALLBACK Child(HWND child, LPARAM param) {
        auto* self = reinterpret_cast<State*>(param);
        wchar_t cls[32] = L"";
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Static") == 0) {
            wchar_t text[512] = L"";
            GetWindowTextW(child, text, 512);
            if (wcslen(text) > self->text.size()) self->text = text;
        }
        return TRUE;
    }
    void Run() {
        // Until the box shows, or the caller's box call has returned.
        while (!stop) {
            if (HWND box = FindWindowW(L"#32770", caption.c_str())) {
                EnumChildWindows(box, Child, reinterpret_cast<LPARAM>(this));
                seen = true;
                PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
                return;
            }
            Sleep(20);
        }
    }
};

BoxAnswerer::BoxAnswerer(std::wstring caption, int button) : state_(new State) {
    state_->caption = std::move(caption);
    state_->button = button;
    state_->thread = std::thread([s = state_.get()] { s->Run(); });
}

BoxAnswerer::~BoxAnswerer() {
    state_->stop = true;
    if (state_->thread.joinable()) state_->thread.join();
}

std::wstring BoxAnswerer::Text() {
    state_->stop = true;
    if (state_->thread.joinable()) state_->thread.join();
    return state_->text;
}

bool BoxAnswerer::Seen() const { return state_->seen; }

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"el_win_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(counter++);
    CreateDirectoryW(path_.c_str(), nullptr);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    previous_ = old;
    SetCurrentDirectoryW(path_.c_str());
}

ScratchFolder::~ScratchFolder() {
    SetCurrentDirectoryW(previous_.c_str());
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path_ + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(full.c_str());
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(path_.c_str());
}

namespace {
HWND Real(plat::HWND w) { return reinterpret_cast<HWND>(w); }
}  // namespace

std::wstring WindowTitle(plat::HWND window) {
    wchar_t title[256] = L"";
    GetWindowTextW(Real(window), title, 256);
    return title;
}

plat::POINT ClientSize(plat::HWND window) {
    RECT r{};
    GetClientRect(Real(window), &r);
    return {static_cast<plat::LONG>(r.right - r.left), static_cast<plat::LONG>(r.bottom - r.top)};
}

plat::POINT ClientOrigin(plat::HWND window) {
    POINT p{0, 0};
    ClientToScreen(Real(window), &p);
    return {static_cast<plat::LONG>(p.x), static_cast<plat::LONG>(p.y)};
}

bool WindowAlive(plat::HWND window) { return IsWindow(Real(window)) != 0; }

void SetClientSize(plat::HWND window, int width, int height) {
    HWND w = Real(window);
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE)), GetMenu(w) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(w, GWL_EXSTYLE)));
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

plat::COLORREF WindowPixel(plat::HWND window, int x, int y) {
    HDC dc = GetDC(Real(window));
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Real(window), dc);
    return static_cast<plat::COLORREF>(c);
}

plat::POINT RealCursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {static_cast<plat::LONG>(p.x), static_cast<plat::LONG>(p.y)};
}

void UnregisterWindowClass(const wchar_t* name) { UnregisterClassW(name, GetModuleHandleW(nullptr)); }

plat::POINT MonitorSize() {
    return {static_cast<plat::LONG>(GetSystemMetrics(SM_CXSCREEN)),
            static_cast<plat::LONG>(GetSystemMetrics(SM_CYSCREEN))};
}

bool MutexExists(const wchar_t* name) {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (!h) return false;
    CloseHandle(h);
    return true;
}

void CloseKernelHandle(plat::HANDLE handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

bool FileExists(const wchar_t* name) { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const wchar_t* name, const std::vector<unsigned char>& bytes) {
    if (FILE* f = _wfopen(name, L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

std::string ReadBytes(const wchar_t* name) {
    std::string out;
    if (FILE* f = _wfopen(name, L"rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        fclose(f);
    }
    return out;
}

void MakeFolder(const wchar_t* name) { CreateDirectoryW(name, nullptr); }
void RemoveFolder(const wchar_t* name) { RemoveDirectoryW(name); }

std::wstring ModuleFolder() {
    wchar_t module[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module, n);
    folder.resize(folder.rfind(L'\\') + 1);
    return folder;
}

std::wstring FromSjis(const std::string& sjis) {
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(932, 0, sjis.c_str(), -1, wide, 1024);
    return wide;
}

plat::HGDIOBJ CompatibleBitmap(plat::HDC dc, int width, int height) {
    return reinterpret_cast<plat::HGDIOBJ>(
        CreateCompatibleBitmap(reinterpret_cast<HDC>(dc), width, height));
}

plat::IDirectDrawSurface* PrimarySurface(plat::IDirectDraw* dd) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = plat::DDSD_CAPS;
    d.ddsCaps.dwCaps = plat::DDSCAPS_PRIMARYSURFACE;
    plat::IDirectDrawSurface* surface = nullptr;
    return dd->CreateSurface(&d, &surface, nullptr) == plat::DD_OK ? surface : nullptr;
}

plat::IDirectDrawSurface* OffscreenSurface(plat::IDirectDraw* dd, int width, int height) {
    plat::DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = plat::DDSD_CAPS | plat::DDSD_WIDTH | plat::DDSD_HEIGHT;
    d.dwWidth = static_cast<plat::DWORD>(width);
    d.dwHeight = static_cast<plat::DWORD>(height);
    d.ddsCaps.dwCaps = plat::DDSCAPS_OFFSCREENPLAIN;
    plat::IDirectDrawSurface* surface = nullptr;
    return dd->CreateSurface(&d, &surface, nullptr) == plat::DD_OK ? surface : nullptr;
}

}  // namespace wintest
