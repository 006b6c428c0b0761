// The error box, the information and question boxes and the debug log.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/encoding.h"
#include "system/elSystem.h"

int ErrorFlag = 0;

namespace elSystem {
// Set by the screen while DirectDraw is open, so boxes can be shown over a
// full-screen display.
void (*FlipToGdi)() = nullptr;
int QuitAfterError = 0;

namespace {

// Formats into a 260-byte box buffer. Longer texts are cut at a character
// boundary (never in the middle of a Shift-JIS pair); `reserve` bytes are left
// free for a suffix.
void FormatBox(char (&buffer)[260], std::size_t reserve, const char* format, va_list args) {
    std::size_t limit = sizeof buffer - reserve;
    std::vsnprintf(buffer, limit, format ? format : "", args);
    std::size_t n = 0;
    std::size_t len = std::strlen(buffer);
    while (n < len) {
        unsigned char c = static_cast<unsigned char>(buffer[n]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && n + 1 >= len) break;
        n += lead ? 2 : 1;
    }
    buffer[n] = 0;
}

int ShowBox(plat::UINT style, const char* format, va_list args) {
    char text[260];
    FormatBox(text, 2, format, args);
    std::strcat(text, "\r\n");
    if (FlipToGdi) FlipToGdi();
    if (!CursorShown) {
        plat::ShowCursor(1);
        CursorShown = 1;
    }
    MessageBoxOpen = 1;
    int answer = plat::MessageBoxA(MainWindow, text, "メッセージ", style);
    MessageBoxOpen = 0;
    ResetFrameTimer();
    return answer;
}

int Format(char (&buffer)[260], const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatBox(buffer, 0, format, args);
    va_end(args);
    return 0;
}

}  // namespace

void ShowMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ShowBox(plat::MB_OK | plat::MB_ICONEXCLAMATION | plat::MB_SYSTEMMODAL, format, args);
    va_end(args);
}

int AskYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int answer = ShowBox(plat::MB_YESNO | plat::MB_ICONQUESTION, format, args);
    va_end(args);
    return answer == plat::IDYES ? 1 : 0;
}

void DebugLog(const char* format, ...) {
    std::FILE* f = plat::OpenFile("DEBUG.TXT", "ab");
    if (!f) return;
    va_list args;
    va_start(args, format);
    if (format) std::vfprintf(f, format, args);
    va_end(args);
    // Lines end as the text mode of Windows writes them, so the log reads the
    // same on every platform.
    std::fputs("\r\n", f);
    std::fclose(f);
}

int HasError() { return ErrorFlag; }

int QuitIfError() {
    if (ErrorFlag) {
        QuitAfterError = 1;
        Quit();
    }
    return ErrorFlag;
}

}  // namespace elSystem

int ReportError(const char* context, const char* message) {
    char text[260];
    elSystem::Format(text, "%s : %s", context ? context : "", message ? message : "");
    if (elSystem::FlipToGdi) elSystem::FlipToGdi();
    plat::MessageBeep(0xFFFFFFFFu);
    plat::MessageBoxA(MainWindow, text, "エラー発生",
                      plat::MB_OK | plat::MB_ICONEXCLAMATION | plat::MB_SYSTEMMODAL);
    ErrorFlag = 1;
    return 0;
}

namespace {

// The reason a file cannot be used, asked of the system by opening it again.
std::string FileProblem(const char* path) {
    errno = 0;
    std::FILE* f = plat::OpenFile(path, "rb");
    if (f) {
        std::fclose(f);
        return "the file opens, but its contents cannot be used";
    }
    return errno ? std::strerror(errno) : "it is a folder, or it cannot be opened";
}

// One line for the programmer: standard error (in UTF-8 where the system's
// texts are UTF-8), the trace, and on Windows the debug log as well.
void DebugOutput(const std::string& sjis) {
#ifdef _WIN32
    std::fprintf(stderr, "%s\n", sjis.c_str());
    elSystem::DebugLog("%s", sjis.c_str());
#else
    std::fprintf(stderr, "%s\n", plat::SjisToUtf8(sjis).c_str());
#endif
    std::fflush(stderr);
    plat::Trace(sjis.c_str());
}

}  // namespace

void NoteFileProblem(const char* context, const char* message, const char* path, const char* problem) {
    std::string file = path ? path : "";
    std::string reason = problem ? problem : FileProblem(file.c_str());
    std::string shown = file;
#ifndef _WIN32
    for (char& c : shown)
        if (c == '\\') c = '/';
#endif
    std::size_t cut = shown.find_last_of("/\\");
    std::string folder = cut == std::string::npos ? "the working folder" : shown.substr(0, cut + 1);
    DebugOutput(std::string(context ? context : "") + " : " + (message ? message : "") + ": " + shown + ": " +
                reason + " (looked up in " + folder + ")");
}

int ReportFileError(const char* context, const char* message, const char* path, const char* problem) {
    NoteFileProblem(context, message, path, problem);
    return ReportError(context, message);
}
