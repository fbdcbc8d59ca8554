#include "apps/Uninstall.h"

#include <shellapi.h>

#include <array>
#include <string_view>

#include "apps/BuiltinIcons.h"
#include "apps/UninstallMatch.h"
#include "apps/UninstallRegistrations.h"
#include "config/PathText.h"
#include "platform/MissingFlags.h"
#include "platform/UniqueHandle.h"

namespace {

struct UninstallPlace {
    HKEY root;
    const wchar_t* path;
};

const std::array<UninstallPlace, 3> kPlaces = {{
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
}};

constexpr std::wstring_view kProtectedExecutables[] = {
    L"explorer.exe", L"notepad.exe",    L"calc.exe",   L"mspaint.exe", L"taskmgr.exe", L"control.exe",
    L"cmd.exe",      L"powershell.exe", L"msedge.exe", L"regedit.exe", L"mmc.exe",     L"mstsc.exe",
};
static_assert(std::size(kProtectedExecutables) == 12);

constexpr std::wstring_view kProtectedIds[] = {
    L"microsoft.windowsstore",
    L"microsoft.windows.photos",
    L"microsoft.windowscalculator",
    L"microsoft.windowsnotepad",
    L"microsoft.paint",
    L"microsoft.windowscamera",
    L"microsoft.windowsalarms",
    L"microsoft.screensketch",
    L"microsoft.windowsterminal",
    L"microsoft.microsoftedge",
    L"microsoft.sechealthui",
    L"microsoft.windows.sechealthui",
    L"microsoft.desktopappinstaller",
    L"microsoft.gethelp",
    L"microsoftwindows.client",
    L"windows.immersivecontrolpanel",
    L"microsoft.windows.explorer",
    L"microsoft.ui.",
    L"windows.cbspreview",
    L"shell:recyclebinfolder",
    L"microsoft.screenclip",
    L"microsoft.windowscommunicationsapps",
};
static_assert(std::size(kProtectedIds) == 22);

constexpr std::wstring_view kProtectedNames[] = {L"文件资源管理器", L"microsoft store", L"设置", L"控制面板",
                                                 L"任务管理器"};
static_assert(std::size(kProtectedNames) == 5);

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

std::wstring DirectoryKeyOf(const std::wstring& targetPath) {
    if (targetPath.empty()) return {};
    std::wstring key = NormalizePathKey(targetPath);
    if (key.rfind(L"shell:", 0) == 0) return {};
    return NormalizePathKey(ParentFolderOf(targetPath));
}

bool ShellStart(const wchar_t* verb, const std::wstring& file, const std::wstring& parameters, ProcessHandle* process) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = process ? SEE_MASK_NOCLOSEPROCESS : 0;
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    if (process && info.hProcess) process->reset(info.hProcess, platform::CloseKernelHandle());
    return true;
}

ShellStarter& Starter() {
    static ShellStarter starter = ShellStart;
    return starter;
}

size_t SkipBlanks(const std::wstring& text, size_t from = 0) {
    while (from < text.size() && (text[from] == L' ' || text[from] == L'\t')) ++from;
    return from;
}

}  // namespace

void SetUninstallShellStarterForTesting(ShellStarter starter) {
    Starter() = starter ? std::move(starter) : ShellStarter(ShellStart);
}

bool IsProtectedSystemApp(const std::wstring& name, const std::wstring& targetPath, const std::wstring& launchId) {
    const std::wstring target = NormalizePathKey(targetPath);
    if (Contains(target, L"\\windows\\") && !Contains(target, L"\\windowsapps\\")) return true;
    const std::wstring file = FileNameOf(target);
    for (auto executable : kProtectedExecutables) {
        if (file == executable) return true;
    }
    const std::wstring text = target + L" " + NormalizePathKey(launchId);
    for (auto id : kProtectedIds) {
        if (Contains(text, id)) return true;
    }
    const std::wstring nameKey = NormalizePathKey(name);
    for (auto protectedName : kProtectedNames) {
        if (nameKey == protectedName) return true;
    }
    return false;
}

std::wstring ReadUninstallValue(HKEY key, const wchar_t* valueName) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size < 2) return {};
    // Room for an odd last byte: the stored bytes need not be whole characters,
    // nor end in a terminator.
    std::wstring text((size + 1) / 2, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS) {
        return {};
    }
    // A half character is no text; the string's own terminator ends what expansion reads.
    if (bytes / 2 < text.size()) text.resize(bytes / 2);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    if (type == REG_EXPAND_SZ && !text.empty()) {
        wchar_t expanded[520];
        DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded, 520);
        if (needed > 0 && needed <= 519) text = expanded;
    }
    return text;
}

