// Files dragged onto the running dock from another process with the system's
// own drag loop: shortcuts dropped between two icons are pinned there as their
// targets and launch with their arguments; drags that pin nothing leave the
// dock at rest and its file as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "XPointer.h"
#include "config/ConfigFile.h"
#include "config/PathText.h"
#include "platform/UniqueHandle.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr float kSlotDip = 56.0f;  // a 48 dip icon and its 8 dip gap; also the gap a drag opens
// After a hover the row comes to rest up to a few pixels wider than before any
// hover; a gap left open would be a whole slot.
constexpr int kRestSlackPx = 6;

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\" + name;
}

PinnedApp Pin(const std::wstring& name, const std::wstring& path) {
    return PinnedApp{name, path, L"", NormalizePathKey(path)};
}

bool MakeLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

std::string PointArg(POINT p, DWORD pauseMs = 0) {
    std::string text = std::to_string(p.x) + "," + std::to_string(p.y);
    if (pauseMs) text += "," + std::to_string(pauseMs);
    return text;
}

// A point where the drag helper holds until this event is set, once the dock
// shows what the test waits for there; a pause of PointArg is a hand's pace.
std::wstring GapEventName() { return L"Local\\VantreelDropGap" + std::to_wstring(GetCurrentProcessId()); }
std::string GapPoint(POINT p) { return PointArg(p) + ",@" + ToUtf8(GapEventName()); }

class DockDrop : public ::testing::Test {
protected:
    void SetUp() override {
        scale_ = static_cast<float>(GetDpiForSystem()) / 96.0f;
        comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_TRUE(XMoveTo({5, 5})) << "xdotool is needed to move the X pointer";
    }

    void TearDown() override {
        if (dock_.IsRunning()) dock_.CloseAndWait();
        if (comReady_) CoUninitialize();
    }

    bool Start(std::vector<PinnedApp> pinned) {
        DockConfig config = TestDockConfig();
        config.pinned = std::move(pinned);
        return StartAndWaitForWindowList(dock_, config, kStartTimeoutMs);
    }

    RECT RestingInput() { return RestingInputRect(dock_); }

    // The drag moves the system's idea of the pointer, not the X server's, so
    // xdotool alone cannot take it off the dock again: the system's pointer
    // is put away too, and the dock sees a plain leave.
    RECT RestingInputAfterDrag() {
        SetCursorPos(5, 5);
        XMoveTo({6, 6});
        return RestingInput();
    }

    int Px(float dip) const { return static_cast<int>(dip * scale_ + 0.5f); }

    POINT IconPoint(const RECT& input, int index) const {
        return POINT{input.left + Px(10 + 12 + index * kSlotDip + 24), input.bottom - Px(6 + 8 + 24)};
    }

    // A point well above the dock, where the drag starts.
    POINT Above(const RECT& input) const { return POINT{(input.left + input.right) / 2, input.top - Px(220)}; }

    struct DragOutcome {
        std::string result;  // "DRAGDROP_S_DROP LINK", ...
        LONG widestInput = 0;
    };

    // Runs the drag helper and watches the input window's width meanwhile; a
    // point given as GapPoint holds the drag there until the dock's input window
    // is `gapWidth` wide, as the dock opens its gap in its own time.
    DragOutcome Drag(const std::string& kind, const std::vector<std::wstring>& paths,
                     const std::vector<std::string>& points, LONG gapWidth = 0) {
        DragOutcome outcome;
        const platform::UniqueHandle gap(CreateEventW(nullptr, TRUE, FALSE, GapEventName().c_str()));
        const std::wstring resultPath = files_.File(L"drag-result.txt");
        DeleteFileW(resultPath.c_str());
        const std::wstring exe = BinDir() + L"\\drag_files.exe";
        std::wstring commandLine = L"\"" + exe + L"\" \"" + resultPath + L"\" " + std::wstring(kind.begin(), kind.end());
        for (const auto& path : paths) commandLine += L" \"" + path + L"\"";
        commandLine += L" --";
        for (const auto& point : points) commandLine += L" " + std::wstring(point.begin(), point.end());
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            ADD_FAILURE() << "drag_files.exe did not start";
            return outcome;
        }
        const ULONGLONG end = GetTickCount64() + 30000;
        while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT && GetTickCount64() < end) {
            RECT now = {};
            GetWindowRect(dock_.InputWindow(), &now);
            outcome.widestInput = std::max(outcome.widestInput, now.right - now.left);
            if (gapWidth && outcome.widestInput >= gapWidth) SetEvent(gap.get());
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            ADD_FAILURE() << "the drag did not end";
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        auto bytes = ReadFileBytes(resultPath);
        outcome.result.assign(bytes.begin(), bytes.end());
        while (!outcome.result.empty() && (outcome.result.back() == '\n' || outcome.result.back() == '\r')) {
            outcome.result.pop_back();
        }
        return outcome;
    }

    DockConfig SavedConfig() const { return LoadConfig(dock_.Folder().File(L"vantreel.json")); }

    float scale_ = 1.0f;
    bool comReady_ = false;
    TempDir files_;
    DockProcess dock_;
};

}  // namespace

