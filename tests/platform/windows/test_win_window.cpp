// Windows, messages, the single-instance mutex and message boxes on the real
// user32: Japanese titles and box texts must arrive as the right UTF-16
// characters, and the library's window procedure must see the messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/win.h"
#include "system/elSystem.h"
#include "win_support.h"

namespace {

struct Seen {
    plat::UINT message;
    plat::WPARAM wParam;
    plat::LPARAM lParam;
};
std::vector<Seen> seen;

plat::LRESULT RecordingProc(plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
    seen.push_back({m, wp, lp});
    if (m == plat::WM_CLOSE) {
        plat::DestroyWindow(w);
        return 0;
    }
    return plat::DefWindowProcA(w, m, wp, lp);
}

// Registers a class (once per name) and makes a window of the library's
// window-mode style and outer size for an 800 x 600 client area.
plat::HWND MakeWindow(const char* cls, const char* title) {
    plat::WNDCLASSA wc{};
    wc.style = plat::CS_VREDRAW | plat::CS_HREDRAW | plat::CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = plat::GetModuleHandleA(nullptr);
    wc.hCursor = plat::LoadCursorA(nullptr, plat::IDC_ARROW);
    wc.hbrBackground = plat::GetStockObject(plat::BLACK_BRUSH);
    wc.lpszMenuName = "DEFAULT";  // no such menu: the window gets none
    wc.lpszClassName = cls;
    plat::RegisterClassA(&wc);
    using plat::GetSystemMetrics;
    int width = 800 + GetSystemMetrics(plat::SM_CXBORDER) + GetSystemMetrics(plat::SM_CXEDGE) +
                GetSystemMetrics(plat::SM_CXDLGFRAME);
    int height = 600 + GetSystemMetrics(plat::SM_CYCAPTION) + GetSystemMetrics(plat::SM_CYEDGE) +
                 GetSystemMetrics(plat::SM_CYBORDER) + GetSystemMetrics(plat::SM_CYDLGFRAME);
    return plat::CreateWindowExA(0, cls, title,
                                 plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX, 10, 20,
                                 width, height, nullptr, nullptr, plat::GetModuleHandleA(nullptr),
                                 nullptr);
}

void Pump() {
    plat::MSG m;
    while (plat::PeekMessageA(&m, nullptr, 0, 0, plat::PM_REMOVE)) {
        if (m.message == plat::WM_QUIT) break;
        plat::TranslateMessage(&m);
        plat::DispatchMessageA(&m);
    }
}

}  // namespace

TEST(WinWindow, JapaneseTitleClientSizeAndLookup) {
    seen.clear();
    plat::HWND w = MakeWindow("DEFAULT", "ﾀｲﾙｽﾞ");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(wintest::WindowTitle(w), L"\uFF80\uFF72\uFF99\uFF7D\uFF9E");
    // The library's outer size (each frame metric once) gives the 800 x 600
    // client area the present blits into.
    plat::POINT client = wintest::ClientSize(w);
    EXPECT_EQ(client.x, 800);
    EXPECT_EQ(client.y, 600);
    EXPECT_EQ(plat::FindWindowA("DEFAULT", "ﾀｲﾙｽﾞ"), w);
    EXPECT_EQ(plat::FindWindowA("DEFAULT", "ﾀｲﾙ"), nullptr);
    // An overlapped window gets WM_MOVE, with the client origin in screen
    // coordinates, by the time it is first shown.
    plat::ShowWindow(w, plat::SW_SHOWNORMAL);
    Pump();
    plat::POINT origin = wintest::ClientOrigin(w);
    bool moved = false;
    for (const Seen& s : seen)
        if (s.message == plat::WM_MOVE) {
            moved = true;
            EXPECT_EQ(plat::LoWord(static_cast<std::uintptr_t>(s.lParam)), origin.x);
            EXPECT_EQ(plat::HiWord(static_cast<std::uintptr_t>(s.lParam)), origin.y);
        }
    EXPECT_TRUE(moved);
    plat::DestroyWindow(w);
}

