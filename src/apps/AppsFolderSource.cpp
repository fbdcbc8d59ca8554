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

std::wstring StringProperty(IPropertyStore* store, const PROPERTYKEY& key) {
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring text;
    if (SUCCEEDED(store->GetValue(key, &value)) && value.vt == VT_LPWSTR && value.pwszVal) text = value.pwszVal;
    PropVariantClear(&value);
    return text;
}

void ReadLink(IShellItem* item, AppsFolderItem& record) {
    ComPtr<IPropertyStore> store;
    if (FAILED(item->BindToHandler(nullptr, BHID_PropertyStore, IID_PPV_ARGS(&store)))) return;
    record.linkTarget = StringProperty(store.Get(), kPKEY_Link_TargetParsingPath);
    record.linkArguments = StringProperty(store.Get(), kPKEY_Link_Arguments);
}

}  // namespace

std::optional<std::vector<AppsFolderItem>> EnumerateShellAppsFolder() {
    ComPtr<IShellItem> folder;
    if (FAILED(SHGetKnownFolderItem(FOLDERID_AppsFolder, KF_FLAG_DEFAULT, nullptr, IID_PPV_ARGS(&folder)))) {
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
            ReadLink(item.Get(), record);
        }
        items.push_back(std::move(record));
    }
    return items;
}
