// The drop target on its own, called as OLE calls it, with data objects that
// offer files, text, S_FALSE or an empty file list.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "dock/DockDropTarget.h"
#include "support/FileDropData.h"

using testing_support::DropDataKind;
using testing_support::FileDropData;
using vantreel::DockDropTarget;

namespace {

// What reached the dock's side.
struct Seen {
    std::vector<POINT> over;
    int leaves = 0;
    std::vector<std::vector<std::wstring>> drops;
    std::vector<POINT> dropPoints;
};

class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        DockDropTarget::Callbacks callbacks;
        callbacks.onDragOver = [this](POINT p) { seen_.over.push_back(p); };
        callbacks.onDragLeave = [this] { ++seen_.leaves; };
        callbacks.onDrop = [this](const std::vector<std::wstring>& paths, POINT p) {
            seen_.drops.push_back(paths);
            seen_.dropPoints.push_back(p);
        };
        target_ = new DockDropTarget(std::move(callbacks));
    }
    void TearDown() override {
        for (FileDropData* data : data_) data->Release();
        if (target_) {
            EXPECT_EQ(target_->Release(), 0u);
        }
    }

    FileDropData* Data(DropDataKind kind, std::vector<std::wstring> paths = {}) {
        data_.push_back(new FileDropData(kind, std::move(paths)));
        return data_.back();
    }

    // DROPEFFECT_COPY in, so that a target that leaves the effect alone is seen.
    DWORD Enter(IDataObject* data, POINTL at = {100, 700}) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(target_->DragEnter(data, MK_LBUTTON | MK_CONTROL, at, &effect), S_OK);
        return effect;
    }
    DWORD Over(POINTL at) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(target_->DragOver(MK_LBUTTON | MK_SHIFT, at, &effect), S_OK);
        return effect;
    }
    DWORD DropOn(IDataObject* data, POINTL at = {120, 710}) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(target_->Drop(data, 0, at, &effect), S_OK);
        return effect;
    }

    Seen seen_;
    DockDropTarget* target_ = nullptr;
    std::vector<FileDropData*> data_;
};

// A file-list block: its header, then the list bytes as given.
std::string Block(DWORD listOffset, BOOL wide, const std::string& list) {
    DROPFILES header = {};
    header.pFiles = listOffset;
    header.fWide = wide;
    return std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + list;
}

std::string Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

}  // namespace

