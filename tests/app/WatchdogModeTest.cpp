// The watchdog mode run in this process against a stand-in taskbar and a
// stand-in app-bar list, watching a process that has already ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/CommandLineModes.h"
#include "support/FakeAppBar.h"
#include "support/StandInTaskbar.h"

using namespace testing_support;

namespace {

// A process that has ended; its handle keeps the id valid.
struct EndedProcess {
    EndedProcess() {
        wchar_t command[] = L"cmd.exe /c exit 0";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                           &info)) {
            WaitForSingleObject(info.hProcess, 20000);
        }
    }
    ~EndedProcess() {
        if (info.hProcess) CloseHandle(info.hProcess);
        if (info.hThread) CloseHandle(info.hThread);
    }
    PROCESS_INFORMATION info = {};
};

void HideBoth(const StandInTaskbar& taskbar) {
    for (HWND w : {taskbar.primary, taskbar.secondary}) {
        EnableWindow(w, FALSE);
        ShowWindow(w, SW_HIDE);
    }
}

}  // namespace

TEST(WatchdogMode, RestoresTheStateItWasGivenOnlyWhenTheDockEndedUncancelled) {
    StandInTaskbar taskbar;
    FakeAppBar appBar(1);
    EndedProcess dock;
    ASSERT_NE(dock.info.hProcess, nullptr);
    std::wstring eventName = L"Local\\WatchdogModeTest_" + std::to_wstring(GetCurrentProcessId());
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(cancel, nullptr);
    WatchdogArgs args{dock.info.dwProcessId, 2, eventName};

    HideBoth(taskbar);
    EXPECT_EQ(RunWatchdogMode(args), 0);
    EXPECT_EQ(appBar.writes, std::vector<uint32_t>{2u}) << "a killed dock: the user's own state comes back";
    EXPECT_TRUE(taskbar.BothShown());

    // An orderly end that raced the wait: both are signalled by the time it
    // starts, and the wait names the process.
    SetEvent(cancel);
    HideBoth(taskbar);
    appBar.writes.clear();
    EXPECT_EQ(RunWatchdogMode(args), 0);
    EXPECT_TRUE(appBar.writes.empty()) << "the dock restored the taskbar itself";
    EXPECT_TRUE(taskbar.BothHidden());
    CloseHandle(cancel);
}
