#pragma once
// Compositor objects are reference-counted handles, like the platform
// projection's: copying a handle shares the object, a default handle is null,
// and using a null handle throws E_POINTER.

#include <cstddef>
#include <memory>

#include "render/comp/Types.h"

namespace comp {

template <class NodeT>
class Handle {
public:
    Handle() = default;
    Handle(std::nullptr_t) {}
    explicit Handle(std::shared_ptr<NodeT> node) : node_(std::move(node)) {}

    explicit operator bool() const { return node_ != nullptr; }
    friend bool operator==(const Handle& a, std::nullptr_t) { return a.node_ == nullptr; }
    friend bool operator==(const Handle& a, const Handle& b) { return a.node_ == b.node_; }

    // The object itself, for the compositor's own code.
    const std::shared_ptr<NodeT>& Node() const { return node_; }

protected:
    NodeT& Get() const {
        if (!node_) ThrowHResult(E_POINTER);
        return *node_;
    }

    std::shared_ptr<NodeT> node_;
};

}  // namespace comp
