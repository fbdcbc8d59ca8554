// Returns from main while a radio query's worker still waits for a radio list
// that takes 5 s: the process must end with 0 and without a crash, the
// detached worker cut off in the middle.
//
// Exit codes: 0 the query timed out as expected, 3 it did not.

#include <windows.h>

#include "../FakeRadios.h"

int main() {
    fake_radios::Install({{platform::RadioKind::Bluetooth, platform::RadioState::On,
                           platform::RadioAccessStatus::Allowed}},
                         5000);
    const auto result = vantreel::QueryWinRtRadioState(platform::RadioKind::Bluetooth);
    if (result.found || result.on) return 3;
    return 0;
}
