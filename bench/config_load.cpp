// Cost of loading and saving a configuration at the sizes the loader takes,
// beside a small file of the usual ~20 keys:
// - 300,000 distinct hidden tray keys in about 3 MB, more than the writer's
//   layout fits, so the load includes the cut that makes it savable;
// - 300,000 keys of which half fold together (each once in upper and once in
//   lower case): a search of the whole list per entry would take minutes here.

#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "config/ConfigFile.h"

namespace {

std::wstring BenchPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Removes the file and every copy the loader kept of it.
void RemoveWithCopies(const std::wstring& path) {
    DeleteFileW(path.c_str());
    WIN32_FIND_DATAW found;
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    HANDLE find = FindFirstFileW((path + L".bak*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(find, &found));
    FindClose(find);
}

std::string TrayKeysText(int count, bool folding) {
    std::string text = "{\"hiddenTrayApps\": [";
    text.reserve(static_cast<size_t>(count) * 11);
    for (int i = 0; i < count; ++i) {
        const int key = folding ? i % (count / 2) : i;
        text += folding && i < count / 2 ? "\"K" : "\"k";
        text += std::to_string(key);
        text += i + 1 < count ? "\"," : "\"]}";
    }
    return text;
}

std::string SmallText() {
    DockConfig config;
    config.pinned = {{L"记事本", L"C:\\windows\\notepad.exe", L"", L"c:\\windows\\notepad.exe"},
                     {L"计算器", L"C:\\windows\\system32\\calc.exe", L"", L"c:\\windows\\system32\\calc.exe"}};
    config.hiddenApps = {L"c:\\tools\\a.exe"};
    return DockConfig::ToJson(config);
}

void Time(const char* label, const wchar_t* name, const std::string& text, int rounds) {
    const std::wstring path = BenchPath(name);
    double best = 0.0, save = 0.0;
    ConfigLoad load;
    bool saved = false;
    for (int round = 0; round < rounds; ++round) {
        WriteText(path, text);
        const double start = bench::NowMs();
        load = LoadConfigFile(path);
        const double took = bench::NowMs() - start;
        if (round == 0 || took < best) best = took;
        const double saveStart = bench::NowMs();
        saved = SaveConfig(path, load.config);
        save = bench::NowMs() - saveStart;
        RemoveWithCopies(path);
    }
    std::printf("%s: load of %llu bytes (%llu tray keys kept%s): %.1f ms (best of %d); save%s: %.1f ms\n", label,
                static_cast<unsigned long long>(text.size()),
                static_cast<unsigned long long>(load.config.hiddenTrayApps.size()), load.cut ? ", cut" : "", best,
                rounds, saved ? "" : " (refused)", save);
}

}  // namespace

int main() {
    Time("300,000 distinct tray keys", L"vantreel-config-load-bench-large.json", TrayKeysText(300000, false), 3);
    Time("300,000 tray keys, half folding", L"vantreel-config-load-bench-folding.json", TrayKeysText(300000, true), 3);
    Time("small file", L"vantreel-config-load-bench-small.json", SmallText(), 20);
    return 0;
}
