#pragma once
// The configuration file as one run of the program knows it: whether the
// live configuration came from it, and what the user is to be told about it.

#include "config/DockConfig.h"

#include <optional>
#include <string>

class ConfigStore {
public:
    // LoadConfigFile, remembering what stood in for a file that could not be read.
    DockConfig Load(const std::wstring& path);
    const std::wstring& Path() const { return path_; }

    // Before a save of a run that could not read the file at start: the file,
    // when it can be read now, with the changes `live` made to what stood in
    // for it, cut to a writable size like a file read at start. The caller
    // makes that its live configuration and saves it. Nothing when the file
    // came from the start or still cannot be read.
    std::optional<DockConfig> TakeUnreadFile(const DockConfig& live);

    // SaveConfig. A file this run never read is kept as a dated copy first,
    // and not replaced when it cannot be kept.
    bool Save(const DockConfig& config);

    // Once: what the user should know about the file (lists cut at loading or
    // at the first save's read, and the copy that holds them whole); empty
    // when nothing.
    std::wstring TakeNotice();

private:
    std::wstring path_;
    std::optional<DockConfig> standIn_;
    bool cut_ = false;
    std::wstring cutCopy_;
};
