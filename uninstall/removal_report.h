// What one uninstallation did not manage, for the result message and the log.
#pragma once

#include <string>
#include <vector>

struct RemovalReport {
    std::vector<std::wstring> failures;  // files, folders, links and keys that are still there
    bool associationsRemoved = false;    // tell the shell
    bool settingsKept = false;           // settings files exist and were left alone
    bool folderKept = false;             // the install folder stays (user files, settings)

    void Fail(const std::wstring& what) { failures.push_back(what); }
    bool Succeeded() const { return failures.empty(); }
};

// The report as the worker copy sends it through its pipe: three flag
// characters, then one failure a line. Both ends bound what they take.
std::wstring SerializeReport(const RemovalReport& report);
bool DeserializeReport(const std::wstring& text, RemovalReport& report);
