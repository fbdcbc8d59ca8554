#pragma once
// Property keys the toolchain's propkey.h lacks (values from the public
// property-system reference).

#include <windows.h>
#include <wtypes.h>
#include <propkeydef.h>

// System.Link.TargetParsingPath: the shell parsing path of a link's target.
inline constexpr PROPERTYKEY kPKEY_Link_TargetParsingPath = {
    {0xB9B4B3FC, 0x2B51, 0x4A42, {0xB5, 0xD8, 0x32, 0x41, 0x46, 0xAF, 0xCF, 0x25}}, 2};

// System.Link.Arguments: a link's command-line arguments.
inline constexpr PROPERTYKEY kPKEY_Link_Arguments = {
    {0x436F2667, 0x14E2, 0x4FEB, {0xB3, 0x0A, 0x14, 0x6C, 0x53, 0xB5, 0xB6, 0x74}}, 100};

// System.AppUserModel.ID, also used to find the id inside a link file's own
// property-store block.
inline constexpr PROPERTYKEY kPKEY_AppUserModel_ID = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

// PKEY_Device_FriendlyName: an audio endpoint's display name. The toolchain
// declares it, but its libraries lack the symbol.
inline constexpr PROPERTYKEY kPKEY_Device_FriendlyName = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};
