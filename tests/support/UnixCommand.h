#pragma once
// Programs of the machine the tests run on (xdotool, ImageMagick), started
// from a test under Wine.

#include <string>

namespace testing_support {

// Runs a command line of the machine's shell (no double quotes in it) and
// waits for it; true when it succeeded.
bool RunUnixCommand(const std::wstring& command);
// A file name under the machine's /tmp no other test process uses, also one
// of another Wine prefix running beside this one (its process ids repeat ours).
std::wstring UnixTempName(const std::wstring& stem);

}  // namespace testing_support
