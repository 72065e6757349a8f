// Including this header starts Winsock once for the whole test program,
// before the first test.
#pragma once
#include <winsock2.h>
#include <gtest/gtest.h>

struct WinsockEnvironment : ::testing::Environment {
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
    }
    void TearDown() override { WSACleanup(); }
};

// inline: one registration however many files include the header.
inline ::testing::Environment* const g_winsockEnvironment =
    ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);