namespace {

// Every registration under the open key that names a product and a command.
UninstallRegistrationList ReadRegistrations(HKEY key) {
    UninstallRegistrationList registrations;
    for (DWORD index = 0;; ++index) {
        wchar_t subkeyName[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, subkeyName, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY subkey = nullptr;
        if (RegOpenKeyExW(key, subkeyName, 0, KEY_READ, &subkey) != ERROR_SUCCESS) continue;
        const std::wstring display = NormalizePathKey(ReadUninstallValue(subkey, L"DisplayName"));
        const std::wstring location = NormalizePathKey(ReadUninstallValue(subkey, L"InstallLocation"));
        const std::wstring icon = NormalizePathKey(ReadUninstallValue(subkey, L"DisplayIcon"));
        const std::wstring command = ReadUninstallValue(subkey, L"UninstallString");
        RegCloseKey(subkey);
        if (command.empty() || display.empty()) continue;
        registrations.push_back({display, location, icon, command});
    }
    return registrations;
}

}  // namespace

std::wstring FindUninstallString(HKEY root, const wchar_t* keyPath, const std::wstring& nameKey,
                                 const std::wstring& directoryKey) {
    auto registrations = CachedUninstallRegistrations(root, keyPath, ReadRegistrations);
    UninstallMatcher matcher(nameKey, directoryKey);
    for (const auto& entry : *registrations) {
        if (matcher.Consider(entry.display, entry.location, entry.icon, entry.command)) break;
    }
    return matcher.Result();
}

UninstallLaunch SplitUninstallCommand(const std::wstring& raw) {
    UninstallLaunch launch;
    const std::wstring command = raw.substr(SkipBlanks(raw));
    if (command.empty()) return launch;
    if (command[0] == L'"') {
        size_t close = command.find(L'"', 1);
        if (close == std::wstring::npos) return launch;
        launch.program = command.substr(1, close - 1);
        launch.parameters = command.substr(close + 1);
    } else {
        size_t blank = command.find(L' ');
        launch.program = blank == std::wstring::npos ? command : command.substr(0, blank);
        if (blank != std::wstring::npos) launch.parameters = command.substr(blank + 1);
    }
    launch.parameters = launch.parameters.substr(SkipBlanks(launch.parameters));
    if (Contains(NormalizePathKey(launch.program), L"msiexec")) {
        size_t install = launch.parameters.find(L"/I");
        if (install == std::wstring::npos) install = launch.parameters.find(L"/i");
        if (install != std::wstring::npos) launch.parameters[install + 1] = L'X';
    }
    return launch;
}

bool RunUninstallCommand(const std::wstring& command, ProcessHandle* process) {
    UninstallLaunch launch = SplitUninstallCommand(command);
    if (launch.program.empty()) return false;
    if (Starter()(L"open", launch.program, launch.parameters, process)) return true;
    if (GetLastError() != ERROR_ELEVATION_REQUIRED) return false;
    return Starter()(L"runas", launch.program, launch.parameters, process);
}

bool CanUninstallApp(const std::wstring& name, const std::wstring& targetPath, const std::wstring& launchId) {
    if (IsProtectedSystemApp(name, targetPath, launchId)) return false;
    const std::wstring nameKey = NormalizePathKey(name);
    const std::wstring directoryKey = DirectoryKeyOf(targetPath);
    for (const auto& place : kPlaces) {
        if (!FindUninstallString(place.root, place.path, nameKey, directoryKey).empty()) return true;
    }
    return launchId.find(L'!') != std::wstring::npos;
}

bool UninstallApp(const std::wstring& name, const std::wstring& targetPath, ProcessHandle* process) {
    const std::wstring nameKey = NormalizePathKey(name);
    const std::wstring directoryKey = DirectoryKeyOf(targetPath);
    for (const auto& place : kPlaces) {
        std::wstring command = FindUninstallString(place.root, place.path, nameKey, directoryKey);
        if (!command.empty() && RunUninstallCommand(command, process)) return true;
    }
    return Starter()(L"open", L"ms-settings:appsfeatures", L"", nullptr);
}
