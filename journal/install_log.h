// The silent-mode log "Pixolum_Install.log" in the current folder, or where
// the command line puts it.
#pragma once

#include <string>

// Appends one dated entry. When the chosen place cannot be written (a start
// folder without write access, a log path on a missing drive), the entry
// goes to the user's temporary folder instead; when that fails too it is
// dropped, and only the exit code tells what happened.
void WriteInstallLog(const wchar_t* message);

// Sets the log file for the rest of the process: a path is resolved against
// the current folder now (the installation changes it later); a path ending
// in a backslash or naming an existing folder gets the log's own name.
// Null or empty restores the default, the relative name.
void SetInstallLogFile(const wchar_t* path);

// `value` as a log entry shows a text that came from outside (a folder from
// the command line): control characters are written as <0D>, <0A> and the
// like, which no file name can contain, so that a CR LF in the value cannot
// start a forged dated entry.
// True once a log file was set: deployment tools asked for the log and
// read success entries there too.
bool InstallLogFileGiven();

std::wstring LogValue(const wchar_t* value);
