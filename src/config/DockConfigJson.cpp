// The configuration file's text form: the writer emits a fixed layout; the
// reader walks the keys and asks for the value type each known key expects.

#include "config/DockConfig.h"

#include "config/DockConfigFields.h"
#include "config/JsonReader.h"
#include "config/JsonWriter.h"
#include "config/PathText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cfloat>
#include <cstdint>
#include <cwchar>
#include <system_error>

namespace {

// ---- writing ----

std::string FormatFixed(float value, int decimals) {
    char buffer[128];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

template <typename Integer>
std::string FormatInteger(Integer value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

void WriteValueLine(std::string& out, const char* key, const std::string& value) {
    out += "  \"";
    out += key;
    out += "\": ";
    out += value;
    out += ",\n";
}

void WriteBoolLine(std::string& out, const char* key, bool value) {
    WriteValueLine(out, key, value ? "true" : "false");
}

void WriteStringList(std::string& out, const char* key, const std::vector<std::wstring>& list, bool last) {
    out += "  \"";
    out += key;
    out += "\": [\n";
    for (size_t i = 0; i < list.size(); ++i) {
        out += "    \"";
        out += JsonEscapeToUtf8(list[i]);
        out += i + 1 < list.size() ? "\",\n" : "\"\n";
    }
    out += last ? "  ]\n" : "  ],\n";
}

void WritePinned(std::string& out, const char* key, const std::vector<PinnedApp>& pinned, bool last) {
    out += "  \"";
    out += key;
    out += "\": [\n";
    for (size_t i = 0; i < pinned.size(); ++i) {
        const PinnedApp& app = pinned[i];
        out += "    {\n";
        out += "      \"name\": \"" + JsonEscapeToUtf8(app.name) + "\",\n";
        out += "      \"path\": \"" + JsonEscapeToUtf8(app.path) + "\",\n";
        out += "      \"args\": \"" + JsonEscapeToUtf8(app.args) + "\",\n";
        out += "      \"appId\": \"" + JsonEscapeToUtf8(app.appId) + "\"\n";
        out += i + 1 < pinned.size() ? "    },\n" : "    }\n";
    }
    out += last ? "  ]\n" : "  ],\n";
}

// ---- reading ----

// Out-of-range numbers saturate before they are narrowed: converting them
// directly would be undefined.
float ToFloat(double value) {
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

int32_t ToInt32(double value) {
    if (value != value) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);  // truncates toward zero
}

uint64_t ToWatermark(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 18446744073709551616.0) return UINT64_MAX;
    return static_cast<uint64_t>(value);
}

bool ReadFloat(JsonReader& reader, float& out) {
    double value = 0.0;
    if (!reader.ReadNumber(value)) return false;
    out = ToFloat(value);
    return true;
}

bool ReadInt(JsonReader& reader, int32_t& out) {
    double value = 0.0;
    if (!reader.ReadNumber(value)) return false;
    out = ToInt32(value);
    return true;
}

bool ReadWatermark(JsonReader& reader, uint64_t& out) {
    if (reader.Peek() == '"') {
        std::wstring text;
        if (!reader.ReadString(text)) return false;
        // The standard conversion: leading blanks and a sign accepted, stops at
        // the first other character, saturates on overflow.
        const int savedErrno = errno;
        out = std::wcstoull(text.c_str(), nullptr, 10);
        errno = savedErrno;
        return true;
    }
    double value = 0.0;
    if (!reader.ReadNumber(value)) return false;
    out = ToWatermark(value);
    return true;
}

// '[' then zero or more elements read by readElement, separated by ',', then ']'.
template <typename ReadElement>
bool ReadArray(JsonReader& reader, ReadElement readElement) {
    if (!reader.Consume('[')) return false;
    if (reader.Consume(']')) return true;
    while (true) {
        if (!readElement()) return false;
        if (reader.Consume(',')) continue;
        return reader.Consume(']');
    }
}

bool ReadPinnedApp(JsonReader& reader, PinnedApp& app) {
    if (!reader.Consume('{')) return false;
    if (reader.Consume('}')) return true;
    while (true) {
        std::wstring key;
        if (!reader.ReadString(key) || !reader.Consume(':')) return false;
        bool ok;
        if (key == L"name")
            ok = reader.ReadString(app.name);
        else if (key == L"path")
            ok = reader.ReadString(app.path);
        else if (key == L"args")
            ok = reader.ReadString(app.args);
        else if (key == L"appId")
            ok = reader.ReadString(app.appId);
        else
            ok = reader.SkipValue();
        if (!ok) return false;
        if (reader.Consume(',')) continue;
        return reader.Consume('}');
    }
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

struct ParseState {
    DockConfig config;
    bool pinnedSeen = false;
    bool tilesSeen = false;
};

bool ReadStrings(JsonReader& reader, std::vector<std::wstring>& list) {
    return ReadArray(reader, [&] {
        std::wstring text;
        if (!reader.ReadString(text)) return false;
        if (!text.empty()) list.push_back(NormalizePathKey(text));
        return true;
    });
}

bool ReadKeyValue(JsonReader& reader, const std::wstring& key, ParseState& state) {
    const DockConfigField* field = FindDockConfigField(key);
    if (!field) return reader.SkipValue();
    DockConfig& c = state.config;
    switch (field->kind) {
        case FieldKind::Bool:
            return reader.ReadBool(c.*std::get<bool DockConfig::*>(field->member));
        case FieldKind::Float1:
        case FieldKind::Float2:
            return ReadFloat(reader, c.*std::get<float DockConfig::*>(field->member));
        case FieldKind::Int:
            return ReadInt(reader, c.*std::get<int32_t DockConfig::*>(field->member));
        case FieldKind::Watermark:
            return ReadWatermark(reader, c.*std::get<uint64_t DockConfig::*>(field->member));
        case FieldKind::Tiles: {
            std::vector<std::wstring>& tiles = c.*std::get<std::vector<std::wstring> DockConfig::*>(field->member);
            tiles.clear();
            state.tilesSeen = true;
            return ReadArray(reader, [&] {
                std::wstring id;
                if (!reader.ReadString(id)) return false;
                id = NormalizePathKey(id);
                if (IsKnownControlCenterTile(id) && !Contains(tiles, id)) tiles.push_back(std::move(id));
                return true;
            });
        }
        case FieldKind::Pinned: {
            std::vector<PinnedApp>& pinned = c.*std::get<std::vector<PinnedApp> DockConfig::*>(field->member);
            state.pinnedSeen = true;
            return ReadArray(reader, [&] {
                PinnedApp app;
                if (!ReadPinnedApp(reader, app)) return false;
                if (app.path.empty()) return true;
                if (app.appId.empty()) app.appId = NormalizePathKey(app.path);
                pinned.push_back(std::move(app));
                return true;
            });
        }
        case FieldKind::Keys:
            return ReadStrings(reader, c.*std::get<std::vector<std::wstring> DockConfig::*>(field->member));
        case FieldKind::UniqueKeys: {
            std::vector<std::wstring>& keys = c.*std::get<std::vector<std::wstring> DockConfig::*>(field->member);
            const bool read = ReadStrings(reader, keys);
            KeepFirstOfEach(keys);
            return read;
        }
    }
    return false;
}

bool ReadObject(JsonReader& reader, ParseState& state) {
    if (!reader.Consume('{')) return false;
    if (reader.Consume('}')) return true;
    while (true) {
        std::wstring key;
        if (!reader.ReadString(key) || !reader.Consume(':')) return false;
        if (!ReadKeyValue(reader, key, state)) return false;
        if (reader.Consume(',')) continue;
        return reader.Consume('}');
    }
}

}  // namespace

std::string DockConfig::ToJson(const DockConfig& c) {
    std::string out;
    out.reserve(2048);
    out += "{\n";
    const std::span<const DockConfigField> fields = DockConfigFields();
    for (const DockConfigField& field : fields) {
        const bool last = &field == &fields.back();
        switch (field.kind) {
            case FieldKind::Bool:
                WriteBoolLine(out, field.name, c.*std::get<bool DockConfig::*>(field.member));
                break;
            case FieldKind::Float1:
            case FieldKind::Float2:
                WriteValueLine(out, field.name,
                               FormatFixed(c.*std::get<float DockConfig::*>(field.member),
                                           field.kind == FieldKind::Float1 ? 1 : 2));
                break;
            case FieldKind::Int:
                WriteValueLine(out, field.name, FormatInteger(c.*std::get<int32_t DockConfig::*>(field.member)));
                break;
            case FieldKind::Watermark:
                // Quoted: readers that hold numbers as doubles would lose FILETIME precision.
                WriteValueLine(out, field.name,
                               "\"" + FormatInteger(c.*std::get<uint64_t DockConfig::*>(field.member)) + "\"");
                break;
            case FieldKind::Pinned:
                WritePinned(out, field.name, c.*std::get<std::vector<PinnedApp> DockConfig::*>(field.member), last);
                break;
            case FieldKind::Tiles:
            case FieldKind::Keys:
            case FieldKind::UniqueKeys:
                WriteStringList(out, field.name, c.*std::get<std::vector<std::wstring> DockConfig::*>(field.member),
                                last);
                break;
        }
    }
    out += "}\n";
    return out;
}

bool DockConfig::FromJson(std::string_view text, DockConfig& out, size_t* faultAt) {
    // Editors that save UTF-8 with a byte-order mark must not cost the user their settings.
    const size_t bom = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    text.remove_prefix(bom);
    JsonReader reader(text);
    ParseState state;
    if (text.empty() || !ReadObject(reader, state)) {
        if (faultAt) *faultAt = bom + static_cast<size_t>(reader.position);
        return false;
    }

    if (!state.pinnedSeen) ResetPinnedToDefaults(state.config);
    if (!state.tilesSeen && state.config.controlCenterTiles.empty()) {
        state.config.controlCenterTiles = DefaultControlCenterTiles();
    }
    // Every list was read in the shape Clamp gives it: going over 300,000
    // keys again would cost as much as reading them.
    ClampValues(state.config);
    out = std::move(state.config);
    return true;
}
