#include "system/DesktopIcons.h"

namespace vantreel {
namespace {

constexpr wchar_t kDefViewClass[] = L"SHELLDLL_DefView";

BOOL CALLBACK FindViewHolder(HWND window, LPARAM found) {
    HWND view = FindWindowExW(window, nullptr, kDefViewClass, nullptr);
    if (!view) return TRUE;
    *reinterpret_cast<HWND*>(found) = view;
    return FALSE;
}

}  // namespace

HWND FindDesktopDefView() {
    if (HWND progman = FindWindowW(L"Progman", nullptr)) {
        if (HWND view = FindWindowExW(progman, nullptr, kDefViewClass, nullptr)) return view;
    }
    HWND view = nullptr;
    EnumWindows(FindViewHolder, reinterpret_cast<LPARAM>(&view));
    return view;
}

bool DesktopIconsVisibleBySetting() {
    DWORD hidden = 0;
    DWORD size = sizeof(hidden);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                     L"HideIcons", RRF_RT_REG_DWORD, nullptr, &hidden, &size) != ERROR_SUCCESS)
        return true;
    return hidden == 0;
}

bool AreDesktopIconsVisible() {
    if (HWND view = FindDesktopDefView()) {
        if (HWND list = FindWindowExW(view, nullptr, L"SysListView32", nullptr)) return IsWindowVisible(list) != FALSE;
    }
    return DesktopIconsVisibleBySetting();
}

}  // namespace vantreel
