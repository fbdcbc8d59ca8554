#pragma once
// Stands in for the shell's app-bar list while it lives: it keeps a real
// taskbar state, counts the reads and records every write.

#include <vector>

#include "platform/SystemTaskbar.h"

namespace testing_support {

class FakeAppBar {
public:
    explicit FakeAppBar(uint32_t initialState) : state(initialState), saved_(SystemAppBarCalls()) {
        SystemAppBarCalls().send = [this](DWORD message, APPBARDATA& data) -> UINT_PTR {
            if (message == ABM_GETSTATE) {
                ++reads;
                return state;
            }
            if (message == ABM_SETSTATE) {
                state = static_cast<uint32_t>(data.lParam);
                writes.push_back(state);
                return 1;
            }
            return 0;
        };
    }
    ~FakeAppBar() { SystemAppBarCalls() = saved_; }
    FakeAppBar(const FakeAppBar&) = delete;
    FakeAppBar& operator=(const FakeAppBar&) = delete;

    uint32_t state;
    int reads = 0;
    std::vector<uint32_t> writes;

private:
    AppBarCalls saved_;
};

}  // namespace testing_support
