#include "app/StartupTask.h"
#include "platform/ExceptionGuard.h"

#include <oleauto.h>

#include <system_error>

#include "platform/Log.h"
#include "platform/DetachedThread.h"
#include "platform/LogonTrigger.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kTaskName[] = L"Vantreel";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Vantreel";
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80070002);

// A BSTR for the length of one call.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return value_; }

private:
    BSTR value_;
};

ComPtr<ITaskService> ConnectService() {
    ComPtr<ITaskService> service;
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service)))) {
        return nullptr;
    }
    VARIANT empty;
    VariantInit(&empty);
    if (FAILED(service->Connect(empty, empty, empty, empty))) return nullptr;
    return service;
}

ComPtr<ITaskFolder> RootFolder(ITaskService* service) {
    ComPtr<ITaskFolder> folder;
    Bstr root(L"\\");
    if (!service || FAILED(service->GetFolder(root, &folder))) return nullptr;
    return folder;
}

std::wstring ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return {};
    return std::wstring(path, len);
}

std::wstring ParentFolder(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

bool RunValueExists() {
    DWORD size = 0;
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

std::wstring RunValue() {
    wchar_t text[520] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return {};
    }
    return text;
}

bool RegisterFor(const std::wstring& path) {
    ComPtr<ITaskDefinition> definition = StartupTask::BuildDefinition(path);
    return definition && StartupTask::Register(definition.Get());
}

}  // namespace

std::wstring GetCurrentUserName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size)) return {};
    return name;
}

namespace StartupTask {

ComPtr<ITaskDefinition> BuildDefinition(const std::wstring& exePath) {
    ComPtr<ITaskService> service = ConnectService();
    ComPtr<ITaskDefinition> definition;
    if (!service || FAILED(service->NewTask(0, &definition))) return nullptr;

    ComPtr<IRegistrationInfo> info;
    if (SUCCEEDED(definition->get_RegistrationInfo(&info))) {
        info->put_Author(Bstr(L"Vantreel"));
        info->put_Description(
            Bstr(L"Starts the Vantreel shell as soon as the logon session exists, in parallel with explorer.exe."));
    }
    ComPtr<IPrincipal> principal;
    if (SUCCEEDED(definition->get_Principal(&principal))) {
        principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN);
        principal->put_RunLevel(TASK_RUNLEVEL_LUA);
    }
    ComPtr<ITaskSettings> settings;
    if (SUCCEEDED(definition->get_Settings(&settings))) {
        settings->put_Enabled(VARIANT_TRUE);
        settings->put_StartWhenAvailable(VARIANT_FALSE);
        settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
        settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
        settings->put_AllowHardTerminate(VARIANT_TRUE);
        settings->put_ExecutionTimeLimit(Bstr(L"PT0S"));
        settings->put_MultipleInstances(TASK_INSTANCES_IGNORE_NEW);
        settings->put_Priority(8);
        settings->put_RestartCount(2);
        settings->put_RestartInterval(Bstr(L"PT1M"));
        ComPtr<IIdleSettings> idle;
        if (SUCCEEDED(settings->get_IdleSettings(&idle))) idle->put_StopOnIdleEnd(VARIANT_FALSE);
    }

    ComPtr<ITriggerCollection> triggers;
    ComPtr<ITrigger> trigger;
    if (FAILED(definition->get_Triggers(&triggers)) || FAILED(triggers->Create(TASK_TRIGGER_LOGON, &trigger))) {
        return nullptr;
    }
    ComPtr<ILogonTrigger> logon;
    if (SUCCEEDED(trigger.As(&logon))) {
        logon->put_Id(Bstr(L"VantreelLogon"));
        logon->put_Delay(Bstr(L"PT0S"));
        std::wstring user = GetCurrentUserName();
        if (!user.empty()) logon->put_UserId(Bstr(user));
    }

    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (FAILED(definition->get_Actions(&actions)) || FAILED(actions->Create(TASK_ACTION_EXEC, &action)) ||
        FAILED(action.As(&exec))) {
        return nullptr;
    }
    exec->put_Path(Bstr(exePath));
    exec->put_Arguments(Bstr(L""));
    exec->put_WorkingDirectory(Bstr(ParentFolder(exePath)));
    return definition;
}

bool Register(ITaskDefinition* definition) {
    if (!definition) return false;
    ComPtr<ITaskFolder> folder = RootFolder(ConnectService().Get());
    if (!folder) return false;
    VARIANT user;
    VariantInit(&user);
    std::wstring name = GetCurrentUserName();
    user.vt = VT_BSTR;
    user.bstrVal = SysAllocString(name.c_str());
    VARIANT none;
    VariantInit(&none);
    VARIANT noDescriptor;  // VT_EMPTY: no security descriptor
    VariantInit(&noDescriptor);
    ComPtr<IRegisteredTask> registered;
    HRESULT hr = folder->RegisterTaskDefinition(Bstr(kTaskName), definition, TASK_CREATE_OR_UPDATE, user, none,
                                                TASK_LOGON_INTERACTIVE_TOKEN, noDescriptor, &registered);
    VariantClear(&user);
    if (FAILED(hr)) {
        LogMessage(L"StartupTask: RegisterTaskDefinition failed 0x%08X", static_cast<unsigned>(hr));
        return false;
    }
    return true;
}

