#include <gtest/gtest.h>

#include <msctf.h>

#include <chrono>

#include "platform/MissingFlags.h"
#include "system/InputMethods.h"

using vantreel::InputMethodSystem;
using vantreel::InputProfile;
using vantreel::TsfProfileRecord;

namespace {

HKL Layout(uintptr_t value) { return reinterpret_cast<HKL>(value); }
const HKL kEnglish = Layout(0x04090409);
const HKL kChinese = Layout(0x08040804);
const HWND kTargetWindow = reinterpret_cast<HWND>(0x5000);
const HWND kImeWindow = reinterpret_cast<HWND>(0x6000);
constexpr DWORD kTargetThread = 77;
constexpr GUID kKeyboardCategory = {0x34745c63, 0xb2f0, 0x4784, {0x8b, 0x67, 0x5e, 0x12, 0xc8, 0x70, 0x1a, 0x31}};
constexpr GUID kOtherCategory = {0x534c48c1, 0x0607, 0x4098, {0xa5, 0x21, 0x4f, 0xc8, 0x99, 0xc7, 0x3e, 0x90}};
constexpr GUID kPinyinA = {0x11111111, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kPinyinB = {0x22222222, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};

// Recorded answers of one desktop: the target's layout, its IME window and
// conversion mode, the framework's profiles and the installed layouts.
struct RecordedInputMethods {
    HKL targetLayout = kEnglish;
    HKL otherLayout = kEnglish;  // any thread but the target's
    std::optional<DWORD> mode = IME_CMODE_NATIVE;
    int imeQuestions = 0;
    std::optional<std::vector<TsfProfileRecord>> tsf = std::vector<TsfProfileRecord>{};
    bool tsfThrows = false;
    std::vector<HKL> layouts;
    std::vector<WORD> sentKeys;

    InputMethodSystem System() {
        InputMethodSystem system;
        system.foregroundWindow = [] { return kTargetWindow; };
        system.isWindow = [](HWND window) { return window == kTargetWindow; };
        system.isWindowVisible = [](HWND window) { return window == kTargetWindow; };
        system.windowThread = [](HWND window) { return window == kTargetWindow ? kTargetThread : 0; };
        system.keyboardLayout = [this](DWORD thread) { return thread == kTargetThread ? targetLayout : otherLayout; };
        system.imeWindow = [this](HWND) {
            ++imeQuestions;
            return kImeWindow;
        };
        system.getConversionMode = [this](HWND) {
            ++imeQuestions;
            return mode;
        };
        system.setConversionMode = [this](HWND, DWORD newMode) { mode = newMode; };
        system.tsfProfiles = [this] {
            if (tsfThrows) throw std::runtime_error("framework failed");
            return tsf;
        };
        system.layoutList = [this] { return layouts; };
        system.languageDisplayName = [](LANGID language) -> std::wstring {
            switch (language) {
                case 0x0409: return L"English (United States)";
                case 0x0809: return L"english (united states)";  // a clash in case only
                case 0x0804: return L"中文(中国)";
                case 0x0411: return L"日本語";
                default: return L"";
            }
        };
        system.setForegroundWindow = [](HWND) {};
        system.activateTsfProfile = [](const InputProfile&) { return false; };
        system.postInputLanguageRequest = [](HWND, HKL) {};
        system.sendInput = [this](UINT count, INPUT* inputs) {
            for (UINT i = 0; i < count; ++i)
                sentKeys.push_back(inputs[i].ki.wVk | ((inputs[i].ki.dwFlags & KEYEVENTF_KEYUP) ? 0x8000 : 0));
            return count;
        };
        return system;
    }
};

TsfProfileRecord TextService(const wchar_t* description, GUID profile, uint32_t flags,
                             GUID category = kKeyboardCategory) {
    TsfProfileRecord record;
    record.profileType = TF_PROFILETYPE_INPUTPROCESSOR;
    record.langId = 0x0804;
    record.clsid = profile;
    record.profileGuid = profile;
    record.category = category;
    record.flags = flags;
    record.description = description;
    return record;
}

const std::vector<WORD> kWinSpace = {VK_LWIN, VK_SPACE, VK_SPACE | 0x8000, VK_LWIN | 0x8000};

}  // namespace

TEST(InputMethodsTest, IndicatorFollowsTheChineseConversionMode) {
    RecordedInputMethods desktop;
    const InputMethodSystem system = desktop.System();
    EXPECT_EQ(vantreel::GetInputModeIndicator(system, nullptr), L"英");
    EXPECT_EQ(desktop.imeQuestions, 0) << "an English layout never asks the input method";

    desktop.targetLayout = kChinese;
    desktop.mode = IME_CMODE_NATIVE;
    EXPECT_EQ(vantreel::GetInputModeIndicator(system, kTargetWindow), L"中");
    vantreel::ToggleInputMode(system, kTargetWindow);
    EXPECT_EQ(desktop.mode, 0u);
    EXPECT_EQ(vantreel::GetInputModeIndicator(system, kTargetWindow), L"英");
    vantreel::ToggleInputMode(system, kTargetWindow);
    EXPECT_EQ(vantreel::GetInputModeIndicator(system, kTargetWindow), L"中");
    EXPECT_TRUE(desktop.sentKeys.empty());
}

TEST(InputMethodsTest, SilentInputMethodReadsNativeAndToggleSendsWinSpace) {
    RecordedInputMethods desktop;
    desktop.targetLayout = kChinese;
    desktop.mode.reset();  // the application did not answer within 40 ms
    const InputMethodSystem system = desktop.System();
    EXPECT_EQ(vantreel::GetInputModeIndicator(system, kTargetWindow), L"中");
    vantreel::ToggleInputMode(system, kTargetWindow);
    EXPECT_EQ(desktop.sentKeys, kWinSpace);

    // Without a Chinese layout there is nothing to flip either.
    desktop.sentKeys.clear();
    desktop.targetLayout = kEnglish;
    vantreel::ToggleInputMode(system, kTargetWindow);
    EXPECT_EQ(desktop.sentKeys, kWinSpace);
}

TEST(InputMethodsTest, ProfilesAreEnabledKeyboardServicesUniqueByName) {
    RecordedInputMethods desktop;
    TsfProfileRecord layout;
    layout.profileType = TF_PROFILETYPE_KEYBOARDLAYOUT;
    layout.langId = 0x0409;
    layout.hkl = kEnglish;
    layout.flags = TF_IPP_FLAG_ENABLED;
    TsfProfileRecord otherType = layout;
    otherType.profileType = 3;
    desktop.tsf = std::vector<TsfProfileRecord>{
        TextService(L"Microsoft Pinyin", kPinyinA, TF_IPP_FLAG_ENABLED),
        TextService(L"Disabled IME", kPinyinA, 0),
        TextService(L"Handwriting", kPinyinA, TF_IPP_FLAG_ENABLED, kOtherCategory),
        otherType,
        layout,
        TextService(L"microsoft pinyin", kPinyinB, TF_IPP_FLAG_ENABLED | TF_IPP_FLAG_ACTIVE),
        TextService(L"MICROSOFT PINYIN", kPinyinA, TF_IPP_FLAG_ENABLED),  // inactive duplicate: dropped
    };
    const auto profiles = vantreel::EnumerateInputProfiles(desktop.System(), kTargetWindow);
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].name, L"Microsoft Pinyin");
    EXPECT_TRUE(profiles[0].active);
    EXPECT_TRUE(IsEqualGUID(profiles[0].clsid, kPinyinB));
    EXPECT_TRUE(IsEqualGUID(profiles[0].profileGuid, kPinyinB));
    EXPECT_EQ(profiles[0].profileType, 1u);
    EXPECT_EQ(profiles[1].name, L"English (United States)");
    EXPECT_EQ(profiles[1].profileType, 2u);
    EXPECT_EQ(profiles[1].hkl, kEnglish);
    EXPECT_FALSE(profiles[1].active);
}

