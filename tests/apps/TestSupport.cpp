#include "TestSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <atomic>
#include <filesystem>
#include <system_error>

#include "platform/Log.h"

using Microsoft::WRL::ComPtr;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"vtcat_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(counter++);
    MakeDirs(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path_), ec);
}

void MakeDirs(const std::wstring& path) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path), ec);
}

bool MakeShortcut(const std::wstring& linkPath, const std::wstring& target,
                  const std::wstring& arguments, const std::wstring& folder) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link)))) {
        return false;
    }
    if (FAILED(link->SetPath(target.c_str()))) return false;
    if (!arguments.empty() && FAILED(link->SetArguments(arguments.c_str()))) return false;
    if (!folder.empty() && FAILED(link->SetWorkingDirectory(folder.c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!FileExists(path)) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    return true;
}

std::wstring ReadUtf16File(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

std::wstring TestBinDirectory() { return ExecutableDirectory(); }

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::wstring ReadDebugLog() { return Utf8ToWide(ReadBytes(TestBinDirectory() + L"\\vantreel.log")); }

namespace {

void PutU32(std::string& out, uint32_t value) { out.append(reinterpret_cast<char*>(&value), 4); }

}  // namespace

// Layout of the link format's property-store block: block size and signature,
// then serialized storages ("1SPS", format id, values), each list ended by a zero size.
std::string MakeLinkPropertyStoreBlock(const GUID& formatId, uint32_t propertyId,
                                       const std::wstring& value) {
    // Typed value: type, padding, character count (with terminator), the
    // characters, padded to a multiple of four bytes.
    std::string typed;
    typed.append("\x1F\x00\x00\x00", 4);
    const uint32_t chars = static_cast<uint32_t>(value.size() + 1);
    PutU32(typed, chars);
    typed.append(reinterpret_cast<const char*>(value.c_str()), chars * 2);
    while (typed.size() % 4) typed.push_back('\0');

    std::string property;
    PutU32(property, static_cast<uint32_t>(4 + 4 + 1 + typed.size()));
    PutU32(property, propertyId);
    property.push_back('\0');
    property += typed;

    std::string storage;
    PutU32(storage, static_cast<uint32_t>(4 + 4 + 16 + property.size() + 4));
    PutU32(storage, 0x53505331u);
    storage.append(reinterpret_cast<const char*>(&formatId), 16);
    storage += property;
    PutU32(storage, 0);  // end of values

    std::string block;
    PutU32(block, static_cast<uint32_t>(8 + storage.size() + 4));
    PutU32(block, 0xA0000009u);
    block += storage;
    PutU32(block, 0);  // end of storages
    return block;
}
