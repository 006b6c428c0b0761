// The entry point, the window and its procedure, the frame loop and the
// orderly shutdown.
#include <cstring>
#include <ctime>
#include <cstdlib>

#include "draw/elDraw.h"
#include "input/elInput.h"
#include "platform/mci.h"
#include "sound/elSound.h"
#include "system/elSystem.h"
#include "text/elText.h"
#include "system/random.h"

using namespace plat;

float FrameDelta = 0.0f;
int SceneNumber = 0;
int NextSceneNumber = 0;
int SceneChanged = 0;
int BlinkOn = 1;
int AppActive = 0;
HWND MainWindow = nullptr;

namespace elSystem {

int FullScreen = 1;
int ForcedWindow = 0;
int WindowOptions = 0;
int StartWidth = 800;
int StartHeight = 600;
int ClosingState = 0;
int MessageBoxOpen = 0;
int CursorShown = 1;
POINT ClientOrigin{};
RECT ClientRect{};
std::uint32_t LastFrameTime = 0;

// Also used by the system queries.
extern int CursorClipOption;
extern HINSTANCE InstanceHandle;
extern char CommandLine[256];

namespace {

const char* const kClassName = "DEFAULT";

HANDLE instanceMutex = nullptr;
int quitDone = 0;
int windowMissing = 0;
int previousScene = 0;
std::uint32_t nextBlinkTime = 0;
const Program* currentProgram = nullptr;

// The program's title, kept for the class/title lookups of the instance check.
char windowTitle[256] = "";

void CopyText(char* dst, std::size_t size, const char* src) {
    // Texts longer than the buffer are cut at a character boundary so that a
    // Shift-JIS lead byte never ends up without its trail byte.
    std::size_t n = 0;
    if (src) {
        while (src[n] != 0 && n + 1 < size) {
            unsigned char c = static_cast<unsigned char>(src[n]);
            bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            if (lead && (n + 2 >= size || src[n + 1] == 0)) break;
            n += lead ? 2 : 1;
        }
    }
    std::memcpy(dst, src ? src : "", n);
    dst[n] = 0;
}

void RunScene(int number) {
    if (!currentProgram) return;
    for (const Scene& scene : currentProgram->scenes)
        if (scene.number == number && scene.frame) {
            scene.frame();
            return;
        }
}

}  // namespace

void ResetState() {
    MainWindow = nullptr;
    InstanceHandle = nullptr;
    CommandLine[0] = 0;
    instanceMutex = nullptr;
    AppActive = 0;
    FullScreen = 1;
    ForcedWindow = 0;
    WindowOptions = 0;
    StartWidth = 800;
    StartHeight = 600;
    FrameDelta = 0.0f;
    LastFrameTime = timeGetTime();
    SceneNumber = 0;
    previousScene = 0;
    SceneChanged = 0;
    NextSceneNumber = 0;
    BlinkOn = 1;
    nextBlinkTime = timeGetTime() + 1000;
    CursorShown = 1;
    MessageBoxOpen = 0;
    ClosingState = 0;
    quitDone = 0;
    QuitAfterError = 0;
    windowMissing = 0;
    ClientOrigin = {0, 0};
    ClientRect = {0, 0, 0, 0};
    elInput::ResetAll();
    CursorClipOption = 0;
}

int LockInstance(const char* title) {
    char name[256];
    // The mutex name is the title and ":ElMutex"; a title too long for the
    // buffer is cut so that the suffix always fits.
    constexpr const char* kSuffix = ":ElMutex";
    CopyText(name, sizeof name - std::strlen(kSuffix), title);
    std::strcat(name, kSuffix);
    instanceMutex = CreateMutexA(name, 1);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        instanceMutex = nullptr;  // not ours to release
        if (HWND other = FindWindowA(kClassName, title)) SetForegroundWindow(other);
        return 0;
    }
    return 1;
}

void SetActive(int flag) { AppActive = flag; }

int Quit() {
    if (quitDone) return 1;
    quitDone = 1;
    Trace("shutdown");
    ReleaseCursor();
    elText::FreeFonts();
    Trace("fonts freed");
    elSound::Release();
    Trace("sound released");
    elDraw::Close();
    Trace("screen closed");
    if (instanceMutex) {
        ReleaseMutex(instanceMutex);
        instanceMutex = nullptr;
    }
    if (ClosingState == 0) PostMessageA(MainWindow, WM_CLOSE, 0, 0);
    ClosingState = 2;
    return 1;
}

LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE: {
            auto coordinate = [](unsigned v) { return v > 32768 ? static_cast<int>(v) - 65536 : static_cast<int>(v); };
            ClientOrigin.x = coordinate(LoWord(static_cast<std::uintptr_t>(lParam)));
            ClientOrigin.y = coordinate(HiWord(static_cast<std::uintptr_t>(lParam)));
            ClientRect = {ClientOrigin.x, ClientOrigin.y, ClientOrigin.x + ScreenWidth,
                          ClientOrigin.y + ScreenHeight};
            if (CursorClipOption) ClipCursorToScreen();
            break;
        }
        case WM_CLOSE:
            if (ClosingState == 0) ClosingState = 1;
            if (ClosingState < 2) Quit();
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            if (wParam == 0) {
                AppActive = 0;
                if (!CursorShown) {
                    ShowCursor(1);
                    CursorShown = 1;
                }
                if (CursorClipOption) ReleaseCursor();
            } else {
                AppActive = 1;
                ResetFrameTimer();
                if (CursorClipOption) ClipCursorToScreen();
            }
            return 0;
        case WM_SETCURSOR:
            if (FullScreen && !MessageBoxOpen) {
                SetCursor(nullptr);
                return 1;
            }
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK: {
            LRESULT result = 0;
            if (elInput::OnMessage(window, message, wParam, lParam, &result)) return result;
            break;
        }
        case MM_MCINOTIFY:
            if (wParam == MCI_NOTIFY_SUCCESSFUL && elMusic::IsOpen()) {
                char answer[32] = "";
                mciSendStringA("status midi mode", answer, sizeof answer, nullptr);
                if (answer[0] == 's' && answer[1] == 't') elMusic::OnNotify();
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

bool RegisterWindowClass() {
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, "MAIN");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = "DEFAULT";
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

HWND CreateMainWindow(const char* title) {
    if (FullScreen || ForcedWindow) {
        return CreateWindowExA(0, kClassName, title, WS_POPUP | WS_SYSMENU, 0, 0,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    int width = StartWidth + GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXEDGE) +
                GetSystemMetrics(SM_CXDLGFRAME);
    int height = StartHeight + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYEDGE) +
                 GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYDLGFRAME);
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return CreateWindowExA(0, kClassName, title, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                           width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

bool Startup(const Program& program, const char* commandLine, int showCommand) {
    currentProgram = &program;
    ResetState();
    CopyText(windowTitle, sizeof windowTitle, program.title);
    if (!LockInstance(windowTitle)) return false;
    Trace("startup");
    CopyText(CommandLine, sizeof CommandLine, commandLine);
    RegisterWindowClass();
    WindowOptions = 3;
    FullScreen = 0;
    ForcedWindow = 0;
    StartWidth = 800;
    StartHeight = 600;
    CursorClipOption = 0;
    if (program.configure) program.configure();
    MainWindow = CreateMainWindow(windowTitle);
    windowMissing = MainWindow == nullptr;
    if (!MainWindow) {
        // Nothing was shown; give the instance back for the next start.
        if (instanceMutex) ReleaseMutex(instanceMutex);
        instanceMutex = nullptr;
        return false;
    }
    ShowWindow(MainWindow, (WindowOptions & kOptionHidden) ? SW_HIDE : showCommand);
    UpdateWindow(MainWindow);
    if (!FullScreen) {
        HWND after = (WindowOptions & kOptionNotTopmost) ? MainWindow : HWND_TOPMOST;
        SetWindowPos(MainWindow, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    InstanceHandle = GetModuleHandleA(nullptr);
    elSystem::SeedRandom(static_cast<unsigned>(std::time(nullptr)));
    EnableIME(0);
    if (program.init) program.init();
    // A set-up that failed has been reported; running frames on a missing
    // screen would only fail again, so the program ends here.
    if (QuitIfError()) {
        // Let the shutdown messages run their course, without frames.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return false;
    }
    ResetFrameTimer();
    return true;
}

void RunFrame() {
    std::uint32_t now = timeGetTime();
    FrameDelta = static_cast<float>(static_cast<double>(now - LastFrameTime) / 1000.0);
    LastFrameTime = timeGetTime();
    elInput::BeginFrame();
    if (previousScene == 0 && SceneNumber != 0) {
        SceneChanged = 1;
        previousScene = SceneNumber;
    }
    if (elDraw::WipeDirection == 1) {
        elDraw::Present();
        if (elDraw::WipeDirection == 0) SceneNumber = NextSceneNumber;
    } else {
        RunScene(SceneNumber);
    }
    if (SceneNumber != previousScene) {
        SceneChanged = 1;
        if (elDraw::ClipWipeState > 0) {
            ClipRect = elDraw::ClipWipeSaved;
            elDraw::ClipWipeState = 0;
        }
    } else {
        SceneChanged = 0;
    }
    previousScene = SceneNumber;
    if (timeGetTime() >= nextBlinkTime) {
        BlinkOn = !BlinkOn;
        nextBlinkTime = timeGetTime() + (BlinkOn ? 1000 : 200);
    }
    elInput::EndFrame();
    if (!FullScreen && !MessageBoxOpen) {
        POINT p{};
        GetCursorPos(&p);
        bool inside = p.x >= ClientOrigin.x && p.x < ClientOrigin.x + StartWidth &&
                      p.y >= ClientOrigin.y && p.y < ClientOrigin.y + StartHeight;
        if (inside && CursorShown) {
            ShowCursor(0);
            CursorShown = 0;
        } else if (!inside && !CursorShown) {
            ShowCursor(1);
            CursorShown = 1;
        }
    }
}

bool LoopPass() {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        return true;
    }
    if (AppActive == 0 && !(WindowOptions & kOptionRunInactive)) {
        WaitMessage();
        return true;
    }
    RunFrame();
    return true;
}

int Run(const Program& program, const char* commandLine, int showCommand) {
    if (!Startup(program, commandLine, showCommand)) return QuitAfterError || windowMissing ? 1 : 0;
    while (LoopPass()) {
    }
    return QuitAfterError ? 1 : 0;
}

// The scene's set-up resets the loop's record of the previous scene, so that
// its first frame counts as a scene change.
void ForgetPreviousScene() { previousScene = 0; }

}  // namespace elSystem
