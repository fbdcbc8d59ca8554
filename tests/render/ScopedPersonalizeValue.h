#pragma once
// One value under the user's personalisation key (transparency switch, app
// theme), put back as it was found when the test ends.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline constexpr wchar_t kPersonalize[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// One value under the user's personalisation key, put back as it was found.
class ScopedPersonalizeValue {
public:
    explicit ScopedPersonalizeValue(const wchar_t* name) : name_(name) {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kPersonalize, name_, RRF_RT_ANY, &type_, nullptr,
                         &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            existed_ = RegGetValueW(HKEY_CURRENT_USER, kPersonalize, name_, RRF_RT_ANY, &type_,
                                    saved_.data(), &size) == ERROR_SUCCESS;
        }
    }
    ~ScopedPersonalizeValue() {
        if (existed_) {
            Write(type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        } else {
            Remove();
        }
    }
    ScopedPersonalizeValue(const ScopedPersonalizeValue&) = delete;
    ScopedPersonalizeValue& operator=(const ScopedPersonalizeValue&) = delete;

    void SetDword(DWORD value) {
        ASSERT_TRUE(Write(REG_DWORD, &value, sizeof(value)));
    }
    void SetText(const std::wstring& text) {
        ASSERT_TRUE(Write(REG_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    }
    void Remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, name_); }

private:
    bool Write(DWORD type, const void* data, DWORD size) {
        return RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, name_, type, data, size) ==
               ERROR_SUCCESS;
    }

    const wchar_t* name_;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> saved_;
    bool existed_ = false;
};

