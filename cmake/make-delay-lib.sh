#!/usr/bin/env bash
# Makes a delay-load import library for the named functions of one system DLL:
# the program then loads the DLL on the first call of one of them.
#
#   make-delay-lib.sh NM DLLTOOL IMPORT_LIB DLL OUTPUT_LIB LIST_FILE FUNCTION...
#
# The decorated names (i686 stdcall: Name@bytes) come from the toolchain's own
# import library. LIST_FILE receives "dll|function" per line for the import check.
set -euo pipefail
nm=$1 dlltool=$2 import_lib=$3 dll=$4 out=$5 list=$6
shift 6
symbols=$("$nm" "$import_lib" | sed -n 's/^.* I __imp_\(.*\)$/\1/p' | sort -u)
def=${out%.a}.def
{
  echo "LIBRARY $dll.dll"
  echo "EXPORTS"
  for fn in "$@"; do
    # i686 symbols carry the C prefix "_" and the stdcall suffix; x86_64 neither.
    found=$(grep -E "^_?$fn(@[0-9]+)?\$" <<<"$symbols" | head -n1 || true)
    [ -n "$found" ] || { echo "make-delay-lib: $fn not in $import_lib" >&2; exit 1; }
    echo "${found#_}"
  done
} >"$def.tmp"
mv "$def.tmp" "$def"
rm -f "$out"
"$dlltool" -k --input-def "$def" --output-delaylib "$out"
for fn in "$@"; do echo "$dll.dll|$fn"; done >"$list"
