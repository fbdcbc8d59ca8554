#include "render/GraphicsDeviceStart.h"

#include <system_error>

GraphicsDeviceStart::GraphicsDeviceStart(GraphicsDevice& graphics) : graphics_(graphics) {
    try {
        worker_ = std::thread([this] { created_ = graphics_.Create(); });
    } catch (const std::system_error&) {
    }
}

GraphicsDeviceStart::~GraphicsDeviceStart() { Wait(); }

bool GraphicsDeviceStart::Wait() {
    if (finished_) return created_;
    if (worker_.joinable()) {
        worker_.join();
    } else {
        created_ = graphics_.Create();
    }
    finished_ = true;
    return created_;
}