TEST(InputMethodsTest, LayoutListStandsInWhenTheFrameworkListsNothing) {
    RecordedInputMethods desktop;
    desktop.layouts = {kEnglish, kChinese, Layout(0x04110411)};
    desktop.targetLayout = kChinese;
    const auto profiles = vantreel::EnumerateInputProfiles(desktop.System(), kTargetWindow);
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_EQ(profiles[1].name, L"中文(中国)");
    EXPECT_EQ(profiles[1].langId, 0x0804);
    EXPECT_EQ(profiles[1].hkl, kChinese);
    EXPECT_TRUE(profiles[1].active);
    EXPECT_FALSE(profiles[0].active);
    EXPECT_FALSE(profiles[2].active);
    EXPECT_EQ(profiles[2].profileType, 2u);

    // A failing framework, names shared in letter case and unknown languages.
    desktop.tsfThrows = true;
    desktop.layouts = {kEnglish, Layout(0x08090809), Layout(0x04ff04ff)};
    const auto fallback = vantreel::EnumerateInputProfiles(desktop.System(), kTargetWindow);
    ASSERT_EQ(fallback.size(), 2u);
    EXPECT_EQ(fallback[1].name, L"键盘布局");

    desktop.layouts.assign(33, kEnglish);
    EXPECT_TRUE(vantreel::EnumerateInputProfiles(desktop.System(), kTargetWindow).empty());
}

