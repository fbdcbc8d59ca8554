// The logon task and the Run value on the Task Scheduler and registry of the
// test's own Wine prefix.
#include <gtest/gtest.h>

#include <objbase.h>

#include "app/Log.h"
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

class AutoStart : public ::testing::Test {
protected:
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

std::string ReadLog() {
    auto bytes = testing_support::ReadFileBytes(testing_support::BinDir() + L"\\vantreel.log");
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
    std::wstring log = testing_support::BinDir() + L"\\vantreel.log";
    DeleteFileW(log.c_str());
    InitializeLog(true);
    EXPECT_TRUE(SetAutoStart(true));
    EXPECT_EQ(RunValueText(), L"\"" + OwnPath() + L"\"");
    EXPECT_TRUE(IsAutoStartEnabled());
    EXPECT_NE(ReadLog().find("] Auto-start: falling back to the Run key\r\n"), std::string::npos);

    WriteRunValue(L"\"C:\\elsewhere\\vantreel.exe\"");
    MigrateAutoStart();
    EXPECT_EQ(RunValueText(), L"\"C:\\elsewhere\\vantreel.exe\"") << "kept while no task can be made";
    EXPECT_NE(ReadLog().find("] Auto-start: stale Run entry kept, logon task unavailable\r\n"), std::string::npos);

    SetAutoStart(false);
    EXPECT_FALSE(RunValueExists());
    EXPECT_FALSE(IsAutoStartEnabled());
    InitializeLog(false);
    DeleteFileW(log.c_str());
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
