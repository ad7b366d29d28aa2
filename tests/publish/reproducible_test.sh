#!/usr/bin/env bash
# A second clean build of the same sources, copied to another folder and
# built in another folder at another time, gives byte-identical shipped
# programs, payload and setup.exe. Only the shipped 32-bit programs are built.
# Usage: reproducible_test.sh SOURCE_DIR BUILD_DIR SECOND_DIR
set -uo pipefail
src=$1 first=$2 second=$3
failures=0 checks=0
check() {  # check "description" command...
  local what=$1; shift
  checks=$((checks + 1))
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$first/CMakeCache.txt"; }
manifest=$(ls "$(cache_value PX_MANIFEST_FOLDER)"/*.installer.yaml)

rm -rf "$second"
mkdir -p "$second/sources"
# The working tree as git sees it (committed and new files), without build folders.
(cd "$src" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) |
  tar -C "$second/sources" -xf -
start=$(date +%s)
cmake -S "$second/sources" -B "$second/build" \
      -DCMAKE_TOOLCHAIN_FILE="$second/sources/cmake/toolchain-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DPX_BUILD_TESTS=OFF -DPX_SITE="$(cache_value PX_SITE)" -DPX_PAYLOAD_DIR="$(cache_value PX_PAYLOAD_DIR)" -DPX_PUBLISHER="$(cache_value PX_PUBLISHER)" \
      >"$second/configure.txt" 2>&1 || { cat "$second/configure.txt"; exit 1; }
check "an unsigned build says so in one line" test "$(grep -c 'Signing: off' "$second/configure.txt")" = 1
cmake --build "$second/build" -j"$(nproc)" >"$second/build.txt" 2>&1 || { tail -n 30 "$second/build.txt"; exit 1; }
echo "second build: $(($(date +%s) - start)) s"

for f in payload/bin/pixo32.exe payload/bin/px_uninstall.exe payload/bin/Plugins/Icons.dll \
         payload/bin/Languages/Deutsch.dll payload/payload.zip app/setup.exe \
         "${manifest#"$first"/}"; do
  a=$(sha256sum <"$first/$f" | cut -d' ' -f1)
  b=$(sha256sum <"$second/build/$f" | cut -d' ' -f1)
  echo "$b  $f"
  check "$f is the same in both builds" test "$a" = "$b"
  stat -c '%s %n' "$second/build/$f" >>"$second/unsigned-sizes.txt"
done
check "no build folder named in the programs" \
  bash -c "! grep -l -a -F -e '$second' -e '$src' -e '$first' '$second'/build/payload/bin/*.exe '$second'/build/app/setup.exe"
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
