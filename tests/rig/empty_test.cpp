#include <gtest/gtest.h>
#include <windows.h>

// Runs nothing but the loader and GoogleTest: its time under Wine is the fixed
// cost of one test program.
TEST(Rig, RunsUnderWine) {
    OSVERSIONINFOA v = {sizeof v};
    EXPECT_TRUE(GetVersionExA(&v));
}
