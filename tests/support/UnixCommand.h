#pragma once
// Programs of the machine the tests run on (xdotool, ImageMagick), started
// from a test under Wine.

#include <string>

namespace testing_support {

// Runs a command line of the machine's shell (no double quotes in it) and
// waits for it; true when it succeeded.
bool RunUnixCommand(const std::wstring& command);

}  // namespace testing_support
