#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "IconTestDevice.h"
#include "apps/BuiltinIcons.h"
#include "support/TestSupport.h"
#include "config/PathText.h"

using namespace testing_support;

namespace {

struct KindCase {
    const wchar_t* path;
    const wchar_t* name;
    BuiltinIconKind kind;
};

}  // namespace

TEST(BuiltinIconStrings, ContainsAnyOfAndFileNameOf) {
    const wchar_t* const needles[] = {L"\\cmd.exe", L"pwsh", nullptr};
    EXPECT_TRUE(ContainsAnyOf(L"c:\\windows\\cmd.exe", needles));
    EXPECT_FALSE(ContainsAnyOf(L"C:\\WINDOWS\\CMD.EXE", needles)) << "case-sensitive";
    const wchar_t* const withEmpty[] = {L"zzz", L"", nullptr};
    EXPECT_TRUE(ContainsAnyOf(L"anything", withEmpty));
    const wchar_t* const none[] = {nullptr};
    EXPECT_FALSE(ContainsAnyOf(L"anything", none));

    EXPECT_EQ(FileNameOf(L"c:\\a/b\\c.exe"), L"c.exe");
    EXPECT_EQ(FileNameOf(L"c:/a/b.exe"), L"b.exe");
    EXPECT_EQ(FileNameOf(L"plain"), L"plain");
    EXPECT_EQ(FileNameOf(L"dir\\"), L"");
}

TEST(BuiltinIconClassification, NameRowsInOrder) {
    const KindCase cases[] = {
        {L"C:\\Stuff\\RecycleBinFolder\\explorer.exe", L"", BuiltinIconRecycleBinEmpty},
        {L"shell:RecycleBinFolder", L"回收站", BuiltinIconRecycleBinEmpty},
        {L"C:\\WINDOWS\\EXPLORER.EXE", L"", BuiltinIconFileExplorer},
        {L"explorer.exe", L"", BuiltinIconFileExplorer},
        // Explorer's row comes before the browser's: its display name wins.
        {L"c:\\tools\\msedge.exe", L"资源管理器", BuiltinIconFileExplorer},
        {L"", L"Microsoft EDGE", BuiltinIconBrowser},
        {L"", L"Microsoft Edge Beta", BuiltinIconNone},
        {L"MSEdge.exe", L"", BuiltinIconBrowser},
        {L"Microsoft.WindowsNotepad_8wekyb3d8bbwe!App", L"", BuiltinIconNotepad},
        {L"", L"记事本", BuiltinIconNotepad},
        {L"wt.exe", L"", BuiltinIconTerminal},
        {L"D:/PowerShell/7/pwsh.exe", L"", BuiltinIconTerminal},
        {L"", L"Windows 终端", BuiltinIconTerminal},
        {L"Microsoft.WindowsCALCULATOR_8wekyb3d8bbwe!App", L"", BuiltinIconCalculator},
        {L"ms-settings:display", L"", BuiltinIconSettings},
        {L"shell:x-ms-settings:display", L"", BuiltinIconNone},
        {L"windows.immersivecontrolpanel_cw5n1h2txyewy!microsoft.windows.immersivecontrolpanel",
         L"", BuiltinIconSettings},
        {L"C:\\Windows\\System32\\control.exe", L"", BuiltinIconSettings},
        {L"", L"控制面板", BuiltinIconSettings},
        {L"C:\\Windows\\System32\\Taskmgr.exe", L"", BuiltinIconTaskManager},
        {L"c:\\windows\\system32\\resmon.exe", L"", BuiltinIconTaskManager},
        {L"Microsoft.Paint_8wekyb3d8bbwe!App", L"", BuiltinIconPaint},
        {L"Microsoft.Windows.Photos_8wekyb3d8bbwe!App", L"", BuiltinIconPhotos},
        {L"Microsoft.WindowsStore_8wekyb3d8bbwe!App", L"", BuiltinIconStore},
        {L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.mail", L"",
         BuiltinIconMail},
        {L"Microsoft.WindowsCamera_8wekyb3d8bbwe!App", L"", BuiltinIconCamera},
        {L"Microsoft.ScreenSketch_8wekyb3d8bbwe!App", L"", BuiltinIconSnippingTool},
        {L"Microsoft.WindowsAlarms_8wekyb3d8bbwe!App", L"", BuiltinIconClock},
        {L"", L"时钟", BuiltinIconClock},
        {L"C:\\Tools\\app.exe", L"App", BuiltinIconNone},
        {L"", L"", BuiltinIconNone},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(BuiltinIconKindFor(c.path, c.name), c.kind)
            << ToUtf8(c.path) << " / " << ToUtf8(c.name);
    }
}

