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

TEST(UniqueHandle, ReleaseGivesTheHandleUpAndCloseEndsIt) {
    platform::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    platform::UniqueHandle taker(event.release());
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(taker.get(), &flags)) << "release closed it";
    const HANDLE raw = taker.get();
    EXPECT_TRUE(taker.close());
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
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
