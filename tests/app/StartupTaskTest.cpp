// The logon task and the Run value on the Task Scheduler and registry of the
// test's own Wine prefix.
#include <gtest/gtest.h>

#include <objbase.h>

#include "platform/Log.h"
#include "app/StartupTask.h"
#include "support/TestSupport.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool RunValueExists() {
    DWORD size = 0;
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Vantreel", RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
           ERROR_SUCCESS;
}

void WriteRunValue(const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Vantreel", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The debug log of these tests goes into a folder of their own: the one beside
// the test executables belongs to whatever else runs from there.
class AutoStart : public ::testing::Test {
protected:
    testing_support::TempDir logDir_;
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        StartupTask::Uninstall();
        RemoveRunKeyEntry();
    }
    void TearDown() override {
        StartupTask::Uninstall();
        RemoveRunKeyEntry();
        CoUninitialize();
    }
};

// Some task schedulers (Wine's among them) cannot make logon triggers; the
// program then takes the Run value instead.
bool LogonTasksAvailable() { return StartupTask::BuildDefinition(L"C:\\probe\\vantreel.exe") != nullptr; }

std::wstring RunValueText() {
    wchar_t text[520] = {};
    DWORD size = sizeof(text);
    RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Vantreel", RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

std::string ReadLog(const testing_support::TempDir& dir) {
    auto bytes = testing_support::ReadFileBytes(dir.File(L"vantreel.log"));
    return std::string(bytes.begin(), bytes.end());
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

TEST_F(AutoStart, TheTaskRunsThisExecutableAtThisUsersLogon) {
    auto definition = StartupTask::BuildDefinition(L"C:\\Apps\\Vantreel\\vantreel.exe");
    if (!definition) GTEST_SKIP() << "this Task Scheduler cannot make logon triggers";
    Microsoft::WRL::ComPtr<ITriggerCollection> triggers;
    ASSERT_EQ(definition->get_Triggers(&triggers), S_OK);
    LONG count = 0;
    triggers->get_Count(&count);
    EXPECT_EQ(count, 1);

    ASSERT_TRUE(StartupTask::Register(definition.Get()));
    EXPECT_TRUE(StartupTask::IsInstalled());
    EXPECT_TRUE(IsAutoStartEnabled());
    EXPECT_EQ(StartupTask::GetActionPath(), L"C:\\Apps\\Vantreel\\vantreel.exe");

    EXPECT_TRUE(StartupTask::Uninstall());
    EXPECT_FALSE(StartupTask::IsInstalled());
    EXPECT_TRUE(StartupTask::Uninstall()) << "removing a missing task succeeds";
    EXPECT_EQ(StartupTask::GetActionPath(), L"");
    EXPECT_FALSE(GetCurrentUserName().empty());
}

TEST_F(AutoStart, WithoutLogonTasksTheRunValueIsUsed) {
    if (LogonTasksAvailable()) GTEST_SKIP() << "logon tasks work here";
    InitializeLog(true, logDir_.Path());
    EXPECT_TRUE(SetAutoStart(true));
    EXPECT_EQ(RunValueText(), L"\"" + OwnPath() + L"\"");
    EXPECT_TRUE(IsAutoStartEnabled());
    EXPECT_NE(ReadLog(logDir_).find("] Auto-start: falling back to the Run key\r\n"), std::string::npos);

    WriteRunValue(L"\"C:\\elsewhere\\vantreel.exe\"");
    MigrateAutoStart();
    EXPECT_EQ(RunValueText(), L"\"C:\\elsewhere\\vantreel.exe\"") << "kept while no task can be made";
    EXPECT_NE(ReadLog(logDir_).find("] Auto-start: stale Run entry kept, logon task unavailable\r\n"), std::string::npos);

    SetAutoStart(false);
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(IsAutoStartEnabled());
    InitializeLog(false);
}

TEST_F(AutoStart, SwitchingOnAndOffLeavesOneMechanismOrNone) {
    if (!LogonTasksAvailable()) GTEST_SKIP() << "this Task Scheduler cannot make logon triggers";
    WriteRunValue(L"\"C:\\old\\vantreel.exe\"");
    ASSERT_TRUE(SetAutoStart(true));
    EXPECT_TRUE(StartupTask::IsInstalled());
    EXPECT_FALSE(RunValueExists()) << "a registered task removes the Run value";
    EXPECT_EQ(StartupTask::GetActionPath(), OwnPath());

    EXPECT_TRUE(SetAutoStart(false));
    EXPECT_FALSE(StartupTask::IsInstalled());
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(IsAutoStartEnabled());
}

TEST_F(AutoStart, MigrationTurnsTheRunValueIntoATaskAndRepointsIt) {
    if (!LogonTasksAvailable()) GTEST_SKIP() << "this Task Scheduler cannot make logon triggers";
    WriteRunValue(L"\"" + OwnPath() + L"\"");
    MigrateAutoStart();
    EXPECT_FALSE(RunValueExists());
    EXPECT_TRUE(StartupTask::IsInstalled());

    auto moved = StartupTask::BuildDefinition(L"C:\\moved\\vantreel.exe");
    ASSERT_TRUE(moved && StartupTask::Register(moved.Get()));
    MigrateAutoStart();
    EXPECT_EQ(StartupTask::GetActionPath(), OwnPath()) << "the task follows the executable";

    std::wstring upper = OwnPath();
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    auto sameButCase = StartupTask::BuildDefinition(upper);
    ASSERT_TRUE(sameButCase && StartupTask::Register(sameButCase.Get()));
    MigrateAutoStart();
    EXPECT_EQ(StartupTask::GetActionPath(), upper) << "a path differing only in case is left alone";
}

namespace {

// A task store that keeps one task in memory, for the rules that a Task
// Scheduler without logon triggers never lets run.
class FakeTaskStore {
public:
    explicit FakeTaskStore(std::wstring exePath) : saved_(AutoStartSystem()) {
        AutoStartCalls& calls = AutoStartSystem();
        calls.executablePath = [path = std::move(exePath)] { return path; };
        calls.registerTask = [this](const std::wstring& path) {
            ++registrations;
            if (!accepts) return false;
            task = path;
            installed = true;
            return true;
        };
        calls.isInstalled = [this] { return installed; };
        calls.actionPath = [this] { return installed ? task : std::wstring(); };
        calls.uninstall = [this] {
            installed = false;
            return true;
        };
    }
    ~FakeTaskStore() { AutoStartSystem() = saved_; }
    FakeTaskStore(const FakeTaskStore&) = delete;
    FakeTaskStore& operator=(const FakeTaskStore&) = delete;

    bool accepts = true;
    bool installed = false;
    std::wstring task;
    int registrations = 0;

private:
    AutoStartCalls saved_;
};

class AutoStartRules : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveRunKeyEntry();
        InitializeLog(true, logDir_.Path());
    }
    void TearDown() override {
        InitializeLog(false);
        RemoveRunKeyEntry();
    }
    testing_support::TempDir logDir_;
};

}  // namespace

