// Placeholder for bitmap pack files until the pack loader exists: no pack
// file can be chosen yet, so refilling a slot from one fails as it would
// without a pack file. Replaced by the real pack loader.
#include "draw/elDraw.h"
#include "system/elSystem.h"

namespace elDraw {

int SwapPack(const char*, int, int) {
    return ReportError("elDraw::SwapPack", "パックファイル名が指定されていません");
}

}  // namespace elDraw
