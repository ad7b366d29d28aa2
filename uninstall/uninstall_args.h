// The uninstaller's command line as a record.
#pragma once

#include <cstdint>
#include <string>

struct UninstallArgs {
    bool silent = false;          // "/silent": no window, the outcome is the exit code
    bool removeSettings = false;  // "/removesettings": with "/silent", delete pixo32.ini too

    // Only the temporary copy that does the work gets these (see temp_copy.cpp):
    // "/worker=<report pipe>:<caller process>:<own image>" are inherited handle
    // values, "/original=<path>" the uninstaller in the install folder.
    bool worker = false;
    bool workerValid = false;     // the worker switches were complete and well formed
    uint64_t reportPipe = 0;
    uint64_t callerProcess = 0;
    uint64_t ownImage = 0;
    std::wstring originalPath;
};

// argv[0] is the program and is skipped. Switches are whole arguments,
// compared without regard to case; unknown arguments are ignored.
UninstallArgs ParseUninstallArgs(int argc, const wchar_t* const* argv);

// The command line that starts the worker copy at workerExe for the given
// request; the inverse of ParseUninstallArgs for the worker switches.
std::wstring WorkerCommandLine(const std::wstring& workerExe, const UninstallArgs& request);
