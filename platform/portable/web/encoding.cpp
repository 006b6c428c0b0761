// Shift-JIS <-> UTF-8 for the browser build, whose iconv has no CP932: the
// table made from glibc's CP932 at build time gives glibc's results.
#include "platform/encoding.h"

#include "platform/portable/web/cp932.h"

namespace plat {

std::string SjisToUtf8(std::string_view sjis) { return cp932::ToUtf8(sjis); }

std::string Utf8ToSjis(std::string_view utf8) { return cp932::FromUtf8(utf8); }

}  // namespace plat
