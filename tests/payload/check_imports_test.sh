#!/usr/bin/env bash
# scripts/check-imports.sh: it must pass the shipped payload programs, and
# catch what keeps a program from starting on Windows XP, shown on small
# programs compiled here that import a function XP lacks, a DLL outside the
# system set, or declare a subsystem version XP refuses.
#   check_imports_test.sh CHECK_IMPORTS_SH SHIPPED_PROGRAM_OR_FOLDER...
# A folder (the one the archive is packed from) stands for its every
# program and library.
set -uo pipefail
checker=$1; shift
cc=${PX_MINGW_CC:-i686-w64-mingw32-gcc-win32}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
check() {
  local what=$1; shift
  checks=$((checks + 1))
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}

programs=()
for arg in "$@"; do
  if [ -d "$arg" ]; then
    mapfile -t -O "${#programs[@]}" programs < <(find "$arg" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
  else
    programs+=("$arg")
  fi
done
check "programs to check were found (${#programs[@]})" test "${#programs[@]}" -ge 4
for program in "${programs[@]}"; do
  check "shipped ${program#"$1"/} passes" "$checker" "$program"
done

cat > "$work/good.c" <<'C'
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {
    (void)a; (void)b; (void)c; (void)d;
    return MessageBoxW(NULL, L"x", L"y", 0) + (int)GetTickCount();
}
C
cat > "$work/bad.c" <<'C'
#define _WIN32_WINNT 0x0600
#include <winsock2.h>
#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) {
    WSADATA w;
    SRWLOCK lock;
    (void)a; (void)b; (void)c; (void)d;
    InitializeSRWLock(&lock);
    return (int)GetTickCount64() + WSAStartup(0x202, &w);
}
C
"$cc" -O1 -mwindows -o "$work/good.exe" "$work/good.c" &&
"$cc" -O1 -mwindows -o "$work/bad.exe" "$work/bad.c" -lws2_32 &&
"$cc" -O1 -mwindows -Wl,--subsystem,windows:6.0 -o "$work/vista.exe" "$work/good.c" ||
  { echo "cannot compile the probes with $cc"; exit 1; }

check "a program with system imports only passes" "$checker" "$work/good.exe"
"$checker" "$work/bad.exe" > "$work/bad.out" 2>&1; rc=$?
check "imports XP lacks fail the check" test $rc -eq 1
check "GetTickCount64 is named" grep -q 'imports GetTickCount64 from KERNEL32.dll' "$work/bad.out"
check "InitializeSRWLock is named" grep -q 'imports InitializeSRWLock' "$work/bad.out"
check "a DLL outside the system set is named" grep -qi 'imports WS2_32.dll, which is not an allowed' "$work/bad.out"
"$checker" "$work/bad.exe" ws2_32.dll > "$work/extra.out" 2>&1
check "an extra allowed DLL is accepted, the XP functions still fail" \
  bash -c "! grep -qi 'WS2_32.dll, which' '$work/extra.out' && grep -q GetTickCount64 '$work/extra.out'"
"$checker" "$work/vista.exe" > "$work/vista.out" 2>&1; rc=$?
check "subsystem version 6.0 fails the check" test $rc -eq 1
check "the subsystem version is named" grep -q 'subsystem version 6.0' "$work/vista.out"
"$checker" "$work/missing.exe" >/dev/null 2>&1; rc=$?
check "a missing file is an error, not a pass" test $rc -ne 0

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
