#pragma once
// Loads the label font and its shaping on a worker while the dock starts, so
// the first hover label does not pay for it on the UI thread.

#include <dwrite.h>
#include <wrl/client.h>

// Returns at once; the worker holds its own reference to the factory.
void WarmLabelTextOnWorker(Microsoft::WRL::ComPtr<IDWriteFactory> factory);
