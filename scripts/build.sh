#!/usr/bin/env bash
# Configures and builds the setup (and the test programs) in BUILD_DIR (default: ./build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
bash "$here/scripts/bootstrap.sh"
configured=$(cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" \
                  -DCMAKE_BUILD_TYPE=Release "$@")
# What went into the setup: the viewer's files, version and publisher, signed
# or not, the web site the links open and the download address, one line each.
grep -E '^-- (Viewer files|Version|Signing|Product web site|Download address)' <<<"$configured" | sed 's/^-- /build: /' || true
cmake --build "$build" -j"$(nproc)"
echo "build: $build/app/setup.exe ($(stat -c %s "$build/app/setup.exe") bytes)"
echo "sha256: $(sha256sum "$build/app/setup.exe" | cut -d' ' -f1)"
