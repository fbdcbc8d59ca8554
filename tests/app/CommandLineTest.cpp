#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

CommandLineOptions Parse(std::vector<std::wstring> args) {
    args.insert(args.begin(), L"C:\\Program Files\\Vantreel\\vantreel.exe");
    return ParseCommandLine(args);
}

}  // namespace

TEST(CommandLine, FlagsAreWholeCaseSensitiveWords) {
    auto options = Parse({L"--keep-taskbar", L"--debug-log", L"--install-startup", L"--uninstall-startup"});
    EXPECT_EQ(options.mode, StartMode::Dock);
    EXPECT_TRUE(options.keepTaskbar);
    EXPECT_TRUE(options.debugLog);
    EXPECT_TRUE(options.installTask);
    EXPECT_TRUE(options.removeTask);

    options = Parse({L"--Debug-Log", L"--debug-log=1", L"-debug-log", L"debug-log", L"--keep"});
    EXPECT_FALSE(options.debugLog);
    EXPECT_FALSE(options.keepTaskbar);
    EXPECT_EQ(options.mode, StartMode::Dock);
    EXPECT_EQ(options.unknown, (std::vector<std::wstring>{L"--Debug-Log", L"--debug-log=1", L"-debug-log",
                                                          L"debug-log", L"--keep"}));
}

TEST(CommandLine, ProgramPathIsNeverAnOption) {
    auto options = ParseCommandLine({L"--restore-taskbar"});
    EXPECT_EQ(options.mode, StartMode::Dock);
}

TEST(CommandLine, WatchdogNeedsAllThreeValues) {
    auto options = Parse({L"--watchdog", L"1", L"2"});
    EXPECT_EQ(options.mode, StartMode::Dock) << "two values: skipped like an unknown option";

    options = Parse({L"--watchdog", L"1234", L"3", L"Local\\Vantreel_WatchdogCancel_1234"});
    ASSERT_EQ(options.mode, StartMode::Watchdog);
    EXPECT_EQ(options.watchdog.processId, 1234u);
    EXPECT_EQ(options.watchdog.taskbarState, 3u);
    EXPECT_EQ(options.watchdog.eventName, L"Local\\Vantreel_WatchdogCancel_1234");
}

TEST(CommandLine, ModesActTheMomentTheyAreMet) {
    auto options = Parse({L"--debug-log", L"--watchdog", L"7", L"0", L"ev", L"--keep-taskbar"});
    EXPECT_EQ(options.mode, StartMode::Watchdog);
    EXPECT_TRUE(options.debugLog);
    EXPECT_FALSE(options.keepTaskbar) << "nothing after the watchdog is read";

    options = Parse({L"--restore-taskbar", L"--watchdog", L"1", L"2", L"3"});
    EXPECT_EQ(options.mode, StartMode::RestoreTaskbar);

    options = Parse({L"--watchdog", L"1", L"2", L"--restore-taskbar"});
    EXPECT_EQ(options.mode, StartMode::Watchdog) << "the three values are taken as they come";
    EXPECT_EQ(options.watchdog.eventName, L"--restore-taskbar");
}

TEST(CommandLine, OptionsWithAValueTakeIt) {
    EXPECT_EQ(Parse({L"--test-allapps"}).testAllAppsMs, 0) << "last element: nothing consumed";
    EXPECT_EQ(Parse({L"--test-allapps", L"0"}).testAllAppsMs, 0);
    EXPECT_EQ(Parse({L"--test-allapps", L"12abc"}).testAllAppsMs, 12);
    EXPECT_EQ(Parse({L"--test-allapps", L"1500"}).testAllAppsMs, 1500);

    // The value is consumed even when it looks like an option.
    auto options = Parse({L"--test-allapps", L"--debug-log"});
    EXPECT_EQ(options.testAllAppsMs, 0);
    EXPECT_FALSE(options.debugLog);

    EXPECT_EQ(Parse({L"--dump-frame", L"C:\\out\\frame.bmp"}).dumpFramePath, L"C:\\out\\frame.bmp");
    EXPECT_TRUE(Parse({L"--dump-frame"}).dumpFramePath.empty());
}

TEST(CommandLine, UnknownArgumentsAreSkipped) {
    auto options = Parse({L"--frobnicate", L"42", L"", L"--keep-taskbar", L"C:\\some\\file.txt"});
    EXPECT_EQ(options.mode, StartMode::Dock);
    EXPECT_TRUE(options.keepTaskbar);
    EXPECT_FALSE(options.debugLog);
}

TEST(CommandLine, NumbersReadTheirLeadingDigits) {
    EXPECT_EQ(ParseLeadingInteger(L"12abc"), 12);
    EXPECT_EQ(ParseLeadingInteger(L"abc"), 0);
    EXPECT_EQ(ParseLeadingInteger(L""), 0);
    EXPECT_EQ(ParseLeadingInteger(L"007"), 7);
    EXPECT_EQ(ParseLeadingInteger(L"99999999999999999999999"), INT64_MAX) << "saturates, never wraps";
    EXPECT_EQ(Parse({L"--test-allapps", L"99999999999"}).testAllAppsMs, INT32_MAX);
}
