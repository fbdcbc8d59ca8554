#pragma once
// Classifiers of catalog entries by their names and targets. Pure functions over
// path keys; no state, no locks.

#include <string>

#include "apps/AppCategory.h"
#include "apps/InstalledApp.h"

// True for uninstallers: by name key, or by a target file name (the part of the
// target key after its last separator) containing "unins".
bool IsUninstallerName(const std::wstring& nameKey, const std::wstring& fileName);

// Help files, web links, read-me's, licences and uninstallers in the Start menu.
bool IsDocumentationShortcut(const std::wstring& displayName, const std::wstring& targetPath);

// The first keyword list (media, social, office, development, games) with a word
// in the name, target or launch id decides; else Other. The user's own profile
// folder is blanked out of the target and the id first, so the user's account
// name never counts as a keyword.
AppCategory AppCategoryFor(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId);
// The same with the profile folder's key given (empty: nothing is blanked).
AppCategory AppCategoryFor(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId,
                           const std::wstring& profileKey);

// False for uninstallers, documentation, installers, updaters, system tools and
// auxiliary system packages; true for main applications.
bool IsPrimaryAppEntry(const InstalledApp& entry, const std::wstring& targetPath, const std::wstring& launchId);

// The program a shortcut starts in the end, for classifying it: an
// installer-managed "Update.exe --processStart App.exe" shortcut starts
// App.exe beside Update.exe, so that path; any other shortcut's own target.
std::wstring ClassifiedTargetOf(const std::wstring& targetPath, const std::wstring& arguments);

// Path key of the current user's profile folder, computed once; empty when unknown.
const std::wstring& UserProfileKey();
