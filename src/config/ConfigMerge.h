#pragma once
// A run that could not read the configuration file went on with the defaults
// and let the user change them; once the file can be read, the user's file is
// what those changes belong on.

#include "config/DockConfig.h"

// `file` with every setting that `live` changed from `base`. Single values
// changed in `live` win; list entries added in `live` are appended to the
// file's list and entries removed in `live` are removed from it, so nothing
// the file held is lost by the run's changes to other settings. A list whose
// order `live` changed puts the entries `base` and `live` share first, in
// `live`'s order, and the file's other entries after them. The tile list is
// one setting: a changed list replaces the file's.
DockConfig MergeConfigChanges(const DockConfig& base, const DockConfig& live, const DockConfig& file);
