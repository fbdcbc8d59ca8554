// close_window CLASS [TITLE]: asks the top-level window of that class (and
// title) to close, the way a user closing it would, so the program behind it
// ends in order. Exit code 0 when the request was posted, 1 when no such
// window exists, 2 for a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: close_window CLASS [TITLE]\n");
        return 2;
    }
    HWND window = FindWindowW(argv[1], argc == 3 ? argv[2] : nullptr);
    if (!window) return 1;
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
