#include "apps/LinkFileProperties.h"

#include <windows.h>

#include <cstring>

#include "platform/ShellPropertyKeys.h"

namespace {

constexpr uint32_t kLinkHeaderSize = 0x4C;
constexpr uint32_t kHasLinkTargetIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kLinkInfoMinSize = 0x1C;
constexpr uint32_t kStringDataFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kPropertyStoreSignature = 0xA0000009;
constexpr uint32_t kSerializedStorageVersion = 0x53505331;  // "1SPS"
constexpr uint16_t kVtLpwstr = 0x1F;

// Bounds-checked little-endian reads over the file's bytes.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Has(size_t count) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= count; }
    bool U16(uint16_t& value) { return Read(&value, 2); }
    bool U32(uint32_t& value) { return Read(&value, 4); }
    bool Skip(size_t count) {
        if (!Has(count)) return false;
        pos_ += count;
        return true;
    }
    bool Read(void* out, size_t count) {
        if (!Has(count)) return false;
        std::memcpy(out, bytes_.data() + pos_, count);
        pos_ += count;
        return true;
    }
    size_t Position() const { return pos_; }
    std::span<const uint8_t> Slice(size_t start, size_t count) const { return bytes_.subspan(start, count); }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// One serialized property storage (MS-PROPSTORE) inside the block; returns the
// id when this storage holds the application user model id as a string.
bool FindIdInStorage(std::span<const uint8_t> storage, std::wstring& id) {
    Reader r(storage);
    uint32_t version = 0;
    GUID format{};
    if (!r.Skip(4) || !r.U32(version) || version != kSerializedStorageVersion || !r.Read(&format, sizeof(format))) {
        return false;
    }
    if (!IsEqualGUID(format, kPKEY_AppUserModel_ID.fmtid)) return false;
    while (true) {
        const size_t valueStart = r.Position();
        uint32_t valueSize = 0;
        if (!r.U32(valueSize) || valueSize == 0) return false;
        if (valueSize < 4 || !r.Has(valueSize - 4)) return false;
        Reader value(r.Slice(valueStart, valueSize));
        uint32_t propertyId = 0;
        uint16_t type = 0;
        uint32_t chars = 0;
        if (value.Skip(4) && value.U32(propertyId) && value.Skip(1) && value.U16(type) && value.Skip(2) &&
            propertyId == kPKEY_AppUserModel_ID.pid && type == kVtLpwstr && value.U32(chars) && chars > 0 &&
            value.Has(size_t(chars) * 2)) {
            std::wstring text(chars, L'\0');
            value.Read(text.data(), size_t(chars) * 2);
            const size_t end = text.find(L'\0');
            if (end != std::wstring::npos) text.resize(end);
            id = std::move(text);
            return !id.empty();
        }
        r.Skip(valueSize - 4);
    }
}

// Walks the header, the item id list, the LinkInfo block and the strings,
// each size checked against what the bytes hold, and leaves r at the first
// extra-data block.
bool SkipToExtraData(Reader& r) {
    uint32_t headerSize = 0;
    uint32_t flags = 0;
    if (!r.U32(headerSize) || headerSize != kLinkHeaderSize || !r.Skip(16) || !r.U32(flags) ||
        !r.Skip(kLinkHeaderSize - 24)) {
        return false;
    }
    if (flags & kHasLinkTargetIdList) {
        uint16_t size = 0;
        if (!r.U16(size) || !r.Skip(size)) return false;
    }
    if (flags & kHasLinkInfo) {
        uint32_t size = 0;
        uint32_t fields[6] = {};  // header size, flags, then four offsets into the block
        if (!r.U32(size) || size < kLinkInfoMinSize || !r.Has(size - 4) || !r.Read(fields, sizeof fields)) {
            return false;
        }
        if (fields[0] > size) return false;
        for (int i = 2; i < 6; ++i) {
            if (fields[i] >= size) return false;
        }
        r.Skip(size - 4 - sizeof fields);
    }
    const size_t charSize = (flags & kIsUnicode) ? 2 : 1;
    for (uint32_t flag : kStringDataFlags) {
        if (!(flags & flag)) continue;
        uint16_t count = 0;
        if (!r.U16(count) || !r.Skip(count * charSize)) return false;
    }
    return true;
}

}  // namespace

bool LinkBytesAreSound(std::span<const uint8_t> bytes) {
    Reader r(bytes);
    if (!SkipToExtraData(r)) return false;
    // Extra-data blocks until the terminal block or the end of the file.
    while (r.Has(4)) {
        uint32_t blockSize = 0;
        r.U32(blockSize);
        if (blockSize < 4) return true;
        if (blockSize < 8 || !r.Skip(blockSize - 4)) return false;
    }
    return true;
}

std::wstring AppUserModelIdFromLinkBytes(std::span<const uint8_t> bytes) {
    Reader r(bytes);
    if (!SkipToExtraData(r)) return {};
    // Extra-data blocks until the terminal block (a size below 4).
    while (true) {
        const size_t blockStart = r.Position();
        uint32_t blockSize = 0;
        uint32_t signature = 0;
        if (!r.U32(blockSize) || blockSize < 8 || !r.U32(signature)) return {};
        if (!r.Has(blockSize - 8)) return {};
        if (signature == kPropertyStoreSignature) {
            Reader storages(r.Slice(blockStart + 8, blockSize - 8));
            while (true) {
                const size_t storageStart = storages.Position();
                uint32_t storageSize = 0;
                if (!storages.U32(storageSize) || storageSize < 24) break;
                if (!storages.Has(storageSize - 4)) break;
                std::wstring id;
                if (FindIdInStorage(r.Slice(blockStart + 8 + storageStart, storageSize), id)) {
                    return id;
                }
                storages.Skip(storageSize - 4);
            }
        }
        r.Skip(blockSize - 8);
    }
}
