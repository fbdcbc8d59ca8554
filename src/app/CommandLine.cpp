#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <limits>

int64_t ParseLeadingInteger(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        int digit = text[i] - L'0';
        if (value > (kMax - digit) / 10) {
            value = kMax;
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

namespace {

uint32_t ToUInt32(int64_t value) {
    if (value < 0) return static_cast<uint32_t>(static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : value));
    if (value > UINT32_MAX) return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

int32_t ToInt32(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLineOptions options;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--watchdog") {
            // All three values must follow; otherwise the option is skipped like an unknown one.
            if (i + 3 < args.size()) {
                options.mode = StartMode::Watchdog;
                options.watchdog.processId = ToUInt32(ParseLeadingInteger(args[i + 1]));
                options.watchdog.taskbarState = ToUInt32(ParseLeadingInteger(args[i + 2]));
                options.watchdog.eventName = args[i + 3];
                return options;
            }
            options.unknown.push_back(arg);
        } else if (arg == L"--restore-taskbar") {
            options.mode = StartMode::RestoreTaskbar;
            return options;
        } else if (arg == L"--keep-taskbar") {
            options.keepTaskbar = true;
        } else if (arg == L"--debug-log") {
            options.debugLog = true;
        } else if (arg == L"--install-startup") {
            options.installTask = true;
        } else if (arg == L"--uninstall-startup") {
            options.removeTask = true;
        } else if (arg == L"--test-allapps") {
            if (i + 1 < args.size()) {
                options.testAllAppsMs = ToInt32(ParseLeadingInteger(args[i + 1]));
                ++i;
            }
        } else if (arg == L"--dump-frame") {
            if (i + 1 < args.size()) options.dumpFramePath = args[++i];
        } else {
            options.unknown.push_back(arg);
        }
    }
    return options;
}

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}
