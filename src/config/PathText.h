#pragma once
// Path text: names, stems, extensions, folders and the one comparison key for
// paths and ids. Pure text but for the known-folder lookup; the file system is
// asked nothing.

#include <string>
#include <string_view>

// Every '/' becomes '\' and only 'A'..'Z' are lower-cased; nothing else changes.
std::wstring NormalizePathKey(std::wstring_view text);

// The part after the last '\' or '/', or the whole text.
std::wstring FileNameOf(std::wstring_view path);

// The file name without its last extension, as std::filesystem::path::stem.
std::wstring_view PathStem(std::wstring_view path);

// "{known-folder-id}\rest" becomes "<folder>\rest"; anything else, or an id that
// names no known folder, comes back unchanged.
std::wstring ExpandKnownFolderPath(const std::wstring& path);

// File stem of the path (cut at a ':' stream marker); the file name when the stem
// is empty; the path itself when that is empty too.
std::wstring DisplayNameFromPath(const std::wstring& path);

// From the last '.' to the end, when that dot lies after the last separator; else empty.
std::wstring ExtensionOf(const std::wstring& path);

// The folder part before the last separator, without it (keeps "C:\" whole); empty
// when there is no separator.
std::wstring ParentFolderOf(const std::wstring& path);
