#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "app/StartupLog.h"
#include "config/Paths.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<std::wstring> SplitCrLf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size());
    return lines;
}

}  // namespace

TEST(StartupLogFile, MilestonesAreTimedAndMirroredIntoTheDebugLog) {
    std::wstring debugLog = BinDir() + L"\\vantreel.log";
    DeleteFileW(debugLog.c_str());
    InitializeLog(true);

    StartupLog::Open();
    Sleep(20);
    StartupLog::Mark(L"config loaded");
    Sleep(30);
    StartupLog::Mark(L"d3d/dcomp ready");
    StartupLog::Close();
    StartupLog::Mark(L"after close");

    std::wstring path = GetCacheDirectory() + L"\\startup.log";
    auto bytes = ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(bytes.size() % 2, 0u);
    EXPECT_FALSE(bytes[0] == 0xFF && bytes[1] == 0xFE) << "no byte-order mark";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    auto lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 3u) << "a mark after closing reaches only the debug log";

    std::wregex header(LR"(^---- process started (\d+) ms into this boot ----$)");
    EXPECT_TRUE(std::regex_match(lines[0], header));

    std::wregex milestone(LR"(^ *(\d+\.\d) ms  \(\+ *(\d+\.\d)\)  (.+)$)");
    std::wsmatch m1, m2;
    ASSERT_TRUE(std::regex_match(lines[1], m1, milestone)) << lines[1];
    ASSERT_TRUE(std::regex_match(lines[2], m2, milestone)) << lines[2];
    double first = std::wcstod(m1[1].str().c_str(), nullptr);
    double second = std::wcstod(m2[1].str().c_str(), nullptr);
    EXPECT_EQ(m1[1].str(), m1[2].str()) << "the first difference is the first time itself";
    EXPECT_NEAR(std::wcstod(m2[2].str().c_str(), nullptr), second - first, 0.11);
    EXPECT_GE(first, 15.0);
    EXPECT_GE(second - first, 25.0);
    EXPECT_EQ(m1[3].str(), L"config loaded");
    EXPECT_EQ(m2[3].str(), L"d3d/dcomp ready");
    EXPECT_EQ(lines[1].substr(0, 8).find_first_not_of(L' '), 8 - m1[1].length()) << "%8.1f";

    auto logBytes = ReadFileBytes(debugLog);
    std::string log(logBytes.begin(), logBytes.end());
    std::regex mirror(R"(\] startup +\d+\.\d ms  (config loaded|d3d/dcomp ready|after close)\r\n)");
    auto begin = std::sregex_iterator(log.begin(), log.end(), mirror);
    EXPECT_EQ(std::distance(begin, std::sregex_iterator()), 3);
    InitializeLog(false);
    DeleteFileW(debugLog.c_str());
}
