#include "config/SharedFile.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>

#include "platform/Log.h"
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

bool MoveAsideAndReplace(const std::wstring& from, const std::wstring& to, DWORD flags, const FileMove& move) {
    static std::atomic<unsigned> counter{0};
    // A name no other save uses: an earlier old file may still be open under its own.
    const std::wstring aside =
        to + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".old";
    if (!move(to, aside, 0)) return false;
    if (move(from, to, flags)) {
        DeleteFileW(aside.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    // Deleted aside, the old file would be in no file at all.
    if (!move(aside, to, 0)) LogMessage(L"Replacing %s failed; the old file is kept as %s", to.c_str(), aside.c_str());
    SetLastError(error);
    return false;
}

}  // namespace

bool ReplaceSharedFile(const std::wstring& from, const std::wstring& to, DWORD flags) {
    return ReplaceSharedFile(from, to, flags, [](const std::wstring& source, const std::wstring& target, DWORD how) {
        return MoveFileExW(source.c_str(), target.c_str(), how) != FALSE;
    });
}

bool ReplaceSharedFile(const std::wstring& from, const std::wstring& to, DWORD flags, const FileMove& move) {
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (attempt > 0) Sleep(kMoveRetryMs);
        if (move(from, to, flags)) return true;
        if (MoveAsideAndReplace(from, to, flags, move)) return true;
    }
    return false;
}
