#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine if needed, builds everything and runs all tests.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
BUILD_DIR=$build bash "$here/scripts/build.sh"
cd "$build"
# GUI tests need an X server: run the whole suite inside one Xvfb.
exec xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j2 --timeout 900 "$@"
