#pragma once
// A data object like the ones a file manager, an editor or a browser offers in
// a drag: a file list (CF_HDROP in global memory), text only, one that answers
// S_FALSE for every format, a file list with no files, or a file-list block
// given byte for byte. It counts the calls
// a drop target makes. Header-only so that helper programs and benchmarks,
// which link no test support, can offer it too.

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

enum class DropDataKind { Files, Text, Refuses, EmptyFileList, RawFileList };

// A DROPFILES block of wide paths, double-null terminated, in global memory.
// An empty list is two nulls too: readers step over the first (empty) name
// before they look for the end, and a copy made across processes holds no
// zeroed slack beyond the block to save them.
inline HGLOBAL MakeFileListMemory(const std::vector<std::wstring>& paths) {
    size_t chars = paths.empty() ? 2 : 1;
    for (const auto& path : paths) chars += path.size() + 1;
    const size_t bytes = sizeof(DROPFILES) + chars * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!memory) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const auto& path : paths) {
        std::memcpy(text, path.c_str(), path.size() * sizeof(wchar_t));
        text += path.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

inline HGLOBAL MakeTextMemory(const std::wstring& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.size() + 1) * sizeof(wchar_t));
    if (!memory) return nullptr;
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

inline HGLOBAL MakeBytesMemory(const std::string& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

class FileDropData final : public IDataObject {
public:
    explicit FileDropData(DropDataKind kind, std::vector<std::wstring> paths = {})
        : kind_(kind), paths_(std::move(paths)) {}
    // A CF_HDROP block of exactly these bytes.
    explicit FileDropData(std::string block) : kind_(DropDataKind::RawFileList), block_(std::move(block)) {}
    FileDropData(const FileDropData&) = delete;
    FileDropData& operator=(const FileDropData&) = delete;

    std::atomic<int> queryGetDataCalls{0};
    std::atomic<int> getDataCalls{0};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = --refs_;
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++getDataCalls;
        if (!format || !medium) return E_INVALIDARG;
        const HRESULT offered = Offers(*format);
        if (offered != S_OK) return offered == S_FALSE ? DV_E_FORMATETC : offered;
        HGLOBAL memory = kind_ == DropDataKind::Text ? MakeTextMemory(L"https://example.invalid/")
                         : kind_ == DropDataKind::RawFileList ? MakeBytesMemory(block_)
                                                              : MakeFileListMemory(paths_);
        if (!memory) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        ++queryGetDataCalls;
        return format ? Offers(*format) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC format = OwnFormat();
        return SHCreateStdEnumFmtEtc(kind_ == DropDataKind::Refuses ? 0 : 1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~FileDropData() = default;

    FORMATETC OwnFormat() const {
        FORMATETC format = {};
        format.cfFormat = kind_ == DropDataKind::Text ? CF_UNICODETEXT : CF_HDROP;
        format.dwAspect = DVASPECT_CONTENT;
        format.lindex = -1;
        format.tymed = TYMED_HGLOBAL;
        return format;
    }

    HRESULT Offers(const FORMATETC& format) const {
        if (kind_ == DropDataKind::Refuses) return S_FALSE;
        const FORMATETC own = OwnFormat();
        if (format.cfFormat != own.cfFormat) return DV_E_FORMATETC;
        if (!(format.tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        if (format.dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        return S_OK;
    }

    std::atomic<LONG> refs_{1};
    DropDataKind kind_;
    std::vector<std::wstring> paths_;
    std::string block_;
};

}  // namespace testing_support
