#!/usr/bin/env bash
# Benchmarks of the setup: install throughput, memory, start-up and size,
# each against its anchor, measured side by side in one run. Reports figures
# (bench/README.md explains them); it fails only when a run goes wrong.
#
#   bash bench/run.sh [BUILD_DIR]      (default: build; built with scripts/build.sh)
#
# BENCH_RUNS (default 5) sets the runs per figure; the median is reported.
# Needs hyperfine, unzip, 7z, xvfb-run, perf (for the profile; skipped
# without it) and about 2 GB of free disk for the generated payload.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
PATH="$src/scripts/wine-bin:$PATH"
build=$(cd "${1:-$src/build}" && pwd)
runs=${BENCH_RUNS:-5}
bench=$build/bench
results=$bench/results
py=/usr/bin/python3
mkdir -p "$bench/bin" "$bench/a" "$bench/big" "$results"

shipped=$build/app/setup.exe
twin=$build/test-build/app/setup.exe
zip_a=$build/test-build/payload/payload.zip
for f in "$shipped" "$twin" "$zip_a" "$build/test-build/payload/tree/pixo32.exe"; do
  [ -e "$f" ] || { echo "bench: $f is missing; build first (scripts/build.sh)" >&2; exit 1; }
done
for tool in hyperfine unzip 7z xvfb-run x86_64-w64-mingw32-gcc; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing" >&2; exit 1; }
done
log() { printf '\n== %s\n' "$*"; }

# Relinks an executable of a CMake build folder with extra linker options.
relink() {  # relink BUILD_APP_DIR OUTPUT OPTIONS...
  local dir=$1 out=$2; shift 2
  local command
  command=$(tail -n1 "$dir/CMakeFiles/setup.dir/link.txt")
  command=${command/ -o setup.exe / -o $out $* }
  command=${command/-Wl,--out-implib,libsetup.dll.a/}
  (cd "$dir" && eval "$command")
}

# --- programs the figures are compared with ---------------------------------
log "anchor programs"
gcc=x86_64-w64-mingw32-gcc
$gcc -O2 -mwindows -o "$bench/bin/trivial.exe" "$src/bench/programs/trivial.c"
x86_64-w64-mingw32-windres "$src/bench/programs/minimal_dialog.rc" -O coff -o "$bench/bin/minimal_dialog.res.o"
$gcc -O2 -mwindows -o "$bench/bin/minimal_dialog.exe" "$src/bench/programs/minimal_dialog.c" \
  "$bench/bin/minimal_dialog.res.o"
x86_64-w64-mingw32-windres --include-dir "$src/resources" "$src/bench/programs/minimal_wizard.rc" -O coff \
  -o "$bench/bin/minimal_wizard.res.o"
$gcc -O2 -municode -mwindows -o "$bench/bin/minimal_wizard.exe" "$src/bench/programs/minimal_wizard.c" \
  "$bench/bin/minimal_wizard.res.o" -lcomctl32
$gcc -O2 -municode -o "$bench/bin/startup_probe.exe" "$src/bench/programs/startup_probe.c"

# --- setup (b): a generated payload of 320 MB in 2,435 files -----------------
# Built once (about two minutes) in its own build folder with PX_PAYLOAD_DIR;
# only the setup and its archive are kept. BENCH_REBUILD=1 builds again.
if [ ! -f "$bench/big/setup.exe" ] || [ "${BENCH_REBUILD:-0}" = 1 ]; then
  log "generating payload (b) and building its setup (64-bit twin)"
  rm -rf "$bench/payload-big" "$bench/build-big"
  $py "$src/bench/make_payload.py" "$build/test-build/payload/tree" "$bench/payload-big" --seed 1974
  cmake -S "$src" -B "$bench/build-big" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64-posix.cmake" \
    -DPX_TEST_BUILD=ON -DCMAKE_BUILD_TYPE=Release -DPX_PAYLOAD_DIR="$bench/payload-big" >/dev/null
  cmake --build "$bench/build-big" --target setup -j2 >/dev/null
  cp "$bench/build-big/app/setup.exe" "$bench/build-big/payload/payload.zip" "$bench/big/"
  relink "$bench/build-big/app" "$bench/big/setup-fa512.exe" -Wl,--file-alignment=512
  rm -rf "$bench/payload-big" "$bench/build-big"
fi
zip_b=$bench/big/payload.zip
relink "$build/test-build/app" "$bench/a/setup-fa512.exe" -Wl,--file-alignment=512

