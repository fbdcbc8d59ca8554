#include "render/GraphicsDeviceStart.h"
#include "platform/ExceptionGuard.h"

#include <system_error>

#include "platform/DetachedThread.h"

GraphicsDeviceStart::GraphicsDeviceStart(GraphicsDevice& graphics) : graphics_(graphics) {
    try {
        std::promise<bool> promise;
        worker_ = promise.get_future();
        platform::StartDetachedThread([&graphics, promise = std::move(promise)]() mutable {
            bool created = false;
            try {
                created = graphics.CreateD3D();
            } catch (...) {
                platform::LogCaughtException(L"GraphicsDeviceStart worker");
            }
            promise.set_value(created);
        });
    } catch (const std::system_error&) {
        worker_ = {};  // Wait creates the device itself
    }
}

GraphicsDeviceStart::~GraphicsDeviceStart() { Wait(); }

bool GraphicsDeviceStart::Wait() {
    if (finished_) return created_;
    finished_ = true;
    try {
        created_ = worker_.valid() ? worker_.get() && graphics_.CreateD2D() : graphics_.Create();
    } catch (...) {  // a device that throws is no device
        platform::LogCaughtException(L"GraphicsDeviceStart::Wait");
        created_ = false;
    }
    return created_;
}
