// Builds the catalog from a generated Start menu of 2000 shortcuts in 150
// folders (split over the all-users and per-user roots, with Apps-folder records
// for every shortcut), then saves it to "catalog.bin" and loads it back.
// Prints the time of each step.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "apps/AppCatalog.h"
#include "apps/CatalogCache.h"

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 150;
constexpr int kShortcuts = 2000;

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) &&
           SUCCEEDED(shellLink->SetPath(target.c_str())) && SUCCEEDED(shellLink.As(&file)) &&
           SUCCEEDED(file->Save(link.c_str(), TRUE));
}

template <typename F>
double Median(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t tempBase[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempBase);
    // One fixed folder, so that the catalogs two builds of the program write
    // (the "catalog.bin" copy named on the command line) can be compared.
    const fs::path root = fs::path(tempBase) / L"vtcat_bench";
    std::error_code removed;
    fs::remove_all(root, removed);
    const fs::path common = root / L"common", user = root / L"user", targets = root / L"targets";
    std::error_code ec;
    fs::create_directories(targets, ec);

    const auto setupStart = std::chrono::steady_clock::now();
    CatalogSources sources;
    sources.commonPrograms = common.wstring();
    sources.userPrograms = user.wstring();
    std::vector<AppsFolderItem> records;
    for (int i = 0; i < kShortcuts; ++i) {
        const int folder = i % kFolders;
        // Every fifth folder name appears under both roots, as vendors' folders do.
        const fs::path base = (i / kFolders) % 2 == 0 || folder % 5 == 0 ? common : user;
        const fs::path dir = base / (L"Vendor " + std::to_wstring(folder));
        fs::create_directories(dir, ec);
        const std::wstring name = L"Program " + std::to_wstring(i);
        const fs::path target = targets / (L"prog" + std::to_wstring(i) + L".exe");
        HANDLE file =
            CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (!MakeShortcut((dir / (name + L".lnk")).wstring(), target.wstring())) {
            std::printf("could not create shortcut %d\n", i);
            return 1;
        }
        records.push_back({name, L"{A77F5D77-2E2B-44C3-A6A2-ABA601054A51}\\" + name + L".lnk", target.wstring()});
    }
    records.push_back({L"Packaged App", L"Contoso.App_8wekyb3d8bbwe!App", L""});
    sources.appsFolder = [&records] { return records; };
    std::printf("generated %d shortcuts in %d folders in %.0f ms\n", kShortcuts, kFolders,
                Milliseconds(std::chrono::steady_clock::now() - setupStart));

    sources.readings = std::make_shared<ShortcutReadings>();
    std::vector<InstalledApp> catalog;
    const double build = Median(1, [&] { catalog = EnumerateInstalledApps(sources); });
    size_t members = 0;
    for (const auto& entry : catalog) members += entry.children.size();
    std::printf("cold build: %.1f ms, %llu entries, %llu folder members\n", build,
                static_cast<unsigned long long>(catalog.size()), static_cast<unsigned long long>(members));

    bool rebuiltOk = true;
    const double unchanged = Median(3, [&] { rebuiltOk = EnumerateInstalledApps(sources) == catalog && rebuiltOk; });
    std::printf("rebuild, nothing changed: %.1f ms (median of 3)%s\n", unchanged,
                rebuiltOk ? "" : " - DIFFERS FROM THE COLD BUILD");

    // Ten links get new targets (new contents, size and write time).
    for (int i = 0; i < 10; ++i) {
        const int n = i * 197;
        const int folder = n % kFolders;
        const fs::path base = (n / kFolders) % 2 == 0 || folder % 5 == 0 ? common : user;
        const fs::path link =
            base / (L"Vendor " + std::to_wstring(folder)) / (L"Program " + std::to_wstring(n) + L".lnk");
        MakeShortcut(link.wstring(), (targets / (L"changed_prog" + std::to_wstring(n) + L".exe")).wstring());
    }
    std::vector<InstalledApp> changed;
    const double afterChange = Median(1, [&] { changed = EnumerateInstalledApps(sources); });
    CatalogSources fresh = sources;
    fresh.readings = nullptr;
    const bool changedOk = changed != catalog && changed == EnumerateInstalledApps(fresh);
    std::printf("rebuild after 10 links changed: %.1f ms%s\n", afterChange,
                changedOk ? "" : " - DIFFERS FROM A BUILD FROM SCRATCH");
    catalog = changed;

    const std::wstring cachePath = (root / L"catalog.bin").wstring();
    const double save = Median(5, [&] { SaveCatalogCacheTo(cachePath, catalog); });
    std::printf("save catalog.bin: %.2f ms (median of 5), %llu bytes\n", save,
                static_cast<unsigned long long>(fs::file_size(cachePath, ec)));

    bool loadedOk = true;
    const double load = Median(20, [&] {
        std::vector<InstalledApp> loaded;
        loadedOk = LoadCatalogCacheFrom(cachePath, loaded) && loaded == catalog && loadedOk;
    });
    std::printf("load catalog.bin: %.2f ms (median of 20)%s\n", load, loadedOk ? "" : " - LOAD MISMATCH");

    if (argc > 1) CopyFileW(cachePath.c_str(), fs::path(argv[1]).wstring().c_str(), FALSE);
    fs::remove_all(root, ec);
    CoUninitialize();
    return loadedOk ? 0 : 1;
}
