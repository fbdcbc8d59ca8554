#pragma once
// The compositor's own state: its window targets, the commit that the first
// change after a present schedules on the UI thread, and the host backdrop.

#include <windows.h>

#include <memory>
#include <vector>

#include "render/comp/HostBackdrop.h"
#include "render/comp/Nodes.h"

namespace comp::detail {

struct TargetNode;

struct CompositorState : std::enable_shared_from_this<CompositorState> {
    CompositorState();
    ~CompositorState();
    CompositorState(const CompositorState&) = delete;
    CompositorState& operator=(const CompositorState&) = delete;

    // Posts one commit to the UI thread unless one is already on its way.
    void RequestCommit();
    // Composes and presents every target whose tree changed.
    void Commit();
    void ReleaseScratch();

    HWND messageWindow = nullptr;
    bool commitPending = false;
    bool committing = false;
    unsigned loggedCommitFailures = 0;  // kinds of commit failure already logged
    std::vector<std::weak_ptr<TargetNode>> targets;
    HostBackdrop backdrop;
};

}  // namespace comp::detail
