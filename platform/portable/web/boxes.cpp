// The browser's alert and confirm as the message boxes.
#include "platform/portable/web/boxes.h"

#include <emscripten.h>

namespace plat::web {
namespace {

// clang-format off
EM_JS(int, ShowPageBox, (const char* caption, const char* text, int question), {
    var message = UTF8ToString(caption) + "\n\n" + UTF8ToString(text);
    if (question) return confirm(message) ? 1 : 0;
    alert(message);
    return 1;
});
// clang-format on

}  // namespace

bool ShowBox(const std::string& caption, const std::string& text, bool question) {
    return ShowPageBox(caption.c_str(), text.c_str(), question ? 1 : 0) != 0;
}

}  // namespace plat::web
