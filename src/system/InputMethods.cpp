#include "system/InputMethods.h"
#include "platform/ExceptionGuard.h"

#include <imm.h>
#include <msctf.h>

#include <unordered_set>

#include "config/PathText.h"
#include "platform/MissingFlags.h"

namespace vantreel {
namespace {

constexpr wchar_t kNativeIndicator[] = L"中";
constexpr wchar_t kAlphanumericIndicator[] = L"英";
constexpr size_t kMostLayouts = 32;

// GUID_TFCAT_TIP_KEYBOARD: the category of keyboard text services.
constexpr GUID kKeyboardTextService = {0x34745c63, 0xb2f0, 0x4784, {0x8b, 0x67, 0x5e, 0x12, 0xc8, 0x70, 0x1a, 0x31}};

struct Target {
    HWND window = nullptr;
    DWORD thread = 0;  // 0 makes the layout query answer for the calling thread
};

Target ResolveTarget(const InputMethodSystem& system, HWND target) {
    Target resolved;
    resolved.window = (target && system.isWindow(target)) ? target : system.foregroundWindow();
    if (resolved.window) resolved.thread = system.windowThread(resolved.window);
    return resolved;
}

bool IsChineseLayout(HKL layout) {
    const auto language = static_cast<LANGID>(reinterpret_cast<uintptr_t>(layout) & 0xFFFF);
    return PRIMARYLANGID(language) == LANG_CHINESE;
}

// The IME window and its conversion mode when the target has a Chinese layout
// whose input method answers in time.
struct ChineseInputMethod {
    bool chinese = false;  // the target's layout is Chinese
    HWND imeWindow = nullptr;
    std::optional<DWORD> mode;
};

ChineseInputMethod ReadChineseInputMethod(const InputMethodSystem& system, const Target& target) {
    ChineseInputMethod ime;
    ime.chinese = IsChineseLayout(system.keyboardLayout(target.thread));
    if (!ime.chinese) return ime;
    ime.imeWindow = system.imeWindow(target.window);
    if (ime.imeWindow) ime.mode = system.getConversionMode(ime.imeWindow);
    return ime;
}

std::wstring ProfileName(const InputMethodSystem& system, const TsfProfileRecord& record) {
    if (record.profileType == TF_PROFILETYPE_INPUTPROCESSOR && !record.description.empty()) return record.description;
    return system.languageDisplayName(record.langId);
}

class ProfileList {
public:
    // Appends a profile under a new name; false for a name already listed.
    bool AddIfNew(InputProfile& profile) {
        if (!keys_.insert(NormalizePathKey(profile.name)).second) return false;
        profiles_.push_back(std::move(profile));
        return true;
    }
    // As AddIfNew, but an active duplicate hands its identity to the listed
    // entry, which keeps its name and becomes active.
    void Add(InputProfile profile) {
        if (AddIfNew(profile) || !profile.active) return;
        const std::wstring key = NormalizePathKey(profile.name);
        for (InputProfile& listed : profiles_) {
            if (NormalizePathKey(listed.name) != key) continue;
            profile.name = std::move(listed.name);
            listed = std::move(profile);
            return;
        }
    }
    bool Empty() const { return profiles_.empty(); }
    std::vector<InputProfile> Take() { return std::move(profiles_); }

private:
    std::unordered_set<std::wstring> keys_;
    std::vector<InputProfile> profiles_;
};

}  // namespace

std::wstring GetInputModeIndicator(const InputMethodSystem& system, HWND target) {
    // A Chinese layout whose mode cannot be read counts as native.
    const ChineseInputMethod ime = ReadChineseInputMethod(system, ResolveTarget(system, target));
    if (!ime.chinese) return kAlphanumericIndicator;
    if (!ime.mode) return kNativeIndicator;
    return (*ime.mode & IME_CMODE_NATIVE) ? kNativeIndicator : kAlphanumericIndicator;
}

void ToggleInputMode(const InputMethodSystem& system, HWND target) {
    const ChineseInputMethod ime = ReadChineseInputMethod(system, ResolveTarget(system, target));
    if (ime.mode) {
        system.setConversionMode(ime.imeWindow, *ime.mode ^ IME_CMODE_NATIVE);
        return;
    }
    SendWinKeyChord(system, VK_SPACE);
}

std::vector<InputProfile> EnumerateInputProfiles(const InputMethodSystem& system, HWND target) {
    ProfileList list;
    std::optional<std::vector<TsfProfileRecord>> records;
    try {
        records = system.tsfProfiles();
    } catch (...) {
        platform::LogCaughtException(L"EnumerateInputProfiles");
        records.reset();
    }
    if (records) {
        for (const TsfProfileRecord& record : *records) {
            if (!(record.flags & TF_IPP_FLAG_ENABLED)) continue;
            if (record.profileType == TF_PROFILETYPE_INPUTPROCESSOR) {
                if (record.category != kKeyboardTextService) continue;
            } else if (record.profileType != TF_PROFILETYPE_KEYBOARDLAYOUT) {
                continue;
            }
            std::wstring name = ProfileName(system, record);
            if (name.empty()) continue;
            list.Add(InputProfile{record.profileType, record.langId, record.clsid, record.profileGuid, record.hkl,
                                  std::move(name), (record.flags & TF_IPP_FLAG_ACTIVE) != 0});
        }
    }
    if (!list.Empty()) return list.Take();

    // The installed keyboard layouts, when the framework gave nothing.
    const Target resolved = ResolveTarget(system, target);
    const HKL current = system.keyboardLayout(resolved.thread);
    const std::vector<HKL> layouts = system.layoutList();
    if (layouts.empty() || layouts.size() > kMostLayouts) return {};
    for (HKL layout : layouts) {
        const auto language = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(layout) & 0xFFFF);
        std::wstring name = system.languageDisplayName(language);
        if (name.empty()) name = L"键盘布局";
        InputProfile profile;
        profile.profileType = TF_PROFILETYPE_KEYBOARDLAYOUT;
        profile.langId = language;
        profile.hkl = layout;
        profile.name = std::move(name);
        profile.active = layout == current;
        list.AddIfNew(profile);
    }
    return list.Take();
}

