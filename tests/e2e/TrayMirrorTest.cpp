// The program mirrors the notification area from start-up: with the stand-in
// tray and two owner applications running, its monitor thread lists them, drops
// one whose owner is killed, and the program still ends cleanly on WM_CLOSE.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DockProcess.h"

using namespace testing_support;

namespace {

struct Helper {
    PROCESS_INFORMATION pi = {};
    ~Helper() { Kill(); }
    bool Start(const std::wstring& exe, const std::wstring& args) {
        std::wstring line = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si = {};
    si.cb = sizeof(si);
        return CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
    }
    void Kill() {
        if (!pi.hProcess) return;
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        pi = {};
    }
};

std::string ReadText(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The owner's message-only window, from its out file ("m <hwnd hex>").
std::wstring OwnerWindow(const std::wstring& outFile) {
    if (!WaitUntil([&] { return FileExists(outFile); }, 10000)) return L"";
    std::string text = ReadText(outFile);
    size_t at = text.find("\nm ");
    if (at == std::string::npos) return L"";
    std::string hex = text.substr(at + 3, text.find('\n', at + 3) - at - 3);
    return std::wstring(hex.begin(), hex.end());
}

}  // namespace

TEST(TrayMirror, ProgramListsTrayIconsAndDropsAKilledOwner) {
    TempDir apps;
    std::wstring first = apps.File(L"TrayFirst.exe"), second = apps.File(L"TraySecond.exe");
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\tray_owner_gui.exe").c_str(), first.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\tray_owner_gui.exe").c_str(), second.c_str(), FALSE));
    Helper ownerA, ownerB, tray;
    ASSERT_TRUE(ownerA.Start(first, L"--windows m --out \"" + apps.File(L"a.out") + L"\""));
    ASSERT_TRUE(ownerB.Start(second, L"--windows m --out \"" + apps.File(L"b.out") + L"\""));
    std::wstring a = OwnerWindow(apps.File(L"a.out")), b = OwnerWindow(apps.File(L"b.out"));
    ASSERT_FALSE(a.empty() || b.empty());
    ASSERT_TRUE(tray.Start(BinDir() + L"\\fake_tray_gui.exe",
                           L"--out \"" + apps.File(L"t.out") + L"\" \"" + a + L",1,0,v,First\" \"" + b +
                               L",1,0,h,Second\""));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(apps.File(L"t.out")); }, 10000));

    DockProcess dock;
    ASSERT_TRUE(dock.Start(TestDockConfig(), L"--debug-log --keep-taskbar"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::string log = dock.DebugLog();
            size_t pass = log.find("TrayMonitor: pass 0 finished in ");
            return pass != std::string::npos && log.substr(pass, log.find('\n', pass) - pass).find(" ms (ok=1)") != std::string::npos &&
                   log.find("TrayMonitor: 2 live icons: First[hidden] Second[hidden] ") != std::string::npos;
        },
        5000))
        << dock.DebugLog();

    // A killed owner's windows go with it, so the stand-in tray's button for it
    // no longer names a live window: the next pass lists the other icon alone.
    ownerA.Kill();
    EXPECT_TRUE(WaitUntil(
        [&] { return dock.DebugLog().find("TrayMonitor: 1 live icons: Second[hidden] ") != std::string::npos; }, 5000))
        << dock.DebugLog();

    EXPECT_EQ(dock.CloseAndWait(), 0u) << "the monitor thread never holds the program up";
    EXPECT_FALSE(FileExists(dock.Folder().File(L"Vantreel-crash.log")));
    tray.Kill();
}
