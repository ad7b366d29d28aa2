# Sets the DPI of the Wine prefix $WINEPREFIX's screen (Wine's LogPixels, in
# both places Wine versions read it); programs started afterwards see it.
# Source it, then call px_screen_dpi DPI.
px_screen_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  # A helper of the prefix that hangs must not hold the run (the server
  # saves the registry when it is ended).
  timeout 120 wineserver -w || wineserver -k
}
