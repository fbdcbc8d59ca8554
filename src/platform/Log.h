#pragma once
// The debug log "vantreel.log" beside the executable. Every subsystem and every
// thread writes through LogMessage; while the log is off it costs one flag test.
//
// Formats follow the Microsoft wide printf family: "%s" takes a wide string,
// "%S" a narrow one.

#include <string>

// Switches the log on (for the whole run) or leaves it off. Called once, after
// the single-instance check. The log goes into `folder`, or beside the
// executable when it is empty.
void InitializeLog(bool enabled, const std::wstring& folder = {});

// printf-style line "[hh:mm:ss.mmm] message" in UTF-8; messages are cut to 1023
// characters. Safe from any thread, also before InitializeLog (writes nothing).
void LogMessage(const wchar_t* format, ...);

bool IsLogEnabled();

// Folder of the running executable, without a trailing separator; empty on failure.
std::wstring ExecutableDirectory();
