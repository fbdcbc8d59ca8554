#include "render/comp/BackdropBand.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <io.h>
#include <memory>
#include <share.h>

#include "config/SharedFile.h"

namespace comp {
namespace {

constexpr char kMagic[4] = {'V', 'T', 'B', 'B'};
// Raised whenever the layout of the file or the filters behind its pixels
// change: a band filtered by an older program is then filtered again.
constexpr uint32_t kVersion = 2;
constexpr uint32_t kMostKeyValues = 64;
constexpr uint32_t kMostIdentityChars = 4096;
constexpr int32_t kMostEdge = 16384;

// Fields after the magic, in file order (native little-endian).
struct Header {
    uint32_t version = kVersion;
    uint32_t keyValues = 0;
    uint32_t identityChars = 0;
    int32_t top = 0, bottom = 0, pictureTop = 0, pictureBottom = 0;
    int32_t originX = 0, originY = 0, width = 0, height = 0;
    // FNV-1a of the pixels, low half first: a file of the right length can
    // still hold other bytes (a torn write, a disk's zeroed blocks), and a
    // glass without its blur would otherwise show until the wallpaper changes.
    uint32_t pixelHashLow = 0, pixelHashHigh = 0;
};
static_assert(sizeof(Header) == 52);

uint64_t Fnv1a(const void* data, size_t size, uint64_t hash = 14695981039346656037ull) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

bool Read(FILE* stream, void* data, size_t size) { return size == 0 || fread(data, 1, size, stream) == size; }
bool Write(FILE* stream, const void* data, size_t size) { return size == 0 || fwrite(data, 1, size, stream) == size; }

}  // namespace

std::wstring BackdropBandFile(const std::wstring& folder, const std::vector<float>& key) {
    if (folder.empty()) return {};
    wchar_t name[40];
    _snwprintf(name, 39, L"backdrop-%016llX.bin",
               static_cast<unsigned long long>(Fnv1a(key.data(), key.size() * sizeof(float))));
    name[39] = L'\0';
    std::wstring path = folder;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + name;
}

void WriteBackdropBand(const std::wstring& file, const FilteredBand& band) {
    const raster::Image& pixels = band.picture.pixels;
    if (file.empty() || pixels.IsEmpty() || pixels.Width() > kMostEdge || pixels.Height() > kMostEdge ||
        band.key.size() > kMostKeyValues || band.picture.identity.size() > kMostIdentityChars)
        return;
    Header header;
    header.keyValues = static_cast<uint32_t>(band.key.size());
    header.identityChars = static_cast<uint32_t>(band.picture.identity.size());
    header.top = band.top;
    header.bottom = band.bottom;
    header.pictureTop = band.pictureTop;
    header.pictureBottom = band.pictureBottom;
    header.originX = band.picture.origin.x;
    header.originY = band.picture.origin.y;
    header.width = pixels.Width();
    header.height = pixels.Height();
    const uint64_t hash = Fnv1a(pixels.Data(), static_cast<size_t>(header.width) * header.height * 4);
    header.pixelHashLow = static_cast<uint32_t>(hash);
    header.pixelHashHigh = static_cast<uint32_t>(hash >> 32);
    const std::wstring temporary = file + L".tmp";
    // Exclusive writer: a second one at the same moment leaves the file to the first.
    FILE* stream = _wfsopen(temporary.c_str(), L"wb", _SH_DENYWR);
    if (!stream) return;
    const bool ok = Write(stream, kMagic, sizeof(kMagic)) && Write(stream, &header, sizeof(header)) &&
                    Write(stream, band.key.data(), band.key.size() * sizeof(float)) &&
                    Write(stream, band.picture.identity.data(), band.picture.identity.size() * sizeof(wchar_t)) &&
                    Write(stream, pixels.Data(), static_cast<size_t>(header.width) * header.height * 4) &&
                    FlushToDisk(stream);
    fclose(stream);
    if (!ok || !ReplaceSharedFile(temporary, file, MOVEFILE_REPLACE_EXISTING)) DeleteFileW(temporary.c_str());
}

std::optional<FilteredBand> ReadBackdropBand(const std::wstring& file) {
    if (file.empty()) return std::nullopt;
    const std::unique_ptr<FILE, int (*)(FILE*)> stream(OpenSharedForReading(file), fclose);
    if (!stream) return std::nullopt;
    FilteredBand band;
    char magic[4] = {};
    Header header;
    bool ok = Read(stream.get(), magic, sizeof(magic)) && std::memcmp(magic, kMagic, sizeof(kMagic)) == 0 &&
              Read(stream.get(), &header, sizeof(header)) && header.version == kVersion &&
              header.keyValues <= kMostKeyValues && header.identityChars <= kMostIdentityChars && header.width > 0 &&
              header.width <= kMostEdge && header.height > 0 && header.height <= kMostEdge &&
              // The rows said to be held are the rows of the pixels, inside the picture.
              int64_t{header.bottom} - header.top == header.height && header.originY == header.top &&
              header.pictureTop <= header.top && header.bottom <= header.pictureBottom;
    const size_t pixelBytes = ok ? static_cast<size_t>(header.width) * header.height * 4 : 0;
    // The header's sizes must be the file's before anything is made of them:
    // a damaged one could otherwise ask for a gigabyte.
    ok = ok && _filelengthi64(_fileno(stream.get())) ==
                   static_cast<int64_t>(sizeof(kMagic) + sizeof(Header) + header.keyValues * sizeof(float) +
                                        header.identityChars * sizeof(wchar_t) + pixelBytes);
    if (ok) {
        band.key.resize(header.keyValues);
        band.picture.identity.resize(header.identityChars);
        band.picture.pixels.Reset(header.width, header.height);
        ok = Read(stream.get(), band.key.data(), band.key.size() * sizeof(float)) &&
             Read(stream.get(), band.picture.identity.data(), band.picture.identity.size() * sizeof(wchar_t)) &&
             Read(stream.get(), band.picture.pixels.Data(), pixelBytes) &&
             Fnv1a(band.picture.pixels.Data(), pixelBytes) ==
                 ((static_cast<uint64_t>(header.pixelHashHigh) << 32) | header.pixelHashLow);
    }
    if (!ok) return std::nullopt;
    band.top = header.top;
    band.bottom = header.bottom;
    band.pictureTop = header.pictureTop;
    band.pictureBottom = header.pictureBottom;
    band.picture.origin = {header.originX, header.originY};
    return band;
}

}  // namespace comp
