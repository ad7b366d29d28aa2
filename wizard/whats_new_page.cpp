// The what's-new page (index 1): the release notes of this version.
#include <windows.h>

#include <vector>

#include "release_notes.h"
#include "resource.h"
#include "wiz_page.h"

void CWizPropertyPage::ActivateWhatsNew() {
    // Reloaded on every activation, so the notes always show from the start.
    HINSTANCE resources = Resources();
    HRSRC found = FindResourceW(resources, MAKEINTRESOURCEW(IDR_RELEASE_NOTES), L"TXT");
    if (!found) return;
    const DWORD size = SizeofResource(resources, found);
    HGLOBAL loaded = LoadResource(resources, found);
    if (!loaded) return;
    const void* data = LockResource(loaded);
    if (!data) return;

    std::vector<wchar_t> notes(kReleaseNotesUnits);
    CopyReleaseNotes(data, size, notes.data(), notes.size());
    TrimReleaseNotesEnd(notes.data());
    SetDlgItemTextW(m_hWnd, IDC_RELEASE_NOTES, notes.data());
}
