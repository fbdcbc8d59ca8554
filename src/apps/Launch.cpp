#include "apps/Launch.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/Log.h"
#include "apps/LinkFileCheck.h"
#include "apps/PathNames.h"
#include "apps/ShortcutChain.h"
#include "config/PathText.h"

namespace {

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsShellNamespacePath(const std::wstring& key) { return StartsWith(key, L"shell:") || StartsWith(key, L"::{"); }

INT_PTR RealShellOpen(const std::wstring& file, const std::wstring& parameters) {
    return reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), OrNull(parameters), nullptr, SW_SHOWNORMAL));
}

bool RealShellOpenEx(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                     DWORD& error) {
    if (!IsLinkFileSound(file)) return error = ERROR_BAD_FORMAT, false;  // the callers log the refusal
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = OrNull(parameters);
    info.lpDirectory = OrNull(directory);
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    error = GetLastError();
    return false;
}

bool IsProgramFile(const std::wstring& key) {
    const std::wstring extension = ExtensionOf(key);
    return extension == L".exe" || extension == L".com" || extension == L".bat" || extension == L".cmd";
}

bool RealSelectInFolder(const std::wstring& path) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr)) || !list) return false;
    SHOpenFolderAndSelectItems(list, 0, nullptr, 0);
    CoTaskMemFree(list);
    return true;
}

}  // namespace

LaunchOps DefaultLaunchOps() { return LaunchOps{RealShellOpen, RealShellOpenEx, RealSelectInFolder}; }

