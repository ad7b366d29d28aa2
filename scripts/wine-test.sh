#!/usr/bin/env bash
# Runs one test command, then ends its prefix's wineserver and deletes the
# prefix (each is a ~100 MB copy of the template): a full run leaves no pile
# of prefixes behind. PX_KEEP_PREFIX=1 keeps it for a look afterwards.
PATH="$(cd "$(dirname "$0")" && pwd)/wine-bin:$PATH"
"$@"
rc=$?
if [ "${PX_KEEP_PREFIX:-0}" != 1 ] && [ -n "${PX_WINE_RUN:-}" ]; then
  prefix=$(PX_WINE_PREFIX_NO_CREATE=1 "$PX_WINE_RUN" --prefix-only 2>/dev/null)
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    rm -rf "$prefix"
  fi
fi
exit $rc
