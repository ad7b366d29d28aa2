#!/usr/bin/env bash
# A maintainer's release, as the README tells it: the sources with the version
# raised in CMakeLists.txt alone, built (tests off) around their own viewer
# folder, signed. The folder differs from the stand-ins by a file in a new
# subfolder, a file left out, a changed pixo32.exe and a stale uninstaller.
#  - a folder whose pixo32.exe is no program stops the build, naming it;
#  - every program and library inside the signed setup verifies;
#  - the manifest names the new version and the setup's hash;
#  - under Wine the shipped setup installs the folder's files with the new
#    version (uninstall entry, link name), and the uninstaller it carries
#    leaves the registry and drive C: as they were.
# Usage: viewer_folder_test.sh CHECK_DIR
check_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
next="${PX_VERSION%.*}.$(( ${PX_VERSION#*.} + 1 ))"
src=$check_dir/sources build=$check_dir/build

# --- the sources, the version raised in the one place
rm -rf "$check_dir" && mkdir -p "$src"
(cd "$PX_SOURCE_DIR" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) |
  tar -C "$src" -xf -
sed -i "s/^project(PixolumSetup VERSION [0-9.]*/project(PixolumSetup VERSION $next/" "$src/CMakeLists.txt"
px_check "version $next set in CMakeLists.txt" grep -q "^project(PixolumSetup VERSION $next " "$src/CMakeLists.txt"

# --- the maintainer's viewer folder: the stand-ins' files, changed
viewer=$check_dir/viewer
cp -r "$PX_BUILD_DIR/payload/tree" "$viewer"
mkdir -p "$viewer/Extras/Filter"
printf 'Filter der Ausgabe %s\r\n' "$next" >"$viewer/Extras/Filter/liesmich.txt"
printf '<html><body>Neu in %s</body></html>\r\n' "$next" >"$viewer/Html/neu${next//./}.htm"
rm "$viewer/Html/ansicht.htm"
head -c 64 /dev/zero >>"$viewer/pixo32.exe"
cp "$PX_BUILD_DIR/payload/bin/px_uninstall.exe" "$viewer/px_uninstall.exe"  # this build's, with its list

configure() {  # configure FOLDER [ARGS...]
  local folder=$1; shift
  cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DPX_BUILD_TESTS=OFF -DPX_PAYLOAD_DIR="$folder" "$@" >configure.txt 2>&1
}

# --- a folder whose pixo32.exe is not a program
cp -r "$viewer" bad && echo 'not a program' >bad/pixo32.exe
configure "$work/bad" -DPX_SITE=https://erst.example
cmake --build "$build" --target px_payload_entries >bad.txt 2>&1; rc=$?
px_check "a pixo32.exe that is no program stops the build" test "$rc" != 0
px_check "... naming the file" grep -q '^  pixo32.exe: not a Windows program' bad.txt

# --- a throw-away code-signing certificate, then the release build
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Pixolum Test CA' \
  -addext 'basicConstraints=critical,CA:TRUE' -addext 'keyUsage=critical,keyCertSign' 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj '/CN=Test Signer' 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext.cnf
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile ext.cnf \
  -out signer.pem 2>/dev/null
# the manifest folder an earlier version's build left
mkdir -p "$build/publish/manifests/o/Alt/Pixolum/$PX_VERSION" && touch "$build/publish/manifests/o/Alt/Pixolum/$PX_VERSION/alt.yaml"
start=$(date +%s)
configure "$viewer" -DPX_SIGN_CERT="$work/signer.pem" -DPX_SIGN_KEY="$work/signer.key" \
          -DPX_SITE=https://dann.example
px_check "the download address follows the new site" \
  grep -qF -- "-- Download address: https://dann.example/download/setup.exe" configure.txt
px_check "the summary names the folder and that its uninstaller is replaced" \
  grep -qF -- "-- Viewer files: $viewer (its px_uninstall.exe is replaced by the one built here)" configure.txt
px_check "the summary names version $next and the publisher" \
  grep -qF -- "-- Version: $next, publisher: $PX_PUBLISHER" configure.txt
