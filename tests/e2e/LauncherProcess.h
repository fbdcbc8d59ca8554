#pragma once
// The launcher's end-to-end fixtures: a Start menu of helper shortcuts, the
// Alt+Space hotkey from SendInput, and the screen's pixels.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "support/KeyPresses.h"
#include "support/ScreenDc.h"
#include "support/TestSupport.h"

namespace launcher_e2e {

using Microsoft::WRL::ComPtr;
using testing_support::BinDir;
using testing_support::PressAltSpace;
using testing_support::TempDir;

inline std::wstring ProgramsFolder() {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

inline bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target, const wchar_t* arguments = L"",
                         const std::wstring& folder = L"") {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
    link->SetPath(target.c_str());
    link->SetArguments(arguments);
    link->SetWorkingDirectory(folder.c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

// Shortcuts in the user's Programs folder, each to its own copy of a helper
// program with an icon (the catalog drops shortcuts to the same program):
// "VtApp 01".. at the top level, or the folder "VtSuite" of three, and with
// a probe "VtProbe", whose copy leaves its command line and folder in ProbeFile() when
// started. Removed again at the end.
class TestStartMenu {
public:
    TestStartMenu(int topLevel, bool suite, bool probe = false) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        programs_ = ProgramsFolder();
        suite_ = programs_ + L"\\VtSuite";
        ok_ = !programs_.empty() && (!suite || CreateDirectoryW(suite_.c_str(), nullptr) != FALSE);
        const std::wstring helper = BinDir() + L"\\launcher_app.exe";
        const int total = topLevel + (suite ? 3 : 0);
        for (int i = 1; i <= total && ok_; ++i) {
            wchar_t number[8];
            _snwprintf(number, 8, L"%02d", i);
            const bool member = i > topLevel;
            const std::wstring name = member ? L"VtSuite " + std::wstring(1, static_cast<wchar_t>(L'A' + i - topLevel - 1))
                                             : L"VtApp " + std::wstring(number);
            const std::wstring exe = bin_.File(L"vt" + std::wstring(number) + L".exe");
            ok_ = CopyFileW(helper.c_str(), exe.c_str(), FALSE) != FALSE;
            const std::wstring link = (member ? suite_ : programs_) + L"\\" + name + L".lnk";
            ok_ = ok_ && MakeShortcut(link, exe);
            links_.push_back(link);
        }
        if (probe && ok_) {
            probe_ = bin_.File(L"vtprobe.exe");
            ok_ = CopyFileW(helper.c_str(), probe_.c_str(), FALSE) && CreateDirectoryW(ProbeFolder().c_str(), nullptr);
            links_.push_back(programs_ + L"\\VtProbe.lnk");
            ok_ = ok_ && MakeShortcut(links_.back(), probe_, L"--open \"my notes.txt\"", ProbeFolder());
        }
    }
    ~TestStartMenu() {
        for (const std::wstring& link : links_) DeleteFileW(link.c_str());
        RemoveDirectoryW(suite_.c_str());
        CoUninitialize();
    }
    bool Ready() const { return ok_; }
    std::wstring ProbeFile() const { return probe_ + L".ran"; }
    std::wstring ProbeFolder() const { return bin_.File(L"notes"); }  // the probe shortcut's working folder
    std::wstring ProbeText() const {
        const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(ProbeFile());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    // One more member of "VtSuite", to a copy of its own; the file its start leaves, or empty.
    std::wstring AddSuiteMember(const std::wstring& name) {
        const std::wstring exe = bin_.File(name + L".exe");
        links_.push_back(suite_ + L"\\" + name + L".lnk");
        const bool made = CopyFileW((BinDir() + L"\\launcher_app.exe").c_str(), exe.c_str(), FALSE);
        return made && MakeShortcut(links_.back(), exe) ? exe + L".ran" : std::wstring();
    }

private:
    TempDir bin_;
    std::wstring programs_;
    std::wstring suite_;
    std::wstring probe_;
    std::vector<std::wstring> links_;
    bool ok_ = false;
};

inline bool Shown(HWND window) { return window && IsWindowVisible(window); }

// The screen's pixels inside a rectangle, as 0x00RRGGBB.
struct ScreenShot {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y - top) * static_cast<size_t>(width) + static_cast<size_t>(x - left)];
    }
};

inline ScreenShot Capture(const RECT& r) {
    ScreenShot shot;
    shot.left = r.left;
    shot.top = r.top;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    shot.pixels = CaptureScreenDc(r);
    for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
    return shot;
}

inline size_t ColoursIn(const ScreenShot& shot, float left, float top, float right, float bottom) {
    std::set<uint32_t> colours;
    for (int y = shot.top + static_cast<int>(top); y < shot.top + static_cast<int>(bottom); ++y) {
        for (int x = shot.left + static_cast<int>(left); x < shot.left + static_cast<int>(right); ++x) {
            colours.insert(shot.At(x, y));
        }
    }
    return colours.size();
}

inline int Brightness(uint32_t p) { return static_cast<int>((p & 255) + ((p >> 8) & 255) + ((p >> 16) & 255)); }


}  // namespace launcher_e2e
