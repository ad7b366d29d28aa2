#!/usr/bin/env bash
# Benchmarks of the setup: install throughput, memory, start-up and size,
# each against its anchor and beside a peer installer (NSIS) of the same
# files, measured side by side in one run. Reports figures
# (bench/README.md explains them); it fails only when a run goes wrong.
#
#   bash bench/run.sh [BUILD_DIR]      (default: build; built with scripts/build.sh)
#
# BENCH_RUNS (default 5) sets the runs per figure; the median is reported.
# BENCH_TWINS=1 times the 64-bit twins even where 32-bit Wine runs.
# Needs hyperfine, unzip, 7z, makensis, xvfb-run, perf (for the profile;
# skipped without it) and about 3 GB of free disk for the generated payload.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
PATH="$src/scripts/wine-bin:$PATH"
build=$(cd "${1:-$src/build}" && pwd)
runs=${BENCH_RUNS:-5}
bench=$build/bench
results=$bench/results
py=/usr/bin/python3
mkdir -p "$bench/bin" "$bench/a" "$results"

shipped=$build/app/setup.exe
[ -e "$shipped" ] || { echo "bench: $shipped is missing; build first (scripts/build.sh)" >&2; exit 1; }
for tool in hyperfine unzip 7z xvfb-run makensis x86_64-w64-mingw32-gcc i686-w64-mingw32-gcc; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done
log() { printf '\n== %s\n' "$*"; }

# Relinks an executable of a CMake build folder with extra linker options;
# --symbols keeps the symbol table the shipped link strips (same layout).
relink() {  # relink BUILD_APP_DIR OUTPUT [--symbols] OPTIONS...
  local dir=$1 out=$2; shift 2
  local command
  command=$(tail -n1 "$dir/CMakeFiles/setup.dir/link.txt")
  if [ "${1:-}" = --symbols ]; then shift; command=${command/ -s / }; fi
  command=${command/ -o setup.exe / -o $out $* }
  command=${command/-Wl,--out-implib,libsetup.dll.a/}
  (cd "$dir" && eval "$command")
}