TEST_F(AutoStartRules, MigrationMovesTheRunValueIntoATaskAndKeepsTheTaskOnThisExecutable) {
    const std::wstring exe = L"C:\\Apps\\Vantreel\\vantreel.exe";
    FakeTaskStore store(exe);
    WriteRunValue(L"\"" + exe + L"\"");
    MigrateAutoStart();
    EXPECT_FALSE(RunValueExists());
    EXPECT_TRUE(store.installed);
    EXPECT_EQ(store.task, exe);
    EXPECT_NE(ReadLog(logDir_).find("] Auto-start: migrated Run key to logon task\r\n"), std::string::npos);

    store.task = L"C:\\moved\\vantreel.exe";
    MigrateAutoStart();
    EXPECT_EQ(store.task, exe) << "the task follows the executable";
    EXPECT_NE(ReadLog(logDir_).find("] Auto-start task repointed to C:\\Apps\\Vantreel\\vantreel.exe\r\n"),
              std::string::npos);

    store.task = L"c:\\APPS\\vantreel\\VANTREEL.EXE";
    int before = store.registrations;
    MigrateAutoStart();
    EXPECT_EQ(store.registrations, before) << "a path differing only in case is left alone";

    store.installed = false;
    MigrateAutoStart();
    EXPECT_EQ(store.registrations, before) << "no task, no Run value: nothing to repair";
}

TEST_F(AutoStartRules, TheSwitchKeepsOneMechanismAndWritesNoRunValueWithoutAPath) {
    FakeTaskStore store(L"C:\\Apps\\Vantreel\\vantreel.exe");
    WriteRunValue(L"\"C:\\old\\vantreel.exe\"");
    EXPECT_TRUE(SetAutoStart(true));
    EXPECT_TRUE(store.installed);
    EXPECT_FALSE(RunValueExists()) << "a registered task removes the Run value";
    EXPECT_TRUE(SetAutoStart(false));
    EXPECT_FALSE(store.installed || RunValueExists());

    store.accepts = false;
    EXPECT_TRUE(SetAutoStart(true));
    EXPECT_EQ(RunValueText(), L"\"C:\\Apps\\Vantreel\\vantreel.exe\"") << "the fallback";
    RemoveRunKeyEntry();

    FakeTaskStore noPath(L"");
    EXPECT_FALSE(SetAutoStart(true));
    EXPECT_FALSE(RunValueExists()) << "no empty quotation marks as a Run value";
    EXPECT_EQ(noPath.registrations, 0);
}
