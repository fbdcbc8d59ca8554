#pragma once
// UI Automation client interfaces, which the mingw-w64 headers do not declare:
// the automation object (IUIAutomation, IUIAutomation2), the element, the
// element array, the cache request and the condition. Every vtable slot is
// declared in its documented order up to the last slot the tray code calls;
// parameters of slots it never calls are kept opaque. Values from the public
// Windows documentation.

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

namespace uia {

enum TreeScope : int {
    TreeScope_Element = 0x1,
    TreeScope_Children = 0x2,
    TreeScope_Descendants = 0x4,
    TreeScope_Subtree = 0x7,
};

enum AutomationElementMode : int {
    AutomationElementMode_None = 0,
    AutomationElementMode_Full = 1,
};

constexpr int UIA_BoundingRectanglePropertyId = 30001;
constexpr int UIA_NamePropertyId = 30005;
constexpr int UIA_AutomationIdPropertyId = 30011;

// {FF48DBA4-60EF-4201-AA87-54103EEF594E}
inline constexpr CLSID CLSID_CUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
// {30CBE57D-D9D0-452A-AB13-7AC5AC4825EE}
inline constexpr IID IID_IUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
// {34723AFF-0C9D-49D0-9896-7AB52DF8CD8A}
inline constexpr IID IID_IUIAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};
// {D22108AA-8AC5-49A5-837B-37BBB3D7591E}
inline constexpr IID IID_IUIAutomationElement = {
    0xd22108aa, 0x8ac5, 0x49a5, {0x83, 0x7b, 0x37, 0xbb, 0xb3, 0xd7, 0x59, 0x1e}};
// {14314595-B4BC-4055-95F2-58F2E42C9855}
inline constexpr IID IID_IUIAutomationElementArray = {
    0x14314595, 0xb4bc, 0x4055, {0x95, 0xf2, 0x58, 0xf2, 0xe4, 0x2c, 0x98, 0x55}};
// {B32A92B5-BC25-4078-9C08-D7EE95C48E03}
inline constexpr IID IID_IUIAutomationCacheRequest = {
    0xb32a92b5, 0xbc25, 0x4078, {0x9c, 0x08, 0xd7, 0xee, 0x95, 0xc4, 0x8e, 0x03}};
// {352FFBA8-0973-437C-A61F-F64CAFD81DF9}
inline constexpr IID IID_IUIAutomationCondition = {
    0x352ffba8, 0x0973, 0x437c, {0xa6, 0x1f, 0xf6, 0x4c, 0xaf, 0xd8, 0x1d, 0xf9}};

struct IUIAutomationCondition : public IUnknown {};

struct IUIAutomationCacheRequest : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddProperty(int propertyId) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPattern(int patternId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IUIAutomationCacheRequest** clonedRequest) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TreeScope(TreeScope* scope) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TreeScope(TreeScope scope) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TreeFilter(IUIAutomationCondition** filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TreeFilter(IUIAutomationCondition* filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutomationElementMode(AutomationElementMode* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutomationElementMode(AutomationElementMode mode) = 0;
};

struct IUIAutomationElementArray;

struct IUIAutomationElement : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** runtimeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(TreeScope scope, IUIAutomationCondition* condition,
                                                IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(TreeScope scope, IUIAutomationCondition* condition,
                                              IUIAutomationElementArray** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                                          IUIAutomationCacheRequest* cacheRequest,
                                                          IUIAutomationElement** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                                        IUIAutomationCacheRequest* cacheRequest,
                                                        IUIAutomationElementArray** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUIAutomationCacheRequest* cacheRequest,
                                                        IUIAutomationElement** updatedElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int propertyId, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int propertyId, BOOL ignoreDefaultValue,
                                                                VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int propertyId, VARIANT* value) = 0;
};

struct IUIAutomationElementArray : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationElement** element) = 0;
};

struct IUIAutomation : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement*, IUIAutomationElement*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUIAutomationElement** root) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, IUIAutomationElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElementBuildCache(IUIAutomationCacheRequest*, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandleBuildCache(HWND, IUIAutomationCacheRequest*,
                                                                  IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPointBuildCache(POINT, IUIAutomationCacheRequest*,
                                                                 IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElementBuildCache(IUIAutomationCacheRequest*,
                                                                  IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(IUIAutomationCondition*, IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RawViewCondition(IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ControlViewCondition(IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentViewCondition(IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCacheRequest(IUIAutomationCacheRequest** cacheRequest) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFalseCondition(IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int propertyId, VARIANT value,
                                                              IUIAutomationCondition** condition) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePropertyConditionEx(int, VARIANT, int, IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndCondition(IUIAutomationCondition*, IUIAutomationCondition*,
                                                         IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromArray(SAFEARRAY*, IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAndConditionFromNativeArray(IUIAutomationCondition**, int,
                                                                        IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrCondition(IUIAutomationCondition*, IUIAutomationCondition*,
                                                        IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromArray(SAFEARRAY*, IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOrConditionFromNativeArray(IUIAutomationCondition**, int,
                                                                       IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateNotCondition(IUIAutomationCondition*, IUIAutomationCondition**) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAutomationEventHandler(int, IUIAutomationElement*, TreeScope,
                                                                IUIAutomationCacheRequest*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAutomationEventHandler(int, IUIAutomationElement*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandlerNativeArray(IUIAutomationElement*, TreeScope,
                                                                                IUIAutomationCacheRequest*, IUnknown*,
                                                                                int*, int) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPropertyChangedEventHandler(IUIAutomationElement*, TreeScope,
                                                                     IUIAutomationCacheRequest*, IUnknown*,
                                                                     SAFEARRAY*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePropertyChangedEventHandler(IUIAutomationElement*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddStructureChangedEventHandler(IUIAutomationElement*, TreeScope,
                                                                      IUIAutomationCacheRequest*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveStructureChangedEventHandler(IUIAutomationElement*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddFocusChangedEventHandler(IUIAutomationCacheRequest*, IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFocusChangedEventHandler(IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAllEventHandlers() = 0;
    virtual HRESULT STDMETHODCALLTYPE IntNativeArrayToSafeArray(int*, int, SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE IntSafeArrayToNativeArray(SAFEARRAY*, int**, int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE RectToVariant(RECT, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE VariantToRect(VARIANT, RECT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE SafeArrayToRectNativeArray(SAFEARRAY*, RECT**, int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateProxyFactoryEntry(IUnknown*, IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProxyFactoryMapping(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyProgrammaticName(int, BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPatternProgrammaticName(int, BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE PollForPotentialSupportedPatterns(IUIAutomationElement*, SAFEARRAY**,
                                                                        SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE PollForPotentialSupportedProperties(IUIAutomationElement*, SAFEARRAY**,
                                                                          SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE CheckNotSupported(VARIANT, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReservedNotSupportedValue(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReservedMixedAttributeValue(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromIAccessible(IUnknown*, int, IUIAutomationElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromIAccessibleBuildCache(IUnknown*, int, IUIAutomationCacheRequest*,
                                                                       IUIAutomationElement**) = 0;
};

struct IUIAutomation2 : public IUIAutomation {
    virtual HRESULT STDMETHODCALLTYPE get_AutoSetFocus(BOOL* autoSetFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoSetFocus(BOOL autoSetFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(DWORD* timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TransactionTimeout(DWORD* timeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD timeout) = 0;
};

}  // namespace uia
