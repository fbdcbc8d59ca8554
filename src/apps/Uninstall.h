#pragma once
// Uninstalling a catalog application: find its registration among the
// uninstall entries installers leave in the registry and run that entry's
// command through the shell; system components are never offered, and the
// installed-apps settings page is the last resort.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

bool IsProtectedSystemApp(const std::wstring& name, const std::wstring& targetPath, const std::wstring& launchId);
bool CanUninstallApp(const std::wstring& name, const std::wstring& targetPath, const std::wstring& launchId);
// A started program's process, closed with its last copy; empty when the
// shell handed out none (a settings page, a program already running).
using ProcessHandle = std::shared_ptr<void>;

// With process, the started uninstaller's process is handed back.
bool UninstallApp(const std::wstring& name, const std::wstring& targetPath, ProcessHandle* process = nullptr);

// The chosen registration's uninstall command under one key, or empty.
std::wstring FindUninstallString(HKEY root, const wchar_t* keyPath, const std::wstring& nameKey,
                                 const std::wstring& directoryKey);
std::wstring ReadUninstallValue(HKEY key, const wchar_t* valueName);
bool RunUninstallCommand(const std::wstring& command, ProcessHandle* process = nullptr);

// The program and parameters a command line is started with (msiexec's
// install switch turned into its remove switch).
struct UninstallLaunch {
    std::wstring program;
    std::wstring parameters;
};
UninstallLaunch SplitUninstallCommand(const std::wstring& command);

// What starts programs; tests record instead. Returns true when started; sets
// the last error like ShellExecuteExW.
using ShellStarter = std::function<bool(const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                                        ProcessHandle* process)>;
void SetUninstallShellStarterForTesting(ShellStarter starter);
