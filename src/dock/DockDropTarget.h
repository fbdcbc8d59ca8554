#pragma once
// The OLE drop target on the dock's input window. It only decides whether a
// drag offers a file list, reports the link effect and hands the pointer and
// the dropped paths to the dock; everything the dock does lives in the
// callbacks. OLE calls it on the UI thread while the source runs its drag loop.

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vantreel {

class DockDropTarget final : public IDropTarget {
public:
    // Each member is optional; an empty one is skipped.
    struct Callbacks {
        std::function<void(POINT screen)> onDragOver;
        std::function<void()> onDragLeave;
        std::function<void(const std::vector<std::wstring>& paths, POINT screen)> onDrop;
    };

    // The reference count starts at 1: the creator's reference.
    explicit DockDropTarget(Callbacks callbacks);
    DockDropTarget(const DockDropTarget&) = delete;
    DockDropTarget& operator=(const DockDropTarget&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // Counts objects freed by their last Release, so tests can see that each
    // is freed exactly once.
    static std::atomic<int> freedCount;

private:
    ~DockDropTarget() = default;  // only Release frees it

    std::atomic<LONG> refCount{1};
    Callbacks callbacks;
    bool acceptable = false;
};

// The full paths ("X:\..." or UNC) of a file list in drop order. A list
// block too small for its header, whose list begins outside it or has no
// double terminator (in the list's own character width) before its end
// gives none.
std::vector<std::wstring> ReadDroppedFiles(IDataObject* data);

}  // namespace vantreel
