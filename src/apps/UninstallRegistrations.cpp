#include "apps/UninstallRegistrations.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

struct WatchedKey {
    HKEY key = nullptr;
    HANDLE changed = nullptr;  // signalled by the registry on any change below the key
    std::shared_ptr<const UninstallRegistrationList> registrations;
};

std::mutex& CacheMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

// Never destroyed: the keys and events stay open for the process's life.
std::map<std::pair<HKEY, std::wstring>, WatchedKey>& Cache() {
    static auto* cache = new std::map<std::pair<HKEY, std::wstring>, WatchedKey>;
    return *cache;
}

bool StillCurrent(const WatchedKey& watched) {
    if (!watched.registrations || WaitForSingleObject(watched.changed, 0) != WAIT_TIMEOUT) return false;
    // A deleted key tells no more changes, but no longer answers either.
    return RegQueryInfoKeyW(watched.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::shared_ptr<const UninstallRegistrationList> CachedUninstallRegistrations(HKEY root, const wchar_t* keyPath,
                                                                              const UninstallRegistrationReader& read) {
    std::lock_guard<std::mutex> lock(CacheMutex());
    WatchedKey& watched = Cache()[{root, keyPath}];
    if (StillCurrent(watched)) return watched.registrations;

    watched.registrations = nullptr;
    if (watched.key) {
        RegCloseKey(watched.key);
        watched.key = nullptr;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ | KEY_NOTIFY, &key) != ERROR_SUCCESS) {
        return std::make_shared<const UninstallRegistrationList>();
    }
    if (!watched.changed) watched.changed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Watch first, then read: a change during the read makes the next call read again.
    bool watching = watched.changed && ResetEvent(watched.changed) &&
                    RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                            watched.changed, TRUE) == ERROR_SUCCESS;
    auto registrations = std::make_shared<const UninstallRegistrationList>(read(key));
    if (watching) {
        watched.key = key;
        watched.registrations = registrations;
    } else {
        RegCloseKey(key);
    }
    return registrations;
}
