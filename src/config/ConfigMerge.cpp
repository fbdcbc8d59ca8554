#include "config/ConfigMerge.h"

#include "config/DockConfigFields.h"

#include <algorithm>

namespace {

template <typename T>
void TakeChanged(const T& base, const T& live, T& out) {
    if (!(live == base)) out = live;
}

template <typename T>
bool Contains(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The entries of `list` that `other` holds too, in the order of `list`.
template <typename T>
std::vector<T> SharedWith(const std::vector<T>& list, const std::vector<T>& other) {
    std::vector<T> shared;
    for (const T& entry : list) {
        if (Contains(other, entry)) shared.push_back(entry);
    }
    return shared;
}

template <typename T>
void TakeListChanges(const std::vector<T>& base, const std::vector<T>& live, std::vector<T>& out) {
    std::erase_if(out, [&](const T& entry) { return Contains(base, entry) && !Contains(live, entry); });
    for (const T& entry : live) {
        if (!Contains(base, entry) && !Contains(out, entry)) out.push_back(entry);
    }
    // A drag in the dock is a change like any other: the file's order would
    // undo it. The entries the run kept go first in its order; the rest of the
    // file follows as it stood.
    std::vector<T> kept = SharedWith(live, base);
    if (kept == SharedWith(base, live)) return;
    std::erase_if(kept, [&](const T& entry) { return !Contains(out, entry); });
    std::erase_if(out, [&](const T& entry) { return Contains(kept, entry); });
    out.insert(out.begin(), kept.begin(), kept.end());
}

}  // namespace

DockConfig MergeConfigChanges(const DockConfig& base, const DockConfig& live, const DockConfig& file) {
    DockConfig out = file;
    for (const DockConfigField& field : DockConfigFields()) {
        std::visit(
            [&](auto member) {
                using Value = std::remove_reference_t<decltype(out.*member)>;
                if constexpr (std::is_same_v<Value, uint64_t>) {
                    // A watermark only moves forward: an older one would bring
                    // cleared notifications back.
                    if (live.*member != base.*member) out.*member = std::max(file.*member, live.*member);
                } else if constexpr (std::is_same_v<Value, std::vector<PinnedApp>>) {
                    TakeListChanges(base.*member, live.*member, out.*member);
                } else if constexpr (std::is_same_v<Value, std::vector<std::wstring>>) {
                    // The tile list is one setting: a changed list replaces the file's.
                    if (field.kind == FieldKind::Tiles) {
                        TakeChanged(base.*member, live.*member, out.*member);
                    } else {
                        TakeListChanges(base.*member, live.*member, out.*member);
                    }
                } else {
                    TakeChanged(base.*member, live.*member, out.*member);
                }
            },
            field.member);
    }
    DockConfig::Clamp(out);
    return out;
}
