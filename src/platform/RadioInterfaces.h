#pragma once
// Windows.Devices.Radios as the radio query and switch call it, which the
// toolchain headers lack: the Radio class's statics (IRadioStatics), IRadio,
// and the parameterized Windows.Foundation interfaces its calls hand back,
// IVectorView<Radio>, IAsyncOperation<IVectorView<Radio>> and
// IAsyncOperation<RadioAccessStatus> with their completion handlers. Declared
// from the public documentation (interface ids, method order, enumeration
// values); the ids of the parameterized instances follow the documented
// derivation from the type signatures (SHA-1 over the signature, version 5).
// Only the ABI is given here.

#include <windows.h>
#include <inspectable.h>

namespace platform {

// Windows.Devices.Radios.RadioKind
enum class RadioKind : INT32 { Other = 0, WiFi = 1, MobileBroadband = 2, Bluetooth = 3, FM = 4 };
// Windows.Devices.Radios.RadioState
enum class RadioState : INT32 { Unknown = 0, On = 1, Off = 2, Disabled = 3 };
// Windows.Devices.Radios.RadioAccessStatus
enum class RadioAccessStatus : INT32 { Unspecified = 0, Allowed = 1, DeniedByUser = 2, DeniedBySystem = 3 };
// Windows.Foundation.AsyncStatus
enum class AsyncStatus : INT32 { Started = 0, Completed = 1, Canceled = 2, Error = 3 };

// The runtime class whose statics list the radios.
inline constexpr wchar_t kRadioClassName[] = L"Windows.Devices.Radios.Radio";

}  // namespace platform

struct IRadio;
struct IRadioVectorView;
struct IRadioListOperation;
struct IRadioAccessOperation;

// Windows.Devices.Radios.IRadio
MIDL_INTERFACE("252118df-b33e-416a-875f-1cf38ae2d83e")
IRadio : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SetStateAsync(platform::RadioState value, IRadioAccessOperation * *operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(IUnknown * handler, INT64 * token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(INT64 token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(platform::RadioState * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(platform::RadioKind * value) = 0;
};
__CRT_UUID_DECL(IRadio, 0x252118df, 0xb33e, 0x416a, 0x87, 0x5f, 0x1c, 0xf3, 0x8a, 0xe2, 0xd8, 0x3e)

// Windows.Devices.Radios.IRadioStatics
MIDL_INTERFACE("5fb6a12e-67cb-46ae-aae9-65919f86eff4")
IRadioStatics : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetRadiosAsync(IRadioListOperation * *operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING * selector) = 0;
    virtual HRESULT STDMETHODCALLTYPE FromIdAsync(HSTRING deviceId, IInspectable * *operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestAccessAsync(IRadioAccessOperation * *operation) = 0;
};
__CRT_UUID_DECL(IRadioStatics, 0x5fb6a12e, 0x67cb, 0x46ae, 0xaa, 0xe9, 0x65, 0x91, 0x9f, 0x86, 0xef, 0xf4)

// Windows.Foundation.Collections.IVectorView<Windows.Devices.Radios.Radio>
MIDL_INTERFACE("65066c36-090b-5466-b8e5-e7565dc34175")
IRadioVectorView : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IRadio * *item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32 * size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(IRadio * value, UINT32 * index, boolean * found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 startIndex, UINT32 capacity, IRadio * *items, UINT32 * actual) = 0;
};
__CRT_UUID_DECL(IRadioVectorView, 0x65066c36, 0x090b, 0x5466, 0xb8, 0xe5, 0xe7, 0x56, 0x5d, 0xc3, 0x41, 0x75)

// Windows.Foundation.AsyncOperationCompletedHandler<IVectorView<Radio>>
MIDL_INTERFACE("d30691e6-60a0-59c9-8965-5bbe282e8208")
IRadioListCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IRadioListOperation * operation, platform::AsyncStatus status) = 0;
};
__CRT_UUID_DECL(IRadioListCompletedHandler, 0xd30691e6, 0x60a0, 0x59c9, 0x89, 0x65, 0x5b, 0xbe, 0x28, 0x2e, 0x82, 0x08)

// Windows.Foundation.IAsyncOperation<IVectorView<Radio>>
MIDL_INTERFACE("040b54a1-203e-58f5-943f-c1cca86bd532")
IRadioListOperation : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IRadioListCompletedHandler * handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IRadioListCompletedHandler * *handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(IRadioVectorView * *results) = 0;
};
__CRT_UUID_DECL(IRadioListOperation, 0x040b54a1, 0x203e, 0x58f5, 0x94, 0x3f, 0xc1, 0xcc, 0xa8, 0x6b, 0xd5, 0x32)

// Windows.Foundation.AsyncOperationCompletedHandler<RadioAccessStatus>
MIDL_INTERFACE("bd248e73-f05f-574c-ae3d-9b95c4bf282a")
IRadioAccessCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IRadioAccessOperation * operation, platform::AsyncStatus status) = 0;
};
__CRT_UUID_DECL(IRadioAccessCompletedHandler, 0xbd248e73, 0xf05f, 0x574c, 0xae, 0x3d, 0x9b, 0x95, 0xc4, 0xbf, 0x28,
                0x2a)

// Windows.Foundation.IAsyncOperation<RadioAccessStatus>
MIDL_INTERFACE("21fb30ef-072f-502c-9898-d0c3b2cd9ac5")
IRadioAccessOperation : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IRadioAccessCompletedHandler * handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IRadioAccessCompletedHandler * *handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(platform::RadioAccessStatus * results) = 0;
};
__CRT_UUID_DECL(IRadioAccessOperation, 0x21fb30ef, 0x072f, 0x502c, 0x98, 0x98, 0xd0, 0xc3, 0xb2, 0xcd, 0x9a, 0xc5)
