#include "system/WlanProfile.h"

#include <algorithm>

namespace vantreel {
namespace {

constexpr size_t kMaxSsidBytes = 32;

// Before the escaped SSID: the declaration, the root element with the schema's
// namespace, and the opening of the name element.
constexpr wchar_t kHeader[] =
    L"<?xml version=\"1.0\"?>\n"
    L"<WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">\n"
    L"  <name>";
constexpr wchar_t kAfterName[] = L"</name>\n  <SSIDConfig><SSID><hex>";
constexpr wchar_t kAfterHex[] = L"</hex><name>";
constexpr wchar_t kAfterSsidName[] =
    L"</name></SSID></SSIDConfig>\n"
    L"  <connectionType>ESS</connectionType>\n"
    L"  <connectionMode>auto</connectionMode>\n"
    L"  <MSM><security>\n";
constexpr wchar_t kPersonalBeforeKey[] =
    L"    <authEncryption><authentication>WPA2PSK</authentication><encryption>AES</encryption>"
    L"<useOneX>false</useOneX></authEncryption>\n"
    L"    <sharedKey><keyType>";
constexpr wchar_t kPassPhrase[] = L"passPhrase";
constexpr wchar_t kNetworkKey[] = L"networkKey";
constexpr wchar_t kBeforeKeyMaterial[] = L"</keyType><protected>false</protected><keyMaterial>";
constexpr wchar_t kPersonalAfterKey[] = L"</keyMaterial></sharedKey>\n";
constexpr wchar_t kOpen[] =
    L"    <authEncryption><authentication>open</authentication><encryption>none</encryption>"
    L"<useOneX>false</useOneX></authEncryption>\n";
constexpr wchar_t kTail[] = L"  </security></MSM>\n</WLANProfile>\n";

}  // namespace

std::wstring SsidToWide(const DOT11_SSID& ssid) {
    const int length = static_cast<int>(ssid.uSSIDLength > kMaxSsidBytes ? kMaxSsidBytes : ssid.uSSIDLength);
    if (length == 0) return {};
    const char* bytes = reinterpret_cast<const char*>(ssid.ucSSID);
    wchar_t wide[kMaxSsidBytes] = {};
    const int count = MultiByteToWideChar(CP_UTF8, 0, bytes, length, wide, static_cast<int>(kMaxSsidBytes));
    if (count <= 0) return {};
    return std::wstring(wide, static_cast<size_t>(count));
}

std::wstring XmlEscape(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&':
                escaped += L"&amp;";
                break;
            case L'<':
                escaped += L"&lt;";
                break;
            case L'>':
                escaped += L"&gt;";
                break;
            case L'"':
                escaped += L"&quot;";
                break;
            case L'\'':
                escaped += L"&apos;";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
}

std::wstring HexEncode(const uint8_t* bytes, size_t length) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    if (length > kMaxSsidBytes) length = kMaxSsidBytes;
    std::wstring hex;
    hex.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return hex;
}

WifiKeyKind ClassifyWifiKey(const std::wstring& key) {
    const bool hex = key.size() == 64 && std::all_of(key.begin(), key.end(), [](wchar_t c) {
                         return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
                     });
    if (hex) return WifiKeyKind::NetworkKey;
    const bool printable = std::all_of(key.begin(), key.end(), [](wchar_t c) { return c >= 0x20 && c <= 0x7E; });
    return printable && key.size() >= 8 && key.size() <= 63 ? WifiKeyKind::PassPhrase : WifiKeyKind::Invalid;
}

std::optional<std::wstring> BuildWlanProfileXml(const std::wstring& ssid, const std::wstring& password, bool secured) {
    // An SSID holds at most 32 bytes: a longer UTF-8 form fails the conversion.
    char utf8[kMaxSsidBytes] = {};
    const int byteCount = ssid.empty() ? 0
                                       : WideCharToMultiByte(CP_UTF8, 0, ssid.c_str(), static_cast<int>(ssid.size()),
                                                             utf8, static_cast<int>(kMaxSsidBytes), nullptr, nullptr);
    if (byteCount <= 0) return std::nullopt;

    const std::wstring escapedSsid = XmlEscape(ssid);
    std::wstring xml = kHeader;
    xml += escapedSsid;
    xml += kAfterName;
    xml += HexEncode(reinterpret_cast<const uint8_t*>(utf8), static_cast<size_t>(byteCount));
    xml += kAfterHex;
    xml += escapedSsid;
    xml += kAfterSsidName;
    if (secured && !password.empty()) {
        xml += kPersonalBeforeKey;
        xml += ClassifyWifiKey(password) == WifiKeyKind::NetworkKey ? kNetworkKey : kPassPhrase;
        xml += kBeforeKeyMaterial;
        xml += XmlEscape(password);
        xml += kPersonalAfterKey;
    } else {
        xml += kOpen;
    }
    xml += kTail;
    return xml;
}

}  // namespace vantreel
