#include "apps/CatalogCache.h"

#include <windows.h>
#include <io.h>
#include <share.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/Log.h"
#include "config/Paths.h"
#include "config/SharedFile.h"

namespace {

constexpr char kMagic[4] = {'V', 'T', 'C', 'A'};
constexpr uint8_t kFlagPrimary = 0x01;
constexpr uint8_t kFlagFolder = 0x02;

template <typename T>
bool WriteValue(FILE* file, const T& value) {
    return fwrite(&value, sizeof(T), 1, file) == 1;
}

template <typename T>
bool ReadValue(FILE* file, T& value) {
    return fread(&value, sizeof(T), 1, file) == 1;
}

// The least an entry takes in the file: its seven strings empty, the flags,
// the category, the initial and the child count.
constexpr uint64_t kEntryStrings = 7;
constexpr uint64_t kMinEntryBytes = kEntryStrings * 4 + 1 + 1 + 2 + 4;

// What the rest of a file may still make the reader hold.
struct ReadBudget {
    uint64_t fileBytes = 0;
    uint32_t entriesLeft = kCatalogCacheMaxEntries;
};

ReadBudget BudgetFor(FILE* file) {
    const int64_t length = _filelengthi64(_fileno(file));
    return ReadBudget{length > 0 ? static_cast<uint64_t>(length) : 0};
}

// Room for count more entries: within the entry limit, and no more than the
// rest of the file can hold, so a count is refused before it is allocated.
bool TakeEntries(FILE* file, ReadBudget& budget, uint32_t count) {
    const int64_t at = _ftelli64(file);
    if (at < 0 || static_cast<uint64_t>(at) > budget.fileBytes || count > budget.entriesLeft ||
        count > (budget.fileBytes - static_cast<uint64_t>(at)) / kMinEntryBytes) {
        return false;
    }
    budget.entriesLeft -= count;
    return true;
}

// depth 0 is a top-level entry; its members are depth 1 and hold no members.
bool ReadEntryAt(FILE* file, InstalledApp& entry, int depth, ReadBudget& budget) {
    uint8_t flags = 0;
    uint8_t category = 0;
    uint16_t initial = 0;
    uint32_t childCount = 0;
    if (!ReadCatalogString(file, entry.name) || !ReadCatalogString(file, entry.launchId) ||
        !ReadCatalogString(file, entry.targetPath) || !ReadCatalogString(file, entry.nameKey) ||
        !ReadCatalogString(file, entry.shortcutPath) || !ReadCatalogString(file, entry.arguments) ||
        !ReadCatalogString(file, entry.workingFolder) || !ReadValue(file, flags) || !ReadValue(file, category) ||
        !ReadValue(file, initial) || !ReadValue(file, childCount)) {
        return false;
    }
    entry.isPrimary = (flags & kFlagPrimary) != 0;
    entry.isFolder = (flags & kFlagFolder) != 0;
    entry.category = category > 6 ? AppCategory::All : static_cast<AppCategory>(category);
    entry.initial = static_cast<wchar_t>(initial);
    if (depth > 0 && childCount > 0) return false;
    if (!TakeEntries(file, budget, childCount)) return false;
    entry.children.resize(childCount);
    for (InstalledApp& child : entry.children) {
        if (!ReadEntryAt(file, child, depth + 1, budget)) return false;
    }
    return true;
}

// The writer's side of the entry limits; strings and bytes are checked as
// they are written.
bool WithinEntryLimits(const std::vector<InstalledApp>& catalog) {
    size_t entries = catalog.size();
    for (const InstalledApp& entry : catalog) {
        entries += entry.children.size();
        for (const InstalledApp& member : entry.children) {
            if (!member.children.empty()) return false;
        }
    }
    return entries <= kCatalogCacheMaxEntries;
}

// Never destroyed: a detached launcher thread may still save while the process exits.
std::mutex& SaveMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

class FileCloser {
public:
    explicit FileCloser(FILE* file) : file_(file) {}
    ~FileCloser() { Close(); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    int Close() {
        const int result = file_ ? fclose(file_) : 0;
        file_ = nullptr;
        return result;
    }

private:
    FILE* file_;
};

}  // namespace

std::wstring CatalogCachePath() {
    const std::wstring folder = GetCacheDirectory();
    if (folder.empty()) return {};
    return (std::filesystem::path(folder) / L"catalog.bin").wstring();
}

bool WriteCatalogString(FILE* file, const std::wstring& text) {
    if (text.size() > kCatalogCacheMaxStringUnits) return false;
    const uint32_t length = static_cast<uint32_t>(text.size());
    if (!WriteValue(file, length)) return false;
    if (length == 0) return true;
    return fwrite(text.data(), sizeof(wchar_t), length, file) == length;
}

bool ReadCatalogString(FILE* file, std::wstring& text) {
    uint32_t length = 0;
    if (!ReadValue(file, length) || length > kCatalogCacheMaxStringUnits) return false;
    text.resize(length);
    if (length == 0) return true;
    return fread(text.data(), sizeof(wchar_t), length, file) == length;
}

bool WriteCatalogEntry(FILE* file, const InstalledApp& entry) {
    const uint8_t flags =
        static_cast<uint8_t>((entry.isPrimary ? kFlagPrimary : 0) | (entry.isFolder ? kFlagFolder : 0));
    const uint8_t category = static_cast<uint8_t>(static_cast<int32_t>(entry.category) & 0xFF);
    const uint16_t initial = static_cast<uint16_t>(entry.initial);
    const uint32_t childCount = static_cast<uint32_t>(entry.children.size());
    if (!WriteCatalogString(file, entry.name) || !WriteCatalogString(file, entry.launchId) ||
        !WriteCatalogString(file, entry.targetPath) || !WriteCatalogString(file, entry.nameKey) ||
        !WriteCatalogString(file, entry.shortcutPath) || !WriteCatalogString(file, entry.arguments) ||
        !WriteCatalogString(file, entry.workingFolder) || !WriteValue(file, flags) || !WriteValue(file, category) ||
        !WriteValue(file, initial) || !WriteValue(file, childCount)) {
        return false;
    }
    for (const InstalledApp& child : entry.children) {
        if (!WriteCatalogEntry(file, child)) return false;
    }
    return true;
}

bool ReadCatalogEntry(FILE* file, InstalledApp& entry) {
    ReadBudget budget = BudgetFor(file);
    budget.entriesLeft -= 1;
    return ReadEntryAt(file, entry, 0, budget);
}

void SaveCatalogCache(const std::vector<InstalledApp>& catalog) {
    if (catalog.empty()) return;
    SaveCatalogCacheTo(CatalogCachePath(), catalog);
}

void SaveCatalogCacheTo(const std::wstring& path, const std::vector<InstalledApp>& catalog) {
    if (catalog.empty() || path.empty() || !WithinEntryLimits(catalog)) return;
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::filesystem::create_directories(parent, ec);
        if (ec) return;
    }

