// Drags data as a file manager would, with the system's own drag loop:
//   drag_files.exe RESULT_FILE files|text|empty [PATH ...] -- X,Y[,PAUSE_MS|,@EVENT] ...
// A small window of its own sits under the first point and takes a real
// button-down there; the drag loop then runs while a second thread moves the
// pointer through the points (pausing where asked, or until the named event is
// set by whoever watches the target) and releases it at the last.
// RESULT_FILE receives one line: the drag loop's result and the effect, e.g.
// "DRAGDROP_S_DROP LINK". Exit code 0 once the loop ran, 2 on bad arguments.
//
// The drag loop reads the button from this thread's own message state, so the
// press must reach this thread's window before the loop starts.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "../../support/FileDropData.h"

namespace {

struct Waypoint {
    POINT at;
    DWORD pauseMs;
    std::wstring until;
};

std::vector<Waypoint> g_points;
bool g_pressed = false;

class DropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on main's stack for the whole drag.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

void SendMouse(DWORD flags, POINT at) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = static_cast<LONG>((at.x * 65536LL + 65535) / GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = static_cast<LONG>((at.y * 65536LL + 65535) / GetSystemMetrics(SM_CYSCREEN));
    SendInput(1, &input, sizeof(input));
}

// Moves in small steps, so the target sees the pointer travel.
void Travel() {
    POINT from = g_points.front().at;
    for (size_t i = 1; i < g_points.size(); ++i) {
        const POINT to = g_points[i].at;
        constexpr int kSteps = 12;
        for (int s = 1; s <= kSteps; ++s) {
            POINT at = {from.x + (to.x - from.x) * s / kSteps, from.y + (to.y - from.y) * s / kSteps};
            SendMouse(MOUSEEVENTF_MOVE, at);
            Sleep(25);
        }
        if (g_points[i].until.empty()) {
            Sleep(g_points[i].pauseMs);
        } else if (HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, g_points[i].until.c_str())) {
            WaitForSingleObject(event, 20000);
            CloseHandle(event);
        }
        from = to;
    }
    SendMouse(MOUSEEVENTF_LEFTUP, from);
}

LRESULT CALLBACK SourceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        g_pressed = true;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool ParsePoint(const wchar_t* text, Waypoint& point) {
    long x = 0, y = 0;
    unsigned long pause = 0;
    int read = swscanf(text, L"%ld,%ld,%lu", &x, &y, &pause);
    if (read < 2) return false;
    point.at = POINT{x, y};
    point.pauseMs = read == 3 ? pause : 0;
    if (const wchar_t* event = wcsstr(text, L",@")) point.until = event + 2;
    return true;
}

const wchar_t* ResultName(HRESULT hr) {
    switch (hr) {
        case DRAGDROP_S_DROP: return L"DRAGDROP_S_DROP";
        case DRAGDROP_S_CANCEL: return L"DRAGDROP_S_CANCEL";
        default: return nullptr;
    }
}

std::wstring EffectName(DWORD effect) {
    switch (effect) {
        case DROPEFFECT_NONE: return L"NONE";
        case DROPEFFECT_COPY: return L"COPY";
        case DROPEFFECT_MOVE: return L"MOVE";
        case DROPEFFECT_LINK: return L"LINK";
        default: return std::to_wstring(effect);
    }
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 5) return 2;
    const std::wstring resultPath = argv[1];
    const std::wstring kindName = argv[2];
    testing_support::DropDataKind kind;
    if (kindName == L"files") {
        kind = testing_support::DropDataKind::Files;
    } else if (kindName == L"text") {
        kind = testing_support::DropDataKind::Text;
    } else if (kindName == L"empty") {
        kind = testing_support::DropDataKind::EmptyFileList;
    } else {
        return 2;
    }
    std::vector<std::wstring> paths;
    int i = 3;
    for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) paths.push_back(argv[i]);
    for (++i; i < argc; ++i) {
        Waypoint point;
        if (!ParsePoint(argv[i], point)) return 2;
        g_points.push_back(point);
    }
    if (g_points.size() < 2) return 2;

    OleInitialize(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SourceProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"VantreelDragSource";
    RegisterClassW(&wc);
    const POINT start = g_points.front().at;
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"Drag source", WS_POPUP,
                                  start.x - 20, start.y - 20, 40, 40, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    // Press in our own window, then wait for the press to arrive here.
    SendMouse(MOUSEEVENTF_MOVE, start);
    Sleep(150);
    SendMouse(MOUSEEVENTF_LEFTDOWN, start);
    const ULONGLONG giveUp = GetTickCount64() + 10000;
    MSG msg;
    while (!g_pressed && GetTickCount64() < giveUp) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }

    HRESULT result = E_FAIL;
    DWORD effect = DROPEFFECT_NONE;
    if (g_pressed) {
        auto* data = new testing_support::FileDropData(kind, paths);
        DropSource source;
        std::thread mover(Travel);
        result = DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        mover.join();
        data->Release();
    } else {
        SendMouse(MOUSEEVENTF_LEFTUP, start);
    }

    wchar_t line[128] = {};
    const wchar_t* name = ResultName(result);
    if (name) {
        _snwprintf(line, 127, L"%s %s\n", name, EffectName(effect).c_str());
    } else {
        _snwprintf(line, 127, L"0x%08X %s\n", static_cast<unsigned>(result), EffectName(effect).c_str());
    }
    std::string narrow;
    for (const wchar_t* c = line; *c; ++c) narrow += static_cast<char>(*c);
    const std::wstring side = resultPath + L".part";
    if (FILE* file = _wfopen(side.c_str(), L"wb")) {
        fwrite(narrow.data(), 1, narrow.size(), file);
        fclose(file);
        MoveFileExW(side.c_str(), resultPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    DestroyWindow(window);
    OleUninitialize();
    return 0;
}
