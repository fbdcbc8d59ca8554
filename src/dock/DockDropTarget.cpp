#include "dock/DockDropTarget.h"

#include <shellapi.h>

#include <exception>
#include <utility>

#include "app/Log.h"

namespace vantreel {

namespace {

FORMATETC FileListFormat() {
    FORMATETC format = {};
    format.cfFormat = CF_HDROP;
    format.ptd = nullptr;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    return format;
}

// S_FALSE ("could render, but not like this") refuses as firmly as an error.
bool OffersFileList(IDataObject* data) {
    if (!data) return false;
    FORMATETC format = FileListFormat();
    return data->QueryGetData(&format) == S_OK;
}

POINT ToPoint(POINTL point) { return POINT{point.x, point.y}; }

void SetEffect(DWORD* effect, bool accept) {
    if (effect) *effect = accept ? DROPEFFECT_LINK : DROPEFFECT_NONE;
}

// OLE calls us from C code: nothing may unwind through it.
template <typename Function, typename... Args>
void CallGuarded(const wchar_t* operation, const Function& callback, const Args&... args) {
    if (!callback) return;
    try {
        callback(args...);
    } catch (const std::exception& e) {
        LogMessage(L"DockDropTarget::%s std::exception: %S", operation, e.what());
    } catch (...) {
        LogMessage(L"DockDropTarget::%s unknown exception", operation);
    }
}

}  // namespace

std::atomic<int> DockDropTarget::freedCount{0};

DockDropTarget::DockDropTarget(Callbacks callbacks) : callbacks(std::move(callbacks)) {}

HRESULT STDMETHODCALLTYPE DockDropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DockDropTarget::AddRef() { return static_cast<ULONG>(++refCount); }

ULONG STDMETHODCALLTYPE DockDropTarget::Release() {
    const LONG count = --refCount;
    if (count == 0) {
        delete this;
        ++freedCount;
    }
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE DockDropTarget::DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
    // Decided once: the data object is not asked again while the drag moves.
    acceptable = OffersFileList(data);
    SetEffect(effect, acceptable);
    if (acceptable) CallGuarded(L"DragEnter", callbacks.onDragOver, ToPoint(point));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DockDropTarget::DragOver(DWORD, POINTL point, DWORD* effect) {
    SetEffect(effect, acceptable);
    if (acceptable) CallGuarded(L"DragOver", callbacks.onDragOver, ToPoint(point));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DockDropTarget::DragLeave() {
    acceptable = false;
    CallGuarded(L"DragLeave", callbacks.onDragLeave);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DockDropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
    const bool accepted = acceptable;
    acceptable = false;
    std::vector<std::wstring> paths;
    if (accepted) paths = ReadDroppedFiles(data);
    SetEffect(effect, !paths.empty());
    if (!paths.empty()) {
        CallGuarded(L"Drop", callbacks.onDrop, paths, ToPoint(point));
    } else {
        // The dock opened a gap and magnified while the drag hovered; a drop
        // that yields nothing must close it like a drag that leaves.
        CallGuarded(L"Drop", callbacks.onDragLeave);
    }
    return S_OK;
}

std::vector<std::wstring> ReadDroppedFiles(IDataObject* data) {
    std::vector<std::wstring> paths;
    if (!data) return paths;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return paths;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
        if (drop) {
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = DragQueryFileW(drop, i, nullptr, 0);
                if (length == 0) continue;
                std::wstring path(length + 1, L'\0');
                const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
                if (copied == 0) continue;
                path.resize(copied);
                paths.push_back(std::move(path));
            }
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return paths;
}

}  // namespace vantreel
