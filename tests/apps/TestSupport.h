#pragma once
// Shared helpers of the catalog tests: temporary folders, shortcut fixtures,
// file and log reading.

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under %TEMP%, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// COM for the calling thread, single-threaded like the program's threads.
class ComScope {
public:
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// Creates the folder and its parents.
void MakeDirs(const std::wstring& path);
// Writes a shell link with IShellLinkW; false when the shell refuses it.
bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target,
                  const std::wstring& arguments = L"", const std::wstring& folder = L"");
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Polls until the file exists or the time is up.
bool WaitForFile(const std::wstring& path, DWORD timeoutMs);
std::wstring ReadUtf16File(const std::wstring& path);
// The test executable's folder.
std::wstring TestBinDirectory();
// The whole debug log beside the executable, as UTF-16.
std::wstring ReadDebugLog();
std::wstring Utf8ToWide(const std::string& text);
// A link file's property-store extra-data block holding one string property.
std::string MakeLinkPropertyStoreBlock(const GUID& formatId, uint32_t propertyId,
                                       const std::wstring& value);
