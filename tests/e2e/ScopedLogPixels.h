#pragma once

#include <windows.h>

// The system DPI that processes started from now on take (the prefix's
// "LogPixels"); the old value comes back at the end of the scope.
class ScopedLogPixels {
public:
    explicit ScopedLogPixels(DWORD dpi) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof(old_);
        DWORD type = 0;
        hadOld_ = RegQueryValueExW(key_, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_), &size) ==
                      ERROR_SUCCESS &&
                  type == REG_DWORD;
        applied_ = RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                  sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~ScopedLogPixels() {
        if (!key_) return;
        if (hadOld_) {
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
    }
    ScopedLogPixels(const ScopedLogPixels&) = delete;
    ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;
    bool Applied() const { return applied_; }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool hadOld_ = false;
    bool applied_ = false;
};
