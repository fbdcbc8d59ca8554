#pragma once
// --keep-taskbar leaves the system taskbar alone for this run only: the live
// configuration says "do not hide", while the file keeps what the user chose
// until the user changes that very setting.

#include "config/DockConfig.h"

struct RunOnlyTaskbarSetting {
    bool active = false;
    bool fileValue = false;

    // Turns hiding off in the live configuration and remembers the file's value.
    void Begin(DockConfig& live) {
        active = true;
        fileValue = live.hideTaskbar;
        live.hideTaskbar = false;
    }
    // The user set hideTaskbar themselves; from now on the live value is saved.
    void End() { active = false; }

    // What to write to the file for the live configuration.
    DockConfig ForFile(const DockConfig& live) const {
        DockConfig copy = live;
        if (active) copy.hideTaskbar = fileValue;
        return copy;
    }
};
