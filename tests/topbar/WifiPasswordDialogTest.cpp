// The Wi-Fi key prompt as a real window: its size, place, owner and controls,
// and every way it ends, driven by a thread timer that fires inside the
// prompt's own message loop.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "topbar/WifiPasswordDialog.h"

namespace {

using Step = std::function<void(HWND dialog)>;

// One step per tick; when the steps are spent and the prompt still runs a few
// seconds later, it is ended from outside and the run counts as hung.
struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    bool hung = false;
};
Script* g_script = nullptr;

constexpr int kWatchdogQuit = 0x7777;

HWND FindPrompt() { return FindWindowW(L"VantreelWifiPwdDlg", nullptr); }

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script& s = *g_script;
    HWND dialog = FindPrompt();
    if (s.next < s.steps.size()) {
        Step step = s.steps[s.next++];
        step(dialog);
        return;
    }
    if (!s.hung && ++s.idleTicks > 100) {
        s.hung = true;
        // A prompt whose window is gone can only be left through a quit request.
        if (dialog) SendMessageW(dialog, WM_COMMAND, 2, 0);
        else PostQuitMessage(kWatchdogQuit);
    }
}

std::optional<std::wstring> RunPrompt(HWND owner, float scale, std::vector<Step> steps) {
    Script script{std::move(steps)};
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    std::optional<std::wstring> key = PromptWifiPassword(GetModuleHandleW(nullptr), owner, L"Cafe", scale);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    MSG quit{};
    if (script.hung) PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_FALSE(script.hung) << "the prompt did not end by itself";
    EXPECT_EQ(script.next, script.steps.size()) << "the prompt ended before its script";
    EXPECT_EQ(FindPrompt(), nullptr) << "the window outlived the prompt";
    return key;
}

HWND KeyField(HWND dialog) { return FindWindowExW(dialog, nullptr, L"EDIT", nullptr); }
HWND ConnectButton(HWND dialog) { return FindWindowExW(dialog, nullptr, L"BUTTON", L"连接"); }

void Type(HWND dialog, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(KeyField(dialog), WM_CHAR, c, 1);
}

void PressKey(HWND dialog, WPARAM key) { PostMessageW(KeyField(dialog), WM_KEYDOWN, key, 1); }

RECT ClientRectOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class WifiPasswordDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        if (IsWindow(owner)) DestroyWindow(owner);
    }
    HWND owner = nullptr;
};

}  // namespace

TEST_F(WifiPasswordDialogTest, WindowAndControlsAtScaleOneAndAHalf) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND seen = nullptr;
    const auto key = RunPrompt(owner, 1.5f, {
        [&](HWND dialog) {
            ASSERT_NE(dialog, nullptr);
            seen = dialog;
            RECT r{};
            GetWindowRect(dialog, &r);
            EXPECT_EQ(r.right - r.left, 525);
            EXPECT_EQ(r.bottom - r.top, 233) << "232.5 rounds up";
            EXPECT_EQ(r.left, work.left + (work.right - work.left - 525) / 2);
            EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 233) / 2);
            wchar_t title[64] = {};
            GetWindowTextW(dialog, title, 64);
            EXPECT_STREQ(title, L"连接无线网络");
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
            EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
            EXPECT_TRUE(IsWindowVisible(dialog));

            HWND text = FindWindowExW(dialog, nullptr, L"STATIC", nullptr);
            ASSERT_NE(text, nullptr);
            wchar_t prompt[128] = {};
            GetWindowTextW(text, prompt, 128);
            EXPECT_STREQ(prompt, L"请输入「Cafe」的安全密钥 (Wi-Fi 密码)：");
            EXPECT_TRUE(GetWindowLongW(text, GWL_STYLE) & SS_NOPREFIX) << "an SSID's \"&\" is shown as written";
            HWND edit = KeyField(dialog);
            ASSERT_NE(edit, nullptr);
            EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD);
            EXPECT_EQ(GetFocus(), edit);
            HWND connect = ConnectButton(dialog);
            HWND cancel = FindWindowExW(dialog, nullptr, L"BUTTON", L"取消");
            ASSERT_NE(connect, nullptr);
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(GetDlgCtrlID(connect), 1);
            EXPECT_EQ(GetDlgCtrlID(cancel), 2);
            const RECT button = ClientRectOf(connect);
            EXPECT_EQ(button.left, 228);
            EXPECT_EQ(button.top, 123);
            EXPECT_EQ(button.right - button.left, 120);
            EXPECT_EQ(button.bottom - button.top, 42);
            HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
            LOGFONTW lf{};
            ASSERT_NE(font, nullptr);
            GetObjectW(font, sizeof(lf), &lf);
            EXPECT_EQ(lf.lfHeight, -20) << "13 DIP at 1.5, rounded";
            Type(dialog, L"secret-key");
            PressKey(dialog, VK_RETURN);
        },
    });
    EXPECT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(key, std::optional<std::wstring>(L"secret-key"));
}

