#include "config/ConfigStore.h"

#include "platform/Log.h"
#include "config/ConfigFile.h"
#include "config/ConfigMerge.h"

#include <utility>

DockConfig ConfigStore::Load(const std::wstring& path) {
    path_ = path;
    ConfigLoad load = LoadConfigFile(path);
    if (!load.fromFile) standIn_ = load.config;
    cut_ = load.cut;
    cutCopy_ = load.copy;
    return std::move(load.config);
}

std::optional<DockConfig> ConfigStore::TakeUnreadFile(const DockConfig& live) {
    if (!standIn_) return std::nullopt;
    std::string text;
    DWORD error = 0;
    switch (ReadConfigText(path_, text, error)) {
        case ConfigRead::Unreadable:
            return std::nullopt;
        case ConfigRead::Missing:
            standIn_.reset();
            return std::nullopt;
        case ConfigRead::Read:
            break;
    }
    DockConfig file;
    std::wstring copy;
    if (!ParseConfigFile(path_, text, file, copy)) {
        // A broken file is replaced by this save, as at a start that read it.
        standIn_.reset();
        return std::nullopt;
    }
    DockConfig merged = MergeConfigChanges(*standIn_, live, file);
    standIn_.reset();
    LogMessage(L"Config read before the first save; this run's changes go on top of it");
    // Lists too long to be written would have every save of the run refused.
    if (CutToWritableSize(path_, merged, cutCopy_)) cut_ = true;
    return merged;
}

bool ConfigStore::Save(const DockConfig& config) {
    std::wstring copy;
    if (standIn_ && !KeepConfigBackup(path_, copy)) {
        LogMessage(L"Config save refused: %s could not be kept before it is replaced", path_.c_str());
        return false;
    }
    if (!SaveConfig(path_, config)) return false;
    standIn_.reset();
    return true;
}

std::wstring ConfigStore::TakeNotice() {
    if (!std::exchange(cut_, false)) return {};
    if (cutCopy_.empty()) return L"列表过长，已截短以便保存；原文件未能另存";
    const size_t slash = cutCopy_.find_last_of(L"\\/");
    return L"列表过长，已截短以便保存；原文件保留为 " + cutCopy_.substr(slash == std::wstring::npos ? 0 : slash + 1);
}
