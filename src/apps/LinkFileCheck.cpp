#include "apps/LinkFileCheck.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <unordered_map>

#include "apps/LinkFileProperties.h"
#include "config/PathText.h"
#include "platform/UniqueHandle.h"

namespace {

// Shortcuts are a few kilobytes; the shell reads no link this large whole.
constexpr uint64_t kMaxLinkBytes = 1 << 20;
// Past this many links the verdicts start over: a bound, not a working set.
constexpr size_t kMaxVerdicts = 4096;

struct Stamp {
    uint64_t size = 0;
    uint64_t writeTime = 0;
    bool operator==(const Stamp&) const = default;
};

struct Verdict {
    Stamp stamp;
    bool sound = false;
};

struct Verdicts {
    std::mutex mutex;
    std::unordered_map<std::wstring, Verdict> byPath;
};

// Never destroyed: icon workers may still ask while the process exits.
Verdicts& SharedVerdicts() {
    static Verdicts* verdicts = new Verdicts;
    return *verdicts;
}

bool IsFileSystemPath(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return drive || path.starts_with(L"\\\\");
}

bool StampOf(const std::wstring& path, Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTime =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool ReadSound(const std::wstring& path, uint64_t size) {
    if (size == 0 || size > kMaxLinkBytes) return false;
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    DWORD read = 0;
    const bool ok = ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    file.reset();
    return ok && LinkBytesAreSound(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), read));
}

}  // namespace

bool IsLinkFileSound(const std::wstring& path) {
    if (!IsFileSystemPath(path) || NormalizePathKey(ExtensionOf(path)) != L".lnk") return true;
    Stamp stamp;
    // Nothing there for the shell to read.
    if (!StampOf(path, stamp)) return true;
    const std::wstring key = NormalizePathKey(path);
    Verdicts& verdicts = SharedVerdicts();
    {
        std::lock_guard<std::mutex> lock(verdicts.mutex);
        auto found = verdicts.byPath.find(key);
        if (found != verdicts.byPath.end() && found->second.stamp == stamp) return found->second.sound;
    }
    const bool sound = ReadSound(path, stamp.size);
    Stamp after;
    // A file that changed while it was read is judged again next time.
    if (!StampOf(path, after) || !(after == stamp)) return sound;
    std::lock_guard<std::mutex> lock(verdicts.mutex);
    if (verdicts.byPath.size() >= kMaxVerdicts) verdicts.byPath.clear();
    verdicts.byPath[key] = Verdict{stamp, sound};
    return sound;
}
