#pragma once
// What every window of the program shares: its class registered once per
// process, the window procedure that finds the object a window serves, and the
// guard that keeps an exception from leaving that procedure.
//
// A class of windows adopts it with one binding, defined where its class is
// registered:
//
//   // header, beside the handler:
//   static const platform::WindowBinding<Panel> kWindowBinding;
//   // source:
//   const platform::WindowBinding<Panel> Panel::kWindowBinding{
//       L"Panel::HandleMessage", &Panel::window, platform::MessageHandler<&Panel::HandleMessage>};
//   ...
//   wc.lpfnWndProc = &platform::WindowProcedure<kWindowBinding>;
//   platform::RegisterWindowClass(wc);
//   CreateWindowExW(..., this);  // the object is the creation parameter

#include <windows.h>

#include <type_traits>

#include "platform/ExceptionGuard.h"

namespace platform {

// Registers the class, or finds it registered already (by an earlier window,
// another thread or another object of the same kind). False when the class
// does not exist afterwards.
bool RegisterWindowClass(const WNDCLASSEXW& windowClass);

// The same for a plain class: the arrow cursor, no icon, no background brush.
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure);

template <typename Object>
struct WindowBinding {
    using Window = Object;
    using Procedure = LRESULT (*)(Window&, HWND, UINT, WPARAM, LPARAM);

    // "Class::Method", as the log names the handler an exception came from.
    const wchar_t* handlerName;
    // The object's record of its window, set at WM_NCCREATE, before any other
    // message reaches the handler.
    HWND Window::*handle;
    // Every message after WM_NCCREATE, WM_NCDESTROY included, while the window
    // has its object.
    Procedure handler;
    // The answer to a message whose handler threw; the default window
    // procedure's when null.
    Procedure answerAfterFailure = nullptr;
    // Messages reach the handler only while `handle` still names the window,
    // so a window the object has let go of is left to the default procedure.
    bool onlyWhileCurrent = false;
};

// A handler for a binding from a member function taking (message, wParam,
// lParam) or (window, message, wParam, lParam).
template <auto member, typename Window>
LRESULT MessageHandler(Window& object, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if constexpr (std::is_invocable_v<decltype(member), Window&, HWND, UINT, WPARAM, LPARAM>) {
        return (object.*member)(hwnd, message, wParam, lParam);
    } else {
        return (object.*member)(message, wParam, lParam);
    }
}

// The window procedure of every window whose class names `binding`: the
// creation parameter becomes the window's object (in GWLP_USERDATA) at
// WM_NCCREATE and is let go at WM_NCDESTROY; messages without an object go to
// the default window procedure.
template <const auto& binding>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    using Window = typename std::remove_cvref_t<decltype(binding)>::Window;
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->*binding.handle = hwnd;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (binding.onlyWhileCurrent && self->*binding.handle != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return binding.handler(*self, hwnd, message, wParam, lParam);
    } catch (...) {
        LogCaughtException(binding.handlerName);
    }
    if (binding.answerAfterFailure) return binding.answerAfterFailure(*self, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace platform
