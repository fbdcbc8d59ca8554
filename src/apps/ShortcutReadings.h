#pragma once
// What the catalog read from each shortcut, kept from one build to the next: a
// shortcut whose path, size and last write time are unchanged is not opened
// again. Shortcuts that must be opened are read on up to four threads.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "apps/ShortcutInfo.h"

class ShortcutReadings {
public:
    // Every path resolved as ResolveShortcut does, in the order given.
    std::vector<std::optional<ShortcutInfo>> Resolve(const std::vector<std::wstring>& paths);

    // A build starts; shortcuts no build has asked for since are forgotten by Sweep.
    void BeginBuild() {
        ++build_;
        opened_ = 0;
    }
    void Sweep();

    size_t Size() const { return readings_.size(); }
    // How many shortcuts this build opened (tests and figures).
    size_t OpenedCount() const { return opened_; }

private:
    struct Reading {
        uint64_t size = 0;
        uint64_t writeTime = 0;
        uint64_t build = 0;
        std::optional<ShortcutInfo> info;
    };
    std::unordered_map<std::wstring, Reading> readings_;
    uint64_t build_ = 0;
    size_t opened_ = 0;
};

// The shortcuts resolved as ResolveShortcut does, on up to four threads (each
// with COM initialised for itself).
std::vector<std::optional<ShortcutInfo>> ResolveShortcuts(const std::vector<std::wstring>& paths);
