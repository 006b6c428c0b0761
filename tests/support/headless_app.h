// Running programs of the library headless inside a test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/portable/headless.h"
#include "system/elSystem.h"

namespace test {

// Every test starts from a fresh headless world at virtual time 100000 ms.
class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        plat::headless::Enable(true);
        plat::headless::SetClock(100000);
        ResetLibraryDefaults();
    }
    // Settings that outlive a screen in one process: each test starts from
    // the values a freshly started program has.
    static void ResetLibraryDefaults();
    void TearDown() override {
        elSystem::Quit();
        plat::headless::Enable(true);
    }
};

// A program with one scene whose frames are counted.
struct CountingProgram {
    elSystem::Program program;
    int frames = 0;
    explicit CountingProgram(bool withScreen = true);
};

// Passes of the loop until the queue is empty (messages only, no frame).
// Returns false when the quit message was retrieved.
bool DrainMessages();
// Runs loop passes until `frames` frames ran or the loop ended; returns the
// number of passes that ended the loop (0 or 1).
bool RunFrames(int frames, CountingProgram& counter);

}  // namespace test
