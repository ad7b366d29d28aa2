// The viewer's first settings in "pixo32.ini".
#pragma once

struct ToolbarSkin {
    const wchar_t* skin;
    const wchar_t* size;
};
ToolbarSkin ChooseToolbarSkin(int fullScreenHeight, int scalePercent);

void WriteInitialSettings(const wchar_t* programFolderIni, const wchar_t* activeIni,
                          const wchar_t* iniFolder, bool portableLayout);
bool ConvertSettingsFileToUnicode(const wchar_t* path);
