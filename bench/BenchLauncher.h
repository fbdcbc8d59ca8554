#pragma once
// The launcher on the bench device with the 2000-entry catalog and the real
// icon loader, initialised (light theme, scale 1) but not yet opened.

#include "AllAppsBenchCatalog.h"
#include "BenchDevice.h"
#include "allapps/AllAppsWindow.h"
#include "apps/CompositionIconHost.h"
#include "apps/IconLoader.h"

namespace bench {

class Launcher {
public:
    explicit Launcher(Device& device)
        : iconHost{device.host}, iconGraphics{device.graphics.dwriteFactory.Get(), device.graphics.wicFactory.Get()} {
        loader.graphics = &iconGraphics;
        loader.host = &iconHost;
        apps.instance = GetModuleHandleW(nullptr);
        apps.device = &device.graphics;
        apps.composition = &device.host;
        apps.iconLoader = &loader;
        apps.dockReserve = kDockReserve;
        apps.catalogSource = {};
        apps.catalog = BenchCatalog();
        apps.catalogReady = true;
        config.theme = 1;
        apps.Initialize(nullptr, config, 1.0f, kDockReserve);
    }
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;
    ~Launcher() { apps.Shutdown(); }

    void Toggle() { apps.Toggle(nullptr, config, 1.0f, kDockReserve); }

    static constexpr float kDockReserve = 78.0f;

private:
    CompositionIconHost iconHost;
    IconGraphics iconGraphics;
    IconLoader loader;
    DockConfig config;

public:
    AllAppsWindow apps;
};

}  // namespace bench
