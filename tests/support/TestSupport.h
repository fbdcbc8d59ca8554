#pragma once
// Helpers for tests that use real files and real processes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Folder of the running test executable (build/bin), where the program and
// the helper programs are built.
std::wstring BinDir();

// A fresh folder under %TEMP%, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
};

// Starts a program with CreateProcessW (full 32-bit exit code, unlike the
// wine launcher), waits up to timeoutMs, kills it when it does not end.
ProcessResult RunProcess(const std::wstring& exe, const std::wstring& arguments,
                         const std::wstring& workingDir = L"", DWORD timeoutMs = 30000);

bool FileExists(const std::wstring& path);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace testing_support
