// The silent-mode log "Pixolum_Install.log" in the current folder.
#pragma once

void WriteInstallLog(const wchar_t* message);
