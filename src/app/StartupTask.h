#pragma once
// Start at logon through a scheduled task named "Vantreel".

#include <string>

namespace StartupTask {

// The task definition for this executable; empty when it cannot be built.
std::wstring BuildDefinition(const std::wstring& exePath);
bool Register(const std::wstring& definition);
bool Uninstall();

}  // namespace StartupTask
