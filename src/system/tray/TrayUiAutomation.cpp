#include "system/tray/TrayUiAutomation.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <cwctype>

using Microsoft::WRL::ComPtr;

namespace {

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

std::wstring Trimmed(const wchar_t* text, size_t length) {
    size_t begin = 0, end = length;
    while (begin < end && std::iswspace(text[begin])) ++begin;
    while (end > begin && std::iswspace(text[end - 1])) --end;
    return std::wstring(text + begin, end - begin);
}

std::wstring CachedName(uia::IUIAutomationElement* element) {
    VARIANT value;
    VariantInit(&value);
    std::wstring name;
    if (SUCCEEDED(element->GetCachedPropertyValue(uia::UIA_NamePropertyId, &value)) && value.vt == VT_BSTR &&
        value.bstrVal != nullptr) {
        name = Trimmed(value.bstrVal, SysStringLen(value.bstrVal));
    }
    VariantClear(&value);
    return name;
}

// The bounding rectangle comes as four doubles: left, top, width, height.
RECT CachedRect(uia::IUIAutomationElement* element) {
    VARIANT value;
    VariantInit(&value);
    RECT rect = {};
    if (SUCCEEDED(element->GetCachedPropertyValue(uia::UIA_BoundingRectanglePropertyId, &value)) &&
        value.vt == (VT_ARRAY | VT_R8) && value.parray != nullptr && SafeArrayGetDim(value.parray) == 1) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(value.parray, 1, &lower);
        SafeArrayGetUBound(value.parray, 1, &upper);
        double* data = nullptr;
        if (upper - lower + 1 >= 4 && SUCCEEDED(SafeArrayAccessData(value.parray, reinterpret_cast<void**>(&data)))) {
            rect.left = static_cast<LONG>(data[0]);
            rect.top = static_cast<LONG>(data[1]);
            rect.right = static_cast<LONG>(data[0] + data[2]);
            rect.bottom = static_cast<LONG>(data[1] + data[3]);
            SafeArrayUnaccessData(value.parray);
        }
    }
    VariantClear(&value);
    return rect;
}

}  // namespace

uia::IUIAutomation* CreateUiAutomation() {
    uia::IUIAutomation* automation = nullptr;
    if (FAILED(CoCreateInstance(uia::CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, uia::IID_IUIAutomation,
                                reinterpret_cast<void**>(&automation)))) {
        return nullptr;
    }
    ComPtr<uia::IUIAutomation2> second;
    if (SUCCEEDED(
            automation->QueryInterface(uia::IID_IUIAutomation2, reinterpret_cast<void**>(second.GetAddressOf())))) {
        second->put_ConnectionTimeout(400);
        second->put_TransactionTimeout(2000);
    }
    return automation;
}

bool CollectUiaNotifyItems(uia::IUIAutomation* automation, HWND window, std::vector<UiaNotifyItem>& items) {
    if (!automation || !window || !IsWindow(window)) return false;
    Bstr automationId(L"NotifyItemIcon");
    if (!automationId.Get()) return false;

    ComPtr<uia::IUIAutomationCacheRequest> request;
    if (FAILED(automation->CreateCacheRequest(&request)) || !request) return false;
    if (FAILED(request->AddProperty(uia::UIA_NamePropertyId)) ||
        FAILED(request->AddProperty(uia::UIA_BoundingRectanglePropertyId)) ||
        FAILED(request->put_AutomationElementMode(uia::AutomationElementMode_None))) {
        return false;
    }
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_BSTR;
    id.bstrVal = automationId.Get();
    ComPtr<uia::IUIAutomationCondition> condition;
    if (FAILED(automation->CreatePropertyCondition(uia::UIA_AutomationIdPropertyId, id, &condition)) || !condition)
        return false;
    ComPtr<uia::IUIAutomationElement> root;
    if (FAILED(automation->ElementFromHandle(window, &root)) || !root) return false;
    ComPtr<uia::IUIAutomationElementArray> found;
    if (FAILED(root->FindAllBuildCache(uia::TreeScope_Descendants, condition.Get(), request.Get(), &found)) || !found)
        return false;

    int length = 0;
    if (FAILED(found->get_Length(&length)) || length < 0) length = 0;
    items.reserve(items.size() + static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        ComPtr<uia::IUIAutomationElement> element;
        if (FAILED(found->GetElement(i, &element)) || !element) continue;
        UiaNotifyItem item;
        item.name = CachedName(element.Get());
        item.rect = CachedRect(element.Get());
        items.push_back(std::move(item));
    }
    return true;
}
