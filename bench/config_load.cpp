// Cost of loading and saving a configuration at the sizes the loader takes:
// 300,000 hidden tray keys in about 3 MB, every key once in upper and once in
// lower case, so that half of them fold together (a search of the whole list
// per entry would take minutes here).

#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "config/ConfigFile.h"

int main() {
    constexpr int kHalf = 150000;
    std::string text = "{\"hiddenTrayApps\": [";
    for (int i = 0; i < 2 * kHalf; ++i) {
        text += i < kHalf ? "\"K" : "\"k";
        text += std::to_string(i % kHalf);
        text += i + 1 < 2 * kHalf ? "\"," : "\"]}";
    }
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vantreel-config-load-bench.json";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);

    double start = bench::NowMs();
    const DockConfig config = LoadConfig(path);
    const double load = bench::NowMs() - start;
    start = bench::NowMs();
    const bool saved = SaveConfig(path, config);
    const double save = bench::NowMs() - start;
    std::printf("load of %zu bytes (%zu keys kept): %.1f ms\n", text.size(), config.hiddenTrayApps.size(), load);
    std::printf("save%s: %.1f ms\n", saved ? "" : " (refused)", save);
    DeleteFileW(path.c_str());
    DeleteFileW((path + L".bak").c_str());
    return 0;
}
