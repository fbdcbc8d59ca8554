#pragma once
// Creating the graphics device takes a quarter of a second, most of it in the
// system: it runs on a worker while the starting thread goes on with work that
// needs no device (factories, windows, caches, the backdrop). The worker makes
// the Direct3D device only; Wait adds the Direct2D device, from the factory the
// starting thread has made by then. Nothing may touch the device between the
// start and Wait.
//
// The worker is detached and hands its result over through its own promise:
// the thread is never joined. Joining it under load failed now and then
// (std::system_error out of the join), which ended the start, and a second
// join in the destructor then ended the process.

#include <future>

#include "render/GraphicsDevice.h"

class GraphicsDeviceStart {
public:
    // Starts GraphicsDevice::Create on a worker; where no thread can start,
    // Wait creates the device itself.
    explicit GraphicsDeviceStart(GraphicsDevice& graphics);
    // Waits: the worker never outlives its use of the device it fills in.
    ~GraphicsDeviceStart();
    GraphicsDeviceStart(const GraphicsDeviceStart&) = delete;
    GraphicsDeviceStart& operator=(const GraphicsDeviceStart&) = delete;

    // Create's result, once the worker has finished; false when it failed.
    bool Wait();

private:
    GraphicsDevice& graphics_;
    std::future<bool> worker_;
    bool created_ = false;
    bool finished_ = false;
};