# --- the Wine prefix ---------------------------------------------------------------
export PX_WINE_ROOT=$build/wine PX_WINVER=10 PX_GROUP=bench
prefix=$(PX_GUI=0 "$src/cmake/wine-run.sh" --prefix-only)
gui_prefix=$(PX_GUI=1 "$src/cmake/wine-run.sh" --prefix-only)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$gui_prefix wineserver -k 2>/dev/null || true
  rm -rf "$bench/out" "$prefix/drive_c/Bench"
}
trap cleanup EXIT
# One server for all runs: every program then pays only its own start-up.
wineserver -k 2>/dev/null || true
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1
temp_archive=$(ls -d "$prefix"/drive_c/users/*/Temp | grep -v /Public/ | head -n1)/pixog_x32.zip
cd "$bench"

# --- 1. install throughput -----------------------------------------------------------
for payload in a b; do
  if [ $payload = a ]; then zip=$zip_a setup=$twin fa=$bench/a/setup-fa512.exe
  else zip=$zip_b setup=$bench/big/setup.exe fa=$bench/big/setup-fa512.exe; fi
  log "throughput, payload ($payload): $(stat -c %s "$zip") bytes of archive"
  clean_setup="rm -rf '$prefix/drive_c/Bench'"
  clean_out="rm -rf '$bench/out'"
  hyperfine --runs "$runs" --warmup 1 --export-json "$results/throughput-$payload.json" \
    --prepare "$clean_setup" -n "setup /silent" "wine $setup /silent /folder=C:\\\\Bench\\\\$payload" \
    --prepare "$clean_setup" -n "setup /silent, file alignment 512" "wine $fa /silent /folder=C:\\\\Bench\\\\$payload" \
    --prepare "$clean_out" -n "unzip -o -q" "unzip -o -q $zip -d $bench/out" \
    --prepare "$clean_out" -n "7z x -y" "7z x -y -o$bench/out $zip" \
    --prepare "true" -n "wine trivial.exe" "wine $bench/bin/trivial.exe"
  rm -rf "$bench/out" "$prefix/drive_c/Bench"

  # --- 2. memory, and where the time goes ---------------------------------------------
  log "memory and phases, payload ($payload)"
  for variant in setup fa; do
    exe=$setup; [ $variant = fa ] && exe=$fa
    out=$results/watch-$payload-$variant.jsonl
    : >"$out"
    for _ in $(seq 1 "$runs"); do
      rm -rf "$prefix/drive_c/Bench"
      PAYLOAD_BYTES=$(stat -c %s "$zip") $py "$src/bench/watch_install.py" "$temp_archive" \
        "$prefix/drive_c/Bench/$payload" -- wine "$exe" /silent "/folder=C:\\Bench\\$payload" >>"$out"
    done
    tail -n1 "$out"
  done
  rm -rf "$prefix/drive_c/Bench"
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
  for program in "$twin" "$bench/bin/minimal_dialog.exe" "$bench/bin/minimal_wizard.exe"; do
    ms=\$(wine "$bench/bin/startup_probe.exe" "\$(winepath -w "\$program")" </dev/null 2>/dev/null | tr -d '\r')
    [ "\$i" -gt 0 ] && echo "\$(basename "\$program") \$ms"
  done
done
wineserver -k
EOF
xvfb-run -a -s "-screen 0 1024x768x24" bash "$bench/startup.sh" >"$results/startup.txt"
cat "$results/startup.txt"

# --- 4. size of the shipped setup without its payload ------------------------------------
log "size of the shipped 32-bit setup"
mkdir -p "$bench/size"
relink "$build/app" "$bench/size/setup.exe" "-Wl,-Map=$bench/size/setup.map"
relink "$build/app" "$bench/size/setup-fa512.exe" -Wl,--file-alignment=512
$py "$src/bench/pe_size.py" "$shipped" --json >"$results/size.json"
$py "$src/bench/pe_size.py" "$bench/size/setup-fa512.exe" --json >"$results/size-fa512.json"
$py "$src/bench/pe_size.py" "$shipped"
$py "$src/bench/map_sizes.py" "$bench/size/setup.map" | tee "$results/size-by-library.txt"

# --- 5. profile of the large installation --------------------------------------------------
if command -v perf >/dev/null && perf record -o /dev/null -- true >/dev/null 2>&1; then
  log "profile of setup (b)"
  rm -rf "$prefix/drive_c/Bench"
  perf record -F 999 -g -o "$bench/perf.data" -- wine "$bench/big/setup.exe" /silent \
    '/folder=C:\Bench\b' >/dev/null 2>&1
  $py "$src/bench/profile_report.py" "$bench/perf.data" "$bench/big/setup.exe" 20 |
    tee "$results/profile.txt"
  rm -rf "$prefix/drive_c/Bench" "$bench/perf.data"
else
  echo "perf not usable here: no profile" | tee "$results/profile.txt"
fi

# --- the table ------------------------------------------------------------------------------
log "results"
$py "$src/bench/report.py" "$results" "$runs" | tee "$bench/results.md"
