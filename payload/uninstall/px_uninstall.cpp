// Uninstaller of the viewer, shipped as px_uninstall.exe next to pixo32.exe.
// Removing an installation is not possible yet: the program says so, or with
// "/silent" only reports it through its exit code.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr const wchar_t* kCaption = L"Pixolum deinstallieren";
constexpr const wchar_t* kNotYet =
    L"Pixolum kann mit dieser Version noch nicht deinstalliert werden.\n\n"
    L"Es wurde nichts verändert.";
// Nothing was removed.
constexpr int kExitNotUninstalled = 1;

// The argument vector of CommandLineToArgvW, freed with LocalFree.
class ArgumentList {
public:
    ArgumentList() : m_args(CommandLineToArgvW(GetCommandLineW(), &m_count)) {}
    ~ArgumentList() {
        if (m_args) LocalFree(m_args);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    bool Has(const wchar_t* switchText) const {
        for (int i = 1; m_args && i < m_count; ++i) {
            if (_wcsicmp(m_args[i], switchText) == 0) return true;
        }
        return false;
    }

private:
    int m_count = 0;
    LPWSTR* m_args;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ArgumentList args;
    if (!args.Has(L"/silent")) {
        MessageBoxW(nullptr, kNotYet, kCaption, MB_OK | MB_ICONINFORMATION);
    }
    return kExitNotUninstalled;
}
