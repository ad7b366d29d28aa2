#!/usr/bin/env bash
# Runs the DiskFull tests of engine_extraction_tests with a 256 KiB tmpfs
# mapped into the Wine prefix as drive Q:. Mounting needs root; elsewhere the
# test reports itself skipped (exit code 77).
#   disk_full_test.sh <engine_extraction_tests.exe>
source "$PX_SOURCE_DIR/tests/lib/wine.sh"
exe=$1
mnt=$(mktemp -d)
if ! mount -t tmpfs -o size=256k tmpfs "$mnt" 2>/dev/null; then
  rmdir "$mnt"
  echo "skipped: cannot mount a tmpfs here"
  exit 77
fi
cleanup() {
  wineserver -k 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/q:"
  umount "$mnt" && rmdir "$mnt"
}
trap cleanup EXIT
ln -sfn "$mnt" "$WINEPREFIX/dosdevices/q:"
PX_FULL_DRIVE=Q: px_wine "$exe" --gtest_brief=1 --gtest_filter='DiskFull.*'
rc=$?
[ $rc -eq 0 ] || exit $rc
# A skip inside the program would hide a broken mapping.
PX_FULL_DRIVE=Q: px_wine "$exe" --gtest_filter='DiskFull.*' | grep -q "SKIPPED" && { echo "drive Q: not used"; exit 1; }
exit 0