TEST_F(DockDrop, ShortcutsDroppedBetweenTwoIconsArePinnedThereAndLaunchWithTheirArguments) {
    const std::wstring recorder = BinDir() + L"\\record_launch.exe";
    const std::wstring tracked = BinDir() + L"\\tracked_window_gui.exe";
    const std::wstring recorderLink = files_.File(L"Recorder.lnk");
    const std::wstring trackedLink = files_.File(L"Tracked.lnk");
    ASSERT_TRUE(MakeLink(recorderLink, recorder, L"--dropped \"two words\""));
    ASSERT_TRUE(MakeLink(trackedLink, tracked, L"--close-after-ms 500"));
    const std::wstring record = files_.File(L"launch.txt");
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", record.c_str());
    bool started = Start({Pin(L"Notepad", WindowsFile(L"notepad.exe")), Pin(L"Regedit", WindowsFile(L"regedit.exe")),
                          Pin(L"Help", WindowsFile(L"hh.exe"))});
    SetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", nullptr);
    ASSERT_TRUE(started) << "the dock did not start";

    const RECT rest = RestingInput();
    const LONG restWidth = rest.right - rest.left;
    const POINT first = IconPoint(rest, 1);
    const POINT second = IconPoint(rest, 2);
    const POINT between = {(first.x + second.x) / 2, first.y};
    DragOutcome drop = Drag("files", {recorderLink, trackedLink}, {PointArg(Above(rest)), GapPoint(between)},
                            restWidth + Px(kSlotDip));
    EXPECT_EQ(drop.result, "DRAGDROP_S_DROP LINK");
    EXPECT_GE(drop.widestInput, restWidth + Px(kSlotDip)) << "the gap opened while the files hovered";

    ASSERT_TRUE(WaitUntil([&] { return SavedConfig().pinned.size() == 5; }, 10000)) << dock_.ConfigFileText();
    const DockConfig saved = SavedConfig();
    EXPECT_EQ(saved.pinned[0].name, L"Notepad");
    EXPECT_EQ(NormalizePathKey(saved.pinned[1].path), NormalizePathKey(recorder)) << "the target, not the link";
    EXPECT_EQ(saved.pinned[1].args, L"--dropped \"two words\"");
    EXPECT_EQ(NormalizePathKey(saved.pinned[2].path), NormalizePathKey(tracked));
    EXPECT_EQ(saved.pinned[2].args, L"--close-after-ms 500");
    EXPECT_EQ(saved.pinned[3].name, L"Regedit");
    EXPECT_EQ(saved.pinned[4].name, L"Help");

    // The dropped recorder is the second application now.
    const RECT after = RestingInputAfterDrag();
    EXPECT_NEAR(after.right - after.left, restWidth + 2 * Px(kSlotDip), kRestSlackPx) << "two more icons at rest";
    ASSERT_TRUE(XClickAt(IconPoint(after, 2)));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 10000)) << "the dropped program did not start";
    auto bytes = ReadFileBytes(record);
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(text.data(), bytes.data(), text.size() * 2);
    EXPECT_EQ(text.substr(0, text.find(L"cwd:")), L"args:\n--dropped\ntwo words\n");
}

TEST_F(DockDrop, DragsThatPinNothingLeaveTheDockAtRestAndTheFileUnchanged) {
    const std::wstring notepad = WindowsFile(L"notepad.exe");
    ASSERT_TRUE(Start({Pin(L"Notepad", notepad), Pin(L"Regedit", WindowsFile(L"regedit.exe"))}));
    const RECT rest = RestingInput();
    const LONG restWidth = rest.right - rest.left;
    const POINT over = IconPoint(rest, 1);
    const std::string fileBefore = dock_.ConfigFileText();

    // Over the dock and away again.
    DragOutcome left = Drag("files", {WindowsFile(L"winhlp32.exe")},
                            {PointArg(Above(rest)), GapPoint(over), PointArg(Above(rest), 300)},
                            restWidth + Px(kSlotDip));
    EXPECT_GE(left.widestInput, restWidth + Px(kSlotDip)) << "the gap opened while the file hovered";
    RECT now = RestingInputAfterDrag();
    EXPECT_NEAR(now.right - now.left, restWidth, kRestSlackPx) << "and closed when it left";

    // Text shows the no-drop cursor and changes nothing.
    DragOutcome text = Drag("text", {}, {PointArg(Above(rest)), PointArg(over, 300)});
    EXPECT_NE(text.result.find(" NONE"), std::string::npos) << text.result;

    // A file list with no files: the gap that opened closes again.
    DragOutcome empty = Drag("empty", {}, {PointArg(Above(rest)), PointArg(over, 300)});
    EXPECT_NE(empty.result.find(" NONE"), std::string::npos) << empty.result;
    now = RestingInputAfterDrag();
    EXPECT_NEAR(now.right - now.left, restWidth, kRestSlackPx) << "nothing stays open after a drop that yields nothing";

    // A program that is pinned already is not pinned twice.
    DragOutcome again = Drag("files", {notepad}, {PointArg(Above(rest)), PointArg(over, 300)});
    EXPECT_EQ(again.result, "DRAGDROP_S_DROP LINK");
    now = RestingInputAfterDrag();
    EXPECT_NEAR(now.right - now.left, restWidth, kRestSlackPx);

    EXPECT_EQ(dock_.ConfigFileText(), fileBefore);
}