TEST(InputMethodsTest, ActivatingALayoutPostsTheLanguageRequestToTheTarget) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VantreelInputTarget";
    RegisterClassW(&windowClass);
    HWND target = CreateWindowExW(0, windowClass.lpszClassName, L"input target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  50, 50, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(target);

    InputMethodSystem system = vantreel::SystemInputMethods();
    int refused = 0;
    system.activateTsfProfile = [&](const InputProfile&) {
        ++refused;
        return false;
    };
    HWND broughtForward = nullptr;
    system.setForegroundWindow = [&](HWND window) { broughtForward = window; };
    InputProfile profile;
    profile.profileType = 2;
    profile.langId = 0x0804;
    profile.hkl = kChinese;
    EXPECT_TRUE(vantreel::ActivateInputProfile(system, profile, target));
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(broughtForward, target);
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, target, WM_INPUTLANGCHANGEREQUEST, WM_INPUTLANGCHANGEREQUEST, PM_REMOVE));
    EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(kChinese));
    EXPECT_EQ(message.wParam, 0u);

    // A text service gets only the framework's answer.
    profile.profileType = 1;
    EXPECT_FALSE(vantreel::ActivateInputProfile(system, profile, target));
    EXPECT_FALSE(PeekMessageW(&message, target, WM_INPUTLANGCHANGEREQUEST, WM_INPUTLANGCHANGEREQUEST, PM_REMOVE));
    DestroyWindow(target);
}

TEST(InputMethodsTest, RealDesktopHasOneEnglishLayout) {
    EXPECT_EQ(vantreel::GetInputModeIndicator(nullptr), L"英");
    const auto profiles = vantreel::EnumerateInputProfiles(nullptr);
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0].profileType, 2u);
    EXPECT_EQ(profiles[0].langId, 0x0409);
    EXPECT_TRUE(profiles[0].active);
    EXPECT_FALSE(profiles[0].name.empty());
}

namespace {

struct SeenKey {
    DWORD vk;
    bool up;
    bool injected;
    bool operator==(const SeenKey&) const = default;
};
std::vector<SeenKey>* g_seenKeys = nullptr;

LRESULT CALLBACK RecordKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_seenKeys) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        g_seenKeys->push_back({key->vkCode, wParam == WM_KEYUP || wParam == WM_SYSKEYUP,
                               (key->flags & LLKHF_INJECTED) != 0});
        return 1;  // swallowed: the chord reaches no window
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(InputMethodsTest, WinKeyChordIsInjectedInOrder) {
    std::vector<SeenKey> seen;
    g_seenKeys = &seen;
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKeys, GetModuleHandleW(nullptr), 0);
    ASSERT_TRUE(hook);
    EXPECT_EQ(vantreel::SendWinKeyChord('D'), 4u);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    MSG message;
    while (seen.size() < 4 && std::chrono::steady_clock::now() < giveUp) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    UnhookWindowsHookEx(hook);
    g_seenKeys = nullptr;
    const std::vector<SeenKey> expected = {
        {VK_LWIN, false, true}, {'D', false, true}, {'D', true, true}, {VK_LWIN, true, true}};
    EXPECT_EQ(seen, expected);
}
