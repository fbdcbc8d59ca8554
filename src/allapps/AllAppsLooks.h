#pragma once
// What decides the pixels of each painted element of the launcher. An element
// is painted again only when its look differs from the one it was last painted
// with; a default look (never painted, or its surface dropped) equals no real one.

#include <cstdint>
#include <string>
#include <vector>

struct ChromeLook {
    bool painted = false;
    int width = 0, height = 0;  // surface pixels
    float scale = 0;
    bool dark = false;
    int tab = 0;
    int hoveredTab = -1;
    int hoveredFooter = -1;
    bool closeHovered = false, backHovered = false, powerHovered = false, restoreAllHovered = false;
    bool restoreAllShown = false;
    const void* folder = nullptr;
    size_t folderCount = 0;
    friend bool operator==(const ChromeLook&, const ChromeLook&) = default;
};

struct SearchFieldLook {
    bool painted = false;
    int width = 0, height = 0;
    float scale = 0;
    bool dark = false;
    bool focused = false, hovered = false, clearHovered = false;
    std::wstring text, composition;
    friend bool operator==(const SearchFieldLook&, const SearchFieldLook&) = default;
};

struct IndexBarLook {
    bool painted = false;
    int width = 0, height = 0;
    float scale = 0;
    bool dark = false;
    std::vector<uint16_t> letters;
    std::vector<float> scales, lifts;
    uint16_t selected = 0;
    int hovered = -1;
    friend bool operator==(const IndexBarLook&, const IndexBarLook&) = default;
};

struct PageDotsLook {
    bool painted = false;
    int width = 0, height = 0;
    float scale = 0;
    bool dark = false;
    int page = 0, pageCount = 0;
    friend bool operator==(const PageDotsLook&, const PageDotsLook&) = default;
};
