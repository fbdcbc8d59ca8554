#pragma once
// Stand-in Windows Runtime radio objects for the radio tests and their helper
// process: statics whose radio list completes after a set delay (never when
// INFINITE), radios of a
// given kind and state, and switch operations answering a set access status.
// Installed through the radio service's factory-lookup seam.
//
// The radio workers are detached and may outlive a test (or return from main),
// so everything they can reach lives on the heap and is never destroyed.

#include <windows.h>
#include <inspectable.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// Relative: the radio helper program builds this without the tests folder on
// its include path.
#include "../support/FakeCom.h"
#include "platform/DetachedThread.h"
#include "platform/InspectableHelpers.h"
#include "platform/RadioInterfaces.h"
#include "system/WinRtRadios.h"

namespace fake_radios {

struct RadioSpec {
    platform::RadioKind kind = platform::RadioKind::Bluetooth;
    platform::RadioState state = platform::RadioState::Off;
    platform::RadioAccessStatus access = platform::RadioAccessStatus::Allowed;
};

struct Setup {
    std::mutex mutex;
    std::vector<RadioSpec> radios;
    DWORD listDelayMs = 0;
    // Bumped when a worker has taken the radio list, however late.
    std::atomic<int> listsTaken{0};
    std::atomic<int> switchRequests{0};
};

inline Setup& TheSetup() {
    static Setup* setup = new Setup;  // never destroyed: late workers read it
    return *setup;
}

template <typename Interface>
using Inspectable = FakeInspectable<Interface>;

// Completes on a thread of its own after `delayMs`, then calls the handler. The
// thread is made detached: one detached after it ended spoils the thread
// library's bookkeeping under load (platform/DetachedThread.h).
template <typename Handler, typename Operation>
void CompleteLater(Operation* operation, Handler* handler, DWORD delayMs) {
    operation->AddRef();
    handler->AddRef();
    platform::StartDetachedThread([operation, handler, delayMs] {
        if (delayMs) Sleep(delayMs);
        handler->Invoke(operation, platform::AsyncStatus::Completed);
        handler->Release();
        operation->Release();
    });
}

class AccessOperation final : public Inspectable<IRadioAccessOperation> {
public:
    explicit AccessOperation(platform::RadioAccessStatus status) : status_(status) {}
    HRESULT STDMETHODCALLTYPE put_Completed(IRadioAccessCompletedHandler* handler) override {
        if (!handler) return E_POINTER;
        CompleteLater(this, handler, 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Completed(IRadioAccessCompletedHandler**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetResults(platform::RadioAccessStatus* results) override {
        *results = status_;
        return S_OK;
    }

private:
    platform::RadioAccessStatus status_;
};

class Radio final : public Inspectable<IRadio> {
public:
    explicit Radio(const RadioSpec& spec) : spec_(spec) {}
    HRESULT STDMETHODCALLTYPE SetStateAsync(platform::RadioState, IRadioAccessOperation** operation) override {
        ++TheSetup().switchRequests;
        *operation = new AccessOperation(spec_.access);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_StateChanged(IUnknown*, INT64*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE remove_StateChanged(INT64) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_State(platform::RadioState* value) override {
        *value = spec_.state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) override { return platform::ClassName(L"Fake radio", value); }
    HRESULT STDMETHODCALLTYPE get_Kind(platform::RadioKind* value) override {
        *value = spec_.kind;
        return S_OK;
    }

private:
    RadioSpec spec_;
};

class RadioList final : public Inspectable<IRadioVectorView> {
public:
    explicit RadioList(std::vector<RadioSpec> radios) : radios_(std::move(radios)) {}
    HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IRadio** item) override {
        if (index >= radios_.size()) return E_INVALIDARG;
        *item = new Radio(radios_[index]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) override {
        *size = static_cast<UINT32>(radios_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IndexOf(IRadio*, UINT32*, boolean*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMany(UINT32, UINT32, IRadio**, UINT32*) override { return E_NOTIMPL; }

private:
    std::vector<RadioSpec> radios_;
};

class ListOperation final : public Inspectable<IRadioListOperation> {
public:
    ListOperation(std::vector<RadioSpec> radios, DWORD delayMs) : radios_(std::move(radios)), delayMs_(delayMs) {}
    HRESULT STDMETHODCALLTYPE put_Completed(IRadioListCompletedHandler* handler) override {
        if (!handler) return E_POINTER;
        if (delayMs_ != INFINITE) CompleteLater(this, handler, delayMs_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Completed(IRadioListCompletedHandler**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetResults(IRadioVectorView** results) override {
        *results = new RadioList(radios_);
        ++TheSetup().listsTaken;
        return S_OK;
    }

private:
    std::vector<RadioSpec> radios_;
    DWORD delayMs_;
};

class Statics final : public Inspectable<IRadioStatics> {
public:
    HRESULT STDMETHODCALLTYPE GetRadiosAsync(IRadioListOperation** operation) override {
        Setup& setup = TheSetup();
        std::lock_guard<std::mutex> lock(setup.mutex);
        *operation = new ListOperation(setup.radios, setup.listDelayMs);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FromIdAsync(HSTRING, IInspectable**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestAccessAsync(IRadioAccessOperation**) override { return E_NOTIMPL; }
};

inline HRESULT Lookup(HSTRING, REFIID iid, void** factory) {
    Statics* statics = new Statics;
    const HRESULT hr = statics->QueryInterface(iid, factory);
    statics->Release();
    return hr;
}

// Makes every radio call see these radios, listed after `listDelayMs`.
inline void Install(std::vector<RadioSpec> radios, DWORD listDelayMs = 0) {
    Setup& setup = TheSetup();
    {
        std::lock_guard<std::mutex> lock(setup.mutex);
        setup.radios = std::move(radios);
        setup.listDelayMs = listDelayMs;
    }
    vantreel::SetRadioFactoryLookup(&Lookup);
}

inline void Uninstall() { vantreel::SetRadioFactoryLookup(nullptr); }

}  // namespace fake_radios
