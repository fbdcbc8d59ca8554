// The shell commands the end-to-end tests drive the X server with leave the
// test's own handles alone, whatever the stack held before.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/UnixCommand.h"

namespace {

// Leaves copies of a live handle in the stack where the calls that follow
// make their frames, as an earlier start of a program would.
__attribute__((noinline)) void FillStackBelowWith(HANDLE value) {
    volatile HANDLE slots[8192];
    for (auto& slot : slots) slot = value;
}

}  // namespace

TEST(UnixCommand, ReportsTheResultAndLeavesTheCallersHandlesAlone) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    FillStackBelowWith(event);
    EXPECT_TRUE(testing_support::RunUnixCommand(L"true"));
    FillStackBelowWith(event);
    EXPECT_FALSE(testing_support::RunUnixCommand(L"false"));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the event was closed";
    CloseHandle(event);
}
