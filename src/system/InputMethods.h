#pragma once
// The input method of the window the top bar acts for: the one-letter mode
// indicator ("中" while a Chinese input method is in native mode, "英"
// otherwise), toggling that mode, listing and activating input methods and
// keyboard layouts, and Windows-key chords.
//
// Every function takes a target window; a null or destroyed target means the
// current foreground window. The system calls sit behind InputMethodSystem so
// that each decision can be checked against recorded answers; the plain
// overloads use the real calls.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantreel {

// One input method (profileType 1) or keyboard layout (profileType 2).
struct InputProfile {
    uint32_t profileType = 0;
    uint16_t langId = 0;
    CLSID clsid{};       // all zero for layouts from the layout list
    GUID profileGuid{};  // all zero for layouts from the layout list
    HKL hkl = nullptr;
    std::wstring name;
    bool active = false;
};

// A profile as the Text Services Framework enumerates it.
struct TsfProfileRecord {
    uint32_t profileType = 0;
    uint16_t langId = 0;
    CLSID clsid{};
    GUID category{};
    GUID profileGuid{};
    HKL hkl = nullptr;
    uint32_t flags = 0;        // TF_IPP_FLAG_*
    std::wstring description;  // a text service's own name; empty when it has none
};

struct InputMethodSystem {
    std::function<HWND()> foregroundWindow;
    std::function<bool(HWND)> isWindow;
    std::function<bool(HWND)> isWindowVisible;
    std::function<DWORD(HWND)> windowThread;
    std::function<HKL(DWORD thread)> keyboardLayout;
    std::function<HWND(HWND window)> imeWindow;
    // IMC_GETCONVERSIONMODE with a 40 ms limit; nothing when it failed or timed out.
    std::function<std::optional<DWORD>(HWND imeWindow)> getConversionMode;
    std::function<void(HWND imeWindow, DWORD mode)> setConversionMode;
    // Nothing when the framework is not available or failed.
    std::function<std::optional<std::vector<TsfProfileRecord>>()> tsfProfiles;
    std::function<std::vector<HKL>()> layoutList;
    // The language's localized display name; empty when it cannot be found.
    std::function<std::wstring(LANGID)> languageDisplayName;
    std::function<void(HWND)> setForegroundWindow;
    std::function<bool(const InputProfile&)> activateTsfProfile;
    std::function<void(HWND, HKL)> postInputLanguageRequest;
    std::function<UINT(UINT count, INPUT* inputs)> sendInput;
};

// The real calls; one object for the whole process, never destroyed, so any
// thread may use it at any time.
const InputMethodSystem& SystemInputMethods();

std::wstring GetInputModeIndicator(HWND target);
std::wstring GetInputModeIndicator(const InputMethodSystem& system, HWND target);

// Flips a Chinese input method between native and alphanumeric mode, or sends
// Win+Space when there is no readable Chinese input method to flip.
void ToggleInputMode(HWND target);
void ToggleInputMode(const InputMethodSystem& system, HWND target);

// The enabled keyboard input methods and layouts, unique by display name, in
// enumeration order; the installed layouts when the framework lists none.
std::vector<InputProfile> EnumerateInputProfiles(HWND target);
std::vector<InputProfile> EnumerateInputProfiles(const InputMethodSystem& system, HWND target);

bool ActivateInputProfile(const InputProfile& profile, HWND target);
bool ActivateInputProfile(const InputMethodSystem& system, const InputProfile& profile, HWND target);

// Presses and releases Windows key + virtualKey; the number of events inserted.
uint32_t SendWinKeyChord(uint16_t virtualKey);
uint32_t SendWinKeyChord(const InputMethodSystem& system, uint16_t virtualKey);

}  // namespace vantreel
