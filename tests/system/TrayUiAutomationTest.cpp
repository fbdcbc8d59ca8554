// The UI Automation collection against a test implementation of the declared
// interfaces: the calls it makes, in order, and what it makes of the answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "system/tray/TrayUiAutomation.h"

using namespace uia;

namespace {

std::vector<std::string> g_calls;

#define NOT_USED(...) \
    HRESULT STDMETHODCALLTYPE __VA_ARGS__ override { return E_NOTIMPL; }

template <typename Interface>
class Unknown : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    ULONG refs = 1;
};

class FakeCondition : public Unknown<IUIAutomationCondition> {};

class FakeCacheRequest : public Unknown<IUIAutomationCacheRequest> {
public:
    HRESULT STDMETHODCALLTYPE AddProperty(int id) override {
        g_calls.push_back("AddProperty " + std::to_string(id));
        return S_OK;
    }
    NOT_USED(AddPattern(int))
    NOT_USED(Clone(IUIAutomationCacheRequest**))
    NOT_USED(get_TreeScope(TreeScope*))
    NOT_USED(put_TreeScope(TreeScope))
    NOT_USED(get_TreeFilter(IUIAutomationCondition**))
    NOT_USED(put_TreeFilter(IUIAutomationCondition*))
    NOT_USED(get_AutomationElementMode(AutomationElementMode*))
    HRESULT STDMETHODCALLTYPE put_AutomationElementMode(AutomationElementMode mode) override {
        g_calls.push_back("ElementMode " + std::to_string(mode));
        return S_OK;
    }
};

class FakeArray;

class FakeElement : public Unknown<IUIAutomationElement> {
public:
    const wchar_t* name = nullptr;  // null: no cached name
    double rect[4] = {};
    FakeArray* children = nullptr;
    NOT_USED(SetFocus())
    NOT_USED(GetRuntimeId(SAFEARRAY**))
    NOT_USED(FindFirst(TreeScope, IUIAutomationCondition*, IUIAutomationElement**))
    NOT_USED(FindAll(TreeScope, IUIAutomationCondition*, IUIAutomationElementArray**))
    NOT_USED(FindFirstBuildCache(TreeScope, IUIAutomationCondition*, IUIAutomationCacheRequest*, IUIAutomationElement**))
    HRESULT STDMETHODCALLTYPE FindAllBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                                IUIAutomationCacheRequest* request,
                                                IUIAutomationElementArray** found) override;
    NOT_USED(BuildUpdatedCache(IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(GetCurrentPropertyValue(int, VARIANT*))
    NOT_USED(GetCurrentPropertyValueEx(int, BOOL, VARIANT*))
    HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int id, VARIANT* value) override {
        VariantInit(value);
        if (id == UIA_NamePropertyId && name) {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(name);
            return S_OK;
        }
        if (id == UIA_BoundingRectanglePropertyId) {
            SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 4);
            double* data = nullptr;
            SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
            for (int i = 0; i < 4; ++i) data[i] = rect[i];
            SafeArrayUnaccessData(array);
            value->vt = VT_ARRAY | VT_R8;
            value->parray = array;
            return S_OK;
        }
        return E_FAIL;
    }
};

class FakeArray : public Unknown<IUIAutomationElementArray> {
public:
    std::vector<FakeElement*> elements;
    HRESULT STDMETHODCALLTYPE get_Length(int* length) override {
        g_calls.push_back("get_Length");
        *length = static_cast<int>(elements.size() + 1);  // one more than it can give
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationElement** element) override {
        if (index >= static_cast<int>(elements.size())) return E_INVALIDARG;
        elements[index]->AddRef();
        *element = elements[index];
        return S_OK;
    }
};

HRESULT FakeElement::FindAllBuildCache(TreeScope scope, IUIAutomationCondition*, IUIAutomationCacheRequest*,
                                       IUIAutomationElementArray** found) {
    g_calls.push_back("FindAllBuildCache " + std::to_string(scope));
    children->AddRef();
    *found = children;
    return S_OK;
}

