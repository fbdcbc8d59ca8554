#pragma once
// The WLAN profile document that a Wi-Fi connection writes for a network
// without a usable saved profile, and the text helpers around SSIDs: raw SSID
// bytes to text, escaping for the document, and the SSID's hexadecimal form.

#include <windows.h>
#include <wlanapi.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vantreel {

// The first length bytes (at most 32) decoded as UTF-8; invalid bytes become
// U+FFFD; empty for a zero length or a failed conversion.
std::wstring SsidToWide(const DOT11_SSID& ssid);

// "&", "<", ">", the double quote and the apostrophe as entities; every other
// character unchanged.
std::wstring XmlEscape(const std::wstring& text);

// Upper-case hexadecimal, two digits per byte; at most 32 bytes are encoded.
std::wstring HexEncode(const uint8_t* bytes, size_t length);

// What a WPA2-Personal key is: 8 to 63 printable ASCII characters are a pass
// phrase, exactly 64 hexadecimal digits the raw network key; anything else is
// refused by the network's service.
enum class WifiKeyKind { Invalid, PassPhrase, NetworkKey };
WifiKeyKind ClassifyWifiKey(const std::wstring& key);

// The profile document for `ssid`, named after it: WPA2-Personal with AES and
// `password` as its key (a network key for 64 hexadecimal digits, otherwise a
// pass phrase) when `secured` and the password is not empty, otherwise open. Nothing when the SSID's UTF-8 form is
// empty or longer than the 32 bytes an SSID holds.
std::optional<std::wstring> BuildWlanProfileXml(const std::wstring& ssid, const std::wstring& password, bool secured);

}  // namespace vantreel
