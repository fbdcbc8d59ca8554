#include "platform/DetachedThread.h"

#include <pthread.h>

#include <system_error>

namespace platform::detail {

void StartDetachedRoutine(void* (*routine)(void*), void* argument) {
    pthread_attr_t attributes;
    int error = pthread_attr_init(&attributes);
    if (error == 0) {
        error = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
        pthread_t thread;
        if (error == 0) error = pthread_create(&thread, &attributes, routine, argument);
        pthread_attr_destroy(&attributes);
    }
    if (error != 0) throw std::system_error(error, std::generic_category(), "StartDetachedThread");
}

}  // namespace platform::detail
