// The program started as a process, each run from its own copy of the
// program's folder so that its logs land in a fresh place.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include <objbase.h>

#include "app/StartupTask.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

class ProgramCopy : public ::testing::Test {
protected:
    void SetUp() override {
        exe_ = dir_.File(L"vantreel.exe");
        ASSERT_TRUE(CopyFileW((BinDir() + L"\\vantreel.exe").c_str(), exe_.c_str(), FALSE));
    }
    ProcessResult Run(const std::wstring& args, DWORD timeoutMs = 60000) {
        return RunProcess(exe_, args, dir_.Path(), timeoutMs);
    }
    std::string DebugLog() {
        auto bytes = ReadFileBytes(dir_.File(L"vantreel.log"));
        return std::string(bytes.begin(), bytes.end());
    }

    TempDir dir_;
    std::wstring exe_;
};

struct HeldMutex {
    HANDLE handle = CreateMutexW(nullptr, TRUE, L"Local\\Vantreel_SingleInstance");
    ~HeldMutex() {
        if (handle) {
            ReleaseMutex(handle);
            CloseHandle(handle);
        }
    }
};

}  // namespace

TEST_F(ProgramCopy, SecondInstanceExitsSilently) {
    HeldMutex running;
    ASSERT_NE(running.handle, nullptr);
    ProcessResult result = Run(L"--debug-log");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_FALSE(FileExists(dir_.File(L"vantreel.log"))) << "the log starts only after the mutex";

}

TEST_F(ProgramCopy, RestoreTaskbarFailsWhenTheRunningInstanceCannotBeAsked) {
    HeldMutex running;  // an instance still starting: no input window to ask
    ProcessResult result = Run(L"--restore-taskbar --debug-log");
    EXPECT_EQ(result.exitCode, 2u) << "it would hide the taskbar again";
    EXPECT_FALSE(FileExists(dir_.File(L"vantreel.log"))) << "the restore acts before anything else";
}

TEST_F(ProgramCopy, WatchdogEndsWithTheWatchedProcessOrItsCancel) {
    // The watched process is already gone: restore at once.
    ProcessResult result = Run(L"--watchdog 4000000000 0 Local\\NoSuchEvent", 20000);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);

    // A live process with a signalled cancel event: the watchdog ends without waiting for it.
    std::wstring eventName = L"Local\\Vantreel_WatchdogCancel_" + std::to_wstring(GetCurrentProcessId());
    HANDLE cancel = CreateEventW(nullptr, TRUE, TRUE, eventName.c_str());
    ASSERT_NE(cancel, nullptr);
    result = Run(L"--watchdog " + std::to_wstring(GetCurrentProcessId()) + L" 0 " + eventName, 20000);
    CloseHandle(cancel);
    EXPECT_FALSE(result.timedOut) << "the cancel event ends the watchdog";
    EXPECT_EQ(result.exitCode, 0u);
}

TEST(ProgramResources, ManifestAndIconAreEmbedded) {
    HMODULE image = LoadLibraryExW((BinDir() + L"\\vantreel.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(image, manifest)));
    std::string text(data, SizeofResource(image, manifest));
    EXPECT_NE(text.find("<dpiAwareness"), std::string::npos);
    EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(text.find("true/pm"), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << "Windows 10";

    HRSRC icon = FindResourceW(image, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    EXPECT_NE(icon, nullptr);
    FreeLibrary(image);
}

TEST_F(ProgramCopy, LogonTaskModeReportsItsResult) {
    ProcessResult result = Run(L"--uninstall-startup --debug-log");
    EXPECT_EQ(result.exitCode, 0u) << "removing a missing task succeeds";
    EXPECT_NE(DebugLog().find("] startup task remove: ok (com=0x00000000)\r\n"), std::string::npos) << DebugLog();

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool logonTasks = StartupTask::BuildDefinition(exe_) != nullptr;
    CoUninitialize();
    result = Run(L"--install-startup --uninstall-startup --debug-log");
    if (logonTasks) {
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_NE(DebugLog().find("] startup task install: ok (com=0x00000000)\r\n"), std::string::npos)
            << "install wins";
        EXPECT_EQ(Run(L"--uninstall-startup").exitCode, 0u);
    } else {
        // A scheduler that cannot make logon triggers (Wine's) fails the install.
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_NE(DebugLog().find("] startup task install: failed (com=0x00000000)\r\n"), std::string::npos)
            << "install wins";
    }
}
