#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "platform/JoinableThread.h"
#include "platform/UniqueHandle.h"

namespace {

int g_closes = 0;
struct CountingCloser {
    bool operator()(HANDLE) const { return ++g_closes > 0; }
};
using CountedHandle = platform::BasicUniqueHandle<CountingCloser>;

}  // namespace

TEST(UniqueHandle, ClosesOnceHoweverItMovesAndNeverWhatIsEmpty) {
    g_closes = 0;
    {
        CountedHandle first(reinterpret_cast<HANDLE>(8));
        CountedHandle second(std::move(first));
        CountedHandle third(INVALID_HANDLE_VALUE);
        third = std::move(second);
        EXPECT_FALSE(first);
        EXPECT_FALSE(second);
        EXPECT_EQ(g_closes, 0);
    }
    EXPECT_EQ(g_closes, 1);
}

TEST(JoinableThread, AnOwnerThatGoesOrTakesAnotherThreadWaitsForItsOwn) {
    std::atomic<int> finished{0};
    {
        auto work = [&] {
            Sleep(50);
            ++finished;
        };
        platform::JoinableThread worker = platform::StartJoinableThread(work);
        worker = platform::StartJoinableThread(work);
        EXPECT_GE(finished.load(), 1);
    }
    EXPECT_EQ(finished.load(), 2);
}