TEST_F(DropTargetTest, BrokenOrMislabelledListsDropNothingAndOnlyFullPathsPass) {
    const std::string wideList = Bytes(std::wstring(L"C:\\a.exe\0\0", 10));
    const std::pair<const char*, std::string> broken[] = {
        {"list outside its block", Block(0x7FFFFF00, TRUE, wideList)},
        {"no terminator", Block(sizeof(DROPFILES), TRUE, Bytes(L"C:\\a.exe"))},
        {"narrow text flagged wide", Block(sizeof(DROPFILES), TRUE, std::string("C:\\a.exe\0\0", 10))},
        {"wide text flagged narrow", Block(sizeof(DROPFILES), FALSE, wideList)},
        {"shorter than its header", std::string(8, '\0')},
    };
    for (const auto& [what, block] : broken) {
        SCOPED_TRACE(what);
        data_.push_back(new FileDropData(block));
        const int leaves = seen_.leaves;
        EXPECT_EQ(Enter(data_.back()), static_cast<DWORD>(DROPEFFECT_LINK));
        EXPECT_EQ(DropOn(data_.back()), static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(seen_.leaves, leaves + 1) << "the gap closes";
    }
    EXPECT_TRUE(seen_.drops.empty());

    FileDropData* mixed = Data(DropDataKind::Files, {L"relative.txt", L"C:\\ok.exe", L"\\\\host\\share\\b.lnk"});
    Enter(mixed);
    DropOn(mixed);
    ASSERT_EQ(seen_.drops.size(), 1u);
    EXPECT_EQ(seen_.drops[0], (std::vector<std::wstring>{L"C:\\ok.exe", L"\\\\host\\share\\b.lnk"}));
}

TEST_F(DropTargetTest, FilesAreAcceptedOncePerDragAndDroppedInTheirOrder) {
    const std::vector<std::wstring> paths = {L"C:\\a\\first.lnk", L"D:\\b c\\second.exe", L"C:\\third.txt"};
    FileDropData* files = Data(DropDataKind::Files, paths);

    EXPECT_EQ(Enter(files, {100, 700}), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(Over({140, 705}), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(Over({180, 706}), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(files->queryGetDataCalls.load(), 1) << "the moves do not ask the data again";
    EXPECT_EQ(files->getDataCalls.load(), 0) << "nothing is read before the drop";
    ASSERT_EQ(seen_.over.size(), 3u);
    EXPECT_EQ(seen_.over[0].x, 100);
    EXPECT_EQ(seen_.over[2].x, 180);
    EXPECT_EQ(seen_.over[2].y, 706);

    EXPECT_EQ(DropOn(files, {181, 707}), static_cast<DWORD>(DROPEFFECT_LINK));
    ASSERT_EQ(seen_.drops.size(), 1u);
    EXPECT_EQ(seen_.drops[0], paths);
    EXPECT_EQ(seen_.dropPoints[0].x, 181);
    EXPECT_EQ(seen_.dropPoints[0].y, 707);
    EXPECT_EQ(seen_.leaves, 0);
    EXPECT_EQ(files->getDataCalls.load(), 1);

    // The drop ended the drag: a move without a new enter is refused.
    EXPECT_EQ(Over({200, 700}), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(seen_.over.size(), 3u);
}

TEST_F(DropTargetTest, TextAndRefusingDataShowNoDropAndOnlyLeaveOnRelease) {
    for (DropDataKind kind : {DropDataKind::Text, DropDataKind::Refuses}) {
        SCOPED_TRACE(kind == DropDataKind::Text ? "text" : "S_FALSE");
        Seen before = seen_;
        FileDropData* data = Data(kind);
        EXPECT_EQ(Enter(data), static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(Over({150, 700}), static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(seen_.over.size(), before.over.size()) << "no callback while a refused drag moves";
        EXPECT_EQ(DropOn(data), static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(seen_.leaves, before.leaves + 1) << "the release closes whatever the dock shows";
        EXPECT_TRUE(seen_.drops.empty());
        EXPECT_EQ(data->getDataCalls.load(), 0) << "a refused drop is not read";
    }
    EXPECT_EQ(Enter(nullptr), static_cast<DWORD>(DROPEFFECT_NONE)) << "no data object at all";
}

TEST_F(DropTargetTest, AFileListWithNoFilesClosesTheGapInsteadOfPinning) {
    FileDropData* empty = Data(DropDataKind::EmptyFileList);
    EXPECT_EQ(Enter(empty), static_cast<DWORD>(DROPEFFECT_LINK)) << "it does offer the file format";
    EXPECT_EQ(seen_.over.size(), 1u);
    EXPECT_EQ(DropOn(empty), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(seen_.drops.empty());
    EXPECT_EQ(seen_.leaves, 1) << "the dock must not stay half-magnified with its gap open";
    EXPECT_EQ(empty->getDataCalls.load(), 1);
}

TEST_F(DropTargetTest, ALeaveAndANewEnterDecideAcceptanceAfresh) {
    FileDropData* files = Data(DropDataKind::Files, {L"C:\\one.exe"});
    FileDropData* text = Data(DropDataKind::Text);

    EXPECT_EQ(Enter(files), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(target_->DragLeave(), S_OK);
    EXPECT_EQ(seen_.leaves, 1);
    EXPECT_EQ(Over({10, 10}), static_cast<DWORD>(DROPEFFECT_NONE)) << "a leave ends the acceptance";

    EXPECT_EQ(Enter(text), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target_->DragLeave(), S_OK);
    EXPECT_EQ(Enter(files), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(files->queryGetDataCalls.load(), 2) << "one question per enter";
    EXPECT_EQ(seen_.over.size(), 2u);

    // Null effect pointers are skipped, not written.
    POINTL at = {5, 5};
    EXPECT_EQ(target_->DragEnter(files, 0, at, nullptr), S_OK);
    EXPECT_EQ(target_->DragOver(0, at, nullptr), S_OK);
    EXPECT_EQ(target_->Drop(files, 0, at, nullptr), S_OK);
    EXPECT_EQ(seen_.drops.size(), 1u);
}

TEST(DockDropTarget, EmptyCallbacksAreSkipped) {
    auto* target = new DockDropTarget(DockDropTarget::Callbacks{});
    auto* files = new FileDropData(DropDataKind::Files, {L"C:\\one.exe"});
    auto* empty = new FileDropData(DropDataKind::EmptyFileList);
    POINTL at = {1, 2};
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(files, 0, at, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(target->DragOver(0, at, &effect), S_OK);
    EXPECT_EQ(target->Drop(files, 0, at, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(target->DragEnter(empty, 0, at, &effect), S_OK);
    EXPECT_EQ(target->Drop(empty, 0, at, &effect), S_OK);
    EXPECT_EQ(target->DragLeave(), S_OK);
    empty->Release();
    files->Release();
    target->Release();
}

TEST(DockDropTarget, AnswersForItsTwoInterfacesAndIsFreedOnce) {
    const int freedBefore = DockDropTarget::freedCount.load();
    auto* target = new DockDropTarget(DockDropTarget::Callbacks{});

    void* out = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDropTarget*>(target));
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IUnknown*>(static_cast<IDropTarget*>(target)));
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);

    // 1 at creation, 2 more from the two answers above.
    EXPECT_EQ(target->AddRef(), 4u);
    EXPECT_EQ(target->Release(), 3u);
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(DockDropTarget::freedCount.load(), freedBefore);
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_EQ(DockDropTarget::freedCount.load(), freedBefore + 1);
}

TEST(ReadDroppedFiles, ReadsEveryPathOfARealFileListAndNothingFromOthers) {
    EXPECT_TRUE(vantreel::ReadDroppedFiles(nullptr).empty());
    // Long and non-ASCII paths come back whole; duplicates are kept.
    std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L"\\程序.exe";
    std::vector<std::wstring> paths = {longPath, L"C:\\dup.exe", L"C:\\dup.exe"};
    auto* files = new FileDropData(DropDataKind::Files, paths);
    EXPECT_EQ(vantreel::ReadDroppedFiles(files), paths);
    auto* text = new FileDropData(DropDataKind::Text);
    EXPECT_TRUE(vantreel::ReadDroppedFiles(text).empty());
    text->Release();
    files->Release();
}
