#include "system/TrayTestSupport.h"

#include <cstdio>
#include <sstream>

using namespace testing_support;

TrayHelperProcess::~TrayHelperProcess() { Kill(); }

bool TrayHelperProcess::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& outFile) {
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    if (outFile.empty()) return true;
    bool ready = PollUntil([&] { return FileExists(outFile); }, 10000);
    outText_ = FromUtf8(ReadTextFile(outFile));
    return ready;
}

void TrayHelperProcess::Kill() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
    process_ = nullptr;
}

bool TrayHelperProcess::WaitExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool TrayHelperProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND TrayHelperProcess::Window(wchar_t letter) const {
    std::wistringstream in(outText_);
    std::wstring tag, value;
    while (in >> tag >> value) {
        if (tag.size() == 1 && tag[0] == letter)
            return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(value.c_str(), nullptr, 16)));
    }
    return nullptr;
}

std::wstring CopyTrayOwner(const std::wstring& folder, const std::wstring& name) {
    std::wstring target = folder + L"\\" + name;
    CopyFileW((BinDir() + L"\\tray_owner_gui.exe").c_str(), target.c_str(), FALSE);
    return target;
}

std::wstring HexHandle(HWND window) {
    wchar_t text[32];
    _snwprintf(text, 31, L"%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    text[31] = 0;
    return text;
}

std::wstring FakeTrayButton(HWND owner, unsigned uid, unsigned callback, bool hidden, const std::wstring& tip) {
    return L"\"" + HexHandle(owner) + L"," + std::to_wstring(uid) + L"," + std::to_wstring(callback) + L"," +
           (hidden ? L"h" : L"v") + L"," + tip + L"\"";
}

std::string ReadTextFile(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
