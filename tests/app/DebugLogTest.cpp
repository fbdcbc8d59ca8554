#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Log.h"
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

}  // namespace

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