cmake --build "$build" -j2 >build.txt 2>&1 || tail -n 30 build.txt
echo "release build: $(($(date +%s) - start)) s"
setup=$build/app/setup.exe
px_check "setup.exe built" test -f "$setup"

# --- what the signed setup carries
mkdir inner
/usr/bin/python3 "$here/unpack_setup.py" "$setup" inner
pe=0 verified=0
while IFS= read -r -d '' f; do
  [ "$(head -c 2 "$f")" = MZ ] || continue
  pe=$((pe + 1))
  osslsigncode verify -CAfile ca.pem -in "$f" 2>&1 | grep -q 'Signature verification: ok' && verified=$((verified + 1))
done < <(find inner -type f -print0)
px_check "every program and library in the setup is signed ($verified of $pe verify)" test "$pe" -ge 4 -a "$verified" = "$pe"
px_check "setup.exe verifies" bash -c "osslsigncode verify -CAfile ca.pem -in '$setup' | grep -q 'Signature verification: ok'"
px_check "the folder itself is left unsigned" bash -c "! osslsigncode verify -in '$viewer/pixo32.exe' >/dev/null 2>&1"
px_check "the new file and page are packed, the left-out page is not" \
  bash -c "test -f inner/Extras/Filter/liesmich.txt -a -f 'inner/Html/neu${next//./}.htm' -a ! -e inner/Html/ansicht.htm"

# --- the manifest
manifest=$(ls -d "$build"/publish/manifests/*/*/Pixolum/* 2>/dev/null)
px_check "one manifest folder, version $next (the earlier one removed)" test "$(basename "$manifest")" = "$next"
hash=$(sha256sum "$setup" | cut -d' ' -f1)
installer_yaml=$(cat "$manifest"/*.installer.yaml 2>/dev/null)
px_check "the manifest names version $next" grep -qx "PackageVersion: \"$next\"" <<<"$installer_yaml"
px_check "the manifest names the setup's hash" grep -qiE "^ *InstallerSha256: \"?$hash\"?$" <<<"$installer_yaml"

# --- installed and removed under Wine
snapshot() { wineserver -w; /usr/bin/python3 "$here/../uninstall/snapshot.py" take "$WINEPREFIX" "$work/$1"; }
wine reg add 'HKLM\Software\RegisteredApplications' /f /reg:32 </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\RegisteredApplications' /f /reg:64 </dev/null >/dev/null 2>&1
snapshot before
px_wine "$setup" /silent /group=1 '/folder=C:\Eigener Betrachter'; rc=$?
px_check "the setup installs (exit code $rc)" test "$rc" = 0
installed=$(px_unix_path 'C:\Eigener Betrachter')
key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
px_check "DisplayVersion $next" test "$(px_reg_value "$key" DisplayVersion)" = "$next"
px_check "Publisher $PX_PUBLISHER" test "$(px_reg_value "$key" Publisher)" = "$PX_PUBLISHER"
links=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Pixolum/*' -name '*.lnk' -printf '%f\n')
px_check "the link \"Pixolum $next\"" grep -qx "Pixolum $next.lnk" <<<"$links"
same=0 files=0
while IFS= read -r -d '' f; do
  files=$((files + 1)); cmp -s "inner/$f" "$installed/$f" && same=$((same + 1))
done < <(cd inner && find . -type f -print0)
px_check "the packed files installed byte for byte ($same of $files)" test "$same" = "$files" -a "$files" -gt 30
px_check "the installed uninstaller is the one built here" cmp -s inner/px_uninstall.exe "$installed/px_uninstall.exe"
px_wine 'C:\Eigener Betrachter\px_uninstall.exe' /silent /removesettings; rc=$?
px_check "the uninstaller: exit code $rc" test "$rc" = 0
px_check "the install folder is gone" test ! -e "$installed"
snapshot after
px_check "registry and drive C: as before the setup" \
  /usr/bin/python3 "$here/../uninstall/snapshot.py" compare "$work/before" "$work/after"
px_done
