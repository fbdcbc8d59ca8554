#include "apps/AppsFolderSource.h"

#include <windows.h>
#include <knownfolders.h>
#include <propsys.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "platform/ShellPropertyKeys.h"

using Microsoft::WRL::ComPtr;

namespace {

std::wstring DisplayName(IShellItem* item, SIGDN form) {
    PWSTR text = nullptr;
    std::wstring result;
    if (SUCCEEDED(item->GetDisplayName(form, &text)) && text) result = text;
    CoTaskMemFree(text);
    return result;
}

std::wstring LinkTarget(IShellItem* item) {
    ComPtr<IPropertyStore> store;
    if (FAILED(item->BindToHandler(nullptr, BHID_PropertyStore, IID_PPV_ARGS(&store)))) return {};
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring target;
    if (SUCCEEDED(store->GetValue(kPKEY_Link_TargetParsingPath, &value)) &&
        value.vt == VT_LPWSTR && value.pwszVal) {
        target = value.pwszVal;
    }
    PropVariantClear(&value);
    return target;
}

}  // namespace

std::optional<std::vector<AppsFolderItem>> EnumerateShellAppsFolder() {
    ComPtr<IShellItem> folder;
    if (FAILED(SHGetKnownFolderItem(FOLDERID_AppsFolder, KF_FLAG_DEFAULT, nullptr,
                                    IID_PPV_ARGS(&folder)))) {
        return std::nullopt;
    }
    ComPtr<IEnumShellItems> enumerator;
    if (FAILED(folder->BindToHandler(nullptr, BHID_EnumItems, IID_PPV_ARGS(&enumerator)))) {
        return std::nullopt;
    }
    std::vector<AppsFolderItem> items;
    while (true) {
        ComPtr<IShellItem> item;
        ULONG fetched = 0;
        if (enumerator->Next(1, &item, &fetched) != S_OK || fetched == 0 || !item) break;
        AppsFolderItem record;
        record.name = DisplayName(item.Get(), SIGDN_NORMALDISPLAY);
        record.parsingName = DisplayName(item.Get(), SIGDN_PARENTRELATIVEPARSING);
        if (!record.name.empty() && !record.parsingName.empty()) {
            record.linkTarget = LinkTarget(item.Get());
        }
        items.push_back(std::move(record));
    }
    return items;
}
