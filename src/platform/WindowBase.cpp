#include "platform/WindowBase.h"

namespace platform {

bool RegisterWindowClass(const WNDCLASSEXW& windowClass) {
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace platform
