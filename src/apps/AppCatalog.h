#pragma once
// The catalog of launchable applications: Start-menu folders of two or more
// applications as folder entries, the Apps folder's items at the top level, and
// a plain Start-menu scan for the rest when the Apps folder cannot be read (or
// when nothing else gave an entry). Built from nothing on every call; COM must
// be initialised on the calling thread.

#include <memory>
#include <string>
#include <vector>

#include "apps/AppsFolderSource.h"
#include "apps/InstalledApp.h"
#include "apps/ShortcutReadings.h"

// Where a build looks. The defaults are the real Programs folders and the shell.
struct CatalogSources {
    std::wstring commonPrograms;  // all users' Programs folder
    std::wstring userPrograms;    // the current user's Programs folder
    AppsFolderSource appsFolder;
    // Kept from build to build by a caller that rebuilds: shortcuts unchanged
    // since the last build are not opened again.
    std::shared_ptr<ShortcutReadings> readings;
};

CatalogSources DefaultCatalogSources();

// The catalog sorted for display.
std::vector<InstalledApp> EnumerateInstalledApps();
std::vector<InstalledApp> EnumerateInstalledApps(const CatalogSources& sources);

// Score of a folder member as the folder's representative.
int RepresentativeScore(const std::wstring& folderKey, const InstalledApp& member);
// Index of the best-scoring member; ties keep the earlier one. 0 for no members.
size_t ChooseRepresentative(const std::wstring& folderName, const std::vector<InstalledApp>& members);

// Display order: by initial ('A'..'Z', then everything else), then by name in the
// user's collation, ignoring case.
bool InstalledAppLess(const InstalledApp& a, const InstalledApp& b);

using InstalledAppIterator = std::vector<InstalledApp>::iterator;
void SortAppsByName(InstalledAppIterator first, InstalledAppIterator last);
void SortAppsForDisplay(InstalledAppIterator first, InstalledAppIterator last);
