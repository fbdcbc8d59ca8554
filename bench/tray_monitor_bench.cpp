// Tray monitor figures: CPU and wall time of one pass over 20 icons, once on the
// classic-toolbar path (the stand-in tray with 20 owner processes under 20 names)
// and once on the registry path (20 entries, rectangles answered from a record);
// then the icon pictures of 20 executables (LoadFileIcon at 48 and a template).
// Targets: under 5 ms CPU per pass; under 50 ms for the 20 pictures.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <wincodec.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "system/tray/TrayFileIcon.h"
#include "system/tray/TrayIconPixels.h"
#include "system/tray/TrayLegacyToolbars.h"
#include "system/tray/TrayMonitor.h"

namespace {

constexpr int kIcons = 20;
constexpr int kPasses = 100;

std::wstring BinDir() {
    wchar_t path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, len);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring Hex(uint64_t v) {
    wchar_t t[32];
    _snwprintf(t, 31, L"%llx", static_cast<unsigned long long>(v));
    t[31] = 0;
    return t;
}

HANDLE Start(const std::wstring& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The helper's file, once it is there (it appears whole, by a rename).
std::string WaitRead(const std::wstring& path) {
    bench::WaitFor([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, bench::kLeastWaitMs,
                   20);
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return {};
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) text.append(buffer, n);
    fclose(f);
    return text;
}

uint64_t ThreadCpu100ns() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return ticks(kernel) + ticks(user);
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / f.QuadPart;
}

void Measure(const char* label, const TraySources& sources) {
    TrayState state;
    TraySuppression suppression;
    TrayPassMemory memory;
    RunTrayPass(memory, sources, state, suppression);  // warm caches
    size_t listed = state.icons.size();
    uint64_t cpu0 = ThreadCpu100ns();
    LARGE_INTEGER w0, w1;
    QueryPerformanceCounter(&w0);
    for (int i = 0; i < kPasses; ++i) RunTrayPass(memory, sources, state, suppression);
    QueryPerformanceCounter(&w1);
    uint64_t cpu = ThreadCpu100ns() - cpu0;
    printf("%s: %llu icons listed; CPU %.3f ms per pass (target < 5), wall %.3f ms per pass\n", label,
           static_cast<unsigned long long>(listed), cpu / 10000.0 / kPasses, Seconds(w0, w1) * 1000.0 / kPasses);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"vantreel_tray_bench";
    CreateDirectoryW(folder.c_str(), nullptr);

    std::vector<HANDLE> processes;
    std::vector<std::wstring> exes;
    std::vector<HWND> owners;
    std::wstring buttons;
    for (int i = 0; i < kIcons; ++i) {
        std::wstring exe = folder + L"\\BenchApp" + std::to_wstring(i) + L".exe";
        CopyFileW((BinDir() + L"\\tray_owner_gui.exe").c_str(), exe.c_str(), FALSE);
        std::wstring out = folder + L"\\owner" + std::to_wstring(i) + L".out";
        DeleteFileW(out.c_str());
        processes.push_back(Start(exe, L"--windows m --out \"" + out + L"\""));
        std::string text = WaitRead(out);
        size_t at = text.find("\nm ");
        HWND w = at == std::string::npos
                     ? nullptr
                     : reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(text.c_str() + at + 3, nullptr, 16)));
        exes.push_back(exe);
        owners.push_back(w);
        buttons += L" \"" + Hex(reinterpret_cast<uintptr_t>(w)) + L"," + std::to_wstring(i) + L",0,h,Bench app " +
                   std::to_wstring(i) + L"\"";
    }
    std::wstring trayOut = folder + L"\\tray.out";
    DeleteFileW(trayOut.c_str());
    HANDLE tray = Start(BinDir() + L"\\fake_tray_gui.exe", L"--out \"" + trayOut + L"\"" + buttons);
    WaitRead(trayOut);

    Measure("classic toolbar path", SystemTraySources(nullptr));
    {
        TraySources parts = SystemTraySources(nullptr);
        TraySources only = parts;
        only.readLegacy = [](std::vector<TrayIconInfo>&) { return false; };
        only.readSettings = [](const RunningExeMap&) { return std::vector<NotifyIconSetting>(); };
        Measure("  snapshot only", only);
        uint64_t c0 = ThreadCpu100ns();
        for (int i = 0; i < kPasses; ++i) CloseHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        printf("  of which the process list alone: CPU %.3f ms\n", (ThreadCpu100ns() - c0) / 10000.0 / kPasses);
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        std::vector<TrayIconInfo> icons;
        for (int i = 0; i < kPasses; ++i) ReadLegacyTrayToolbars(icons);
        QueryPerformanceCounter(&b);
        printf("  toolbar read only: wall %.3f ms\n", Seconds(a, b) * 1000.0 / kPasses);
        RunningExeMap running = SnapshotProcesses();
        QueryPerformanceCounter(&a);
        for (int i = 0; i < kPasses; ++i)
            for (auto& icon : icons) CheckTrayIconAlive(icon, running, parts);
        QueryPerformanceCounter(&b);
        printf("  liveness only: wall %.3f ms\n", Seconds(a, b) * 1000.0 / kPasses);
    }
    TerminateProcess(tray, 0);
    WaitForSingleObject(tray, 5000);
    CloseHandle(tray);

    // Registry path: one entry per owner; rectangles and tray items from a record.
    std::vector<std::wstring> keys;
    std::map<HWND, RECT> rects;
    std::vector<UiaNotifyItem> items;
    for (int i = 0; i < kIcons; ++i) {
        std::wstring name = L"Control Panel\\NotifyIconSettings\\VantreelBench" + std::to_wstring(i);
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        std::wstring tip = L"Bench app " + std::to_wstring(i);
        DWORD uid = static_cast<DWORD>(i), promoted = i % 2;
        RegSetValueExW(key, L"ExecutablePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(exes[i].c_str()),
                       static_cast<DWORD>((exes[i].size() + 1) * 2));
        RegSetValueExW(key, L"InitialTooltip", 0, REG_SZ, reinterpret_cast<const BYTE*>(tip.c_str()),
                       static_cast<DWORD>((tip.size() + 1) * 2));
        RegSetValueExW(key, L"UID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&uid), 4);
        RegSetValueExW(key, L"IsPromoted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&promoted), 4);
        RegCloseKey(key);
        keys.push_back(name);
        RECT r = {i * 24, 0, i * 24 + 24, 24};
        rects[owners[i]] = r;
        items.push_back(UiaNotifyItem{r, tip, false});
    }
    TraySources registry = SystemTraySources(nullptr);
    registry.readLegacy = [](std::vector<TrayIconInfo>&) { return false; };
    registry.collectUia = [&items](std::vector<UiaNotifyItem>& out) {
        out = items;
        return true;
    };
    registry.iconRect = [&rects](HWND w, uint32_t, RECT& r) {
        auto it = rects.find(w);
        if (it == rects.end()) return E_FAIL;
        r = it->second;
        return S_OK;
    };
    registry.log = [](const std::wstring&) {};
    Measure("registry path", registry);
    for (const std::wstring& name : keys) RegDeleteKeyW(HKEY_CURRENT_USER, name.c_str());
    for (HANDLE p : processes) {
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }

    // Pictures of 20 executables that carry an icon (the prefix's own programs,
    // repeated when there are fewer), then of data files that take the shell's
    // type icon instead.
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    std::vector<std::wstring> withIcons;
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    for (const std::wstring& dir : {std::wstring(windows), std::wstring(system)}) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((dir + L"\\*.exe").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring path = dir + L"\\" + data.cFileName;
            if (ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0) > 0) withIcons.push_back(path);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::vector<std::wstring> programs;
    for (size_t i = 0; !withIcons.empty() && programs.size() < kIcons; ++i)
        programs.push_back(withIcons[i % withIcons.size()]);
    auto pictures = [&](const std::vector<std::wstring>& paths, int& made) {
        LARGE_INTEGER p0, p1;
        QueryPerformanceCounter(&p0);
        made = 0;
        for (const std::wstring& path : paths) {
            std::vector<uint8_t> icon = LoadFileIcon(path, factory.Get(), 48);
            if (!MakeTemplateIcon(icon, 48, true).empty()) ++made;
        }
        QueryPerformanceCounter(&p1);
        return Seconds(p0, p1) * 1000.0;
    };
    int made = 0;
    double ms = pictures(programs, made);
    printf("icon pictures: %d of %llu executables (%llu distinct) in %.2f ms (target < 50)\n", made,
           static_cast<unsigned long long>(programs.size()), static_cast<unsigned long long>(withIcons.size()), ms);
    std::vector<std::wstring> dataFiles;
    for (int i = 0; i < kIcons; ++i) dataFiles.push_back(folder + L"\\data" + std::to_wstring(i) + L".txt");
    ms = pictures(dataFiles, made);
    printf("  type icons of %d data files: %.2f ms\n", made, ms);
    return 0;
}