bool ActivateInputProfile(const InputMethodSystem& system, const InputProfile& profile, HWND target) {
    if (target && system.isWindow(target) && system.isWindowVisible(target)) system.setForegroundWindow(target);
    bool activated = false;
    try {
        activated = system.activateTsfProfile(profile);
    } catch (...) {
        platform::LogCaughtException(L"ActivateInputProfile");
        activated = false;
    }
    if (profile.profileType == TF_PROFILETYPE_KEYBOARDLAYOUT && profile.hkl && target && system.isWindow(target)) {
        // The language-change request reaches the window even where the
        // framework refused, so a plain layout still switches.
        system.postInputLanguageRequest(target, profile.hkl);
        return true;
    }
    return activated;
}

uint32_t SendWinKeyChord(const InputMethodSystem& system, uint16_t virtualKey) {
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_LWIN, virtualKey, virtualKey, VK_LWIN};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = (i >= 2) ? KEYEVENTF_KEYUP : 0;
    }
    return system.sendInput(4, inputs);
}

std::wstring GetInputModeIndicator(HWND target) { return GetInputModeIndicator(SystemInputMethods(), target); }
void ToggleInputMode(HWND target) { ToggleInputMode(SystemInputMethods(), target); }
std::vector<InputProfile> EnumerateInputProfiles(HWND target) {
    return EnumerateInputProfiles(SystemInputMethods(), target);
}
bool ActivateInputProfile(const InputProfile& profile, HWND target) {
    return ActivateInputProfile(SystemInputMethods(), profile, target);
}
uint32_t SendWinKeyChord(uint16_t virtualKey) { return SendWinKeyChord(SystemInputMethods(), virtualKey); }

}  // namespace vantreel
