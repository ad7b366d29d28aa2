#!/usr/bin/env bash
# Checks that a shipped 32-bit program or DLL starts on Windows XP: it must
# be a PE32 i386 image with subsystem version 5.1 or lower, import only the
# system DLLs below (and any given as extra arguments), and import no
# function that XP lacks. Wine exports the newer functions even in XP mode,
# so only the import table tells.
#
#   check-imports.sh PROGRAM [EXTRA_ALLOWED_DLL...] [--not-at-start=DLL...]
#
# --not-at-start names a system DLL the program loads itself on first use:
# importing it at start-up fails the check.
#
# OBJDUMP overrides the objdump to use (default i686-w64-mingw32-objdump).
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [EXTRA_ALLOWED_DLL...]" >&2
  exit 2
fi
program=$1; shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

allowed="kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 comctl32 comdlg32 msvcrt"
not_at_start=()
for extra in "$@"; do
  if [[ $extra == --not-at-start=* ]]; then extra=${extra#--not-at-start=}; not_at_start+=("${extra,,}"); continue; fi
  extra=${extra,,}
  allowed="$allowed ${extra%.dll}"
done

# Functions that first came with Vista or later (kernel32, advapi32, shell32,
# comctl32), and msvcrt's secure and locale variants, which XP's msvcrt.dll
# does not export.
missing_on_xp='^(GetTickCount64|InitializeSRWLock|(Acquire|Release|TryAcquire)SRWLock.*|.*ConditionVariable.*|InitOnce.*|Fls(Alloc|Free|GetValue|SetValue)|RegGetValue[AW]?|RegDeleteTree[AW]?|RegSetKeyValue[AW]?|SetDefaultDllDirectories|AddDllDirectory|RemoveDllDirectory|GetFinalPathNameByHandle[AW]?|CreateSymbolicLink[AW]?|SHGetKnownFolderPath|TaskDialog(Indirect)?|InitializeCriticalSectionEx|GetLocaleInfoEx|LCMapStringEx|CompareStringEx|Create(Event|Mutex|Semaphore)Ex[AW]?)$'
msvcrt_missing_on_xp='^(.*_s|.*_l|_fseeki64|_ftelli64)$'

if [ ! -f "$program" ]; then
  echo "check-imports: no such file: $program" >&2
  exit 2
fi
dump=$("$objdump" -p "$program" 2>&1) || { echo "check-imports: $objdump failed on $program" >&2; echo "$dump" >&2; exit 2; }

failures=0
fail() { echo "check-imports: $program: $*"; failures=$((failures + 1)); }

grep -q 'file format pei-i386' <<<"$dump" || fail "not a 32-bit Windows image"
major=$(awk '/^MajorSubsystemVersion/ {print $2}' <<<"$dump")
minor=$(awk '/^MinorSubsystemVersion/ {print $2}' <<<"$dump")
if [ -z "$major" ] || [ $((major * 100 + minor)) -gt 501 ]; then
  fail "subsystem version ${major:-?}.${minor:-?} is above 5.1: XP refuses to start it"
fi

# "DLL NAME|FUNCTION" for every import (an import by ordinal has no name).
imports=$(awk '
  /^[ \t]*DLL Name:/ { dll = $3; print dll "|"; next }
  /^[ \t]*$/ { dll = "" ; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF >= 3 { print dll "|" $3 }
' <<<"$dump")

for dll in "${not_at_start[@]}"; do
  if grep -qix "${dll%.dll}.dll|" <<<"$imports"; then
    fail "imports ${dll%.dll}.dll at start-up, which it should load on first use"
  fi
done

dll_count=0
function_count=0
while IFS='|' read -r dll fn; do
  [ -n "$dll" ] || continue
  base=${dll,,}; base=${base%.dll}
  if [ -z "$fn" ]; then
    dll_count=$((dll_count + 1))
    [[ " $allowed " == *" $base "* ]] || fail "imports $dll, which is not an allowed system DLL"
    continue
  fi
  function_count=$((function_count + 1))
  if [[ $fn =~ $missing_on_xp ]]; then
    fail "imports $fn from $dll, which Windows XP lacks"
  elif [ "$base" = msvcrt ] && [[ $fn =~ $msvcrt_missing_on_xp ]]; then
    fail "imports $fn from $dll, which the msvcrt.dll of Windows XP lacks"
  fi
done <<<"$imports"

if [ "$failures" -gt 0 ]; then
  exit 1
fi
echo "check-imports: $program: $dll_count DLLs, $function_count functions, all on Windows XP"
