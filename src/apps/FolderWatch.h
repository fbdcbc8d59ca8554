#pragma once
// Change notifications of a few folder trees, on a worker of their own: the
// callback runs on that worker once the folders have been quiet for a moment
// after a change, so an installer writing many files brings one call.

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

class FolderWatch {
public:
    static constexpr DWORD kQuietMs = 400;

    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch() { Stop(); }

    // Watches every folder that exists (names, folders and write times below
    // it). False when none can be watched or the worker cannot start.
    bool Start(const std::vector<std::wstring>& folders, std::function<void()> changed);
    // Ends the worker; a callback under way finishes first.
    void Stop();
    bool Running() const { return worker_.joinable(); }

private:
    HANDLE stop_ = nullptr;
    std::thread worker_;
};
