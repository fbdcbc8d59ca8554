#include "platform/PerThread.h"

#include <windows.h>

namespace platform {

// Fiber-local storage calls its callback as each thread ends, with the value
// that thread stored, whatever made the thread. Where no such slot is left a
// plain thread slot keeps the objects, which then live until the process ends.
ThreadSlot::ThreadSlot(void (*destroy)(void*))
    : index_(FlsAlloc(reinterpret_cast<PFLS_CALLBACK_FUNCTION>(destroy))), destroyedAtExit_(true) {
    if (index_ == FLS_OUT_OF_INDEXES) {
        index_ = TlsAlloc();
        destroyedAtExit_ = false;
    }
}

void* ThreadSlot::Get() const {
    if (destroyedAtExit_) return FlsGetValue(index_);
    return index_ == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(index_);
}

void ThreadSlot::Set(void* value) const {
    if (destroyedAtExit_) {
        FlsSetValue(index_, value);
    } else if (index_ != TLS_OUT_OF_INDEXES) {
        TlsSetValue(index_, value);
    }
}

}  // namespace platform
