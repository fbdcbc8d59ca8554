#include "topbar/WifiPasswordDialog.h"

#include <cmath>

#include "platform/WindowBase.h"
#include "system/WlanProfile.h"

namespace {

constexpr wchar_t kClassName[] = L"VantreelWifiPwdDlg";
constexpr int kConnectId = 1;
constexpr int kCancelId = 2;
constexpr int kKeyFieldId = 100;
constexpr size_t kKeyBufferChars = 128;

int Scaled(float dip, float scale) {
    return static_cast<int>(std::lround(static_cast<double>(dip) * static_cast<double>(scale)));
}

struct WifiPasswordDialog {
    HWND dialog = nullptr;
    HWND edit = nullptr;
    HWND connect = nullptr;
    HFONT font = nullptr;
    bool accepted = false;
    bool done = false;
    std::wstring ssid;
    std::wstring password;

    // The window class's procedure: kDialogBinding's, under the dialog's name.
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The field's text when it is a key a WPA2-Personal network takes.
    std::optional<std::wstring> ReadKeyIfValid() const {
        wchar_t buffer[kKeyBufferChars];
        std::wstring key = ReadSecretText(edit, buffer, kKeyBufferChars);
        std::optional<std::wstring> result;
        if (vantreel::ClassifyWifiKey(key) != vantreel::WifiKeyKind::Invalid) result = key;
        SecureZeroMemory(key.data(), key.size() * sizeof(wchar_t));
        return result;
    }

    void Finish(bool confirmed) {
        accepted = confirmed;
        done = true;
        PostMessageW(dialog, WM_NULL, 0, 0);
    }
};

const platform::WindowBinding<WifiPasswordDialog> kDialogBinding{
    L"WifiPasswordDialog::HandleMessage", &WifiPasswordDialog::dialog,
    platform::MessageHandler<&WifiPasswordDialog::HandleMessage>};

LRESULT CALLBACK WifiPasswordDialog::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::WindowProcedure<kDialogBinding>(hwnd, message, wParam, lParam);
}

LRESULT WifiPasswordDialog::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Finish(false);
            return 0;
        case WM_COMMAND:
            if (edit && reinterpret_cast<HWND>(lParam) == edit) {
                if (HIWORD(wParam) == EN_CHANGE && connect) {
                    EnableWindow(connect, ReadKeyIfValid().has_value());
                }
                return 0;
            }
            if (LOWORD(wParam) == kConnectId) {
                // Enter reaches here whatever the button's state: a key the network
                // cannot take is not handed on.
                std::optional<std::wstring> key = ReadKeyIfValid();
                if (!key) return 0;
                password = std::move(*key);
                Finish(true);
                return 0;
            }
            if (LOWORD(wParam) == kCancelId) {
                Finish(false);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            // Destroyed from outside (its owner went first): the loop ends as a cancel.
            dialog = nullptr;
            edit = nullptr;
            connect = nullptr;
            done = true;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool EnsureDialogClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WifiPasswordDialog::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    registered = platform::RegisterWindowClass(wc);
    return registered;
}

HWND AddControl(const WifiPasswordDialog& state, HINSTANCE instance, DWORD exStyle, const wchar_t* cls,
                const wchar_t* text, DWORD style, float x, float y, float w, float h, int id, float scale) {
    HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Scaled(x, scale),
                                   Scaled(y, scale), Scaled(w, scale), Scaled(h, scale), state.dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control && state.font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), TRUE);
    return control;
}

}  // namespace

std::wstring ReadSecretText(HWND control, wchar_t* buffer, size_t capacity) {
    std::wstring text;
    if (capacity == 0) return text;
    buffer[0] = L'\0';
    const int length = GetWindowTextW(control, buffer, static_cast<int>(capacity));
    if (length > 0) text.assign(buffer, static_cast<size_t>(length));
    SecureZeroMemory(buffer, capacity * sizeof(wchar_t));
    return text;
}

std::optional<std::wstring> PromptWifiPassword(HINSTANCE instance, HWND owner, const std::wstring& ssid, float scale) {
    EnsureDialogClass(instance);

    const int width = Scaled(350.0f, scale);
    const int height = Scaled(155.0f, scale);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;

    WifiPasswordDialog state;
    state.ssid = ssid;
    state.font =
        CreateFontW(-Scaled(13.0f, scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Microsoft YaHei UI");
    HWND dialog = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"连接无线网络", WS_CAPTION | WS_SYSMENU, x, y, width,
                                  height, owner, nullptr, instance, &state);
    if (!dialog) {
        if (state.font) DeleteObject(state.font);
        return std::nullopt;
    }

    const std::wstring prompt = L"请输入「" + ssid + L"」的安全密钥 (Wi-Fi 密码)：";
    // An SSID is shown as it is written: "&" is no mnemonic here.
    AddControl(state, instance, 0, L"STATIC", prompt.c_str(), SS_NOPREFIX, 16, 14, 312, 22, 0, scale);
    state.edit = AddControl(state, instance, WS_EX_CLIENTEDGE, L"EDIT", L"", ES_PASSWORD | ES_AUTOHSCROLL, 16, 42, 304,
                            26, kKeyFieldId, scale);
    state.connect =
        AddControl(state, instance, 0, L"BUTTON", L"连接", BS_DEFPUSHBUTTON, 152, 82, 80, 28, kConnectId, scale);
    AddControl(state, instance, 0, L"BUTTON", L"取消", 0, 240, 82, 80, 28, kCancelId, scale);
    if (state.connect) EnableWindow(state.connect, FALSE);  // the field starts empty

    ShowWindow(dialog, SW_SHOWNORMAL);
    SetForegroundWindow(dialog);
    if (state.edit) SetFocus(state.edit);

    MSG msg{};
    while (!state.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The main loop must still see the quit request.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (msg.message == WM_KEYDOWN && state.edit && msg.hwnd == state.edit &&
            (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
            SendMessageW(state.dialog, WM_COMMAND, msg.wParam == VK_RETURN ? kConnectId : kCancelId, 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    if (state.dialog) DestroyWindow(state.dialog);
    if (state.font) DeleteObject(state.font);

    std::optional<std::wstring> result;
    if (state.accepted) result = state.password;
    SecureZeroMemory(state.password.data(), state.password.size() * sizeof(wchar_t));
    return result;
}
