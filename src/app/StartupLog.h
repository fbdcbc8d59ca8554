#pragma once
// "startup.log" in the cache folder: one timing line per start-up milestone,
// rewritten on every start (UTF-16LE, no byte-order mark) and mirrored into the
// debug log. Written by the UI thread only.

namespace StartupLog {

// Starts the clock and creates the file. Milestones reach the debug log even
// when the file cannot be created.
void Open();
void Mark(const wchar_t* milestone);
// Closes the file; later marks reach only the debug log.
void Close();

}  // namespace StartupLog
