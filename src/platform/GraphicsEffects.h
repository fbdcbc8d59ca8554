#pragma once
// Windows Runtime effect-description interfaces that the toolchain headers lack:
// IGraphicsEffect and IGraphicsEffectSource (Windows.Graphics.Effects), the
// native IGraphicsEffectD2D1Interop, and Windows.Foundation's IPropertyValue
// with the value types its methods use. Declared from the public documentation
// (interface ids and method order); only the ABI is given here.

#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

namespace platform {

enum PropertyType : INT32 {
    PropertyType_Empty = 0,
    PropertyType_UInt8 = 1,
    PropertyType_Int16 = 2,
    PropertyType_UInt16 = 3,
    PropertyType_Int32 = 4,
    PropertyType_UInt32 = 5,
    PropertyType_Int64 = 6,
    PropertyType_UInt64 = 7,
    PropertyType_Single = 8,
    PropertyType_Double = 9,
    PropertyType_Char16 = 10,
    PropertyType_Boolean = 11,
    PropertyType_String = 12,
    PropertyType_Inspectable = 13,
    PropertyType_DateTime = 14,
    PropertyType_TimeSpan = 15,
    PropertyType_Guid = 16,
    PropertyType_Point = 17,
    PropertyType_Size = 18,
    PropertyType_Rect = 19,
    PropertyType_OtherType = 20,
    PropertyType_SingleArray = 1024 + 8,
};

struct DateTime {
    INT64 UniversalTime;
};
struct TimeSpan {
    INT64 Duration;
};
struct Point {
    FLOAT X, Y;
};
struct Size {
    FLOAT Width, Height;
};
struct Rect {
    FLOAT X, Y, Width, Height;
};

enum GRAPHICS_EFFECT_PROPERTY_MAPPING : INT32 {
    GRAPHICS_EFFECT_PROPERTY_MAPPING_UNKNOWN = 0,
    GRAPHICS_EFFECT_PROPERTY_MAPPING_DIRECT = 1,
};

}  // namespace platform

MIDL_INTERFACE("4bd682dd-7554-40e9-9a9b-82654ede7e62")
IPropertyValue : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Type(platform::PropertyType * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsNumericScalar(boolean * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt8(BYTE * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt16(INT16 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt16(UINT16 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt32(INT32 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt32(UINT32 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt64(INT64 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt64(UINT64 * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSingle(FLOAT * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDouble(DOUBLE * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChar16(WCHAR * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoolean(boolean * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetString(HSTRING * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGuid(GUID * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDateTime(platform::DateTime * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeSpan(platform::TimeSpan * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPoint(platform::Point * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSize(platform::Size * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRect(platform::Rect * value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt8Array(UINT32 * length, BYTE * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt16Array(UINT32 * length, INT16 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt16Array(UINT32 * length, UINT16 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt32Array(UINT32 * length, INT32 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt32Array(UINT32 * length, UINT32 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt64Array(UINT32 * length, INT64 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt64Array(UINT32 * length, UINT64 * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSingleArray(UINT32 * length, FLOAT * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDoubleArray(UINT32 * length, DOUBLE * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChar16Array(UINT32 * length, WCHAR * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBooleanArray(UINT32 * length, boolean * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStringArray(UINT32 * length, HSTRING * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInspectableArray(UINT32 * length, IInspectable * **value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGuidArray(UINT32 * length, GUID * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDateTimeArray(UINT32 * length, platform::DateTime * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeSpanArray(UINT32 * length, platform::TimeSpan * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPointArray(UINT32 * length, platform::Point * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSizeArray(UINT32 * length, platform::Size * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRectArray(UINT32 * length, platform::Rect * *value) = 0;
};
__CRT_UUID_DECL(IPropertyValue, 0x4bd682dd, 0x7554, 0x40e9, 0x9a, 0x9b, 0x82, 0x65, 0x4e, 0xde, 0x7e, 0x62)

MIDL_INTERFACE("2d8f9ddc-4339-4eb9-9216-f9deb75658a2")
IGraphicsEffectSource : public IInspectable{};
__CRT_UUID_DECL(IGraphicsEffectSource, 0x2d8f9ddc, 0x4339, 0x4eb9, 0x92, 0x16, 0xf9, 0xde, 0xb7, 0x56, 0x58, 0xa2)

MIDL_INTERFACE("cb51c0ce-8fe6-4636-b202-861faa07d8f3")
IGraphicsEffect : public IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING * name) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Name(HSTRING name) = 0;
};
__CRT_UUID_DECL(IGraphicsEffect, 0xcb51c0ce, 0x8fe6, 0x4636, 0xb2, 0x02, 0x86, 0x1f, 0xaa, 0x07, 0xd8, 0xf3)

MIDL_INTERFACE("2fc57384-a068-44d7-a331-30982fcf7177")
IGraphicsEffectD2D1Interop : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetEffectId(GUID * id) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNamedPropertyMapping(LPCWSTR name, UINT * index,
                                                              platform::GRAPHICS_EFFECT_PROPERTY_MAPPING * mapping) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyCount(UINT * count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(UINT index, IPropertyValue * *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(UINT index, IGraphicsEffectSource * *source) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSourceCount(UINT * count) = 0;
};
__CRT_UUID_DECL(IGraphicsEffectD2D1Interop, 0x2fc57384, 0xa068, 0x44d7, 0xa3, 0x31, 0x30, 0x98, 0x2f, 0xcf, 0x71, 0x77)

// Direct2D effect class ids used by the glass.
namespace platform {
inline constexpr GUID kClsidD2D1Saturation = {
    0x5cb2d9cf, 0x327d, 0x459f, {0xa0, 0xce, 0x40, 0xc0, 0xb2, 0x08, 0x6b, 0xf7}};
inline constexpr GUID kClsidD2D1GaussianBlur = {
    0x1feb6d69, 0x2fe6, 0x4ac9, {0x8c, 0x58, 0x1d, 0x7f, 0x93, 0xe7, 0xa6, 0xa5}};
inline constexpr GUID kClsidD2D12DAffineTransform = {
    0x6aa97485, 0x6354, 0x4cfc, {0x90, 0x8c, 0xe4, 0xa7, 0x4f, 0x62, 0xc9, 0x6c}};
}  // namespace platform
