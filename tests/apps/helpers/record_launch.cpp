// Records how it was started: one argument per line after "args:", then the
// working directory after "cwd:". Writes UTF-16 to the file named by
// VANTREEL_LAUNCH_RECORD, else to "record_launch.txt" beside itself; the text
// appears whole (written to a side file, then moved into place).

#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    std::wstring text = L"args:\n";
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        text += argv[i];
        text += L'\n';
    }
    if (argv) LocalFree(argv);
    wchar_t cwd[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, cwd);
    text += L"cwd:";
    text += cwd;
    text += L'\n';

    wchar_t target[MAX_PATH * 4] = {};
    if (!GetEnvironmentVariableW(L"VANTREEL_LAUNCH_RECORD", target, MAX_PATH * 4)) {
        GetModuleFileNameW(nullptr, target, MAX_PATH * 4);
        std::wstring beside = target;
        beside = beside.substr(0, beside.find_last_of(L"\\/") + 1) + L"record_launch.txt";
        wcscpy(target, beside.c_str());
    }
    const std::wstring side = std::wstring(target) + L".part";
    HANDLE file = CreateFileW(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    return MoveFileExW(side.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