TEST(BuiltinIconClassification, RealFoldersOnDrives) {
    TempDir dir;
    const std::wstring games = dir.File(L"Games");
    const std::wstring downloads = dir.File(L"Downloads2");
    const std::wstring file = dir.File(L"notes.txt");
    ASSERT_TRUE(CreateDirectoryW(games.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(downloads.c_str(), nullptr));
    WriteFileBytes(file, "x");
    ASSERT_EQ(dir.Path()[1], L':') << "the temporary folder is on a drive";

    EXPECT_EQ(BuiltinIconKindFor(games, L"Games"), BuiltinIconFolder);
    EXPECT_EQ(BuiltinIconKindFor(downloads, L""), BuiltinIconDownloadsFolder);
    EXPECT_EQ(BuiltinIconKindFor(file, L""), BuiltinIconNone);
    EXPECT_EQ(BuiltinIconKindFor(dir.File(L"Missing"), L""), BuiltinIconNone);
    EXPECT_EQ(BuiltinIconKindFor(L"\\\\server\\share\\Downloads", L""), BuiltinIconNone);
    // Names are tested before the file system: a folder called cmd.exe is a terminal.
    const std::wstring cmdFolder = dir.File(L"cmd.exe");
    ASSERT_TRUE(CreateDirectoryW(cmdFolder.c_str(), nullptr));
    EXPECT_EQ(BuiltinIconKindFor(cmdFolder, L""), BuiltinIconTerminal);
}

class BuiltinIconPainting : public ::testing::Test {
protected:
    void SetUp() override {
        if (!device.Ready()) GTEST_SKIP() << "no Direct2D device";
    }
    PixelImage Paint(BuiltinIconKind kind, int size) {
        return device.Render(size, [&](ID2D1DeviceContext* context) {
            PaintBuiltinGlyph(context, kind, static_cast<float>(size));
        });
    }
    IconTestDevice device;
};

TEST_F(BuiltinIconPainting, GlyphDetailsLandWhereTheyBelong) {
    constexpr int s = 100;
    // Launchpad: the top-left cell is red, the middle one violet.
    PixelImage launchpad = Paint(BuiltinIconLaunchpad, s);
    Pixel red = launchpad.At(29, 29);
    EXPECT_GT(red.r, 230);
    EXPECT_LT(red.g, 130);
    Pixel violet = launchpad.At(50, 50);
    EXPECT_GT(violet.b, 230);
    EXPECT_LT(violet.g, 140);

    // Browser: the red half of the needle points up and to the right.
    PixelImage browser = Paint(BuiltinIconBrowser, s);
    Pixel needle = browser.At(60, 39);
    EXPECT_GT(needle.r, 220);
    EXPECT_LT(needle.b, 100);
    Pixel whiteHalf = browser.At(39, 60);
    EXPECT_GT(whiteHalf.b, 220);
    EXPECT_GT(whiteHalf.r, 220);

    // Notepad: the yellow band follows the plate's rounded corner instead of
    // filling the square's corner.
    PixelImage notepad = Paint(BuiltinIconNotepad, s);
    Pixel band = notepad.At(50, 15);
    EXPECT_GT(band.r, 200);
    EXPECT_LT(band.b, 80);
    Pixel corner = notepad.At(10, 10);
    EXPECT_LT(corner.r, 120) << "outside the plate only the shadow shows";

    // Terminal: the cursor's end is round, reaching past its end point.
    PixelImage terminal = Paint(BuiltinIconTerminal, s);
    EXPECT_GT(terminal.At(64, 59).r, 150);
    EXPECT_LT(terminal.At(67, 59).r, 80);

    // Folders: only the downloads folder has the dark arrow.
    PixelImage folder = Paint(BuiltinIconFolder, s);
    PixelImage downloads = Paint(BuiltinIconDownloadsFolder, s);
    EXPECT_GT(folder.At(50, 55).r, downloads.At(50, 55).r + 40);
    EXPECT_EQ(folder.At(20, 25).a, 255) << "the tab";
    EXPECT_EQ(folder.At(80, 25).a, 0) << "beside the tab";

    // Recycle bin: paper shows above the rim only when full.
    PixelImage empty = Paint(BuiltinIconRecycleBinEmpty, s);
    PixelImage full = Paint(BuiltinIconRecycleBinFull, s);
    EXPECT_EQ(empty.At(58, 11).a, 0);
    EXPECT_GT(full.At(58, 11).a, 200);
}

TEST_F(BuiltinIconPainting, PlateWithoutFillStillHasShadowAndRim) {
    constexpr int s = 48;
    PixelImage plate = device.Render(s, [&](ID2D1DeviceContext* context) {
        DrawIconTilePlate(context, static_cast<float>(s), nullptr);
    });
    ASSERT_EQ(plate.width, s);
    // Without a fill the middle shows only the three stacked shadows (about 30 %).
    EXPECT_GT(plate.At(24, 24).a, 60);
    EXPECT_LT(plate.At(24, 24).a, 95);
    EXPECT_GT(plate.At(24, 4).a, 40) << "rim along the top edge";
    EXPECT_GT(plate.At(24, 45).a, 10) << "shadow below the plate";
    EXPECT_EQ(plate.At(24, 47).a, 0);
}
