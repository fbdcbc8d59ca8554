#pragma once
// Change notifications of a few folder trees, on a worker of their own: the
// callback runs on that worker once the folders have been quiet for a moment
// after a change, so an installer writing many files brings one call. A tree
// that is deleted, made again, or missing at the start is watched whenever it
// exists: its parent's folder list is watched too, and what cannot be opened
// is looked for every few seconds.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/JoinableThread.h"
#include "platform/UniqueHandle.h"

class FolderWatch {
public:
    static constexpr DWORD kQuietMs = 400;
    static constexpr DWORD kMissingPollMs = 3000;

    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch() { Stop(); }

    // Watches every folder given (names, folders and write times below it),
    // now or once it exists. False when none is given or the worker cannot start.
    bool Start(const std::vector<std::wstring>& folders, std::function<void()> changed);
    // Ends the worker; a callback under way finishes first.
    void Stop();
    bool Running() const { return worker_.joinable(); }

private:
    platform::UniqueHandle stop_;
    platform::JoinableThread worker_;
};
