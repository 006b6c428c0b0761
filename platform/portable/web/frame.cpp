// The next animation frame as the vertical blank of the browser build.
#include "platform/portable/web/frame.h"

#include <emscripten.h>

namespace plat::web {
namespace {

// clang-format off
EM_ASYNC_JS(void, AwaitAnimationFrame, (), {
    await new Promise(function (resolve) { requestAnimationFrame(function () { resolve(); }); });
});
// clang-format on

}  // namespace

void WaitForAnimationFrame() { AwaitAnimationFrame(); }

}  // namespace plat::web
