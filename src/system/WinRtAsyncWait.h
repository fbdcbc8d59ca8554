#pragma once
// What a worker of the system services needs to call the Windows Runtime
// without the projection: COM for its own multithreaded apartment, and a
// bounded wait for an asynchronous operation's completion.

#include <windows.h>
#include <asyncinfo.h>
#include <objbase.h>
#include <objidl.h>
#include <wrl/client.h>

#include <atomic>
#include <chrono>

#include "platform/RadioInterfaces.h"
#include "platform/UniqueHandle.h"

namespace vantreel {

// COM for the worker's own multithreaded apartment, undone when the worker ends.
class MtaScope {
public:
    MtaScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~MtaScope() {
        if (initialized_) CoUninitialize();
    }
    MtaScope(const MtaScope&) = delete;
    MtaScope& operator=(const MtaScope&) = delete;

private:
    bool initialized_;
};

// A completion handler that signals an event the worker blocks on. Agile, so
// the operation may call it from whichever thread completes it.
template <typename Operation, typename Handler>
class AsyncCompletionSignal final : public Handler {
public:
    AsyncCompletionSignal() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Handler) || iid == __uuidof(IAgileObject)) {
            *object = static_cast<Handler*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Invoke(Operation*, platform::AsyncStatus status) override {
        status_.store(status);
        SetEvent(event_.get());
        return S_OK;
    }

    // Blocks until the operation ends or the limit passes; true when it ended.
    bool Wait(std::chrono::milliseconds limit) const {
        return event_ && WaitForSingleObject(event_.get(), static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
    }
    // It completed: not cancelled and not failed.
    bool Completed() const { return status_.load() == platform::AsyncStatus::Completed; }

private:
    ~AsyncCompletionSignal() = default;

    std::atomic<ULONG> refs_{1};
    platform::UniqueHandle event_;
    std::atomic<platform::AsyncStatus> status_{platform::AsyncStatus::Started};
};

// Blocks until `operation` ends, at most `limit`; true when it completed. An
// operation that has not ended by then is cancelled: nobody waits for it any
// more, and the worker must not hang on it for ever.
template <typename Operation, typename Handler>
bool WaitForAsyncOperation(Operation* operation, std::chrono::milliseconds limit) {
    Microsoft::WRL::ComPtr<AsyncCompletionSignal<Operation, Handler>> signal;
    signal.Attach(new AsyncCompletionSignal<Operation, Handler>());
    if (FAILED(operation->put_Completed(signal.Get()))) return false;
    if (signal->Wait(limit)) return signal->Completed();
    Microsoft::WRL::ComPtr<IAsyncInfo> info;
    if (SUCCEEDED(operation->QueryInterface(__uuidof(IAsyncInfo), reinterpret_cast<void**>(info.GetAddressOf()))) &&
        info)
        info->Cancel();
    return false;
}

}  // namespace vantreel
