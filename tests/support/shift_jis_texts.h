// Japanese literals in a header included by a test: headers are compiled
// into Shift-JIS like sources.
#pragma once

namespace test {
inline constexpr char kHeaderText[] = "ﾀｲﾙｽﾞ";
}  // namespace test
