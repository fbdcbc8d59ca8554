#include "apps/ShortcutReadings.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <system_error>

#include "apps/Shortcut.h"
#include "platform/JoinableThread.h"

namespace {

constexpr size_t kMaxThreads = 4;
// Below this many shortcuts per thread a thread costs more than it saves.
constexpr size_t kShortcutsPerThread = 16;

bool FileStamp(const std::wstring& path, uint64_t& size, uint64_t& writeTime) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

}  // namespace

std::vector<std::optional<ShortcutInfo>> ResolveShortcuts(const std::vector<std::wstring>& paths) {
    std::vector<std::optional<ShortcutInfo>> results(paths.size());
    std::atomic<size_t> next{0};
    auto work = [&](bool initialiseCom) {
        const bool com = initialiseCom && SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        for (size_t i = next++; i < paths.size(); i = next++) results[i] = ResolveShortcut(paths[i]);
        if (com) CoUninitialize();
    };
    const size_t threads = std::min(kMaxThreads, paths.size() / kShortcutsPerThread);
    std::vector<platform::JoinableThread> helpers;
    for (size_t i = 1; i < threads; ++i) {
        try {
            helpers.push_back(platform::StartJoinableThread(work, true));
        } catch (const std::system_error&) {
            break;  // the threads that started, and this one, do the rest
        }
    }
    work(false);  // the caller's own thread has COM already
    for (auto& helper : helpers) helper.join();
    return results;
}

std::vector<std::optional<ShortcutInfo>> ShortcutReadings::Resolve(const std::vector<std::wstring>& paths) {
    std::vector<std::optional<ShortcutInfo>> results(paths.size());
    std::vector<size_t> missing;
    std::vector<std::wstring> missingPaths;
    std::vector<std::pair<uint64_t, uint64_t>> stamps(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        uint64_t size = 0, writeTime = 0;
        const bool stamped = FileStamp(paths[i], size, writeTime);
        stamps[i] = {size, writeTime};
        auto found = readings_.find(paths[i]);
        if (stamped && found != readings_.end() && found->second.size == size && found->second.writeTime == writeTime) {
            found->second.build = build_;
            results[i] = found->second.info;
            continue;
        }
        if (!stamped && found != readings_.end()) readings_.erase(found);
        missing.push_back(i);
        missingPaths.push_back(paths[i]);
    }
    std::vector<std::optional<ShortcutInfo>> read = ResolveShortcuts(missingPaths);
    opened_ += missing.size();
    for (size_t k = 0; k < missing.size(); ++k) {
        const size_t i = missing[k];
        results[i] = read[k];
        // A file that could not be asked for its size and time is read again
        // next time: nothing says it stayed the same.
        uint64_t size = 0, writeTime = 0;
        if (!FileStamp(paths[i], size, writeTime) || size != stamps[i].first || writeTime != stamps[i].second) {
            continue;
        }
        readings_[paths[i]] = Reading{size, writeTime, build_, std::move(read[k])};
    }
    return results;
}

void ShortcutReadings::Sweep() {
    std::erase_if(readings_, [this](const auto& entry) { return entry.second.build != build_; });
}
