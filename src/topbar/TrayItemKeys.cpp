#include "topbar/TrayItemKeys.h"

#include <algorithm>

#include "config/PathText.h"

std::vector<TrayIconInfo>::iterator RemoveTrayItemsByKey(std::vector<TrayIconInfo>::iterator first,
                                                         std::vector<TrayIconInfo>::iterator last,
                                                         const std::wstring& key) {
    return std::remove_if(first, last, [&key](const TrayIconInfo& item) { return NormalizePathKey(item.key) == key; });
}

bool ToggleHiddenTrayKey(std::vector<std::wstring>& hiddenKeys, const std::wstring& key) {
    const auto found = std::find(hiddenKeys.begin(), hiddenKeys.end(), key);
    if (found != hiddenKeys.end()) {
        hiddenKeys.erase(found);
        return false;
    }
    hiddenKeys.push_back(key);
    return true;
}
