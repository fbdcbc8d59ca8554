#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <thread>

#include "TestSupport.h"
#include "platform/Log.h"
#include "apps/CatalogCache.h"
#include "apps/IconDiskCache.h"
#include "config/SharedFile.h"
#include "config/Paths.h"
#include "config/PathText.h"

namespace {

void PutU32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }
void PutString(std::string& out, const std::wstring& s) {
    PutU32(out, static_cast<uint32_t>(s.size()));
    out.append(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}
std::string Header(uint32_t count, uint32_t version = kCatalogCacheVersion) {
    std::string out = "VTCA";
    PutU32(out, version);
    PutU32(out, count);
    return out;
}
// An entry record with empty strings and no members unless given.
std::string EntryBytes(uint8_t flags = 1, uint8_t category = 6, uint16_t initial = '#',
                       uint32_t childCount = 0, const std::wstring& name = L"") {
    std::string out;
    PutString(out, name);
    PutU32(out, 0);
    PutU32(out, 0);
    PutString(out, name);
    for (int i = 0; i < 3; ++i) PutU32(out, 0);  // shortcut, arguments, working folder
    out.push_back(static_cast<char>(flags));
    out.push_back(static_cast<char>(category));
    out.append(reinterpret_cast<const char*>(&initial), 2);
    PutU32(out, childCount);
    return out;
}

// Names of the regular files in a folder, in the order the system lists them.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

InstalledApp App(const std::wstring& name, AppCategory category, wchar_t initial) {
    InstalledApp app;
    app.name = name;
    app.nameKey = NormalizePathKey(name);
    app.launchId = L"launch:" + name;
    app.targetPath = L"C:\\Apps\\" + name + L".exe";
    app.category = category;
    app.initial = initial;
    return app;
}

class CacheTest : public ::testing::Test {
protected:
    TempDir temp;
    std::wstring path;

    void SetUp() override { path = temp / L"cache\\catalog.bin"; MakeDirs(temp / L"cache"); }

    // Writes the bytes, loads them, and tells whether the load accepted them.
    bool LoadBytes(const std::string& bytes, std::vector<InstalledApp>& out) {
        EXPECT_TRUE(WriteBytes(path, bytes));
        return LoadCatalogCacheFrom(path, out);
    }
    bool Rejected(const std::string& bytes) {
        std::vector<InstalledApp> out = {App(L"keep", AppCategory::Other, L'K')};
        const bool loaded = LoadBytes(bytes, out);
        const bool untouched = out.size() == 1 && out[0].name == L"keep";
        return !loaded && untouched && !FileExists(path);
    }
};

}  // namespace