    std::lock_guard<std::mutex> lock(SaveMutex());
    const std::wstring temporary = path + L".tmp";
    // No write sharing: a save from another process fails to open rather than
    // writing into the same file.
    FILE* raw = _wfsopen(temporary.c_str(), L"wb", _SH_DENYWR);
    if (!raw) return;
    FileCloser file(raw);

    const uint32_t version = kCatalogCacheVersion;
    const uint32_t count = static_cast<uint32_t>(catalog.size());
    bool ok =
        fwrite(kMagic, 1, sizeof(kMagic), raw) == sizeof(kMagic) && WriteValue(raw, version) && WriteValue(raw, count);
    for (size_t i = 0; ok && i < catalog.size(); ++i) ok = WriteCatalogEntry(raw, catalog[i]);
    if (!FlushToDisk(raw) || _ftelli64(raw) > static_cast<int64_t>(kCatalogCacheMaxFileBytes)) ok = false;
    if (file.Close() != 0) ok = false;

    if (!ok || !ReplaceSharedFile(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
    }
}

bool LoadCatalogCache(std::vector<InstalledApp>& out) { return LoadCatalogCacheFrom(CatalogCachePath(), out); }

bool LoadCatalogCacheFrom(const std::wstring& path, std::vector<InstalledApp>& out) {
    if (path.empty()) return false;
    FILE* raw = OpenSharedForReading(path);
    if (!raw) return false;

    bool ok = false;
    std::vector<InstalledApp> entries;
    {
        FileCloser file(raw);
        char magic[4] = {};
        uint32_t version = 0;
        uint32_t count = 0;
        // A file larger than any catalog saved is refused unread.
        ReadBudget budget = BudgetFor(raw);
        ok = budget.fileBytes <= kCatalogCacheMaxFileBytes && fread(magic, 1, sizeof(magic), raw) == sizeof(magic) &&
             ReadValue(raw, version) && ReadValue(raw, count) && std::memcmp(magic, kMagic, sizeof(kMagic)) == 0 &&
             version == kCatalogCacheVersion && TakeEntries(raw, budget, count);
        if (!ok && std::memcmp(magic, kMagic, sizeof(kMagic)) == 0 && version != kCatalogCacheVersion) {
            LogMessage(L"Catalog cache: %s has version %u, not %u; it is rebuilt", path.c_str(), version,
                       kCatalogCacheVersion);
        }
        if (ok) {
            entries.resize(count);
            for (InstalledApp& entry : entries) {
                if (!ReadEntryAt(raw, entry, 0, budget)) {
                    ok = false;
                    break;
                }
            }
        }
    }
    if (!ok) {
        DeleteFileW(path.c_str());
        return false;
    }
    out = std::move(entries);
    return !out.empty();
}
