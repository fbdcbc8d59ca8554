// The power actions' decisions through fake system calls: no test may reach
// the real shutdown, which would end the session.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "support/TestSupport.h"
#include "system/PowerActions.h"

namespace {

struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT style;
};

struct FakePower {
    int answer = IDNO;
    PrivilegeOutcome privilege{true, true, 0};
    bool exitOk = false;
    bool startOk = true;
    DWORD exitCode = 0;
    std::vector<Box> boxes;
    std::vector<std::pair<UINT, DWORD>> exits;
    std::vector<std::wstring> started;
    int suspends = 0;
    int locks = 0;

    PowerOps Ops() {
        PowerOps ops;
        ops.enableShutdownPrivilege = [this] { return privilege; };
        ops.suspend = [this] {
            ++suspends;
            return true;
        };
        ops.lock = [this] {
            ++locks;
            SetLastError(120);
            return false;
        };
        ops.exitWindows = [this](UINT flags, DWORD reason) {
            exits.emplace_back(flags, reason);
            SetLastError(ERROR_PRIVILEGE_NOT_HELD);
            return exitOk;
        };
        ops.startHidden = [this](const std::wstring& file, const std::wstring& parameters, DWORD waitMs,
                                 DWORD& code, DWORD& error) {
            EXPECT_EQ(waitMs, 5000u);
            started.push_back(file + L" " + parameters);
            code = exitCode;
            error = ERROR_FILE_NOT_FOUND;
            return startOk;
        };
        ops.messageBox = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
            boxes.push_back({owner, text, caption, style});
            return style & MB_YESNO ? answer : IDOK;
        };
        return ops;
    }
};

const std::wstring kPolicyText = L"失败。请检查系统电源策略或当前账户权限。";

// The debug log written while action runs.
std::string LogOf(const std::function<void()>& action) {
    const std::wstring path = ExecutableDirectory() + L"\\vantreel.log";
    DeleteFileW(path.c_str());
    InitializeLog(true);
    action();
    InitializeLog(false);
    const std::vector<uint8_t> bytes = testing_support::ReadFileBytes(path);
    DeleteFileW(path.c_str());
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(PowerActions, NoDeclinesWithoutExitingAndYesFallsBackToShutdownExe) {
    HWND owner = reinterpret_cast<HWND>(0x1234);
    for (PowerAction action : {PowerAction::Restart, PowerAction::ShutDown}) {
        const bool restart = action == PowerAction::Restart;
        FakePower fake;
        EXPECT_TRUE(PerformPowerAction(action, owner, fake.Ops())) << "declining is not a failure";
        ASSERT_EQ(fake.boxes.size(), 1u);
        EXPECT_EQ(fake.boxes[0].owner, owner);
        EXPECT_EQ(fake.boxes[0].caption, L"Vantreel 电源确认");
        EXPECT_EQ(fake.boxes[0].style, restart ? 0x124u : 0x134u);
        EXPECT_EQ(fake.boxes[0].text, restart ? L"确定要立即重新启动电脑吗？\n未保存的内容可能丢失。"
                                              : L"确定要立即关闭电脑吗？\n未保存的内容可能丢失。");
        EXPECT_TRUE(fake.exits.empty());
        EXPECT_TRUE(fake.started.empty());

        fake.boxes.clear();
        fake.answer = IDYES;
        EXPECT_TRUE(PerformPowerAction(action, owner, fake.Ops()));
        ASSERT_EQ(fake.exits.size(), 1u);
        EXPECT_EQ(fake.exits[0].first, restart ? 0x12u : 0x18u);
        EXPECT_EQ(fake.exits[0].second, 0x80020000u);
        ASSERT_EQ(fake.started.size(), 1u);
        EXPECT_EQ(fake.started[0], restart ? L"shutdown.exe /r /t 0" : L"shutdown.exe /s /t 0");
        EXPECT_EQ(fake.boxes.size(), 1u) << "exit code 0 shows no error box";

        fake.exitCode = STILL_ACTIVE;
        EXPECT_TRUE(PerformPowerAction(action, owner, fake.Ops())) << "still running counts as started";
        fake.exitOk = true;
        fake.started.clear();
        EXPECT_TRUE(PerformPowerAction(action, owner, fake.Ops()));
        EXPECT_TRUE(fake.started.empty()) << "no fallback after a granted exit";
    }
}

TEST(PowerActions, ARefusedShutdownExeReportsFailure) {
    FakePower fake;
    fake.answer = IDYES;
    fake.exitCode = 5;
    EXPECT_FALSE(PerformPowerAction(PowerAction::ShutDown, nullptr, fake.Ops()));
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].text, L"关机" + kPolicyText);
    EXPECT_EQ(fake.boxes[1].caption, L"Vantreel");
    EXPECT_EQ(fake.boxes[1].style, static_cast<UINT>(MB_ICONERROR));

    FakePower missing;
    missing.answer = IDYES;
    missing.startOk = false;
    EXPECT_FALSE(PerformPowerAction(PowerAction::Restart, nullptr, missing.Ops()));
    ASSERT_EQ(missing.boxes.size(), 2u);
    EXPECT_EQ(missing.boxes[1].text, L"重新启动" + kPolicyText);
}

TEST(PowerActions, SleepLockAndValuesThatAreNoAction) {
    FakePower fake;
    fake.privilege = {true, false, 1300};
    std::string log = LogOf([&] { EXPECT_TRUE(PerformPowerAction(PowerAction::Sleep, nullptr, fake.Ops())); });
    EXPECT_NE(log.find("EnableShutdownPrivilege: unavailable (err=1300)"), std::string::npos) << log;
    EXPECT_EQ(fake.suspends, 1) << "a missing privilege does not stop the attempt";
    fake.privilege = {false, false, 5};
    log = LogOf([&] { EXPECT_FALSE(EnableShutdownPrivilege(fake.Ops())); });
    EXPECT_NE(log.find("EnableShutdownPrivilege: OpenProcessToken failed (5)"), std::string::npos) << log;
    log = LogOf([&] { EXPECT_FALSE(PerformPowerAction(PowerAction::Lock, nullptr, fake.Ops())); });
    EXPECT_NE(log.find("LockWorkStation failed (120)"), std::string::npos) << log;
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"锁屏" + kPolicyText);
    for (int value : {0, 5}) {
        EXPECT_FALSE(PerformPowerAction(static_cast<PowerAction>(value), nullptr, fake.Ops()));
    }
    EXPECT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.suspends, 1);
    EXPECT_EQ(fake.locks, 1);
    EXPECT_TRUE(fake.exits.empty());
    ShowPowerActionError(nullptr, static_cast<PowerAction>(9), fake.Ops());
    EXPECT_EQ(fake.boxes.back().text, L"操作" + kPolicyText);
}

TEST(PowerActions, TheRealTokenStepEnablesOrReportsThePrivilege) {
    const PrivilegeOutcome outcome = DefaultPowerOps().enableShutdownPrivilege();
    EXPECT_TRUE(outcome.tokenOpened);
    EXPECT_EQ(outcome.enabled, outcome.error == 0u);
}
