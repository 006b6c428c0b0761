// MCI command strings on the real winmm: errors come back as MCI error codes
// and answers as zero-terminated Shift-JIS text that fits the caller's buffer.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "platform/mci.h"
#include "win_support.h"

TEST(WinMci, MissingFilesAndUnknownDevicesAreErrorsNotCrashes) {
    wintest::ScratchFolder folder;
    char answer[32] = "x";
    EXPECT_NE(plat::mciSendStringA("open \"ない曲.mid\" type sequencer alias midi", answer,
                                   sizeof answer, nullptr),
              0u);
    EXPECT_NE(plat::mciSendStringA("status nosuchalias mode", answer, sizeof answer, nullptr), 0u);
    EXPECT_EQ(answer[0], 0);  // no answer text
    EXPECT_NE(plat::mciSendStringA("frobnicate", nullptr, 0, nullptr), 0u);
}

TEST(WinMci, AnswersAreZeroTerminatedAndFitTheBuffer) {
    char answer[32];
    std::memset(answer, 'x', sizeof answer);
    ASSERT_EQ(plat::mciSendStringA("sysinfo all quantity", answer, sizeof answer, nullptr), 0u);
    ASSERT_NE(std::memchr(answer, 0, sizeof answer), nullptr);
    ASSERT_GT(std::strlen(answer), 0u);
    for (const char* p = answer; *p; ++p) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(*p))) << answer;
    char tiny[1];
    tiny[0] = 'x';
    plat::mciSendStringA("sysinfo all quantity", tiny, sizeof tiny, nullptr);
    EXPECT_EQ(tiny[0], 0);
}
