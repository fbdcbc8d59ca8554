#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "support/UnixCommand.h"
#include "support/WindowProgram.h"
#include "system/ForegroundApp.h"

using vantreel::AppDisplayNameFromExe;
using vantreel::ForegroundAppInfo;
using vantreel::GetForegroundAppInfo;
using testing_support::WaitFor;
using testing_support::WindowProgram;

namespace {

// A left click in the window's middle through the X server, as a user's click.
void ClickWithXdotool(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    ASSERT_TRUE(testing_support::RunUnixCommand(L"/usr/bin/xdotool mousemove " +
                                                std::to_wstring((rect.left + rect.right) / 2) + L" " +
                                                std::to_wstring((rect.top + rect.bottom) / 2) + L" click 1"));
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool IsDesktopRecord(const ForegroundAppInfo& info) {
    return !info.hwnd && info.displayName == L"桌面" && info.exePath.empty() && !info.topmost && !info.zoomed;
}

const std::wstring kProbeClass = L"VantreelForegroundProbe";

std::wstring HelperCopy(const testing_support::TempDir& folder, const wchar_t* name) {
    const std::wstring copy = folder.File(name);
    CopyFileW((testing_support::BinDir() + L"\\foreground_window_gui.exe").c_str(), copy.c_str(), FALSE);
    return copy;
}

}  // namespace

TEST(ForegroundAppTest, DisplayNamesComeFromTheFileStem) {
    EXPECT_EQ(vantreel::ExeFileStem(L"C:\\a\\b.c.exe"), L"b.c");
    EXPECT_EQ(vantreel::ExeFileStem(L"C:/tools/.profile"), L".profile");
    EXPECT_EQ(vantreel::ExeFileStem(L"C:\\x\\.."), L"..");
    EXPECT_EQ(vantreel::ExeFileStem(L"noext"), L"noext");
    EXPECT_EQ(AppDisplayNameFromExe(L"C:\\a\\b.c.exe", nullptr), L"b.c");
    EXPECT_EQ(AppDisplayNameFromExe(L"D:\\Apps\\WeChat.exe", nullptr), L"微信");
    EXPECT_EQ(AppDisplayNameFromExe(L"C:\\Program Files\\Microsoft VS Code\\Code.exe", nullptr),
              L"Visual Studio Code");
    EXPECT_EQ(AppDisplayNameFromExe(L"C:\\tools\\codex.exe", nullptr), L"codex") << "stems compare whole";
    EXPECT_EQ(AppDisplayNameFromExe(L"C:\\tools\\", nullptr), L"应用");
}

TEST(ForegroundAppTest, WineNotepadClickedToTheFront) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepadPath = std::wstring(system) + L"\\notepad.exe";
    WindowProgram notepad(notepadPath, L"");
    ASSERT_TRUE(notepad.Window());
    ClickWithXdotool(notepad.Window());
    ForegroundAppInfo info;
    ASSERT_TRUE(WaitFor([&] {
        info = GetForegroundAppInfo(nullptr);
        return info.hwnd == notepad.Window();
    }));
    EXPECT_EQ(info.displayName, L"记事本");
    EXPECT_EQ(Lower(info.exePath), Lower(notepadPath));
    EXPECT_FALSE(info.zoomed);

    ShowWindow(notepad.Window(), SW_MAXIMIZE);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundAppInfo(nullptr).zoomed; }));
}

TEST(ForegroundAppTest, ProgramsAreNamedByTheirImageFile) {
    testing_support::TempDir folder;
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"NOTEPAD.EXE", L"记事本"}, {L"MyTool.exe", L"MyTool"}, {L"ApplicationFrameHost.exe", L"Calculator"}};
    for (const auto& [file, name] : cases) {
        const std::wstring copy = HelperCopy(folder, file);
        WindowProgram program(copy, kProbeClass + L" Calculator");
        ASSERT_TRUE(program.Window()) << testing_support::ToUtf8(file);
        ForegroundAppInfo info;
        ASSERT_TRUE(WaitFor([&] {
            info = GetForegroundAppInfo(nullptr);
            return info.hwnd == program.Window();
        })) << testing_support::ToUtf8(file);
        EXPECT_EQ(info.displayName, name);
        EXPECT_EQ(Lower(info.exePath), Lower(copy));
        if (std::wstring(file) == L"ApplicationFrameHost.exe") {
            SetWindowTextW(program.Window(), L"");
            EXPECT_EQ(GetForegroundAppInfo(nullptr).displayName, L"ApplicationFrameHost");
        }
    }
}

TEST(ForegroundAppTest, OwnWindowInFrontKeepsThePreviousApplication) {
    testing_support::TempDir folder;
    WindowProgram program(HelperCopy(folder, L"MyTool.exe"), kProbeClass + L" Tool");
    ASSERT_TRUE(program.Window());
    ForegroundAppInfo previous;
    ASSERT_TRUE(WaitFor([&] {
        previous = GetForegroundAppInfo(nullptr);
        return previous.hwnd == program.Window();
    }));
    EXPECT_FALSE(previous.topmost);

    HWND own = CreateWindowExW(0, L"STATIC", L"own window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200, 120,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(own);
    SetForegroundWindow(own);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == own; }));
    SetWindowPos(program.Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(own);

    ForegroundAppInfo kept = GetForegroundAppInfo(&previous);
    EXPECT_EQ(kept.hwnd, program.Window());
    EXPECT_EQ(kept.displayName, L"MyTool");
    EXPECT_EQ(kept.exePath, previous.exePath);
    EXPECT_TRUE(kept.topmost) << "flags are read again";
    EXPECT_TRUE(IsDesktopRecord(GetForegroundAppInfo(nullptr)));

    program.Close();
    ASSERT_EQ(GetForegroundWindow(), own);
    EXPECT_TRUE(IsDesktopRecord(GetForegroundAppInfo(&previous)));
    DestroyWindow(own);
}

TEST(ForegroundAppTest, ShellWindowsInFrontGiveTheDesktop) {
    const std::wstring helper = testing_support::BinDir() + L"\\foreground_window_gui.exe";
    for (const wchar_t* shellClass : {L"Shell_TrayWnd", L"WorkerW"}) {
        WindowProgram program(helper, std::wstring(shellClass) + L" Shell");
        ASSERT_TRUE(program.Window());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.Window(); }));
        EXPECT_TRUE(IsDesktopRecord(GetForegroundAppInfo(nullptr))) << testing_support::ToUtf8(shellClass);
    }
}
