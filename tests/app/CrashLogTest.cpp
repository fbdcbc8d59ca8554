#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <set>
#include <string>

#include "app/CrashLog.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::string ReadText(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

const std::regex kHeader(
    R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] unhandled exception 0x([0-9A-F]{8}) \(flags 0x([0-9A-F]{8})\) pid=\d+ tid=\d+\r\n  stack:\r\n)");
const std::regex kFrame(R"(    [^\r\n+]+\+0x[0-9A-F]+\r\n)");

}  // namespace

TEST(CrashLogRecord, WithoutContextHasOnlyTheFaultingFrame) {
    std::wstring path = BinDir() + L"\\Vantreel-crash.log";
    DeleteFileW(path.c_str());

    EXCEPTION_RECORD record = {};
    record.ExceptionCode = 0xC0000005;
    record.ExceptionFlags = 1;
    record.ExceptionAddress = reinterpret_cast<void*>(&CrashExceptionFilter);
    EXCEPTION_POINTERS pointers = {&record, nullptr};
    CrashLog::Write(&pointers);
    CrashLog::Write(nullptr);

    std::string text = ReadText(path);
    DeleteFileW(path.c_str());
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), std::string::npos) << "no byte-order mark";
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, kHeader));
    EXPECT_EQ(match.position(0), 0);
    EXPECT_EQ(match[1], "C0000005");
    EXPECT_EQ(match[2], "00000001");
    std::string rest = match.suffix();
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(rest, frame, kFrame));
    EXPECT_EQ(frame.position(0), 0);
    EXPECT_NE(frame.str().find("vantreel_app_tests.exe+0x"), std::string::npos) << frame.str();
    rest = frame.suffix();
    ASSERT_EQ(rest.rfind("\r\n[", 0), 0u) << "closing blank line, then the second record";

    // The second record: no pointers, code and flags 0, no frame at all.
    rest = rest.substr(2);
    ASSERT_TRUE(std::regex_search(rest, match, kHeader));
    EXPECT_EQ(match[1], "00000000");
    EXPECT_EQ(match.suffix().str(), "\r\n");
}

TEST(CrashLogRecord, FrameOutsideEveryModuleWritesNothing) {
    TempDir dir;
    std::wstring path = dir.File(L"frames.txt");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CrashLog::WriteFrame(file, 0x10));
    EXPECT_TRUE(CrashLog::WriteFrame(file, reinterpret_cast<DWORD64>(&CrashExceptionFilter)));
    CrashLog::WriteUtf8Line(file, L"");
    CloseHandle(file);
    std::string text = ReadText(path);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(    vantreel_app_tests\.exe\+0x[0-9A-F]+\r\n)"))) << text;
}

namespace {

// Runs the crash helper in a folder of its own; the text of the crash log it left.
std::string CrashHelperLog(const std::wstring& arguments, DWORD exitCode = 0xC0000005u) {
    TempDir dir;
    std::wstring exe = dir.File(L"crash_helper.exe");
    EXPECT_TRUE(CopyFileW((BinDir() + L"\\crash_helper.exe").c_str(), exe.c_str(), FALSE));
    ProcessResult result = RunProcess(exe, arguments, dir.Path(), 60000);
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, exitCode) << "the process ends with the exception of its record, nothing else";
    return ReadText(dir.File(L"Vantreel-crash.log"));
}

}  // namespace

TEST(CrashLogProcess, FaultingProgramLeavesARecordWithAStack) {
    std::string text = CrashHelperLog(L"");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, kHeader)) << text;
    EXPECT_EQ(match[1], "C0000005");
    std::string stack = match.suffix();
    auto begin = std::sregex_iterator(stack.begin(), stack.end(), kFrame);
    long frames = std::distance(begin, std::sregex_iterator());
    EXPECT_GE(frames, 2) << stack;
    std::set<std::string> distinct;
    for (auto it = begin; it != std::sregex_iterator(); ++it) distinct.insert(it->str());
    EXPECT_GE(distinct.size(), 3u) << "the walk climbs past the faulting function: " << stack;
    EXPECT_EQ(stack.find("<stack walk aborted>"), std::string::npos) << stack;
    EXPECT_LE(frames, 1 + 48) << "the faulting frame plus at most 48 walked frames";
    EXPECT_NE(stack.find("crash_helper.exe+0x"), std::string::npos);
    EXPECT_TRUE(stack.size() >= 2 && stack.compare(stack.size() - 4, 4, "\r\n\r\n") == 0)
        << "the record ends with a blank line";
}

TEST(CrashLogProcess, CorruptFramePointerEndsTheWalkWithoutASecondFault) {
    std::string text = CrashHelperLog(L"corrupt-frame");
    const std::regex anyHeader(R"(\] unhandled exception 0x)");
    auto records = std::distance(std::sregex_iterator(text.begin(), text.end(), anyHeader), std::sregex_iterator());
    EXPECT_EQ(records, 1) << "no second fault inside the filter: " << text;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, kHeader)) << text;
    EXPECT_EQ(match[1], "C0000005");
    std::string stack = match.suffix();
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(stack, frame, kFrame)) << stack;
    EXPECT_EQ(frame.position(0), 0);
    EXPECT_NE(frame.str().find("crash_helper.exe+0x"), std::string::npos) << "the faulting frame: " << stack;
    // The frame whose frame register was overwritten cannot be unwound: the
    // walk stops there instead of reading through the bad pointer.
    EXPECT_NE(stack.find("    <stack walk aborted>\r\n\r\n"), std::string::npos) << stack;
    EXPECT_TRUE(std::regex_match(stack, std::regex(R"(((    [^\r\n+]+\+0x[0-9A-F]+)\r\n)+(    <stack walk aborted>\r\n)?\r\n)")))
        << "frame lines, perhaps the end of the walk, and the closing blank line: " << stack;
}

TEST(CrashLogProcess, AnExceptionLeavingAThreadLeavesARecordOfWhereItWasThrown) {
    std::string text = CrashHelperLog(L"thread-throws", kTerminateExceptionCode);
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, kHeader)) << text;
    EXPECT_EQ(match[1], "E0564E54");
    EXPECT_NE(std::string(match.suffix()).find("crash_helper.exe+0x"), std::string::npos) << text;
}
