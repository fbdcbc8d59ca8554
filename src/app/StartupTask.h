#pragma once
// Start at logon: a Task Scheduler task "Vantreel" in the root folder that
// runs the executable when the user's logon session exists, with the per-user
// Run value as the fallback. Every function runs in the caller's COM apartment
// and never throws.

#include <taskschd.h>
#include <wrl/client.h>

#include <functional>
#include <string>

namespace StartupTask {

// A new definition for this executable; null on failure.
Microsoft::WRL::ComPtr<ITaskDefinition> BuildDefinition(const std::wstring& exePath);
bool Register(ITaskDefinition* definition);
Microsoft::WRL::ComPtr<IRegisteredTask> OpenTask(ITaskService* service);
bool IsInstalled();
// True also when there was no task.
bool Uninstall();
// The path of the task's executable action; empty when there is none.
std::wstring GetActionPath();

}  // namespace StartupTask

// The task store and the executable's path as the auto-start switch and its
// repair see them; the real task store and GetModuleFileNameW by default.
// Tests put a store of their own in place where logon tasks cannot be made.
struct AutoStartCalls {
    std::function<std::wstring()> executablePath;
    std::function<bool(const std::wstring& exePath)> registerTask;  // build and register
    std::function<bool()> isInstalled;
    std::function<std::wstring()> actionPath;
    std::function<bool()> uninstall;
};
AutoStartCalls& AutoStartSystem();

std::wstring GetCurrentUserName();
void RemoveRunKeyEntry();
bool IsAutoStartEnabled();
// The same on a worker of its own, with the calls as they are now; `answer`
// runs on that worker (on the caller's thread when no worker can start). The
// Task Scheduler can take a few hundred milliseconds to say.
void ReadAutoStartOnWorker(std::function<void(bool enabled)> answer);
bool SetAutoStart(bool on);
// One-time repair after start-up: a Run value becomes a task, a task that
// points elsewhere (the program moved) is pointed here.
void MigrateAutoStart();
// The same on a worker of its own: the Task Scheduler is a service whose
// answers can take seconds while the user logs on.
void MigrateAutoStartOnWorker();
