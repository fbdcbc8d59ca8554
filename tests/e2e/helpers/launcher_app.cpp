// A stand-in application for the launcher's Start-menu tests: it carries an
// icon, so its tile shows one, and when started leaves its command line and folder in
// "<its own path>.ran", so a test can tell that the launcher started it.
#include <windows.h>

#include <string>

int main() {
    wchar_t path[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return 1;
    const std::wstring file = std::wstring(path) + L".ran";
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring line = std::wstring(GetCommandLineW()) + L"\n" + folder;
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(out);
    return 0;
}