std::wstring ExpandLaunchTarget(const std::wstring& target) {
    const std::wstring path = ExpandKnownFolderPath(target);
    if (path.find(L'%') == std::wstring::npos) return path;
    const DWORD needed = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(path.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return path;
    expanded.resize(written - 1);
    return expanded;
}

std::wstring LaunchWorkingDirectory(const std::wstring& expanded) {
    const std::wstring key = NormalizePathKey(expanded);
    if (key.find(L"\\windowsapps\\") != std::wstring::npos) return {};
    if (key.find(L':') != std::wstring::npos && key.find(L":\\") == std::wstring::npos) return {};
    std::wstring parent = ParentFolderOf(expanded);
    return IsExistingDirectory(parent) ? parent : std::wstring();
}

bool LaunchApp(const std::wstring& target, const std::wstring& arguments) {
    return LaunchApp(target, arguments, DefaultLaunchOps());
}

namespace {

bool StartWithShell(const std::wstring& expanded, const std::wstring& arguments, const std::wstring& directory,
                    const LaunchOps& ops) {
    DWORD error = 0;
    if (!ops.shellOpenEx(expanded, arguments, directory, error)) {
        LogMessage(L"LaunchApp failed (%lu) for %s", error, expanded.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool LaunchApp(const std::wstring& target, const std::wstring& arguments, const LaunchOps& ops) {
    if (target.empty()) return false;
    const std::wstring expanded = ExpandLaunchTarget(target);
    const std::wstring key = NormalizePathKey(expanded);

    if (IsShellNamespacePath(key)) {
        return ops.shellOpen(L"explorer.exe", expanded) > 32;
    }
    if ((key == L"explorer.exe" || EndsWith(key, L"\\explorer.exe")) && arguments.empty()) {
        if (ops.shellOpen(L"explorer.exe", L"") > 32) return true;
    }

    if (!ShortcutChainIsSafe(expanded)) return false;
    // A shortcut brings its own working folder.
    const std::wstring directory = IsShortcutPath(expanded) ? std::wstring() : LaunchWorkingDirectory(expanded);
    return StartWithShell(expanded, arguments, directory, ops);
}

bool LaunchShellApp(const std::wstring& id) { return LaunchShellApp(id, DefaultLaunchOps()); }

bool LaunchShellApp(const std::wstring& id, const LaunchOps& ops) {
    if (id.empty()) return false;
    const std::wstring expanded = ExpandLaunchTarget(id);
    const std::wstring key = NormalizePathKey(expanded);

    enum class Kind { ShellPath, File, AppId, Neither };
    Kind kind;
    if (IsShellNamespacePath(key)) {
        kind = Kind::ShellPath;
    } else if (GetFileAttributesW(expanded.c_str()) != INVALID_FILE_ATTRIBUTES) {
        kind = Kind::File;
    } else if (expanded.find(L'\\') != std::wstring::npos || (expanded.size() > 1 && expanded[1] == L':')) {
        // An application id never holds a backslash or starts with a drive:
        // this is a path, with or without a '!' in a folder's name.
        kind = Kind::Neither;
    } else if (expanded.find(L'!') != std::wstring::npos) {
        kind = Kind::AppId;
    } else if (expanded.find(L'/') != std::wstring::npos) {
        kind = Kind::Neither;
    } else {
        kind = Kind::AppId;
    }

    switch (kind) {
        case Kind::File: {
            if (!ShortcutChainIsSafe(expanded)) return false;
            const std::wstring directory = IsProgramFile(key) ? LaunchWorkingDirectory(expanded) : std::wstring();
            DWORD error = 0;
            if (!ops.shellOpenEx(expanded, L"", directory, error)) {
                LogMessage(L"LaunchShellApp: cannot run '%s' (err=%lu)", expanded.c_str(), error);
                return false;
            }
            return true;
        }
        case Kind::ShellPath:
        case Kind::AppId: {
            const std::wstring parameters = kind == Kind::AppId ? L"shell:AppsFolder\\" + expanded : expanded;
            if (ops.shellOpen(L"explorer.exe", parameters) <= 32) {
                LogMessage(L"LaunchShellApp: explorer could not open '%s'", parameters.c_str());
                return false;
            }
            return true;
        }
        case Kind::Neither:
            break;
    }
    LogMessage(L"LaunchShellApp: '%s' is neither a file nor an AppsFolder id", id.c_str());
    return false;
}

void OpenFileLocation(const std::wstring& path) { OpenFileLocation(path, DefaultLaunchOps()); }

void OpenFileLocation(const std::wstring& path, const LaunchOps& ops) {
    if (path.empty()) return;
    const std::wstring expanded = ExpandKnownFolderPath(path);
    if (ops.selectInFolder(expanded)) return;
    const std::wstring parent = ParentFolderOf(expanded);
    if (IsExistingDirectory(parent)) ops.shellOpen(parent, L"");
}

namespace {

// The shortcut is gone: what it held still starts, in the folder it named.
EntryLaunch PlanHeldTarget(const InstalledApp& app, const std::wstring& shortcut) {
    const std::wstring target = ExpandLaunchTarget(app.targetPath);
    const bool exists = !target.empty() && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!exists || !ShortcutChainIsSafe(target)) {
        LogMessage(L"Launch refused: %s is gone, and its target %s cannot start", shortcut.c_str(), target.c_str());
        return {};
    }
    std::wstring directory = ExpandLaunchTarget(app.workingFolder);
    if (!IsExistingDirectory(directory)) directory = LaunchWorkingDirectory(target);
    LogMessage(L"Launch: %s is gone; starting its target %s", shortcut.c_str(), target.c_str());
    return {EntryLaunch::Way::Target, target, app.arguments, directory};
}

}  // namespace

EntryLaunch PlanEntryLaunch(const InstalledApp& app) {
    const std::wstring& start = StartPathOf(app);
    const std::wstring expanded = ExpandLaunchTarget(start);
    if (!app.shortcutPath.empty() && IsShortcutPath(expanded) && IsMissingDrivePath(expanded)) {
        return PlanHeldTarget(app, expanded);
    }
    std::wstring end = expanded;
    if (IsShortcutPath(expanded)) {
        const ShortcutChain chain = FollowShortcutChain(expanded);
        if (!AcceptShortcutChain(expanded, chain)) return {};
        end = chain.last;
    }
    if (IsMissingDrivePath(end)) {
        LogMessage(L"Launch refused: %s leads to %s, which is gone", start.c_str(), end.c_str());
        return {};
    }
    return {EntryLaunch::Way::ShellApp, start, {}, {}};
}

bool StartEntryLaunch(const EntryLaunch& launch) { return StartEntryLaunch(launch, DefaultLaunchOps()); }

bool StartEntryLaunch(const EntryLaunch& launch, const LaunchOps& ops) {
    switch (launch.way) {
        case EntryLaunch::Way::ShellApp:
            return LaunchShellApp(launch.file, ops);
        case EntryLaunch::Way::Target:
            return StartWithShell(launch.file, launch.arguments, launch.directory, ops);
        case EntryLaunch::Way::Nothing:
            break;
    }
    return false;
}
