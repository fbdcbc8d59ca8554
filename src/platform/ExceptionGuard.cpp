#include "platform/ExceptionGuard.h"

#include <exception>

#include "platform/HResultError.h"
#include "platform/Log.h"

namespace platform {

void LogCaughtException(const wchar_t* where) noexcept {
    try {
        throw;
    } catch (const HResultError& error) {
        LogMessage(L"%s winrt error: 0x%08X", where, static_cast<unsigned>(error.code()));
    } catch (const std::exception& error) {
        LogMessage(L"%s std::exception: %S", where, error.what());
    } catch (...) {
        LogMessage(L"%s unknown exception", where);
    }
}

}  // namespace platform