TEST_F(WifiPasswordDialogTest, OnlyAKeyTheNetworkCanTakeIsConfirmed) {
    auto enabledFor = [](HWND dialog, const std::wstring& key) {
        SetWindowTextW(KeyField(dialog), key.c_str());
        return IsWindowEnabled(ConnectButton(dialog)) != FALSE;
    };
    const auto key = RunPrompt(owner, 1.0f, {[&](HWND dialog) {
        EXPECT_TRUE(enabledFor(dialog, std::wstring(64, L'F')));
        for (std::wstring text : {L"1234567", L"密码密码密码密码", L"", L"x"}) EXPECT_FALSE(enabledFor(dialog, text)) << text;
        PressKey(dialog, VK_RETURN);
    }, [&](HWND dialog) {
        ASSERT_TRUE(dialog && enabledFor(dialog, L"12345678")) << "Enter confirmed a refused key";
        PressKey(dialog, VK_RETURN);
    }});
    EXPECT_EQ(key, std::optional<std::wstring>(L"12345678"));
}

TEST_F(WifiPasswordDialogTest, EscapeCloseAndAltF4Cancel) {
    const std::vector<std::pair<const char*, Step>> cancels = {
        {"Esc", [](HWND dialog) { Type(dialog, L"abc"); PressKey(dialog, VK_ESCAPE); }},
        {"WM_CLOSE", [](HWND dialog) { Type(dialog, L"abc"); PostMessageW(dialog, WM_CLOSE, 0, 0); }},
        {"Alt+F4", [](HWND dialog) {
             Type(dialog, L"abc");
             PostMessageW(KeyField(dialog), WM_SYSKEYDOWN, VK_F4, 1 | (KF_ALTDOWN << 16));
         }},
        {"cancel button", [](HWND dialog) {
             Type(dialog, L"abc");
             PostMessageW(FindWindowExW(dialog, nullptr, L"BUTTON", L"取消"), BM_CLICK, 0, 0);
         }},
    };
    for (const auto& [name, step] : cancels) {
        EXPECT_EQ(RunPrompt(owner, 1.0f, {step}), std::nullopt) << name;
    }
    // A prompt after the cancelled ones still works.
    EXPECT_EQ(RunPrompt(owner, 1.0f, {[](HWND dialog) { Type(dialog, L"again-key"); PressKey(dialog, VK_RETURN); }}),
              std::optional<std::wstring>(L"again-key"));
}

TEST_F(WifiPasswordDialogTest, QuitRequestCancelsAndReachesTheOuterLoop) {
    MSG stale{};
    while (PeekMessageW(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
    const auto key = RunPrompt(owner, 1.0f, {[](HWND dialog) { Type(dialog, L"abc"); PostQuitMessage(3); }});
    EXPECT_EQ(key, std::nullopt);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

TEST_F(WifiPasswordDialogTest, OwnerDestroyedEndsThePromptAsCancelled) {
    const auto key = RunPrompt(owner, 1.0f, {[&](HWND dialog) {
        Type(dialog, L"abc");
        DestroyWindow(owner);
    }});
    EXPECT_EQ(key, std::nullopt);
}

TEST(WifiPasswordKey, ReadingWipesTheBufferAndStopsAt127) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_PASSWORD | ES_AUTOHSCROLL, 0, 0, 100, 20, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, std::wstring(200, L'k').c_str());
    wchar_t buffer[128];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(ReadSecretText(edit, buffer, 128), std::wstring(127, L'k'));
    for (wchar_t c : buffer) ASSERT_EQ(c, L'\0');
    SetWindowTextW(edit, L"");
    EXPECT_EQ(ReadSecretText(edit, buffer, 128), L"");
    DestroyWindow(edit);
}
