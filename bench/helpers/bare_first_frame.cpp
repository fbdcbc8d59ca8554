// The least a program of ours does for a first frame under this system: a
// Direct3D 11 device and one layered window presented once. The start-up
// benchmark times its process creation to that present beside the dock's.
// It signals the event named on its command line once the frame is up and
// ends when its window is sent WM_CLOSE.
#include <windows.h>
#include <d3d11.h>

#include <cstring>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_0};
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, levels,
                                 2, D3D11_SDK_VERSION, &device, nullptr, &context))) {
        return 1;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VantreelBareFrame";
    RegisterClassExW(&windowClass);
    const int width = 800, height = 96;
    HWND window =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"VantreelBareFrame",
                        L"bare", WS_POPUP, 560, 980, width, height, nullptr, nullptr, instance, nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!window || !bitmap) return 1;
    std::memset(bits, 0x80, static_cast<size_t>(width) * height * 4);  // grey, half transparent
    HGDIOBJ old = SelectObject(memory, bitmap);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    POINT origin = {0, 0};
    SIZE size = {width, height};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, screen, nullptr, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    if (HANDLE shown = OpenEventW(EVENT_MODIFY_STATE, FALSE, commandLine)) {
        SetEvent(shown);
        CloseHandle(shown);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE) break;
        DispatchMessageW(&msg);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    context->Release();
    device->Release();
    return 0;
}
