#include "uninstall_messages.h"

#include <cwchar>

#include "product.h"

namespace {

// A message box shows this many of the leftovers; the log takes them all.
constexpr size_t kListedInBox = 10;

std::wstring Leftovers(const RemovalReport& report, size_t limit) {
    std::wstring text;
    size_t shown = 0;
    for (const std::wstring& failure : report.failures) {
        if (shown == limit) {
            text += L"\n… und " + std::to_wstring(report.failures.size() - shown) + L" weitere";
            break;
        }
        text += L"\n" + failure;
        ++shown;
    }
    return text;
}

}  // namespace

std::wstring RemovalQuestion() {
    return std::wstring(L"Möchten Sie Pixolum ") + kVersionText +
           L" mit allen Verknüpfungen, Dateitypzuordnungen und Registrierungseinträgen von "
           L"Ihrem Computer entfernen?";
}

std::wstring NotInstalledMessage(const std::wstring& folder) {
    return L"Im Ordner \"" + folder + L"\" ist Pixolum nicht installiert.\nEs wurde nichts entfernt.";
}

std::wstring ResultMessage(const RemovalReport& report, const std::wstring& installFolder) {
    if (!report.Succeeded()) {
        return L"Pixolum konnte nicht vollständig entfernt werden. Noch vorhanden ist:\n" +
               Leftovers(report, kListedInBox) +
               L"\n\nBeenden Sie bitte alle Programme, die diese Dateien verwenden, und starten "
               L"Sie die Deinstallation erneut.";
    }
    std::wstring text = L"Pixolum wurde erfolgreich von Ihrem Computer entfernt.";
    if (report.settingsKept) text += L"\n\nIhre Einstellungen (pixo32.ini) bleiben erhalten.";
    if (report.folderKept && !report.settingsKept) {
        text += L"\n\nDer Ordner \"" + installFolder +
                L"\" enthält noch eigene Dateien und bleibt deshalb erhalten.";
    }
    return text;
}

std::wstring FailureLogMessage(const RemovalReport& report) {
    return L"Pixolum konnte nicht vollständig deinstalliert werden. Noch vorhanden ist:" +
           Leftovers(report, report.failures.size());
}
