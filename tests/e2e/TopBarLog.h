#pragma once
// What the running program's debug log says about its top bar's items.

#include <cstdio>
#include <string>

// The left and right DIPs of an item in the last "TopBar layout" line.
inline bool TopBarItemSpan(const std::string& log, int id, int& left, int& right) {
    const size_t line = log.rfind("TopBar layout:");
    if (line == std::string::npos) return false;
    const size_t end = log.find('\n', line);
    const std::string key = " " + std::to_string(id) + ":";
    size_t at = log.find(key, line);
    if (at == std::string::npos || (end != std::string::npos && at > end)) {
        at = log.find("[" + std::to_string(id) + ":", line);  // the first item follows the bracket
        if (at == std::string::npos || (end != std::string::npos && at > end)) return false;
    }
    return std::sscanf(log.c_str() + at + key.size(), "%d-%d", &left, &right) == 2;
}

inline int CountTopBarLayouts(const std::string& log) {
    int count = 0;
    for (size_t at = log.find("TopBar layout:"); at != std::string::npos; at = log.find("TopBar layout:", at + 1)) {
        ++count;
    }
    return count;
}
