# Gives the Wine prefix $WINEPREFIX the dialog font the wizard's templates
# name. Windows has "Microsoft Sans Serif", Wine lacks it: its Tahoma (what
# "MS Shell Dlg" gives on Windows XP to 11) has nearly the same metrics and is
# a little wider, so a text that shows whole in it shows whole on Windows.
# Some Wine builds do not find their own fonts folder and fall back to the
# host's fonts: the prefix gets Wine's Tahoma itself. Source it, then call
# px_dialog_font.
px_dialog_font() {
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'Microsoft Sans Serif' /d Tahoma /f </dev/null >/dev/null 2>&1
  local f
  for f in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
    [ -f "$f" ] && cp -f "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  wineserver -w
}
