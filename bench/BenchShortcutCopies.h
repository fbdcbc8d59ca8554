#pragma once
// Shortcuts by the thousand. Saving a shortcut through the shell costs about
// 0.1 s under Wine, and seconds on a busy machine, as it starts Wine's menu
// builder for each: one is saved, and the rest are copies of it with the
// number in its target's name changed in place, at the same length, so every
// size and offset in the file stays true.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace bench {

class ShortcutCopies {
public:
    // Targets are empty files `folder\<stem>NNNN.exe`; the saved shortcut is
    // `folder\<stem>.lnk`. `stem` stays within the 8.3 name the shell may
    // also keep, so the number is replaced wherever the name stands.
    ShortcutCopies(std::filesystem::path folder, std::string stem)
        : folder_(std::move(folder)), stem_(std::move(stem)) {
        using Microsoft::WRL::ComPtr;
        std::error_code ec;
        std::filesystem::create_directories(folder_, ec);
        const std::filesystem::path model = folder_ / (stem_ + ".lnk");
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> persist;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
            MakeTarget(0) && SUCCEEDED(link->SetPath(Target(0).c_str())) && SUCCEEDED(link.As(&persist)) &&
            SUCCEEDED(persist->Save(model.c_str(), TRUE))) {
            bytes_ = Read(model);
        }
    }

    bool Ready() const { return !bytes_.empty(); }
    std::filesystem::path Target(int number) const { return folder_ / (Name(number) + ".exe"); }

    // Writes a shortcut at `link` to target `number`, which it makes too.
    bool Make(const std::filesystem::path& link, int number) const {
        if (!Ready() || !MakeTarget(number)) return false;
        std::string copy = bytes_;
        ReplaceInPlace(copy, Name(0), Name(number));
        HANDLE file =
            CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok =
            WriteFile(file, copy.data(), static_cast<DWORD>(copy.size()), &written, nullptr) && written == copy.size();
        CloseHandle(file);
        return ok;
    }

private:
    std::string Name(int number) const {
        char digits[16];
        std::snprintf(digits, sizeof(digits), "%04d", number);
        return stem_ + digits;
    }

    bool MakeTarget(int number) const {
        HANDLE file = CreateFileW(Target(number).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }

    static std::string Read(const std::filesystem::path& path) {
        std::string bytes;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
        CloseHandle(file);
        return bytes;
    }

    // Every narrow and wide `from` in `bytes` becomes `to`, of the same length.
    static void ReplaceInPlace(std::string& bytes, const std::string& from, const std::string& to) {
        auto widened = [](const std::string& text) {
            std::string wide;
            for (char c : text) wide += {c, '\0'};
            return wide;
        };
        for (const auto& [a, b] : {std::pair{from, to}, std::pair{widened(from), widened(to)}}) {
            for (size_t at = bytes.find(a); at != std::string::npos; at = bytes.find(a, at + a.size())) {
                bytes.replace(at, a.size(), b);
            }
        }
    }

    std::filesystem::path folder_;
    std::string stem_;
    std::string bytes_;
};

}  // namespace bench
