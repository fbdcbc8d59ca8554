#include <gtest/gtest.h>

#include <optional>

#include "system/DesktopIcons.h"

namespace {

constexpr wchar_t kAdvancedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// Sets or removes the user's "HideIcons" value and puts the old state back.
class ScopedHideIcons {
public:
    ScopedHideIcons() {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kAdvancedKey, L"HideIcons", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
            ERROR_SUCCESS)
            saved_ = value;
    }
    ~ScopedHideIcons() {
        if (saved_)
            Set(*saved_);
        else
            Remove();
    }
    void Set(DWORD value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kAdvancedKey, L"HideIcons", REG_DWORD, &value, sizeof(value));
    }
    void Remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kAdvancedKey, L"HideIcons"); }

private:
    std::optional<DWORD> saved_;
};

HWND CreateWithClass(const wchar_t* className, HWND parent, DWORD style) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, L"", style, 0, 0, 100, 100, parent, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

TEST(DesktopIconsTest, ViewUnderAnyTopLevelWindowIsFound) {
    ScopedHideIcons setting;
    setting.Set(0);  // the list, not the setting, must decide
    HWND holder = CreateWithClass(L"VantreelWallpaperHost", nullptr, WS_POPUP);
    HWND view = CreateWithClass(L"SHELLDLL_DefView", holder, WS_CHILD);
    HWND list = CreateWithClass(L"SysListView32", view, WS_CHILD);
    ASSERT_TRUE(holder && view && list);
    EXPECT_EQ(vantreel::FindDesktopDefView(), view);
    EXPECT_FALSE(vantreel::AreDesktopIconsVisible());
    DestroyWindow(holder);
}

TEST(DesktopIconsTest, WithoutAViewTheSettingDecides) {
    ASSERT_EQ(vantreel::FindDesktopDefView(), nullptr);
    ScopedHideIcons setting;
    setting.Set(1);
    EXPECT_FALSE(vantreel::AreDesktopIconsVisible());
    setting.Set(0);
    EXPECT_TRUE(vantreel::AreDesktopIconsVisible());
    setting.Remove();
    EXPECT_TRUE(vantreel::AreDesktopIconsVisible());
    EXPECT_TRUE(vantreel::DesktopIconsVisibleBySetting());
}
