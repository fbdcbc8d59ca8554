#include "config/SharedFile.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>

#include "platform/UniqueHandle.h"

namespace {

constexpr int kMoveAttempts = 3;
constexpr DWORD kMoveRetryMs = 15;

}  // namespace

FILE* OpenSharedForReading(const std::wstring& path) {
    if (path.empty()) return nullptr;
    // The runtime's own open shares no delete access, and a reader holding the
    // old file would then keep every save of a new one out.
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDONLY | _O_BINARY);
    if (descriptor == -1) return nullptr;
    file.release();  // the descriptor owns it
    FILE* stream = _fdopen(descriptor, "rb");
    if (!stream) _close(descriptor);  // closes the handle too
    return stream;
}

bool FlushToDisk(FILE* stream) {
    if (fflush(stream) != 0) return false;
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != FALSE;
}

bool MoveIntoPlace(const std::wstring& from, const std::wstring& to, DWORD flags) {
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (attempt > 0) Sleep(kMoveRetryMs);
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
    }
    return false;
}

namespace {

bool MoveAsideAndReplace(const std::wstring& from, const std::wstring& to, DWORD flags) {
    static std::atomic<unsigned> counter{0};
    // A name no other save uses: an earlier old file may still be open under its own.
    const std::wstring aside =
        to + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".old";
    if (!MoveFileExW(to.c_str(), aside.c_str(), 0)) return false;
    const bool moved = MoveFileExW(from.c_str(), to.c_str(), flags) != FALSE;
    const DWORD error = GetLastError();
    if (!moved) MoveFileExW(aside.c_str(), to.c_str(), 0);
    DeleteFileW(aside.c_str());
    SetLastError(error);
    return moved;
}

}  // namespace

bool ReplaceSharedFile(const std::wstring& from, const std::wstring& to, DWORD flags) {
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (attempt > 0) Sleep(kMoveRetryMs);
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
        if (MoveAsideAndReplace(from, to, flags)) return true;
    }
    return false;
}
