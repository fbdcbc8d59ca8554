#pragma once
// What the dock pins for a file or a launcher entry, so that the pin starts
// the way the file or entry does.

#include <optional>
#include <string>

#include "apps/InstalledApp.h"
#include "config/DockConfig.h"

// A dropped file: a shortcut as its target with its arguments and application
// id, any other file as itself. Nothing for an empty path. COM must be initialised.
std::optional<PinnedApp> PinnedAppFromFile(const std::wstring& path);

// A launcher entry: its shortcut as a drop of that shortcut would pin it, under
// the entry's name; an entry without a shortcut as its target.
PinnedApp PinnedAppFromInstalledApp(const InstalledApp& app);
