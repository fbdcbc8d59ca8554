#include "app/StartupTask.h"

// The logon task is not available yet: every operation reports failure, so the
// --install-startup and --uninstall-startup modes end with exit code 2.
namespace StartupTask {

std::wstring BuildDefinition(const std::wstring&) { return {}; }
bool Register(const std::wstring&) { return false; }
bool Uninstall() { return false; }

}  // namespace StartupTask
