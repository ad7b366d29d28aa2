// The uninstaller's German texts and the messages made from a report.
#pragma once

#include <string>

#include "removal_report.h"

namespace uninstall_text {

constexpr const wchar_t* kCaption = L"Pixolum 32-bit Deinstallation";
constexpr const wchar_t* kViewerRunning =
    L"Warnung: Pixolum läuft!\nBeenden Sie bitte Pixolum, bevor Sie mit der Deinstallation fortfahren!";
constexpr const wchar_t* kSettingsQuestion =
    L"Sollen auch Ihre persönlichen Einstellungen (pixo32.ini) gelöscht werden?\n\n"
    L"Wählen Sie \"Nein\", wenn Sie Pixolum später wieder installieren möchten.";
constexpr const wchar_t* kAnotherRun =
    L"Eine andere Installation oder Deinstallation von Pixolum läuft gerade. "
    L"Bitte warten Sie, bis sie beendet ist, und starten Sie die Deinstallation dann erneut.";

}  // namespace uninstall_text

// The refusal to work in a folder without an installation.
std::wstring NotInstalledMessage(const std::wstring& folder);

// "Möchten Sie Pixolum 4.72 … entfernen?", with the product version.
std::wstring RemovalQuestion();

// The closing message box's text: what was done, what stayed.
std::wstring ResultMessage(const RemovalReport& report, const std::wstring& installFolder);

// The install-log entry of a failed silent run (the log cuts long texts).
std::wstring FailureLogMessage(const RemovalReport& report);