TEST(WinWindow, PostedMessagesReachTheProcedureAndQuitEndsTheLoop) {
    seen.clear();
    plat::HWND w = MakeWindow("ElTestPost", "post");
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(plat::PostMessageA(w, plat::WM_USER + 7, 42, -5));
    Pump();
    bool got = false;
    for (const Seen& s : seen)
        if (s.message == plat::WM_USER + 7) {
            got = true;
            EXPECT_EQ(s.wParam, 42u);
            EXPECT_EQ(s.lParam, -5);
        }
    EXPECT_TRUE(got);
    // WM_CLOSE -> DestroyWindow -> WM_DESTROY, as the library's shutdown runs.
    seen.clear();
    plat::PostMessageA(w, plat::WM_CLOSE, 0, 0);
    Pump();
    bool destroyed = false;
    for (const Seen& s : seen) destroyed |= s.message == plat::WM_DESTROY;
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(wintest::WindowAlive(w));
    plat::PostQuitMessage(3);
    plat::MSG m{};
    ASSERT_TRUE(plat::PeekMessageA(&m, nullptr, 0, 0, plat::PM_REMOVE));
    EXPECT_EQ(m.message, plat::WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

TEST(WinWindow, SecondMutexOfTheSameJapaneseNameReportsAlreadyExists) {
    plat::HANDLE first = plat::CreateMutexA("ﾃｽﾄ:ElMutex", 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(plat::GetLastError(), 0u);
    // Another name that narrows to the same ANSI bytes on a Western system
    // must still be a different mutex.
    plat::HANDLE other = plat::CreateMutexA("ﾃｽﾉ:ElMutex", 1);
    EXPECT_EQ(plat::GetLastError(), 0u);
    plat::HANDLE second = plat::CreateMutexA("ﾃｽﾄ:ElMutex", 1);
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_ALREADY_EXISTS);
    // The system sees the name in UTF-16.
    EXPECT_TRUE(wintest::MutexExists(L"\uFF83\uFF7D\uFF84:ElMutex"));
    plat::ReleaseMutex(first);
    wintest::CloseKernelHandle(first);
    wintest::CloseKernelHandle(other);
    wintest::CloseKernelHandle(second);
}

TEST(WinWindow, ErrorBoxShowsTheJapaneseTextAndSetsTheFlag) {
    ErrorFlag = 0;
    wintest::BoxAnswerer answer(L"\u30A8\u30E9\u30FC\u767A\u751F", plat::IDOK);  // エラー発生
    EXPECT_EQ(ReportError("elSystem::SetWait", "ウェイトNoが範囲外です"), 0);
    std::wstring text = answer.Text();
    EXPECT_TRUE(answer.Seen());
    EXPECT_EQ(text, L"elSystem::SetWait : \u30A6\u30A7\u30A4\u30C8No\u304C\u7BC4\u56F2\u5916\u3067\u3059");
    EXPECT_EQ(elSystem::HasError(), 1);
    ErrorFlag = 0;
}

TEST(WinWindow, QuestionBoxAnsweredNoReturnsZeroAndYesOne) {
    {
        wintest::BoxAnswerer answer(L"\u30E1\u30C3\u30BB\u30FC\u30B8", plat::IDNO);  // メッセージ
        EXPECT_EQ(elSystem::AskYesNo("フルスクリーンに切り換えますか？"), 0);
        EXPECT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text().substr(0, 5), L"\u30D5\u30EB\u30B9\u30AF\u30EA");
    }
    {
        wintest::BoxAnswerer answer(L"\u30E1\u30C3\u30BB\u30FC\u30B8", plat::IDYES);
        EXPECT_EQ(elSystem::AskYesNo("%d", 1), 1);
    }
}

TEST(WinWindow, DisplayDepthOfTheVirtualDesktop) {
    if (wintest::Expect("EL_EXPECT_DEPTH").empty()) GTEST_SKIP() << "EL_EXPECT_DEPTH not set";
    int depth = std::atoi(wintest::Expect("EL_EXPECT_DEPTH").c_str());
    plat::HDC dc = plat::GetDC(nullptr);
    EXPECT_EQ(plat::GetDeviceCaps(dc, plat::BITSPIXEL), depth);
    plat::ReleaseDC(nullptr, dc);
    EXPECT_EQ(elSystem::GetDisplayDepth(), depth);
}

TEST(WinWindow, CursorPositionRoundTrip) {
    ASSERT_TRUE(plat::SetCursorPos(123, 45));
    plat::POINT p{};
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 45);
    plat::RECT clip{100, 40, 200, 90};
    EXPECT_TRUE(plat::ClipCursor(&clip));
    plat::SetCursorPos(10, 10);
    plat::GetCursorPos(&p);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 40);
    EXPECT_TRUE(plat::ClipCursor(nullptr));
}