TEST_F(CacheTest, GoldenBytes) {
    InstalledApp folder = App(L"Ab", AppCategory::Games, L'A');
    folder.launchId = L"x";
    folder.targetPath = L"";
    folder.isFolder = true;
    InstalledApp member = App(L"c", AppCategory::Other, L'#');
    member.launchId = L"";
    member.targetPath = L"";
    member.isPrimary = false;
    folder.children.push_back(member);
    SaveCatalogCacheTo(path, {folder});

    const unsigned char expected[] = {
        'V', 'T', 'C', 'A', 3, 0, 0, 0, 1, 0, 0, 0,
        2, 0, 0, 0, 'A', 0, 'b', 0,          // name
        1, 0, 0, 0, 'x', 0,                  // launchId
        0, 0, 0, 0,                          // targetPath
        2, 0, 0, 0, 'a', 0, 'b', 0,          // nameKey
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // shortcutPath, arguments, workingFolder
        3, 5, 'A', 0, 1, 0, 0, 0,            // flags, category, initial, one member
        1, 0, 0, 0, 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 6, '#', 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(ReadBytes(path), std::string(reinterpret_cast<const char*>(expected), sizeof(expected)));
    EXPECT_FALSE(FileExists(path + L".tmp"));
}

TEST_F(CacheTest, RoundTripKeepsEverythingInOrder) {
    std::vector<InstalledApp> catalog;
    for (int c = 0; c <= 6; ++c) {
        catalog.push_back(App(L"App " + std::to_wstring(c), static_cast<AppCategory>(c),
                              static_cast<wchar_t>(L'A' + c)));
    }
    catalog[0].shortcutPath = L"C:\\Start\\App 0.lnk";
    catalog[0].arguments = L"--profile \"x y\"";
    catalog[0].workingFolder = L"%USERPROFILE%";
    catalog.push_back(App(L"微信", AppCategory::Social, static_cast<wchar_t>(0xFFFF)));
    InstalledApp folder = App(L"Suite", AppCategory::Office, L'S');
    folder.isFolder = true;
    folder.children = {App(L"One", AppCategory::Media, L'O'), App(L"Two", AppCategory::Other, L'T')};
    folder.children[1].isPrimary = false;
    catalog.push_back(folder);
    catalog.push_back(App(std::wstring(kCatalogCacheMaxStringUnits, L'n'), AppCategory::Other, L'N'));
    catalog.back().launchId = L"long";
    catalog.back().targetPath = L"";

    SaveCatalogCacheTo(path, catalog);
    std::vector<InstalledApp> loaded;
    ASSERT_TRUE(LoadCatalogCacheFrom(path, loaded));
    EXPECT_EQ(loaded, catalog);

    // Bytes after the last entry are not examined.
    WriteBytes(path, ReadBytes(path) + "trailing garbage");
    loaded.clear();
    EXPECT_TRUE(LoadCatalogCacheFrom(path, loaded));
    EXPECT_EQ(loaded, catalog);
}

TEST_F(CacheTest, ReaderLimits) {
    std::vector<InstalledApp> out;
    std::string file = Header(4096);
    for (int i = 0; i < 4096; ++i) file += EntryBytes();
    ASSERT_TRUE(LoadBytes(file, out));
    EXPECT_EQ(out.size(), 4096u);

    // Past 4096 top-level entries a catalog still comes back; past the limit
    // of entries in all it is not saved, and the previous file stays.
    std::vector<InstalledApp> many(4097, App(L"x", AppCategory::Other, L'X'));
    SaveCatalogCacheTo(path, many);
    ASSERT_TRUE(LoadCatalogCacheFrom(path, out));
    EXPECT_EQ(out, many);
    many.resize(kCatalogCacheMaxEntries - 4096 + 1);
    many[0].children.resize(4096, many[1]);
    SaveCatalogCacheTo(path, many);
    ASSERT_TRUE(LoadCatalogCacheFrom(path, out));
    EXPECT_EQ(out.size(), 4097u);
    SaveCatalogCacheTo(path, {App(std::wstring(32769, L'u'), AppCategory::Other, L'U')});
    ASSERT_TRUE(LoadCatalogCacheFrom(path, out));
    EXPECT_EQ(out.size(), 4097u);

    std::string units = Header(1);
    PutString(units, std::wstring(32768, L'u'));
    units += EntryBytes().substr(4);
    ASSERT_TRUE(LoadBytes(units, out));
    EXPECT_EQ(out[0].name.size(), 32768u);
    std::string tooLong = Header(1);
    PutString(tooLong, std::wstring(32769, L'u'));
    tooLong += EntryBytes().substr(4);
    EXPECT_TRUE(Rejected(tooLong));

    // Members count towards the entries in all.
    std::string children = Header(1) + EntryBytes(3, 6, 'F', kCatalogCacheMaxEntries - 1);
    for (uint32_t i = 0; i < kCatalogCacheMaxEntries - 1; ++i) children += EntryBytes();
    ASSERT_TRUE(LoadBytes(children, out));
    EXPECT_EQ(out[0].children.size(), kCatalogCacheMaxEntries - 1);
    std::string tooManyChildren = Header(1) + EntryBytes(3, 6, 'F', kCatalogCacheMaxEntries);
    for (uint32_t i = 0; i < kCatalogCacheMaxEntries; ++i) tooManyChildren += EntryBytes();
    EXPECT_TRUE(Rejected(tooManyChildren));

    // A file larger than any catalog saved is refused, however valid inside.
    const uint32_t big = kCatalogCacheMaxFileBytes / (kCatalogCacheMaxStringUnits * 2) + 1;
    std::string oversized = Header(big);
    for (uint32_t i = 0; i < big; ++i) oversized += EntryBytes(1, 6, '#', 0, std::wstring(kCatalogCacheMaxStringUnits / 2, L'b'));
    EXPECT_TRUE(Rejected(oversized));
}

TEST_F(CacheTest, CategoryAndFlagBytesAreSanitised) {
    std::vector<InstalledApp> out;
    ASSERT_TRUE(LoadBytes(Header(3) + EntryBytes(0xFC, 7) + EntryBytes(0xFF, 255) +
                              EntryBytes(0x02, 6, 0xABCD),
                          out));
    EXPECT_EQ(out[0].category, AppCategory::All);
    EXPECT_FALSE(out[0].isPrimary);
    EXPECT_FALSE(out[0].isFolder);
    EXPECT_EQ(out[1].category, AppCategory::All);
    EXPECT_TRUE(out[1].isPrimary);
    EXPECT_TRUE(out[1].isFolder);
    EXPECT_EQ(out[2].category, AppCategory::Other);
    EXPECT_EQ(out[2].initial, static_cast<wchar_t>(0xABCD));
}

TEST_F(CacheTest, EmptyCatalogsAndMissingFiles) {
    std::vector<InstalledApp> out = {App(L"old", AppCategory::Other, L'O')};
    // A valid file without entries empties the list, reports false and stays.
    EXPECT_FALSE(LoadBytes(Header(0), out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(FileExists(path));

    // Saving nothing leaves the file as it was.
    const std::string before = ReadBytes(path);
    SaveCatalogCacheTo(path, {});
    EXPECT_EQ(ReadBytes(path), before);

    // No file: false, and nothing is created.
    const std::wstring absent = temp / L"absent\\catalog.bin";
    EXPECT_FALSE(LoadCatalogCacheFrom(absent, out));
    EXPECT_FALSE(FileExists(absent));
    EXPECT_FALSE(LoadCatalogCacheFrom(L"", out));

    // The save creates missing parent folders.
    const std::wstring nested = temp / L"new\\deeper\\catalog.bin";
    SaveCatalogCacheTo(nested, {App(L"a", AppCategory::Other, L'A')});
    EXPECT_TRUE(LoadCatalogCacheFrom(nested, out));
}

TEST_F(CacheTest, HostileFilesAreRejectedAndDeleted) {
    EXPECT_TRUE(Rejected(""));
    EXPECT_TRUE(Rejected("VTCB" + Header(1).substr(4) + EntryBytes()));
    InitializeLog(true);
    EXPECT_TRUE(Rejected(Header(1, 2) + EntryBytes()));  // from before entries kept their shortcut's arguments
    EXPECT_NE(ReadDebugLog().find(path + L" has version 2, not 3; it is rebuilt"), std::wstring::npos);
    EXPECT_TRUE(Rejected(Header(0xFFFFFFFFu)));
    // Huge string lengths.
    std::string huge = Header(1);
    PutU32(huge, 0xFFFFFFFFu);
    EXPECT_TRUE(Rejected(huge));
    // A member with members of its own.
    EXPECT_TRUE(Rejected(Header(1) + EntryBytes(3, 6, 'F', 1) + EntryBytes(1, 6, '#', 1) +
                         EntryBytes()));
    // Nesting far deeper than any stack: refused at the second level.
    std::string deep = Header(1);
    for (int i = 0; i < 200000; ++i) deep += EntryBytes(3, 6, 'F', 1);
    EXPECT_TRUE(Rejected(deep));
    // Every truncation of a valid file.
    std::vector<InstalledApp> sample = {App(L"One", AppCategory::Media, L'O')};
    sample[0].isFolder = true;
    sample[0].children = {App(L"Two", AppCategory::Other, L'T'), App(L"3", AppCategory::All, L'#')};
    SaveCatalogCacheTo(path, sample);
    const std::string valid = ReadBytes(path);
    for (size_t cut = 0; cut < valid.size(); ++cut) {
        EXPECT_TRUE(Rejected(valid.substr(0, cut))) << cut;
    }
    // Random bytes, with and without a valid header in front.
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        std::string noise(random() % 4096, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        const std::string bytes = (round % 2 ? Header(random() % 8) : std::string()) + noise;
        std::vector<InstalledApp> out;
        WriteBytes(path, bytes);
        if (!LoadCatalogCacheFrom(path, out)) {
            EXPECT_FALSE(FileExists(path) && !out.empty());
        }
        DeleteFileW(path.c_str());
    }
}

TEST_F(CacheTest, ConcurrentSavesNeverInterleave) {
    std::vector<InstalledApp> first, second;
    for (int i = 0; i < 300; ++i) first.push_back(App(L"first " + std::to_wstring(i), AppCategory::Office, L'F'));
    for (int i = 0; i < 200; ++i) second.push_back(App(L"second " + std::to_wstring(i), AppCategory::Games, L'S'));
    auto saver = [this](const std::vector<InstalledApp>& catalog) {
        for (int i = 0; i < 40; ++i) SaveCatalogCacheTo(path, catalog);
    };
    std::thread a(saver, std::cref(first));
    std::thread b(saver, std::cref(second));
    a.join();
    b.join();
    std::vector<InstalledApp> loaded;
    ASSERT_TRUE(LoadCatalogCacheFrom(path, loaded));
    EXPECT_TRUE(loaded == first || loaded == second);
    EXPECT_FALSE(FileExists(path + L".tmp"));
}

// The launcher or the icon workers may be reading a cache file at the moment
// another thread saves a newer one; the save must still land.
TEST_F(CacheTest, AReplacementThatCannotPutTheOldFileBackKeepsItAside) {
    ASSERT_TRUE(WriteBytes(path, "old") && WriteBytes(path + L".tmp", "new"));
    // Only the moves aside happen: the new file and the way back are refused.
    EXPECT_FALSE(ReplaceSharedFile(path + L".tmp", path, MOVEFILE_REPLACE_EXISTING,
                                   [&](const std::wstring& from, const std::wstring& to, DWORD flags) {
                                       return from == path && MoveFileExW(from.c_str(), to.c_str(), flags);
                                   }));
    std::vector<std::string> kept;
    for (const std::wstring& name : FilesIn(temp / L"cache")) kept.push_back(ReadBytes(temp / (L"cache\\" + name)));
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "old"), 1) << "the old file is in no file";
}

TEST_F(CacheTest, AnOpenReaderNeverBlocksAReplacement) {
    const std::vector<InstalledApp> oldCatalog = {App(L"old", AppCategory::Other, L'O')};
    const std::vector<InstalledApp> newCatalog = {App(L"new", AppCategory::Games, L'N'),
                                                  App(L"newer", AppCategory::Media, L'N')};
    SaveCatalogCacheTo(path, oldCatalog);
    FILE* reader = OpenSharedForReading(path);
    ASSERT_NE(reader, nullptr);
    char magic[4] = {};
    ASSERT_EQ(fread(magic, 1, 4, reader), 4u);
    SaveCatalogCacheTo(path, newCatalog);
    InstalledApp stillOld;
    uint32_t header[2] = {};
    EXPECT_EQ(fread(header, 4, 2, reader), 2u);
    EXPECT_TRUE(ReadCatalogEntry(reader, stillOld)) << "the reader finishes the old file";
    EXPECT_EQ(stillOld.name, L"old");
    fclose(reader);
    std::vector<InstalledApp> loaded;
    ASSERT_TRUE(LoadCatalogCacheFrom(path, loaded));
    EXPECT_EQ(loaded, newCatalog);
    EXPECT_EQ(FilesIn(temp / L"cache"), std::vector<std::wstring>{L"catalog.bin"})
        << "the old file went with its reader";

    const std::wstring icon = temp / L"cache\\iconcache\\0123456789ABCDEF.vti";
    IconBitmap oldIcon;
    oldIcon.width = oldIcon.height = 2;
    oldIcon.pixels.assign(16, 0x11);
    IconBitmap newIcon = oldIcon;
    newIcon.pixels.assign(16, 0x77);
    WriteIconCacheFileAt(icon, oldIcon);
    reader = OpenSharedForReading(icon);
    ASSERT_NE(reader, nullptr);
    WriteIconCacheFileAt(icon, newIcon);
    fclose(reader);
    IconBitmap read;
    ASSERT_TRUE(ReadIconCacheFileAt(icon, read));
    EXPECT_EQ(read.pixels, newIcon.pixels);
    EXPECT_EQ(FilesIn(temp / L"cache\\iconcache"), std::vector<std::wstring>{L"0123456789ABCDEF.vti"});
}

TEST(CachePath, LivesInTheCacheFolder) {
    const std::wstring folder = GetCacheDirectory();
    ASSERT_FALSE(folder.empty());
    const std::wstring path = CatalogCachePath();
    EXPECT_EQ(NormalizePathKey(path).rfind(NormalizePathKey(folder), 0), 0u);
    EXPECT_EQ(NormalizePathKey(path).substr(path.size() - 12), L"\\catalog.bin");
}
