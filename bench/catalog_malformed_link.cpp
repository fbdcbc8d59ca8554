// What one malformed shortcut in a Start-menu folder costs: a 110-byte link
// whose LinkInfo block claims 0xFFFFFFFF bytes, beside two good links in the
// same folder. Times a catalog build from nothing and the icon extraction of
// that link, each in a process of its own with the growth of its peak commit
// and peak working set, first without the bad link (the baseline), then with it.

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "apps/AppCatalog.h"
#include "apps/IconExtraction.h"

using Microsoft::WRL::ComPtr;
namespace fs = std::filesystem;

namespace {

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) &&
           SUCCEEDED(shellLink->SetPath(target.c_str())) && SUCCEEDED(shellLink.As(&file)) &&
           SUCCEEDED(file->Save(link.c_str(), TRUE));
}

// Header with HasLinkInfo, then a LinkInfo size of 0xFFFFFFFF, 110 bytes in all.
void WriteMalformedLink(const std::wstring& path) {
    std::string bytes(110, '\0');
    const unsigned char header[20] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    std::memcpy(bytes.data(), header, sizeof header);
    bytes[20] = 0x02;  // flags: HasLinkInfo
    std::memset(bytes.data() + 0x4C, 0xFF, 4);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
}

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

template <typename F>
void Measure(const char* what, F f) {
    const PROCESS_MEMORY_COUNTERS before = Counters();
    const auto start = std::chrono::steady_clock::now();
    f();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const PROCESS_MEMORY_COUNTERS after = Counters();
    const auto growth = [](SIZE_T peak, SIZE_T now) {
        return peak > now ? static_cast<double>(peak - now) / (1024.0 * 1024.0) : 0.0;
    };
    std::printf("%-30s %9.1f ms  peak commit +%8.1f MiB  peak working set +%8.1f MiB\n", what, ms,
                growth(after.PeakPagefileUsage, before.PagefileUsage),
                growth(after.PeakWorkingSetSize, before.WorkingSetSize));
}

// One measured step in a process of its own, so each peak is its own.
int RunStep(const std::wstring& step, const fs::path& root) {
    const bool bad = step.ends_with(L"bad");
    const fs::path programs = root / (bad ? L"with" : L"without");
    CatalogSources sources;
    sources.commonPrograms = programs.wstring();
    sources.userPrograms = (root / L"user").wstring();
    sources.appsFolder = [] { return std::vector<AppsFolderItem>{}; };
    ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    const std::wstring link = (programs / L"Vendor" / (bad ? L"Broken.lnk" : L"One.lnk")).wstring();
    auto icon = [&] {
        IconBitmap bitmap;
        if (!ExtractShellItemImage(factory.Get(), L"", link, 48, true, bitmap))
            ExtractFileIcon(factory.Get(), link, bitmap);
    };
    // The shell warmed up on a good link, as in the running program.
    const std::wstring warm = (root / L"without" / L"Vendor" / L"Two.lnk").wstring();
    IconBitmap warmBitmap;
    ExtractShellItemImage(factory.Get(), L"", warm, 48, true, warmBitmap);
    CatalogSources warmSources = sources;
    warmSources.commonPrograms = (root / L"without").wstring();
    EnumerateInstalledApps(warmSources);
    if (step.starts_with(L"build")) {
        size_t members = 0;
        Measure(bad ? "build with the malformed link" : "build, good links only", [&] {
            const std::vector<InstalledApp> catalog = EnumerateInstalledApps(sources);
            members = catalog.empty() ? 0 : catalog[0].children.size();
        });
        std::printf("  (folder members: %llu)\n", static_cast<unsigned long long>(members));
    } else {
        Measure(bad ? "icon of the malformed link" : "icon of a good link", icon);
    }
    return 0;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t tempBase[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempBase);
    const fs::path root = fs::path(tempBase) / L"vtcat_malformed";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc > 1) return RunStep(argv[1], root);

    std::error_code ec;
    fs::remove_all(root, ec);
    for (const wchar_t* variant : {L"without", L"with"}) {
        const fs::path folder = root / variant / L"Vendor";
        fs::create_directories(folder, ec);
        for (const wchar_t* name : {L"One", L"Two"}) {
            const fs::path target = root / (std::wstring(name) + L".exe");
            HANDLE file =
                CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            MakeShortcut((folder / (std::wstring(name) + L".lnk")).wstring(), target.wstring());
        }
    }
    WriteMalformedLink((root / L"with" / L"Vendor" / L"Broken.lnk").wstring());
    fflush(stdout);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const wchar_t* step : {L"build-good", L"icon-good", L"build-bad", L"icon-bad"}) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" " + step;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
            std::printf("could not start the step\n");
            return 1;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    fs::remove_all(root, ec);
    CoUninitialize();
    return 0;
}
