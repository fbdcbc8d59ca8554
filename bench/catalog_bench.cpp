// Builds the catalog from a generated Start menu of 2000 shortcuts in 150
// folders (split over the all-users and per-user roots, with Apps-folder records
// for every shortcut), then saves it to "catalog.bin" and loads it back.
// Prints the time of each step. The shortcuts are copies of one saved through
// the shell (BenchShortcutCopies.h), so a busy machine still gets its figures.

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "BenchShortcutCopies.h"
#include "apps/AppCatalog.h"
#include "apps/CatalogCache.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 150;
constexpr int kShortcuts = 2000;

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
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
    const auto setupStart = std::chrono::steady_clock::now();
    const bench::ShortcutCopies programs(targets, "prog");
    if (!programs.Ready()) {
        std::printf("could not save the model shortcut\n");
        return 1;
    }

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
        if (!programs.Make(dir / (name + L".lnk"), i)) {
            std::printf("could not create shortcut %d\n", i);
            return 1;
        }
        records.push_back(
            {name, L"{A77F5D77-2E2B-44C3-A6A2-ABA601054A51}\\" + name + L".lnk", programs.Target(i).wstring()});
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

    // Ten links get new targets (new contents and write time).
    const bench::ShortcutCopies changedPrograms(targets, "chng");
    for (int i = 0; i < 10; ++i) {
        const int n = i * 197;
        const int folder = n % kFolders;
        const fs::path base = (n / kFolders) % 2 == 0 || folder % 5 == 0 ? common : user;
        const fs::path link =
            base / (L"Vendor " + std::to_wstring(folder)) / (L"Program " + std::to_wstring(n) + L".lnk");
        changedPrograms.Make(link, n);
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
