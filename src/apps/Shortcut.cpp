#include "apps/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <span>
#include <string>

#include "apps/LinkFileCheck.h"
#include "apps/LinkFileProperties.h"
#include "apps/LinkText.h"
#include "config/PathText.h"
#include "platform/ShellPropertyKeys.h"
#include "platform/UniqueHandle.h"

using Microsoft::WRL::ComPtr;

namespace {

std::wstring AppUserModelIdFromStore(IShellLinkW* link) {
    ComPtr<IPropertyStore> store;
    if (FAILED(link->QueryInterface(IID_PPV_ARGS(&store)))) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring id;
    if (SUCCEEDED(store->GetValue(kPKEY_AppUserModel_ID, &value)) && value.vt == VT_LPWSTR && value.pwszVal) {
        id = value.pwszVal;
    }
    PropVariantClear(&value);
    return id;
}

// The whole file, up to 1 MiB (shortcuts are a few kilobytes).
bool ReadLinkBytes(const std::wstring& path, std::string& bytes) {
    const platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    constexpr LONGLONG kMaxBytes = 1 << 20;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxBytes;
    if (ok) {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        ok = ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
             read == bytes.size();
    }
    return ok;
}

// The link loaded from bytes already read, so the id's own block comes from
// the same read.
bool LoadFromBytes(IShellLinkW* link, const std::string& bytes) {
    ComPtr<IPersistStream> persist;
    if (FAILED(link->QueryInterface(IID_PPV_ARGS(&persist)))) return false;
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    return stream && SUCCEEDED(persist->Load(stream.Get()));
}

// A shortcut loaded for reading, or nothing: a file that cannot be read, or
// whose sections claim more than it holds, is never handed to the shell (it
// would commit what they claim before finding out).
struct LoadedLink {
    ComPtr<IShellLinkW> link;
    std::string bytes;
};

std::optional<LoadedLink> LoadSoundLink(const std::wstring& path) {
    LoadedLink loaded;
    if (!ReadLinkBytes(path, loaded.bytes) ||
        !LinkBytesAreSound(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(loaded.bytes.data()), loaded.bytes.size())) ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&loaded.link)))) {
        return std::nullopt;
    }
    if (LoadFromBytes(loaded.link.Get(), loaded.bytes)) return loaded;
    ComPtr<IPersistFile> file;
    if (SUCCEEDED(loaded.link.As(&file)) && SUCCEEDED(file->Load(path.c_str(), STGM_READ))) return loaded;
    return std::nullopt;
}

bool ReadRawTarget(IShellLinkW* link, std::wstring& target) {
    return ReadWholeLinkText(
        MAX_PATH, [&](wchar_t* buffer, int capacity) { return link->GetPath(buffer, capacity, nullptr, SLGP_RAWPATH); },
        target);
}

}  // namespace

std::optional<ShortcutInfo> ResolveShortcut(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    ShortcutInfo info;
    info.displayName = DisplayNameFromPath(path);

    if (NormalizePathKey(ExtensionOf(path)) == L".lnk") {
        if (std::optional<LoadedLink> loaded = LoadSoundLink(path)) {
            IShellLinkW* link = loaded->link.Get();
            std::wstring target;
            if (ReadRawTarget(link, target) && !target.empty()) {
                info.targetPath = std::move(target);
                ReadWholeLinkText(
                    512, [&](wchar_t* buffer, int capacity) { return link->GetArguments(buffer, capacity); },
                    info.arguments);
                ReadWholeLinkText(
                    MAX_PATH,
                    [&](wchar_t* buffer, int capacity) { return link->GetWorkingDirectory(buffer, capacity); },
                    info.workingDirectory);
            }
            std::wstring id = AppUserModelIdFromStore(link);
            // Some shells keep no property store for links; the file's own
            // property-store block still names the id of pinned packaged apps.
            if (id.empty()) {
                id = AppUserModelIdFromLinkBytes(std::span<const uint8_t>(
                    reinterpret_cast<const uint8_t*>(loaded->bytes.data()), loaded->bytes.size()));
            }
            info.appUserModelId = NormalizePathKey(id);
        }
    }
    if (info.targetPath.empty()) info.targetPath = path;
    if (info.appUserModelId.empty()) info.appUserModelId = NormalizePathKey(info.targetPath);
    return info;
}

StoredLinkTarget ReadStoredLinkTarget(const std::wstring& path) {
    if (!IsLinkFileSound(path)) return {StoredLinkKind::Malformed, {}};
    std::optional<LoadedLink> loaded = LoadSoundLink(path);
    std::wstring target;
    if (!loaded || !ReadRawTarget(loaded->link.Get(), target) || target.empty()) return {StoredLinkKind::NoTarget, {}};
    return {StoredLinkKind::Target, std::move(target)};
}
