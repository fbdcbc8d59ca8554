#pragma once
// Windows.Networking.Connectivity and Windows.Networking.NetworkOperators as
// the mobile-hotspot service calls them, which the toolchain headers lack:
// the NetworkInformation statics (INetworkInformationStatics), the
// ConnectionProfile (IConnectionProfile, only handed on, never called) and
// IVectorView<ConnectionProfile>, the NetworkOperatorTetheringManager statics
// (INetworkOperatorTetheringManagerStatics2) and manager, the operation result
// and IAsyncOperation<NetworkOperatorTetheringOperationResult> with its
// completion handler. Declared from the public documentation (interface ids,
// method order, enumeration values); the ids of the parameterized instances
// follow the documented derivation from the type signatures (SHA-1 over the
// signature, version 5). Interfaces list their methods up to the last one
// called. Only the ABI is given here.

#include <windows.h>
#include <inspectable.h>

#include "platform/RadioInterfaces.h"

namespace platform {

// Windows.Networking.NetworkOperators.TetheringOperationalState
enum class TetheringOperationalState : INT32 { Unknown = 0, On = 1, Off = 2, InTransition = 3 };
// Windows.Networking.NetworkOperators.TetheringOperationStatus (Success is the only value read)
enum class TetheringOperationStatus : INT32 { Success = 0, Unknown = 1 };
// Windows.Networking.NetworkOperators.TetheringCapability (Enabled is 0)
enum class TetheringCapability : INT32 { Enabled = 0 };

inline constexpr wchar_t kNetworkInformationClassName[] = L"Windows.Networking.Connectivity.NetworkInformation";
inline constexpr wchar_t kTetheringManagerClassName[] =
    L"Windows.Networking.NetworkOperators.NetworkOperatorTetheringManager";

}  // namespace platform

struct IConnectionProfile;
struct IConnectionProfileVectorView;
struct INetworkOperatorTetheringManager;
struct ITetheringOperation;

// Windows.Networking.Connectivity.IConnectionProfile: passed from the
// connectivity classes to the tethering manager, none of its methods called.
MIDL_INTERFACE("71ba143c-598e-49d0-84eb-8febaedcc195")
IConnectionProfile : public IInspectable{};
__CRT_UUID_DECL(IConnectionProfile, 0x71ba143c, 0x598e, 0x49d0, 0x84, 0xeb, 0x8f, 0xeb, 0xae, 0xdc, 0xc1, 0x95)

// Windows.Foundation.Collections.IVectorView<Windows.Networking.Connectivity.ConnectionProfile>
MIDL_INTERFACE("6db1b492-3852-5df8-a29d-6944002f58d4")
IConnectionProfileVectorView : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IConnectionProfile * *item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32 * size) = 0;
};
__CRT_UUID_DECL(IConnectionProfileVectorView, 0x6db1b492, 0x3852, 0x5df8, 0xa2, 0x9d, 0x69, 0x44, 0x00, 0x2f, 0x58,
                0xd4)

// Windows.Networking.Connectivity.INetworkInformationStatics
MIDL_INTERFACE("5074f851-950d-4165-9c15-365619481eea")
INetworkInformationStatics : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionProfiles(IConnectionProfileVectorView * *profiles) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(IConnectionProfile * *profile) = 0;
};
__CRT_UUID_DECL(INetworkInformationStatics, 0x5074f851, 0x950d, 0x4165, 0x9c, 0x15, 0x36, 0x56, 0x19, 0x48, 0x1e, 0xea)

// Windows.Networking.NetworkOperators.INetworkOperatorTetheringOperationResult
MIDL_INTERFACE("ebd203a1-01ba-476d-b4b3-bf3d12c8f80c")
INetworkOperatorTetheringOperationResult : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Status(platform::TetheringOperationStatus * status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalErrorMessage(HSTRING * message) = 0;
};
__CRT_UUID_DECL(INetworkOperatorTetheringOperationResult, 0xebd203a1, 0x01ba, 0x476d, 0xb4, 0xb3, 0xbf, 0x3d, 0x12,
                0xc8, 0xf8, 0x0c)

// Windows.Foundation.AsyncOperationCompletedHandler<NetworkOperatorTetheringOperationResult>
MIDL_INTERFACE("a936b927-7537-59c6-89de-33f36a9725ab")
ITetheringOperationCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ITetheringOperation * operation, platform::AsyncStatus status) = 0;
};
__CRT_UUID_DECL(ITetheringOperationCompletedHandler, 0xa936b927, 0x7537, 0x59c6, 0x89, 0xde, 0x33, 0xf3, 0x6a, 0x97,
                0x25, 0xab)

// Windows.Foundation.IAsyncOperation<NetworkOperatorTetheringOperationResult>
MIDL_INTERFACE("601b30ed-9b7f-54b6-b61b-24a09bc56304")
ITetheringOperation : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(ITetheringOperationCompletedHandler * handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(ITetheringOperationCompletedHandler * *handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(INetworkOperatorTetheringOperationResult * *result) = 0;
};
__CRT_UUID_DECL(ITetheringOperation, 0x601b30ed, 0x9b7f, 0x54b6, 0xb6, 0x1b, 0x24, 0xa0, 0x9b, 0xc5, 0x63, 0x04)

// Windows.Networking.NetworkOperators.INetworkOperatorTetheringManager
MIDL_INTERFACE("d45a8da0-0e86-4d98-8ba4-dd70d4b764d3")
INetworkOperatorTetheringManager : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_MaxClientCount(UINT32 * count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientCount(UINT32 * count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TetheringOperationalState(platform::TetheringOperationalState * state) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentAccessPointConfiguration(IInspectable * *configuration) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConfigureAccessPointAsync(IInspectable * configuration,
                                                                IInspectable * *action) = 0;
    virtual HRESULT STDMETHODCALLTYPE StartTetheringAsync(ITetheringOperation * *operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopTetheringAsync(ITetheringOperation * *operation) = 0;
};
__CRT_UUID_DECL(INetworkOperatorTetheringManager, 0xd45a8da0, 0x0e86, 0x4d98, 0x8b, 0xa4, 0xdd, 0x70, 0xd4, 0xb7, 0x64,
                0xd3)

// Windows.Networking.NetworkOperators.INetworkOperatorTetheringManagerStatics2
MIDL_INTERFACE("5b235412-35f0-49e7-9b08-16d278fbaa42")
INetworkOperatorTetheringManagerStatics2 : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetTetheringCapabilityFromConnectionProfile(
        IConnectionProfile * profile, platform::TetheringCapability * capability) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFromConnectionProfile(IConnectionProfile * profile,
                                                                  INetworkOperatorTetheringManager * *manager) = 0;
};
__CRT_UUID_DECL(INetworkOperatorTetheringManagerStatics2, 0x5b235412, 0x35f0, 0x49e7, 0x9b, 0x08, 0x16, 0xd2, 0x78,
                0xfb, 0xaa, 0x42)
