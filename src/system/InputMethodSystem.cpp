// The real calls behind the input-method decisions: IMM32, the Text Services
// Framework, the keyboard-layout functions and SendInput.

#include <windows.h>
#include <imm.h>
#include <msctf.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "platform/MissingFlags.h"
#include "system/InputMethods.h"

using Microsoft::WRL::ComPtr;

namespace vantreel {
namespace {

// An application that does not answer within this holds nobody up.
constexpr UINT kImeAnswerMs = 40;

// CLSID_TF_InputProcessorProfiles
constexpr CLSID kInputProcessorProfiles = {
    0x33c53a50, 0xf456, 0x4884, {0xb0, 0x49, 0x85, 0xfd, 0x64, 0x3e, 0xcf, 0xed}};

ComPtr<ITfInputProcessorProfileMgr> CreateProfileManager() {
    ComPtr<ITfInputProcessorProfileMgr> manager;
    if (FAILED(CoCreateInstance(kInputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(ITfInputProcessorProfileMgr),
                                reinterpret_cast<void**>(manager.GetAddressOf()))))
        return nullptr;
    return manager;
}

std::optional<DWORD> GetConversionMode(HWND imeWindow) {
    DWORD_PTR mode = 0;
    if (!SendMessageTimeoutW(imeWindow, WM_IME_CONTROL, IMC_GETCONVERSIONMODE, 0, SMTO_ABORTIFHUNG, kImeAnswerMs,
                             &mode))
        return std::nullopt;
    return static_cast<DWORD>(mode);
}

void SetConversionMode(HWND imeWindow, DWORD mode) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(imeWindow, WM_IME_CONTROL, IMC_SETCONVERSIONMODE, mode, SMTO_ABORTIFHUNG, kImeAnswerMs,
                        &ignored);
}

std::wstring Description(ITfInputProcessorProfiles* profiles, const TF_INPUTPROCESSORPROFILE& profile) {
    if (!profiles) return {};
    BSTR text = nullptr;
    std::wstring description;
    if (SUCCEEDED(profiles->GetLanguageProfileDescription(profile.clsid, profile.langid, profile.guidProfile, &text)) &&
        text)
        description.assign(text, SysStringLen(text));
    if (text) SysFreeString(text);
    return description;
}

std::optional<std::vector<TsfProfileRecord>> ReadTsfProfiles() {
    ComPtr<ITfInputProcessorProfileMgr> manager = CreateProfileManager();
    if (!manager) return std::nullopt;
    ComPtr<ITfInputProcessorProfiles> profiles;
    manager.As(&profiles);
    ComPtr<IEnumTfInputProcessorProfiles> enumerator;
    if (FAILED(manager->EnumProfiles(0, enumerator.GetAddressOf())) || !enumerator) return std::nullopt;
    std::vector<TsfProfileRecord> records;
    TF_INPUTPROCESSORPROFILE profile{};
    ULONG fetched = 0;
    while (SUCCEEDED(enumerator->Next(1, &profile, &fetched)) && fetched == 1) {
        TsfProfileRecord record;
        record.profileType = profile.dwProfileType;
        record.langId = profile.langid;
        record.clsid = profile.clsid;
        record.category = profile.catid;
        record.profileGuid = profile.guidProfile;
        record.hkl = profile.hkl;
        record.flags = profile.dwFlags;
        if (profile.dwProfileType == TF_PROFILETYPE_INPUTPROCESSOR)
            record.description = Description(profiles.Get(), profile);
        records.push_back(std::move(record));
        fetched = 0;
    }
    return records;
}

std::vector<HKL> LayoutList() {
    const int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0) return {};
    std::vector<HKL> layouts(static_cast<size_t>(count));
    const int read = GetKeyboardLayoutList(count, layouts.data());
    layouts.resize(read > 0 ? static_cast<size_t>(read) : 0);
    return layouts;
}

std::wstring LanguageDisplayName(LANGID language) {
    wchar_t locale[85] = {};
    if (!LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), locale, 85, 0)) return {};
    wchar_t name[128] = {};
    if (!GetLocaleInfoEx(locale, LOCALE_SLOCALIZEDDISPLAYNAME, name, 128)) return {};
    return name;
}

bool ActivateTsfProfile(const InputProfile& profile) {
    ComPtr<ITfInputProcessorProfileMgr> manager = CreateProfileManager();
    if (!manager) return false;
    return SUCCEEDED(manager->ActivateProfile(profile.profileType, profile.langId, profile.clsid, profile.profileGuid,
                                              profile.hkl, TF_IPPMF_FORSESSION | TF_IPPMF_ENABLEPROFILE));
}

InputMethodSystem MakeSystemInputMethods() {
    InputMethodSystem system;
    system.foregroundWindow = [] { return GetForegroundWindow(); };
    system.isWindow = [](HWND window) { return IsWindow(window) != FALSE; };
    system.isWindowVisible = [](HWND window) { return IsWindowVisible(window) != FALSE; };
    system.windowThread = [](HWND window) { return GetWindowThreadProcessId(window, nullptr); };
    system.keyboardLayout = [](DWORD thread) { return GetKeyboardLayout(thread); };
    system.imeWindow = [](HWND window) { return ImmGetDefaultIMEWnd(window); };
    system.getConversionMode = GetConversionMode;
    system.setConversionMode = SetConversionMode;
    system.tsfProfiles = ReadTsfProfiles;
    system.layoutList = LayoutList;
    system.languageDisplayName = LanguageDisplayName;
    system.setForegroundWindow = [](HWND window) { SetForegroundWindow(window); };
    system.activateTsfProfile = ActivateTsfProfile;
    system.postInputLanguageRequest = [](HWND window, HKL layout) {
        PostMessageW(window, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(layout));
    };
    system.sendInput = [](UINT count, INPUT* inputs) { return SendInput(count, inputs, sizeof(INPUT)); };
    return system;
}

}  // namespace

const InputMethodSystem& SystemInputMethods() {
    // Never destroyed: a detached worker may still ask for the indicator while
    // the process ends.
    static const InputMethodSystem* system = new InputMethodSystem(MakeSystemInputMethods());
    return *system;
}

}  // namespace vantreel
