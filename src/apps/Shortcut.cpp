#include "apps/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "apps/LinkFileProperties.h"
#include "apps/LinkText.h"
#include "apps/PathNames.h"
#include "config/Paths.h"
#include "platform/ShellPropertyKeys.h"

using Microsoft::WRL::ComPtr;

namespace {

std::wstring AppUserModelIdFromStore(IShellLinkW* link) {
    ComPtr<IPropertyStore> store;
    if (FAILED(link->QueryInterface(IID_PPV_ARGS(&store)))) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring id;
    if (SUCCEEDED(store->GetValue(kPKEY_AppUserModel_ID, &value)) && value.vt == VT_LPWSTR &&
        value.pwszVal) {
        id = value.pwszVal;
    }
    PropVariantClear(&value);
    return id;
}

}  // namespace

std::optional<ShortcutInfo> ResolveShortcut(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    ShortcutInfo info;
    info.displayName = DisplayNameFromPath(path);

    if (NormalizePathKey(ExtensionOf(path)) == L".lnk") {
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> file;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&link))) &&
            SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            std::wstring target;
            const bool hasTarget = ReadWholeLinkText(
                MAX_PATH,
                [&](wchar_t* buffer, int capacity) {
                    return link->GetPath(buffer, capacity, nullptr, SLGP_RAWPATH);
                },
                target);
            if (hasTarget && !target.empty()) {
                info.targetPath = std::move(target);
                ReadWholeLinkText(
                    512,
                    [&](wchar_t* buffer, int capacity) {
                        return link->GetArguments(buffer, capacity);
                    },
                    info.arguments);
            }
            std::wstring id = AppUserModelIdFromStore(link.Get());
            // Some shells keep no property store for links; the file's own
            // property-store block still names the id of pinned packaged apps.
            if (id.empty()) id = AppUserModelIdFromLinkFile(path);
            info.appUserModelId = NormalizePathKey(id);
        }
    }
    if (info.targetPath.empty()) info.targetPath = path;
    if (info.appUserModelId.empty()) info.appUserModelId = NormalizePathKey(info.targetPath);
    return info;
}
