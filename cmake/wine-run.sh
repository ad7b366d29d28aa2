#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest, in a throwaway prefix.
#
#   PX_WINE_ROOT   folder of the prefixes (default: ./wine below the build)
#   PX_WINVER      xp | vista | 7 | 8 | 81 | 10 | 11 | 11edge (build 21999); default 10
#   PX_GROUP       name of the prefix copy a group of tests shares (default: default)
#   PX_GUI         1: real display driver (run under xvfb-run); else the null driver
#   PX_WINEARCH    win64 (default): a 64-bit prefix, where 32-bit programs run
#                  under WOW64 as on 64-bit Windows; win32: a 32-bit prefix,
#                  as on 32-bit Windows XP
#
# A test that needs 32-bit Wine where it cannot run exits with code 77, which
# CTest reports as skipped, with the reason.
# The template prefix is made once with wineboot; each group gets a copy, set to
# its Windows version. Output goes through a file: Wine's helper processes
# inherit the pipe otherwise and CTest would wait for them.
set -uo pipefail
root=${PX_WINE_ROOT:-$PWD/wine}
ver=${PX_WINVER:-10}
group=${PX_GROUP:-default}
gui=${PX_GUI:-0}
arch=${PX_WINEARCH:-win64}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=$arch
PATH="$(cd "$(dirname "$0")/../scripts/wine-bin" && pwd):$PATH"
mkdir -p "$root"

wine32_runs() { [ -x /usr/lib/wine/wine ] && timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1; }
skip_without_wine32() {
  wine32_runs && return 0
  echo "wine-run: skipped: $1 needs 32-bit Wine, which cannot run on this machine" \
       "(scripts/bootstrap-wine32.sh sets it up where it can)" >&2
  exit 77
}
[ "$arch" = win32 ] && skip_without_wine32 "a 32-bit prefix"
[ "${PX_SHIPPED:-0}" = 1 ] && skip_without_wine32 "a test of the shipped 32-bit programs"

template=$root/template; [ "$arch" = win32 ] && template=$root/template32
make_template() {
  local t=$template
  [ -f "$t/.ready" ] && return 0
  rm -rf "$t"
  WINEPREFIX="$t" wine wineboot -i </dev/null >/dev/null 2>&1
  # A crashing test program ends at once instead of hanging in Wine's
  # debugger until the test's time-out: the debugger named cannot start.
  local aedebug
  for aedebug in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                 'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
    WINEPREFIX="$t" wine reg add "$aedebug" /v Debugger /d px_no_debugger.exe /f </dev/null >/dev/null 2>&1
  done
  WINEPREFIX="$t" wineserver -w
  # Keep tests off the host's home folder: real folders instead of links.
  local u
  for u in "$t"/drive_c/users/*/; do
    for l in "$u"*; do
      if [ -L "$l" ]; then rm -f "$l"; mkdir -p "$l"; fi
    done
  done
  touch "$t/.ready"
}

set_version() {
  local p=$1 key='HKCU\Software\Wine'
  local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  case "$ver" in
    xp) v=winxp ;; vista) v=vista ;; 7) v=win7 ;; 8) v=win8 ;; 81) v=win81 ;; 10) v=win10 ;;
    11|11edge) v="" ;;
    *) echo "wine-run: unknown PX_WINVER $ver" >&2; return 1 ;;
  esac
  if [ -n "$v" ]; then
    WINEPREFIX="$p" wine reg add "$key" /v Version /d "$v" /f
  else
    local build=22000; [ "$ver" = 11edge ] && build=21999
    WINEPREFIX="$p" wine reg delete "$key" /v Version /f
    # A 32-bit program reads the version from the 32-bit view of a 64-bit prefix.
    local views=(/reg:64 /reg:32) view; [ "$arch" = win32 ] && views=(/reg:32)
    for view in "${views[@]}"; do
      WINEPREFIX="$p" wine reg add "$nt" /v CurrentVersion /d 10.0 /f $view
      WINEPREFIX="$p" wine reg add "$nt" /v CurrentBuildNumber /d $build /f $view
      WINEPREFIX="$p" wine reg add "$nt" /v CurrentBuild /d $build /f $view
      WINEPREFIX="$p" wine reg add "$nt" /v CurrentMajorVersionNumber /t REG_DWORD /d 10 /f $view
      WINEPREFIX="$p" wine reg add "$nt" /v CurrentMinorVersionNumber /t REG_DWORD /d 0 /f $view
      WINEPREFIX="$p" wine reg add "$nt" /v CSDVersion /d "" /f $view
    done
  fi
  if [ "$gui" != 1 ]; then
    WINEPREFIX="$p" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  fi
}

prefix="$root/$group-$ver"; [ "$arch" = win32 ] && prefix="$prefix-w32"; [ "$gui" = 1 ] && prefix="$prefix-gui"
if [ -n "${PX_WINE_PREFIX_NO_CREATE:-}" ]; then echo "$prefix"; exit 0; fi
(
  flock 9
  # Wine's server and services outlive this; none of them may hold the lock.
  (
    make_template
    if [ ! -f "$prefix/.ready" ]; then
      rm -rf "$prefix"
      # The system folder is only read: hard links keep a copy at ~100 MB
      # instead of ~700 MB. Everything else (registry files above all, which
      # wineserver rewrites in place) is a real copy.
      mkdir -p "$prefix"
      tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
        tar -C "$prefix" -xpf -
      for d in system32 syswow64; do
        [ -d "$template/drive_c/windows/$d" ] && cp -al "$template/drive_c/windows/$d" "$prefix/drive_c/windows/$d"
      done
      rm -f "$prefix/wineserver" "$prefix/.ready"
      export WINEPREFIX="$prefix"
      wine wineboot </dev/null >/dev/null 2>&1
      set_version "$prefix" </dev/null >/dev/null 2>&1
      wineserver -w
      touch "$prefix/.ready"
    fi
  ) 9>&-
) 9>"$root/.lock"

export WINEPREFIX="$prefix"
[ "${1:-}" = --prefix-only ] && { echo "$prefix"; exit 0; }

# A 32-bit program needs 32-bit Wine, in either kind of prefix.
machine=$(od -An -tx2 -j $(( $(od -An -tu4 -j 60 -N4 "$1" 2>/dev/null) + 4 )) -N2 "$1" 2>/dev/null | tr -d ' ')
[ "$machine" = 014c ] && skip_without_wine32 "the 32-bit program $1"
# Start the server detached from our output first.
wine wineboot </dev/null >/dev/null 2>&1
out=$(mktemp)
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"; rm -f "$out"
exit $rc
