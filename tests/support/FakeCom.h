#pragma once
// The IUnknown (and IInspectable) part every fake COM object of the tests
// shares: it answers for IUnknown, its interface and `Also...`, counts
// its references across threads and deletes itself at the last Release.

#include <windows.h>
#include <inspectable.h>

#include <atomic>

#include "platform/InspectableHelpers.h"

template <typename Interface, typename... Also>
class FakeUnknown : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface) || ((iid == __uuidof(Also)) || ...)) {
            *object = static_cast<Interface*>(this);
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

protected:
    virtual ~FakeUnknown() = default;

private:
    std::atomic<ULONG> refs_{1};
};

template <typename Interface>
class FakeInspectable : public FakeUnknown<Interface, IInspectable> {
public:
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override { return platform::NoIids(count, iids); }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
        return platform::ClassName(L"FakeRuntimeObject", name);
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override { return platform::BaseTrustLevel(level); }
};