ComPtr<IRegisteredTask> OpenTask(ITaskService* service) {
    ComPtr<ITaskFolder> folder = RootFolder(service);
    ComPtr<IRegisteredTask> task;
    if (!folder || FAILED(folder->GetTask(Bstr(kTaskName), &task))) return nullptr;
    return task;
}

bool IsInstalled() {
    ComPtr<ITaskService> service = ConnectService();
    return service && OpenTask(service.Get());
}

bool Uninstall() {
    ComPtr<ITaskFolder> folder = RootFolder(ConnectService().Get());
    if (!folder) return false;
    HRESULT hr = folder->DeleteTask(Bstr(kTaskName), 0);
    return SUCCEEDED(hr) || hr == kNotFound;
}

std::wstring GetActionPath() {
    ComPtr<ITaskService> service = ConnectService();
    ComPtr<IRegisteredTask> task = service ? OpenTask(service.Get()) : nullptr;
    ComPtr<ITaskDefinition> definition;
    ComPtr<IActionCollection> actions;
    LONG count = 0;
    if (!task || FAILED(task->get_Definition(&definition)) || FAILED(definition->get_Actions(&actions)) ||
        FAILED(actions->get_Count(&count))) {
        return {};
    }
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IAction> action;
        ComPtr<IExecAction> exec;
        BSTR path = nullptr;
        if (SUCCEEDED(actions->get_Item(i, &action)) && SUCCEEDED(action.As(&exec)) &&
            SUCCEEDED(exec->get_Path(&path)) && path) {
            std::wstring result(path, SysStringLen(path));
            SysFreeString(path);
            return result;
        }
    }
    return {};
}

}  // namespace StartupTask

void RemoveRunKeyEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, kRunValue);
    RegCloseKey(key);
}

AutoStartCalls& AutoStartSystem() {
    static AutoStartCalls calls{ExecutablePath, RegisterFor, StartupTask::IsInstalled, StartupTask::GetActionPath,
                                StartupTask::Uninstall};
    return calls;
}

bool IsAutoStartEnabled() { return AutoStartSystem().isInstalled() || RunValueExists(); }

void ReadAutoStartOnWorker(std::function<void(bool enabled)> answer) {
    // A copy: the caller may put other calls in place while the worker runs.
    auto read = [calls = AutoStartSystem(), answer = std::move(answer)] {
        bool enabled = false;
        try {
            enabled = calls.isInstalled() || RunValueExists();
        } catch (...) {
            platform::LogCaughtException(L"Auto-start: reading the state failed:");
        }
        answer(enabled);
    };
    try {
        platform::StartDetachedThread([read] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            read();
            if (SUCCEEDED(com)) CoUninitialize();
        });
    } catch (const std::system_error&) {
        read();
    }
}

bool SetAutoStart(bool on) {
    const AutoStartCalls& system = AutoStartSystem();
    if (!on) {
        bool removed = system.uninstall();
        RemoveRunKeyEntry();
        return removed;
    }
    std::wstring path = system.executablePath();
    if (!path.empty() && system.registerTask(path)) {
        RemoveRunKeyEntry();
        return true;
    }
    // Without the executable's path there is nothing to start: a Run value of
    // two quotation marks would only be a broken entry.
    if (path.empty()) return false;
    LogMessage(L"Auto-start: falling back to the Run key");
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    std::wstring quoted = L"\"" + path + L"\"";
    LSTATUS status = RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(quoted.c_str()),
                                    static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void MigrateAutoStart() {
    const AutoStartCalls& system = AutoStartSystem();
    std::wstring path = system.executablePath();
    if (path.empty()) return;
    if (RunValueExists()) {
        if (system.registerTask(path)) {
            RemoveRunKeyEntry();
            LogMessage(L"Auto-start: migrated Run key to logon task");
        } else {
            std::wstring value = RunValue();
            std::wstring quoted = L"\"" + path + L"\"";
            if (!value.empty() && CompareStringOrdinal(value.c_str(), -1, quoted.c_str(), -1, TRUE) != CSTR_EQUAL) {
                LogMessage(L"Auto-start: stale Run entry kept, logon task unavailable");
            }
            return;
        }
    }
    if (!system.isInstalled()) return;
    std::wstring current = system.actionPath();
    if (!current.empty() && CompareStringOrdinal(current.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL) return;
    if (system.registerTask(path)) LogMessage(L"Auto-start task repointed to %s", path.c_str());
}

void MigrateAutoStartOnWorker() {
    try {
        platform::StartDetachedThread([] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            try {
                MigrateAutoStart();
            } catch (...) {
                platform::LogCaughtException(L"Auto-start: migration failed:");
            }
            if (SUCCEEDED(com)) CoUninitialize();
        });
    } catch (const std::system_error&) {
        MigrateAutoStart();
    }
}
