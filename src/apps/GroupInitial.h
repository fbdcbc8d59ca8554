#pragma once
// The letter under which the launcher's index groups an application.

#include <string>

#include "apps/InstalledApp.h"

// 'A'..'Z' for Latin names and for Chinese names by the pinyin of their first
// hanzi; '#' for everything else. Independent of the process locale.
wchar_t GroupInitialOf(const InstalledApp& entry);
wchar_t GroupInitialOfName(const std::wstring& name);
