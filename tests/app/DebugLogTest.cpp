#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/HResultError.h"
#include "platform/Log.h"
#include "platform/WindowBase.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::wstring LogPath() { return BinDir() + L"\\vantreel.log"; }

// The log's text without its byte-order mark, split into lines (CR LF ends).
std::vector<std::string> ReadLines(bool* hadBom = nullptr) {
    auto bytes = ReadFileBytes(LogPath());
    std::string text(bytes.begin(), bytes.end());
    bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
    if (hadBom) *hadBom = bom;
    if (bom) text.erase(0, 3);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeLog(false);
        DeleteFileW(LogPath().c_str());
    }
    void TearDown() override {
        InitializeLog(false);
        DeleteFileW(LogPath().c_str());
    }
};

// A window whose handler throws what wParam asks for; a failed message is answered with 7.
struct ThrowingWindow {
    HWND window = nullptr;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP && wParam == 1) throw std::runtime_error("the handler broke");
        if (message == WM_APP && wParam == 2) throw platform::HResultError(E_FAIL);
        if (message == WM_APP && wParam == 3) throw 3;
        return message == WM_APP ? 42 : DefWindowProcW(window, message, wParam, lParam);
    }
};
const platform::WindowBinding<ThrowingWindow> kThrowingBinding{
    L"ThrowingWindow::HandleMessage", &ThrowingWindow::window, platform::MessageHandler<&ThrowingWindow::HandleMessage>,
    [](ThrowingWindow&, HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 7; }};

}  // namespace

TEST_F(DebugLog, AnExceptionFromAWindowHandlerIsLoggedWithItsClassAndTheWindowGoesOnAnswering) {
    InitializeLog(true);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &platform::WindowProcedure<kThrowingBinding>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantreelThrowingTestWindow";
    ASSERT_TRUE(platform::RegisterWindowClass(wc));
    ASSERT_TRUE(platform::RegisterWindowClass(wc)) << "a class registered before is taken as it stands";
    ThrowingWindow object;
    HWND window =
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, &object);
    ASSERT_TRUE(window);
    EXPECT_EQ(object.window, window);
    for (WPARAM kind : {1, 2, 3}) EXPECT_EQ(SendMessageW(window, WM_APP, kind, 0), 7) << kind;
    EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 42);
    DestroyWindow(window);
    auto lines = ReadLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("] ThrowingWindow::HandleMessage std::exception: the handler broke"), std::string::npos);
    EXPECT_NE(lines[1].find("] ThrowingWindow::HandleMessage winrt error: 0x80004005"), std::string::npos);
    EXPECT_NE(lines[2].find("] ThrowingWindow::HandleMessage unknown exception"), std::string::npos);
}

TEST_F(DebugLog, WritesNothingWhileOff) {
    LogMessage(L"before the log is switched on %d", 1);
    InitializeLog(false);
    LogMessage(L"while the log is off");
    EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(DebugLog, LinesHaveTheTimeStampFormatInUtf8) {
    InitializeLog(true);
    LogMessage(L"first %d", 1);
    LogMessage(L"中文 %s and %S", L"wide 宽", "narrow");
    bool bom = false;
    auto lines = ReadLines(&bom);
    EXPECT_TRUE(bom) << "a new file starts with the UTF-8 byte-order mark";
    ASSERT_EQ(lines.size(), 2u);
    std::regex stamp(R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] (.*)$)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, stamp)) << lines[0];
    EXPECT_EQ(match[1], "first 1");
    ASSERT_TRUE(std::regex_match(lines[1], match, stamp)) << lines[1];
    EXPECT_EQ(match[1], "\xE4\xB8\xAD\xE6\x96\x87 wide \xE5\xAE\xBD and narrow");
}

TEST_F(DebugLog, LongMessagesAreCutTo1023Characters) {
    InitializeLog(true);
    std::wstring longText(2000, L'x');
    LogMessage(L"%s", longText.c_str());
    auto lines = ReadLines();
    ASSERT_EQ(lines.size(), 1u);
    std::string message = lines[0].substr(lines[0].find("] ") + 2);
    EXPECT_EQ(message, std::string(1023, 'x'));
}

TEST_F(DebugLog, ConcurrentWritersNeverInterleave) {
    InitializeLog(true);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) LogMessage(L"thread %d line %03d %s", t, i, L"payload-payload");
        });
    }
    for (auto& thread : threads) thread.join();
    auto lines = ReadLines();
    ASSERT_EQ(lines.size(), 1600u);
    std::regex whole(R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] thread [0-7] line \d{3} payload-payload$)");
    int counts[8] = {};
    for (const auto& line : lines) {
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
        counts[line[line.find("thread ") + 7] - '0']++;
    }
    for (int count : counts) EXPECT_EQ(count, 200);
}

TEST_F(DebugLog, AppendsToAnExistingFile) {
    InitializeLog(true);
    LogMessage(L"one");
    InitializeLog(true);
    LogMessage(L"two");
    auto lines = ReadLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("two"), std::string::npos);
}
