#pragma once
// An object of its own for each thread that asks for one, made on first use and
// deleted when that thread ends: scratch kept between calls, in place of
// `thread_local`. With this toolchain's emulated thread storage, a thread that
// ends frees the storage of its thread_local objects before it runs their
// destructors, which then free whatever another thread has been given in that
// memory meanwhile (a worker crashing as it ended).

namespace platform {

// One pointer per thread; a thread that set one hands it to `destroy` when it
// ends. Slots are made once per use site and never given back.
class ThreadSlot {
public:
    explicit ThreadSlot(void (*destroy)(void*));
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    void* Get() const;
    void Set(void* value) const;

private:
    unsigned long index_;
    bool destroyedAtExit_;
};

// The calling thread's T; Tag tells apart two objects of one type.
template <typename T, typename Tag = T>
T& PerThread() {
    static const ThreadSlot slot([](void* object) { delete static_cast<T*>(object); });
    if (void* object = slot.Get()) return *static_cast<T*>(object);
    T* object = new T();
    slot.Set(object);
    return *object;
}

}  // namespace platform
