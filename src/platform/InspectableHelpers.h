#pragma once
// The IInspectable answers our own Windows Runtime objects share: no further
// interface ids, base trust, and a fixed class name.

#include <inspectable.h>
#include <winstring.h>

#include <cwchar>

namespace platform {

inline HRESULT NoIids(ULONG* count, IID** iids) {
    if (!count || !iids) return E_POINTER;
    *count = 0;
    *iids = nullptr;
    return S_OK;
}

inline HRESULT BaseTrustLevel(TrustLevel* level) {
    if (!level) return E_POINTER;
    *level = ::BaseTrust;
    return S_OK;
}

inline HRESULT ClassName(const wchar_t* name, HSTRING* out) {
    if (!out) return E_POINTER;
    return WindowsCreateString(name, static_cast<UINT32>(wcslen(name)), out);
}

}  // namespace platform
