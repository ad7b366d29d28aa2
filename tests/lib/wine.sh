# Helpers for test scripts that drive Wine themselves (RAW tests).
# Source it; it expects PX_WINE_RUN, PX_WINVER, PX_GROUP, PX_BUILD_DIR from CTest.
set -uo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINEPREFIX=$("$PX_WINE_RUN" --prefix-only) || { rc=$?; [ $rc = 77 ] && exit 77; echo "no prefix"; exit 1; }
export WINEPREFIX
px_failures=0
px_checks=0

# px_wine PROGRAM ARGS...: runs a Windows program, output through a file
# (Wine's helpers would keep a pipe open), returns its exit code.
px_wine() {
  local out rc
  out=$(mktemp)
  wine "$@" </dev/null >"$out" 2>&1
  rc=$?
  cat "$out"; rm -f "$out"
  return $rc
}

# Unix path of a Windows path in the prefix (C: only).
px_unix_path() {
  local p=${1#[Cc]:}
  p=${p//\\//}
  echo "$WINEPREFIX/drive_c$p"
}

# px_reg_value KEY VALUE (or /ve): prints the value's data as reg.exe shows it, or nothing.
px_reg_value() {
  local key=$1 name=$2 args
  if [ "$name" = /ve ]; then args=(/ve); else args=(/v "$name"); fi
  wine reg query "$key" "${args[@]}" </dev/null 2>/dev/null | tr -d '\r' |
    awk -F '    ' '/    REG_/ { print $4; exit }'
}

px_check() {  # px_check "description" command...
  local what=$1; shift
  px_checks=$((px_checks + 1))
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; px_failures=$((px_failures + 1)); fi
}

px_done() {
  echo "$((px_checks - px_failures)) passed, $px_failures failed"
  wineserver -k 2>/dev/null
  [ "$px_failures" -eq 0 ]
}
