#!/usr/bin/env bash
# reset: remove the test groups' prefixes (the templates stay, they are costly to make)
# shutdown: end every wineserver of the test prefixes
set -uo pipefail
cmd=$1 root=$2
mkdir -p "$root"
for p in "$root"/*/; do
  [ -d "$p" ] || continue
  WINEPREFIX="${p%/}" wineserver -k 2>/dev/null
done
if [ "$cmd" = reset ]; then
  for p in "$root"/*/; do
    [ -d "$p" ] || continue
    case "$(basename "$p")" in template|template32) continue ;; esac
    rm -rf "$p"
  done
fi
exit 0
