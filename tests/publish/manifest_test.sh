#!/usr/bin/env bash
# The package manager's manifest of the build: valid against the schemas, the
# hash of the setup.exe built, and the uninstall entry it names is the one a
# silent installation of that setup.exe (the shipped 32-bit program) writes.
# Usage: manifest_test.sh SETUP_EXE MANIFEST_FOLDER SCHEMA_FOLDER
setup=$1 manifests=$2 schemas=$3
source "$(dirname "$0")/../lib/wine.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

px_wine "$setup" /silent '/folder=C:\Paketmanager Test'; rc=$?
px_check "the silent installation succeeds" test "$rc" = 0
# The 32-bit setup writes the 32-bit registry view.
key='Pixolum'
path="HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key"
{
  echo "key=$key"
  for v in DisplayName Publisher DisplayVersion InstallLocation QuietUninstallString; do
    echo "$v=$(px_reg_value "$path" "$v")"
  done
} >values.txt
px_check "manifest checks" /usr/bin/python3 "$(dirname "$0")/check_manifest.py" \
  "$manifests" "$schemas" "$setup" values.txt
px_done
