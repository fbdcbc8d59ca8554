#pragma once
// Which uninstall registration belongs to an application: the choice made
// while the registrations are walked, apart from the registry that holds them.
// Every text is a key made by NormalizePathKey.

#include <string>
#include <vector>
#include "config/PathText.h"

// Folders that hold many products (the drive's program folders, the user's
// application-data folders, the system folder); none of them identifies one
// product by location. Computed once.
const std::vector<std::wstring>& ContainerFolderKeys();

// A folder key without trailing backslashes.
std::wstring TrimFolderKey(std::wstring key);

// True for a drive root or one of the container folders.
bool IsTooBroadForLocation(const std::wstring& folderKey, const std::vector<std::wstring>& containers);

// `part` occurs in `text` with no ASCII letter or digit right before or after it.
bool ContainsAsWord(const std::wstring& text, const std::wstring& part);

class UninstallMatcher {
public:
    UninstallMatcher(std::wstring nameKey, std::wstring directoryKey,
                     const std::vector<std::wstring>& containers = ContainerFolderKeys());

    // One registration: display, location and icon keys and its command (both
    // display and command non-empty). True when the walk can stop: the exact name.
    bool Consider(const std::wstring& display, const std::wstring& location, const std::wstring& icon,
                  const std::wstring& command);

    // The chosen command: the exact name, else the most specific location
    // (the later of equals), else the first name containment; empty for none.
    const std::wstring& Result() const { return candidate_; }

private:
    std::wstring nameKey_;
    std::wstring directoryKey_;
    const std::vector<std::wstring>* containers_;
    bool locationsApply_ = false;
    std::wstring candidate_;
    size_t candidateLocation_ = 0;  // length of the matched folder; 0 for a name match
};