# --- which setup runs ---------------------------------------------------------
# The shipped 32-bit setup wherever 32-bit Wine runs; under qemu's emulation
# every figure is slower, so the run says so. Only where 32-bit Wine cannot run
# at all are the 64-bit twins of the test build timed instead.
wine32_mode() {
  [ -x /usr/lib/wine/wine ] && timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo none; return; }
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && grep -qx enabled "$entry" && grep -q '^interpreter .*qemu-i386' "$entry" &&
      grep -qx enabled /proc/sys/fs/binfmt_misc/status 2>/dev/null && { echo emulated; return; }
  done
  echo native
}
mode=$(wine32_mode)
if [ "$mode" = none ] || [ "${BENCH_TWINS:-0}" = 1 ]; then
  why="32-bit Wine cannot run here"; [ "$mode" = none ] || why="BENCH_TWINS=1"
  echo "bench: $why: timing the 64-bit twins of the test build instead" \
       "of the shipped 32-bit setup (the size is still the shipped setup's)" | tee "$results/which.txt"
  arch=64 cc=x86_64-w64-mingw32-gcc app_a=$build/test-build/app tree_a=$build/test-build/payload/tree
  zip_a=$build/test-build/payload/payload.zip
  big_options=(-DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64-posix.cmake" -DPX_TEST_BUILD=ON)
else
  how="natively"; [ "$mode" = emulated ] && how="under qemu-i386's emulation (every time is inflated)"
  echo "bench: timing the shipped 32-bit setup; 32-bit Wine runs $how" | tee "$results/which.txt"
  arch=32 cc=i686-w64-mingw32-gcc app_a=$build/app tree_a=$build/payload/tree
  zip_a=$build/payload/payload.zip
  big_options=(-DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw32.cmake" -DPX_BUILD_TESTS=OFF)
fi
setup_a=$app_a/setup.exe
for f in "$setup_a" "$zip_a" "$tree_a/pixo32.exe"; do
  [ -e "$f" ] || { echo "bench: $f is missing; build first (scripts/build.sh)" >&2; exit 1; }
done

# --- programs the figures are compared with ---------------------------------
# Built for the machine of the setup they are compared with; the probe is a
# measuring tool and stays 64-bit.
log "anchor programs ($arch-bit)"
windres=${cc%gcc}windres
$cc -O2 -mwindows -o "$bench/bin/trivial.exe" "$src/bench/programs/trivial.c"
$windres "$src/bench/programs/minimal_dialog.rc" -O coff -o "$bench/bin/minimal_dialog.res.o"
$cc -O2 -mwindows -o "$bench/bin/minimal_dialog.exe" "$src/bench/programs/minimal_dialog.c" \
  "$bench/bin/minimal_dialog.res.o"
$windres --include-dir "$build/identity" "$src/bench/programs/minimal_wizard.rc" -O coff \
  -o "$bench/bin/minimal_wizard.res.o"
$cc -O2 -municode -mwindows -o "$bench/bin/minimal_wizard.exe" "$src/bench/programs/minimal_wizard.c" \
  "$bench/bin/minimal_wizard.res.o" -lcomctl32
x86_64-w64-mingw32-gcc -O2 -municode -o "$bench/bin/startup_probe.exe" "$src/bench/programs/startup_probe.c"

# --- setup (b): a generated payload of 320 MB in 2,435 files -----------------
# Its own build folder, configured as the shipped setup's but with
# PX_PAYLOAD_DIR, is kept and brought up to date on every run: the figures are
# those of the setup the sources build now. BENCH_REBUILD=1 starts it afresh.
payload_big=$bench/payload-big$arch
build_big=$bench/build-big$arch
rm -rf "$bench/big" "$bench/build-big" "$bench/payload-big"   # the layout of earlier versions
if [ ! -f "$payload_big.complete" ] || [ "${BENCH_REBUILD:-0}" = 1 ]; then
  log "generating payload (b)"
  rm -rf "$payload_big" "$payload_big.complete" "$build_big"
  $py "$src/bench/make_payload.py" "$tree_a" "$payload_big" --seed 1974
  touch "$payload_big.complete"
fi
log "building setup (b) ($arch-bit, in $build_big)"
if [ ! -f "$build_big/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build_big" "${big_options[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DPX_PAYLOAD_DIR="$payload_big" >/dev/null
fi
cmake --build "$build_big" --target setup -j2 >/dev/null
setup_b=$build_big/app/setup.exe
zip_b=$build_big/payload/payload.zip
mkdir -p "$bench/b"
relink "$app_a" "$bench/a/setup-fa512.exe" -Wl,--file-alignment=512
relink "$build_big/app" "$bench/b/setup-fa512.exe" -Wl,--file-alignment=512
relink "$build_big/app" "$bench/b/setup-symbols.exe" --symbols

# --- the peer: NSIS installers of the same files ----------------------------------
# (b) silent, for the throughput; (a) as a wizard, for the start-up; and the
# wizard without files, for the size. Each is made again only when its
# script or the archive changed.
log "NSIS installers ($(makensis -VERSION))"
mkdir -p "$bench/nsis"
nsis() {  # nsis NAME ZIP TREE [make_nsis options]
  local name=$1 zip=$2 tree=$3; shift 3
  local exe=$bench/nsis/$name.exe script=$bench/nsis/$name.nsi
  $py "$src/bench/make_nsis.py" "$zip" "$tree" "$exe" "$script.new" "$@"
  if [ -f "$exe" ] && cmp -s "$script" "$script.new" && [ "$exe" -nt "$zip" ]; then
    rm -f "$script.new"
  else
    mv "$script.new" "$script"
    nice makensis -V1 "$script"
  fi
}
nsis peer-b "$zip_b" "$payload_big"
nsis nsis_wizard "$zip_a" "$tree_a" --wizard
nsis nsis_wizard_empty "$zip_a" "$tree_a" --wizard --no-files
nsis_b=$bench/nsis/peer-b.exe

# --- the Wine prefix ---------------------------------------------------------------
export PX_WINE_ROOT=$build/wine PX_WINVER=10 PX_GROUP=bench
# The throughput runs on a desktop, as on every Windows machine. Wine starts
# its desktop process (explorer.exe /desktop) on demand: without a display,
# every program that loads user32 (both installers, not unzip) waits 0.1 to
# 0.2 s for that start to fail. A window kept open on an Xvfb display holds
# one desktop up for all runs. BENCH_DESKTOP=0 times without it.
desktop=${BENCH_DESKTOP:-1}
prefix=$(PX_GUI=$desktop PX_GROUP=bench-throughput "$src/cmake/wine-run.sh" --prefix-only)
gui_prefix=$(PX_GUI=1 "$src/cmake/wine-run.sh" --prefix-only)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb_pid= holder_pid=
cleanup() {
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$gui_prefix wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$bench/out" "$bench/out7" "$prefix/drive_c/Bench"
}
trap cleanup EXIT
if [ "$desktop" = 1 ]; then
  display=90
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  sleep 1
fi
# One server for all runs: every program then pays only its own start-up.
wineserver -k 2>/dev/null || true
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1
if [ "$desktop" = 1 ]; then
  wine "$bench/bin/minimal_dialog.exe" </dev/null >/dev/null 2>&1 &
  holder_pid=$!
  sleep 2
fi
temp_archive=$(ls -d "$prefix"/drive_c/users/*/Temp | grep -v /Public/ | head -n1)/pixog_x32.zip
cd "$bench"

# --- 1. install throughput -----------------------------------------------------------
# (a): hyperfine, the programs one after the other.
log "throughput, payload (a): $(stat -c %s "$zip_a") bytes of archive"
clean_setup="rm -rf '$prefix/drive_c/Bench'"
clean_out="rm -rf '$bench/out'"
hyperfine --runs "$runs" --warmup 1 --export-json "$results/throughput-a.json" \
  --prepare "$clean_setup" -n "setup /silent" "wine $setup_a /silent /folder=C:\\\\Bench\\\\a" \
  --prepare "$clean_setup" -n "setup /silent, file alignment 512" "wine $bench/a/setup-fa512.exe /silent /folder=C:\\\\Bench\\\\a" \
  --prepare "$clean_out" -n "unzip -o -q" "unzip -o -q $zip_a -d $bench/out" \
  --prepare "$clean_out" -n "7z x -y" "7z x -y -o$bench/out $zip_a" \
  --prepare "true" -n "wine trivial.exe" "wine $bench/bin/trivial.exe"
rm -rf "$bench/out" "$prefix/drive_c/Bench"

# (b): interleaved round by round with the peer and the anchors; the setup,
# NSIS and unzip each install afresh and then again over their own output.
# Each fresh run of a setup first removes the other setup's folder: an
# installation into another folder moves the registered one, and that move
# (deleting the other folder's files) is not what a fresh installation costs.
log "throughput, payload (b): $(stat -c %s "$zip_b") bytes of archive, beside NSIS"
drive=$prefix/drive_c
$py "$src/bench/interleave.py" "$results/throughput-b.json" "$runs" 1 \
  --tool setup "rm -rf '$drive/Bench/b' '$drive/Bench/fa'" "wine '$setup_b' /silent '/folder=C:\\Bench\\b'" 1 \
  --tool NSIS "rm -rf '$drive/Bench/nsis'" "wine '$nsis_b' /S '/D=C:\\Bench\\nsis'" 1 \
  --tool "unzip -o -q" "rm -rf '$bench/out'" "unzip -o -q '$zip_b' -d '$bench/out'" 1 \
  --tool "setup, file alignment 512" "rm -rf '$drive/Bench/fa' '$drive/Bench/b'" \
    "wine '$bench/b/setup-fa512.exe' /silent '/folder=C:\\Bench\\fa'" 0 \
  --tool "7z x -y" "rm -rf '$bench/out7'" "7z x -y '-o$bench/out7' '$zip_b'" 0 \
  --tool "wine trivial.exe" true "wine '$bench/bin/trivial.exe'" 0
rm -rf "$bench/out" "$bench/out7" "$drive/Bench"

# --- 2. memory, and where the time goes ---------------------------------------------
for payload in a b; do
  if [ $payload = a ]; then zip=$zip_a setup=$setup_a fa=$bench/a/setup-fa512.exe
  else zip=$zip_b setup=$setup_b fa=$bench/b/setup-fa512.exe; fi
  log "memory and phases, payload ($payload)"
  variants="setup fa"; [ $payload = b ] && variants="setup fa update"
  for variant in $variants; do
    exe=$setup; [ $variant = fa ] && exe=$fa
    out=$results/watch-$payload-$variant.jsonl
    : >"$out"
    # An update runs over the installation the first run leaves.
    [ $variant = update ] && { rm -rf "$drive/Bench"; wine "$exe" /silent "/folder=C:\\Bench\\$payload"; }
    for _ in $(seq 1 "$runs"); do
      [ $variant = update ] || rm -rf "$drive/Bench"
      sync
      PAYLOAD_BYTES=$(stat -c %s "$zip") $py "$src/bench/watch_install.py" "$temp_archive" \
        "$drive/Bench/$payload" -- wine "$exe" /silent "/folder=C:\\Bench\\$payload" >>"$out"
    done
    tail -n1 "$out"
  done
  rm -rf "$drive/Bench"
done
out=$results/watch-trivial.jsonl
: >"$out"
for _ in $(seq 1 "$runs"); do
  $py "$src/bench/watch_install.py" /nonexistent /nonexistent -- wine "$bench/bin/trivial.exe" >>"$out"
done

# --- 3. start-up to the first wizard page painted --------------------------------------
log "start-up under Xvfb"
cat >"$bench/startup.sh" <<EOF
export WINEPREFIX=$gui_prefix WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1
for i in \$(seq 0 $((runs * 3))); do
  for program in "$setup_a" "$bench/bin/minimal_dialog.exe" "$bench/bin/minimal_wizard.exe" \
                 "$bench/nsis/nsis_wizard.exe"; do
    ms=\$(wine "$bench/bin/startup_probe.exe" "\$(winepath -w "\$program")" </dev/null 2>/dev/null | tr -d '\r')
    [ "\$i" -gt 0 ] && echo "\$(basename "\$program") \$ms"
  done
done
wineserver -k
EOF
xvfb-run -a -s "-screen 0 1024x768x24" bash "$bench/startup.sh" >"$results/startup.txt"
cat "$results/startup.txt"

# --- 4. size of the shipped setup without its payload, and of the peer -------------------
log "size of the shipped 32-bit setup and of the NSIS installer"
mkdir -p "$bench/size"
relink "$build/app" "$bench/size/setup.exe" "-Wl,-Map=$bench/size/setup.map"
relink "$build/app" "$bench/size/setup-fa512.exe" -Wl,--file-alignment=512
$py "$src/bench/pe_size.py" "$shipped" --json >"$results/size.json"
$py "$src/bench/pe_size.py" "$bench/size/setup-fa512.exe" --json >"$results/size-fa512.json"
for name in nsis_wizard_empty nsis_wizard peer-b; do
  $py "$src/bench/pe_size.py" "$bench/nsis/$name.exe" --json >"$results/size-$name.json"
done
$py "$src/bench/pe_size.py" "$shipped"
$py "$src/bench/map_sizes.py" "$bench/size/setup.map" | tee "$results/size-by-library.txt"

# --- 5. profile of the large installation, fresh and as an update ------------------------
# The same link as setup (b) with its symbol table kept, which names the
# functions; the layout of the image is the same.
if command -v perf >/dev/null && perf record -o /dev/null -- true >/dev/null 2>&1; then
  for kind in fresh update; do
    log "profile of setup (b), $kind"
    [ $kind = fresh ] && rm -rf "$drive/Bench"
    WINEPREFIX=$prefix perf record -F 999 -g -o "$bench/perf.data" -- wine "$bench/b/setup-symbols.exe" /silent \
      '/folder=C:\Bench\b' >/dev/null 2>&1
    $py "$src/bench/profile_report.py" "$bench/perf.data" "$bench/b/setup-symbols.exe" 20 |
      tee "$results/profile-$kind.txt"
  done
  rm -rf "$drive/Bench" "$bench/perf.data" "$bench/perf.data.old"
else
  echo "perf not usable here: no profile" | tee "$results/profile-fresh.txt" "$results/profile-update.txt"
fi

# --- the table ------------------------------------------------------------------------------
log "results"
$py "$src/bench/report.py" "$results" "$runs" | tee "$bench/results.md"
