#!/usr/bin/env bash
# Faults through the real setup (64-bit twin) under Wine: a read-only target
# folder, a target file held open by another process, a full disk, an
# unwritable temporary folder, target paths too long for the archive, and
# folder names with umlauts and CJK characters. Each fault gives its outcome
# (exit code, log entry, files); a rerun after the fault is removed installs
# completely. Read-only folders are read-only bind mounts and the full disk
# is a small tmpfs mapped as drive Q: (mounting needs root; without it those
# cases are reported as skipped).
# Usage: setup_faults_test.sh SETUP_EXE PAYLOAD_ZIP FILE_HOLDER_EXE
setup=$1 archive=$2 holder=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
# Wine reads the program's arguments in the locale's character set.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
mounts=()
holder_pid=
cleanup() {
  [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -f "$WINEPREFIX/dosdevices/q:"
  [ -n "${disk:-}" ] && rmdir "$disk" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"   # the folder current at start: the install log lands here

drive_c=$WINEPREFIX/drive_c
log=$work/Pixolum_Install.log
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
can_mount=0
probe=$(mktemp -d)
if mount -t tmpfs -o size=64k tmpfs "$probe" 2>/dev/null; then umount "$probe"; can_mount=1; fi
rmdir "$probe"

unix_of() { winepath -u "$1" 2>/dev/null; }
complete() { /usr/bin/python3 "$here/../e2e/compare_tree.py" "$archive" "$1" >/dev/null; }
log_entries() {
  if [ -f "$log" ]; then grep -c '^-\{48\}'$'\r''$' "$log"; else echo 0; fi
}
# The first line of the last log entry, as UTF-8 (the log is Latin-1).
last_entry() { iconv -f latin1 -t utf-8 "$log" | tr -d '\r' | grep -v '^-\{48\}$' | grep ' - [0-9:]*: ' | tail -n1 | sed 's/^.* - [0-9:]*: //'; }
# The uninstall entry's InstallLocation, exported by reg.exe as UTF-16 so
# that umlauts and CJK characters arrive unchanged.
install_location() {
  local f=$work/uninstall.reg
  rm -f "$f"
  wine reg export "$uninstall_key" "$(winepath -w "$f")" /y </dev/null >/dev/null 2>&1 || return 0
  iconv -f UTF-16LE -t UTF-8 "$f" | tr -d '\r' |
    sed -n 's/^"InstallLocation"="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g'
}
no_payload_file_in() { [ -z "$(find "$1" -type f 2>/dev/null)" ]; }
no_temp_archive() { [ -z "$(find "$drive_c" -name pixog_x32.zip 2>/dev/null)" ]; }
failed_message='Fehler beim Installieren!'
invalid_message='Ungültiges Zielverzeichnis!'

# Folders are given without a trailing backslash: callers that quote an
# argument with blanks (Wine's launcher among them) double a backslash before
# the closing quote, and the setup takes the command line as it is.

# A failure: exit code 1, one new log entry with the given first line, no
# temporary archive left, and no registration for the folder.
expect_failure() {
  local what=$1 rc=$2 entries_before=$3 first_line=$4 folder=$5
  px_check "$what: exit code 1" test "$rc" = 1
  px_check "$what: one new log entry" test "$(log_entries)" = $((entries_before + 1))
  px_check "$what: the entry reads '$first_line'" test "$(last_entry)" = "$first_line"
  px_check "$what: temporary archive removed" no_temp_archive
  if [ -n "$folder" ]; then
    px_check "$what: no uninstall entry for the folder" test "$(install_location)" != "$folder"
  fi
}

# A rerun: exit code 0, no log entry, every file, registered.
expect_installed() {
  local what=$1 rc=$2 entries_before=$3 folder=$4
  px_check "$what: exit code 0" test "$rc" = 0
  px_check "$what: no log entry" test "$(log_entries)" = "$entries_before"
  px_check "$what: every file of the payload in place" complete "$(unix_of "$folder")"
  px_check "$what: uninstall entry names the folder" test "$(install_location)" = "$folder"
  px_check "$what: temporary archive removed" no_temp_archive
}

# --- a read-only target folder ---------------------------------------------
if [ $can_mount = 1 ]; then
  folder='C:\Nur Lesen'
  dir=$(unix_of "$folder"); mkdir -p "$dir"
  mount --bind "$dir" "$dir" && mounts+=("$dir") && mount -o remount,ro,bind "$dir"
  n=$(log_entries)
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  expect_failure "read-only target" "$rc" "$n" "$folder\\: $failed_message" "$folder\\"
  px_check "read-only target: no file written" no_payload_file_in "$dir"
  umount "$dir"
  n=$(log_entries)
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  expect_installed "read-only target removed, rerun" "$rc" "$n" "$folder\\"
else
  echo "skip - read-only target (cannot mount here)"
fi

# --- a target file held open by another process ------------------------------
folder='C:\Gesperrt\'
dir=$(unix_of "$folder")
px_wine "$setup" /silent "/folder=$folder" /assoc=1 >/dev/null
printf 'alte Fassung' >"$dir/pixo32.exe"
printf 'verändert' >"$dir/p_about.txt"
tree_state() { (cd "$dir" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
reg_state() { wine reg export 'HKLM\Software\Classes' "$(winepath -w "$work/$1.reg")" /y </dev/null >/dev/null 2>&1;
              wine reg export "$uninstall_key" "$(winepath -w "$work/$1-u.reg")" /y </dev/null >/dev/null 2>&1; }
files_before=$(tree_state); reg_state reg-before
rm -f "$drive_c/holder.ready" "$drive_c/holder.release"
wine "$holder" "${folder}pixo32.exe" 'C:\holder.ready' 'C:\holder.release' </dev/null >/dev/null 2>&1 &
holder_pid=$!
for _ in $(seq 1 150); do [ -e "$drive_c/holder.ready" ] && break; sleep 0.1; done
px_check "held file: the holder has the file open" test -e "$drive_c/holder.ready"
n=$(log_entries)
px_wine "$setup" /silent "/folder=$folder"; rc=$?
# Installed before: its uninstall entry stays.
expect_failure "held file" "$rc" "$n" "$folder: $failed_message" ""
px_check "held file: the earlier installation is byte for byte as it was" test "$(tree_state)" = "$files_before"
reg_state reg-after
px_check "held file: its registration and uninstall entry unchanged" \
  bash -c 'cmp -s "$1/reg-before.reg" "$1/reg-after.reg" && cmp -s "$1/reg-before-u.reg" "$1/reg-after-u.reg"' _ "$work"
px_check "held file: the log names the file and the Windows error" \
  bash -c 'iconv -f latin1 -t utf-8 "$1" | tr -d "\r" | grep -q "^C:\\\\Gesperrt\\\\pixo32.exe: ."' _ "$log"
touch "$drive_c/holder.release"
wait "$holder_pid"; holder_pid=
n=$(log_entries)
px_wine "$setup" /silent "/folder=$folder"; rc=$?
expect_installed "held file released, rerun" "$rc" "$n" "$folder"

# --- a full disk ---------------------------------------------------------------
if [ $can_mount = 1 ]; then
  disk=$(mktemp -d)
  mount -t tmpfs -o size=256k tmpfs "$disk" && mounts+=("$disk")
  ln -sfn "$disk" "$WINEPREFIX/dosdevices/q:"
  folder='Q:\Pixolum'
  n=$(log_entries)
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  expect_failure "full disk" "$rc" "$n" "$folder\\: $failed_message" "$folder\\"
  px_check "full disk: a fresh installation leaves nothing behind" test ! -e "$disk/Pixolum"
  mount -o remount,size=64m "$disk"
  n=$(log_entries)
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  expect_installed "disk enlarged, rerun" "$rc" "$n" "$folder\\"
else
  echo "skip - full disk (cannot mount here)"
fi

# --- an unwritable temporary folder ----------------------------------------------
# The payload never passes through the temporary folder: a read-only one
# changes nothing. Wine takes TEMP and TMP from the prefix's registry: set
# them for the one process through cmd.
setup_win=$(winepath -w "$setup")
if [ $can_mount = 1 ]; then
  temp_ro=$drive_c/TempNurLesen; mkdir -p "$temp_ro"
  mount --bind "$temp_ro" "$temp_ro" && mounts+=("$temp_ro") && mount -o remount,ro,bind "$temp_ro"
  folder='C:\TempTest'
  n=$(log_entries)
  px_wine cmd /c "set TMP=C:\\TempNurLesen&& set TEMP=C:\\TempNurLesen&& $setup_win /silent /folder=$folder"; rc=$?
  expect_installed "unwritable temporary folder" "$rc" "$n" "$folder\\"
  px_check "unwritable temporary folder: left empty" test -z "$(ls -A "$temp_ro")"
else
  echo "skip - unwritable temporary folder (cannot mount here)"
fi

# --- target paths of 258, 259 and 260 characters ---------------------------------
# A switch value holds at most 260 - 8 = 252 characters, and the driver
# refuses a folder whose longest command would not fit in 259 characters.
long_path() {  # long_path N: "C:\Lang\vvv...\vvv..." of exactly N characters
  local p='C:\Lang' level
  level=$(printf 'v%.0s' $(seq 1 40))
  while [ ${#p} -lt "$1" ]; do p="$p\\$level"; done
  p=${p:0:$1}
  [ "${p: -1}" = '\' ] && p="${p:0:$(($1 - 1))}w"
  printf '%s' "$p"
}
for length in 258 259 260; do
  folder=$(long_path "$length")
  n=$(log_entries)
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  px_check "target of $length characters: exit code 1" test "$rc" = 1
  px_check "target of $length characters: one new log entry" test "$(log_entries)" = $((n + 1))
  px_check "target of $length characters: refused as invalid, cut at 252 characters" \
    test "$(last_entry)" = "$invalid_message: ${folder:0:252}"
  px_check "target of $length characters: nothing created" test ! -e "$drive_c/Lang"
done
# The longest folder the setup accepts: with its backslash, the archive's
# deepest entry still fits below it in 259 characters.
deepest=$(/usr/bin/python3 -c 'import sys, zipfile; print(max(len(n) for n in zipfile.ZipFile(sys.argv[1]).namelist()))' "$archive")
accepted=$((258 - deepest))
folder=$(long_path $accepted)
n=$(log_entries)
px_wine "$setup" /silent "/folder=$folder"; rc=$?
expect_installed "target of $accepted characters" "$rc" "$n" "$folder\\"
folder="$(long_path $((accepted + 1)))"
n=$(log_entries)
px_wine "$setup" /silent "/folder=$folder"; rc=$?
px_check "target of $((accepted + 1)) characters: exit code 1" test "$rc" = 1
px_check "target of $((accepted + 1)) characters: refused as invalid" test "$(last_entry)" = "$invalid_message: $folder"

# --- folder names with umlauts and CJK characters -----------------------------------
for folder in 'C:\Prüfung Äöü ß\Zielordner' 'C:\测试\图片查看器 𠀀'; do
  for run in first second; do
    n=$(log_entries)
    px_wine "$setup" /silent "/folder=$folder"; rc=$?
    expect_installed "$folder, $run run" "$rc" "$n" "$folder\\"
    px_check "$folder, $run run: settings file in the program folder" \
      test -s "$(unix_of "$folder\\pixo32.ini")"
  done
done

px_done
