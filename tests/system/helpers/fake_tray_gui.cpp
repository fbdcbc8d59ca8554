// Stands in for the shell's classic tray: a top-level "NotifyIconOverflowWindow"
// holding a real toolbar whose buttons point at {owner window, icon id,
// callback message} records and tooltips in this process's memory, as the
// shell's own toolbars do.
//
//   fake_tray_gui.exe [--out FILE] [--stop-pumping] [--late-answers MS] BUTTON...
//   BUTTON = <owner hwnd hex>,<uID>,<callback>,<v|h>,<tooltip | ~ for none>
// A tooltip's "\n" stands for a line feed. --out receives the toolbar's handle;
// --stop-pumping stops serving messages right after that; --late-answers answers
// every TB_GETBUTTON MS late, and the exit code counts the answers that found
// the asker's page in this process released (0 when each one could be written).
// Gives up after a minute.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct IconRecord {
    uint64_t ownerWindow;
    uint32_t uID;
    uint32_t callbackMessage;
};

constexpr UINT_PTR kGiveUpTimer = 1;
WNDPROC g_toolbarProc = nullptr;
DWORD g_lateMs = 0;
int g_answersLost = 0;

LRESULT CALLBACK LateToolbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TB_GETBUTTON) {
        Sleep(g_lateMs);
        MEMORY_BASIC_INFORMATION page = {};
        if (!VirtualQuery(reinterpret_cast<void*>(lp), &page, sizeof(page)) || page.State != MEM_COMMIT) {
            ++g_answersLost;
            return FALSE;
        }
    }
    return CallWindowProcW(g_toolbarProc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK TrayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kGiveUpTimer) {
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t sep, size_t parts) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (out.size() + 1 < parts) {
        size_t cut = text.find(sep, start);
        if (cut == std::wstring::npos) break;
        out.push_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    out.push_back(text.substr(start));
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring outFile;
    bool stopPumping = false;
    static IconRecord records[64];
    static std::wstring tips[64];
    std::vector<TBBUTTON> buttons;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--out" && i + 1 < argc) {
            outFile = argv[++i];
        } else if (arg == L"--stop-pumping") {
            stopPumping = true;
        } else if (arg == L"--late-answers" && i + 1 < argc) {
            g_lateMs = wcstoul(argv[++i], nullptr, 10);
        } else if (buttons.size() < 64) {
            std::vector<std::wstring> f = Split(arg, L',', 5);
            if (f.size() != 5) return 3;
            size_t n = buttons.size();
            records[n] = {wcstoull(f[0].c_str(), nullptr, 16), static_cast<uint32_t>(wcstoul(f[1].c_str(), nullptr, 10)),
                          static_cast<uint32_t>(wcstoul(f[2].c_str(), nullptr, 10))};
            std::wstring tip = f[4];
            for (size_t at; (at = tip.find(L"\\n")) != std::wstring::npos;) tip.replace(at, 2, L"\n");
            tips[n] = tip;
            TBBUTTON b = {};
            b.iBitmap = I_IMAGENONE;
            b.idCommand = static_cast<int>(100 + n);
            b.fsState = static_cast<BYTE>(TBSTATE_ENABLED | (f[3] == L"h" ? TBSTATE_HIDDEN : 0));
            b.fsStyle = BTNS_BUTTON;
            b.dwData = reinterpret_cast<DWORD_PTR>(&records[n]);
            b.iString = f[4] == L"~" ? static_cast<INT_PTR>(-1) : reinterpret_cast<INT_PTR>(tips[n].c_str());
            buttons.push_back(b);
        }
    }

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TrayProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"NotifyIconOverflowWindow";
    if (!RegisterClassW(&wc)) return 1;
    HWND tray = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 200, 40, nullptr, nullptr,
                                instance, nullptr);
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | TBSTYLE_LIST, 0, 0, 200, 40, tray, nullptr,
                                   instance, nullptr);
    if (!tray || !toolbar) return 2;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!buttons.empty()) SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SetTimer(tray, kGiveUpTimer, 60000, nullptr);
    if (g_lateMs)
        g_toolbarProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LateToolbarProc)));

    if (!outFile.empty()) {
        FILE* out = _wfopen(outFile.c_str(), L"w");
        if (out) {
            fprintf(out, "%llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(toolbar)));
            fclose(out);
        }
    }
    if (stopPumping) {
        Sleep(60000);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return g_answersLost;
}
