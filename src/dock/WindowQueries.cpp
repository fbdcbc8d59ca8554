#include "dock/WindowQueries.h"

#include <dwmapi.h>
#include <propkey.h>
#include <propsys.h>
#include <shellapi.h>
#include <wrl/client.h>

#include "platform/UniqueHandle.h"

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

}  // namespace

bool IsShellWindowClass(HWND hwnd) {
    wchar_t cls[64] = {};
    if (GetClassNameW(hwnd, cls, 64) == 0) return true;
    const std::wstring_view name(cls);
    return name == L"Shell_TrayWnd" || name == L"Shell_SecondaryTrayWnd" || name == L"Progman" || name == L"WorkerW" ||
           name == L"Windows.UI.Core.CoreWindow";
}

std::wstring GetProcessImagePathForWindow(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == 0) return {};
    const platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return {};
    wchar_t buffer[520] = {};
    DWORD size = 520;
    if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &size)) return {};
    return std::wstring(buffer, size);
}

std::wstring GetWindowTitle(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

bool IsWindowCloaked(HWND hwnd) {
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(hwnd, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

std::wstring GetWindowAppUserModelId(HWND hwnd) {
    Microsoft::WRL::ComPtr<IPropertyStore> store;
    if (FAILED(SHGetPropertyStoreForWindow(hwnd, IID_PPV_ARGS(&store))) || !store) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring id;
    if (SUCCEEDED(store->GetValue(PKEY_AppUserModel_ID, &value)) && value.vt == VT_LPWSTR && value.pwszVal) {
        id = value.pwszVal;
    }
    PropVariantClear(&value);
    return id;
}

WindowQueries SystemWindowQueries() {
    WindowQueries q;
    q.foregroundWindow = [] { return GetForegroundWindow(); };
    q.topLevelWindows = [] {
        std::vector<HWND> windows;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        return windows;
    };
    q.isWindow = [](HWND h) { return IsWindow(h) != FALSE; };
    q.isVisible = [](HWND h) { return IsWindowVisible(h) != FALSE; };
    q.isIconic = [](HWND h) { return IsIconic(h) != FALSE; };
    q.isCloaked = IsWindowCloaked;
    q.isShellWindowClass = IsShellWindowClass;
    q.processId = [](HWND h) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        return pid;
    };
    q.style = [](HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); };
    q.exStyle = [](HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)); };
    q.owner = [](HWND h) { return GetWindow(h, GW_OWNER); };
    q.windowRect = [](HWND h, RECT* r) { return GetWindowRect(h, r) != FALSE; };
    q.titleLength = [](HWND h) { return GetWindowTextLengthW(h); };
    q.title = GetWindowTitle;
    q.imagePath = GetProcessImagePathForWindow;
    q.appUserModelId = GetWindowAppUserModelId;
    return q;
}
