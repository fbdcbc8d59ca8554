#include "XPointer.h"

using testing_support::RunUnixCommand;

bool Xdotool(const std::wstring& arguments) { return RunUnixCommand(L"/usr/bin/xdotool " + arguments); }

bool XMoveTo(POINT screen) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y));
}

RECT RestingInputRect(HWND input) {
    XMoveTo({5, 5});
    RECT last = {};
    int same = 0;
    for (int i = 0; i < 60 && same < 4; ++i) {
        Sleep(100);
        RECT now = {};
        GetWindowRect(input, &now);
        same = EqualRect(&now, &last) ? same + 1 : 0;
        last = now;
    }
    return last;
}

bool XClickAt(POINT screen, int button) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y) + L" click " +
                   std::to_wstring(button));
}

bool XButton(int button, bool down) {
    return Xdotool(std::wstring(down ? L"mousedown " : L"mouseup ") + std::to_wstring(button));
}