class FakeAutomation : public Unknown<IUIAutomation2> {
public:
    FakeElement root;
    FakeCacheRequest request;
    FakeCondition condition;
    NOT_USED(CompareElements(IUIAutomationElement*, IUIAutomationElement*, BOOL*))
    NOT_USED(CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*))
    NOT_USED(GetRootElement(IUIAutomationElement**))
    HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IUIAutomationElement** element) override {
        g_calls.push_back("ElementFromHandle");
        root.AddRef();
        *element = &root;
        return S_OK;
    }
    NOT_USED(ElementFromPoint(POINT, IUIAutomationElement**))
    NOT_USED(GetFocusedElement(IUIAutomationElement**))
    NOT_USED(GetRootElementBuildCache(IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(ElementFromHandleBuildCache(HWND, IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(ElementFromPointBuildCache(POINT, IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(GetFocusedElementBuildCache(IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(CreateTreeWalker(IUIAutomationCondition*, IUnknown**))
    NOT_USED(get_ControlViewWalker(IUnknown**))
    NOT_USED(get_ContentViewWalker(IUnknown**))
    NOT_USED(get_RawViewWalker(IUnknown**))
    NOT_USED(get_RawViewCondition(IUIAutomationCondition**))
    NOT_USED(get_ControlViewCondition(IUIAutomationCondition**))
    NOT_USED(get_ContentViewCondition(IUIAutomationCondition**))
    HRESULT STDMETHODCALLTYPE CreateCacheRequest(IUIAutomationCacheRequest** out) override {
        g_calls.push_back("CreateCacheRequest");
        request.AddRef();
        *out = &request;
        return S_OK;
    }
    NOT_USED(CreateTrueCondition(IUIAutomationCondition**))
    NOT_USED(CreateFalseCondition(IUIAutomationCondition**))
    HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int id, VARIANT value, IUIAutomationCondition** out) override {
        std::wstring text = value.vt == VT_BSTR ? value.bstrVal : L"?";
        g_calls.push_back("CreatePropertyCondition " + std::to_string(id) + " " + std::string(text.begin(), text.end()));
        condition.AddRef();
        *out = &condition;
        return S_OK;
    }
    NOT_USED(CreatePropertyConditionEx(int, VARIANT, int, IUIAutomationCondition**))
    NOT_USED(CreateAndCondition(IUIAutomationCondition*, IUIAutomationCondition*, IUIAutomationCondition**))
    NOT_USED(CreateAndConditionFromArray(SAFEARRAY*, IUIAutomationCondition**))
    NOT_USED(CreateAndConditionFromNativeArray(IUIAutomationCondition**, int, IUIAutomationCondition**))
    NOT_USED(CreateOrCondition(IUIAutomationCondition*, IUIAutomationCondition*, IUIAutomationCondition**))
    NOT_USED(CreateOrConditionFromArray(SAFEARRAY*, IUIAutomationCondition**))
    NOT_USED(CreateOrConditionFromNativeArray(IUIAutomationCondition**, int, IUIAutomationCondition**))
    NOT_USED(CreateNotCondition(IUIAutomationCondition*, IUIAutomationCondition**))
    NOT_USED(AddAutomationEventHandler(int, IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*, IUnknown*))
    NOT_USED(RemoveAutomationEventHandler(int, IUIAutomationElement*, IUnknown*))
    NOT_USED(AddPropertyChangedEventHandlerNativeArray(IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*,
                                                       IUnknown*, int*, int))
    NOT_USED(AddPropertyChangedEventHandler(IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*, IUnknown*,
                                            SAFEARRAY*))
    NOT_USED(RemovePropertyChangedEventHandler(IUIAutomationElement*, IUnknown*))
    NOT_USED(AddStructureChangedEventHandler(IUIAutomationElement*, TreeScope, IUIAutomationCacheRequest*, IUnknown*))
    NOT_USED(RemoveStructureChangedEventHandler(IUIAutomationElement*, IUnknown*))
    NOT_USED(AddFocusChangedEventHandler(IUIAutomationCacheRequest*, IUnknown*))
    NOT_USED(RemoveFocusChangedEventHandler(IUnknown*))
    NOT_USED(RemoveAllEventHandlers())
    NOT_USED(IntNativeArrayToSafeArray(int*, int, SAFEARRAY**))
    NOT_USED(IntSafeArrayToNativeArray(SAFEARRAY*, int**, int*))
    NOT_USED(RectToVariant(RECT, VARIANT*))
    NOT_USED(VariantToRect(VARIANT, RECT*))
    NOT_USED(SafeArrayToRectNativeArray(SAFEARRAY*, RECT**, int*))
    NOT_USED(CreateProxyFactoryEntry(IUnknown*, IUnknown**))
    NOT_USED(get_ProxyFactoryMapping(IUnknown**))
    NOT_USED(GetPropertyProgrammaticName(int, BSTR*))
    NOT_USED(GetPatternProgrammaticName(int, BSTR*))
    NOT_USED(PollForPotentialSupportedPatterns(IUIAutomationElement*, SAFEARRAY**, SAFEARRAY**))
    NOT_USED(PollForPotentialSupportedProperties(IUIAutomationElement*, SAFEARRAY**, SAFEARRAY**))
    NOT_USED(CheckNotSupported(VARIANT, BOOL*))
    NOT_USED(get_ReservedNotSupportedValue(IUnknown**))
    NOT_USED(get_ReservedMixedAttributeValue(IUnknown**))
    NOT_USED(ElementFromIAccessible(IUnknown*, int, IUIAutomationElement**))
    NOT_USED(ElementFromIAccessibleBuildCache(IUnknown*, int, IUIAutomationCacheRequest*, IUIAutomationElement**))
    NOT_USED(get_AutoSetFocus(BOOL*))
    NOT_USED(put_AutoSetFocus(BOOL))
    NOT_USED(get_ConnectionTimeout(DWORD*))
    NOT_USED(put_ConnectionTimeout(DWORD))
    NOT_USED(get_TransactionTimeout(DWORD*))
    NOT_USED(put_TransactionTimeout(DWORD))
};

}  // namespace

TEST(TrayUiAutomation, OneCachedSearchGivesNamesAndRectangles) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    FakeAutomation automation;
    FakeArray array;
    FakeElement named, unnamed;
    named.name = L"  Foo Sync \t";
    named.rect[0] = 100;
    named.rect[1] = 5;
    named.rect[2] = 24;
    named.rect[3] = 30;
    array.elements = {&named, &unnamed};
    automation.root.children = &array;

    g_calls.clear();
    std::vector<UiaNotifyItem> items(1);  // appended to, not replaced
    ASSERT_TRUE(CollectUiaNotifyItems(&automation, window, items));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"CreateCacheRequest", "AddProperty 30005", "AddProperty 30001",
                                                  "ElementMode 0", "CreatePropertyCondition 30011 NotifyItemIcon",
                                                  "ElementFromHandle", "FindAllBuildCache 4", "get_Length"}));
    ASSERT_EQ(items.size(), 3u) << "the index the array cannot give is skipped";
    EXPECT_EQ(items[1].name, L"Foo Sync");
    EXPECT_EQ(items[1].rect.left, 100);
    EXPECT_EQ(items[1].rect.top, 5);
    EXPECT_EQ(items[1].rect.right, 124);
    EXPECT_EQ(items[1].rect.bottom, 35);
    EXPECT_FALSE(items[1].taken);
    EXPECT_EQ(items[2].name, L"") << "an element without a name still counts";
    EXPECT_EQ(items[2].rect.right, 0);

    EXPECT_FALSE(CollectUiaNotifyItems(nullptr, window, items));
    EXPECT_FALSE(CollectUiaNotifyItems(&automation, nullptr, items));
    DestroyWindow(window);
    EXPECT_FALSE(CollectUiaNotifyItems(&automation, window, items)) << "a window that is gone";
    EXPECT_EQ(automation.root.refs, 1u) << "every reference handed out was released";
    EXPECT_EQ(array.refs, 1u);
    EXPECT_EQ(named.refs, 1u);
}
