#!/usr/bin/env bash
# Configures and builds the setup (and the test programs) in BUILD_DIR (default: ./build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
bash "$here/scripts/bootstrap.sh"
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "build: $build/app/setup.exe ($(stat -c %s "$build/app/setup.exe") bytes)"
