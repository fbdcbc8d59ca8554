#include "dock/DockDropTarget.h"
#include "platform/ExceptionGuard.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include "platform/Log.h"

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

// "X:\..." or "\\server\share...": a name that depends on no working folder.
bool IsFullyQualifiedPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) {
        const wchar_t letter = static_cast<wchar_t>(path[0] | 0x20);
        return letter >= L'a' && letter <= L'z';
    }
    return path.size() >= 5 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
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
    } catch (...) {
        platform::LogCaughtException((std::wstring(L"DockDropTarget::") + operation).c_str());
    }
}

std::vector<std::wstring> ReadFileList(const BYTE* block, SIZE_T size) {
    std::vector<std::wstring> paths;
    if (!block || size < sizeof(DROPFILES)) return paths;
    DROPFILES header;
    std::memcpy(&header, block, sizeof(header));
    const SIZE_T unit = header.fWide ? sizeof(wchar_t) : 1;
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return paths;
    const BYTE* list = block + header.pFiles;
    const SIZE_T units = (size - header.pFiles) / unit;
    const auto at = [&](SIZE_T i) -> wchar_t {
        if (unit == 1) return static_cast<wchar_t>(list[i]);
        wchar_t c;
        std::memcpy(&c, list + i * unit, sizeof(c));
        return c;
    };
    for (SIZE_T i = 0;;) {
        const SIZE_T start = i;
        while (i < units && at(i) != 0) ++i;
        if (i >= units) return {};  // no terminator inside the block
        if (i == start) break;      // the empty name that ends the list
        std::wstring name;
        if (unit == 1) {
            const char* text = reinterpret_cast<const char*>(list + start);
            const int length = static_cast<int>(std::min<SIZE_T>(i - start, INT32_MAX));
            name.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0)));
            MultiByteToWideChar(CP_ACP, 0, text, length, name.data(), static_cast<int>(name.size()));
        } else {
            for (SIZE_T k = start; k < i; ++k) name += at(k);
        }
        // A list whose width flag does not match its text reads as one-letter
        // names or as noise: neither is a full path.
        if (IsFullyQualifiedPath(name)) paths.push_back(std::move(name));
        ++i;
    }
    return paths;
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
        const SIZE_T size = GlobalSize(medium.hGlobal);
        if (const auto* block = static_cast<const BYTE*>(GlobalLock(medium.hGlobal))) {
            paths = ReadFileList(block, size);
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return paths;
}

}  // namespace vantreel
