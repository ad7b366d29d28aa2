#!/usr/bin/env bash
# Nothing the user had is lost, even when a run is cut off: the shipped
# 32-bit setup with a payload large enough to be cut in the middle (the
# shipped payload and 300 data files of 50-200 KB; an update with a third of
# them and the text files changed). A cut kills every process of the prefix,
# the server included, as a power cut would; its moment is drawn from a
# seeded generator within the phase it is meant for (measured on uncut runs),
# and the journal left behind shows where it fell (a cut outside is drawn
# again, and counted). In one prefix:
#  1. a file named "Pixolum" where the Start-menu group goes: exit code 1
#     and nothing installed;
#  2. two setups started together, then a setup with the uninstaller:
#     a whole installation or none, as the exit codes say;
#  3. four updates: the install record keeps its size;
#  4. fresh installations cut during extraction and registration, run again:
#     whole, nothing left over;
#  5. updates cut during extraction and registration, then either run again
#     (whole, the user's settings kept, nothing left over) or followed by an
#     update that fails (exit code 1, the earlier installation byte for byte
#     with its registration);
#  6. the uninstaller cut while it removes files and registration, run
#     again: registry and drive C: as before the first installation;
#  7. installed again into another folder: the installation moves, the
#     first folder's files go (its uninstaller with them), the new one is
#     whole, and its own uninstaller leaves the machine as before both.
# Usage: transaction_test.sh SETUP_EXE   (PX_CUT_SEED chooses the moments)
setup=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work" || exit 1
seed=${PX_CUT_SEED:-19}
RANDOM=$seed
began=$(date +%s)
/usr/bin/python3 "$here/payload_setups.py" "$setup" "$work" "$seed" || { echo "no payload"; exit 1; }
echo "seed $seed; setups with the larger payload made in $(( $(date +%s) - began )) s"

drive_c=$WINEPREFIX/drive_c
if [ "$PX_WINEARCH" = win64 ]; then
  folder='C:\Program Files (x86)\Pixolum'
  uninstall_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
else
  folder='C:\Program Files\Pixolum'
  uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
fi
target=$(px_unix_path "$folder")
other='C:\Apps\Pixolum'
for user_dir in "$drive_c"/users/*/; do [ "$user_dir" != "$drive_c/users/Public/" ] && break; done
ini=${user_dir}AppData/Roaming/Pixolum/pixo32.ini
programs="${user_dir}AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
options=(/silent /group=1 /desktop=1 /assoc=1)
journal=   # known once the setup has made its folder
cuts=0 misses=0 figures=()

settle() { wineserver -w; }   # the registry saved, as before a power cut
snapshot() { settle; /usr/bin/python3 "$here/../uninstall/snapshot.py" take "$WINEPREFIX" "$work/$1"; }
same_as() {  # same_as SNAPSHOT [ignored file lines...]: the prefix as it was then
  local name=$1 ignore=${2:-^$}
  snapshot now
  /usr/bin/python3 "$here/../uninstall/snapshot.py" compare "$work/$name" "$work/now" | grep -v '^snapshots:' |
    grep -v -- "$ignore" | tee "$work/differences" >/dev/null
  [ ! -s "$work/differences" ] || { head -n 20 "$work/differences"; false; }
}
leftovers() {
  find "$drive_c" -path "$drive_c/windows" -prune -o \( -name '*.px_old' -o -name '*.px_new' -o -name '*.px_cpy' \
       -o -name pixo32.ini_temp -o -name pixog_x32.zip -o -name px_transaction.jnl \) -print
}
# Lists what it finds and removes it: the next check sees only its own.
nothing_left_over() {
  local l; l=$(leftovers); [ -z "$l" ] && return 0
  echo "$l" | head -n 5; echo "$l" | while read -r f; do rm -f "$f"; done; false
}
# whole ARCHIVE [UNIX_FOLDER WINDOWS_FOLDER]: every file byte for byte with
# its date, and the uninstall entry names the folder.
whole() {
  local dir=${2:-$target} location=${3:-$folder} report
  report=$(/usr/bin/python3 "$here/../e2e/compare_tree.py" "$work/$1" "$dir") ||
    { grep -v '^compared' <<<"$report" | head -n 5; return 1; }
  [ -n "$(px_reg_value "$uninstall_key" DisplayName)" ] && [ -n "$(px_reg_value "$uninstall_key" DisplayVersion)" ] &&
    [ "$(px_reg_value "$uninstall_key" InstallLocation)" = "$location\\" ]
}
whole_with_settings() { whole "$1" && marker_kept; }
installed_by() { [ "$1" = 0 ] && whole "$2"; }   # installed_by EXIT_CODE ARCHIVE
# No uninstall entry and nothing of the program (settings may stay;
# set-aside files are the leftover check's).
none() { [ -z "$(find "$target" -type f ! -name pixo32.ini ! -name '*.px_old' 2>/dev/null)" ] && [ -z "$(px_reg_value "$uninstall_key" DisplayName)" ]; }
add_marker() {
  /usr/bin/python3 - "$ini" <<'EOF'
import sys
text = open(sys.argv[1], 'rb').read().decode('utf-16')
open(sys.argv[1], 'wb').write(('\ufeff' + text.rstrip('\r\n') + '\r\n[Prüfung]\r\nMarke=behalten\r\n').encode('utf-16-le'))
EOF
}
marker_kept() { [ -f "$ini" ] && iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' | grep -qx 'Marke=behalten'; }
uninstall() { px_wine "$1\\px_uninstall.exe" /silent /removesettings >/dev/null; }
installed_or_none() { [ -n "$(px_reg_value "$uninstall_key" DisplayName)" ] && uninstall "$folder"; true; }

# watch PROGRAM ARGS...: an uncut run; sets rc, and how long its files and
# registration phases lasted (files_ms, registration_ms).
watch() {
  settle
  wine "$@" </dev/null >/dev/null 2>&1 & local pid=$!
  local lengths
  lengths=$(/usr/bin/python3 "$here/cut.py" watch "$WINEPREFIX" "$journal" "$pid")
  wait "$pid"; rc=$?
  read -r _ files_ms registration_ms <<<"$lengths"
}

# cut PHASE WINDOW_MS FROM TO RESTORE PROGRAM ARGS...: runs the program and
# cuts it off WINDOW_MS * [FROM %, TO %) after PHASE began, until the journal
# shows the cut fell inside PHASE (a cut that fell later is drawn again
# within its delay). A run that ended first changed the machine: RESTORE puts
# it back.
cut() {
  local phase=$1 window=$2 from=$3 to=$4 restore=$5; shift 5
  local delay result where
  for _ in 1 2 3 4 5 6 7 8; do
    settle
    delay=$(( window * (from + RANDOM % (to - from)) / 100 ))
    ( exec wine "$@" </dev/null >/dev/null 2>&1 ) & local pid=$!
    result=$(/usr/bin/python3 "$here/cut.py" cut "$WINEPREFIX" "$journal" "$pid" "$phase" "$delay")
    wait "$pid" 2>/dev/null
    # Every process of the prefix gone, the server included, before the
    # next program starts: a dying server would take its connection.
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    where=$(/usr/bin/python3 "$here/cut.py" where "$journal")
    cuts=$((cuts + 1))
    if [ "$result" = cut ] && [ "$where" = "$phase" ]; then
      figures+=("$phase after ${delay} ms of ${window}")
      return 0
    fi
    misses=$((misses + 1))
    echo "     (the cut after ${delay} ms fell outside $phase: $result, journal: $where; again, sooner)"
    window=$(( delay > 2 ? delay : 2 ))
    [ "$result" = ended ] || [ "$where" = committed ] || [ "$where" = none ] && $restore
  done
  return 1
}

# --- 1. the Start-menu group blocked by a file
mkdir -p "$programs"; echo Benutzerdatei >"$programs/Pixolum"
px_wine "$setup" "${options[@]}" >/dev/null; rc=$?
px_check "a file where the Start-menu group goes: exit code 1" test "$rc" = 1
px_check "... no uninstall entry and no program folder" none
px_check "... the user's file kept" grep -qx Benutzerdatei "$programs/Pixolum"
px_check "... nothing left over" nothing_left_over
rm -f "$programs/Pixolum" Pixolum_Install.log
snapshot pristine

# --- 2. two at once
t=$(date +%s)
race() {  # race A -- B: both started together; rc_a, rc_b and which ended last
  local a=() b=()
  while [ "$1" != -- ]; do a+=("$1"); shift; done; shift; b=("$@")
  rm -f "$work"/end.*
  ( wine "${a[@]}" </dev/null >/dev/null 2>&1; echo $? >"$work/rc.a"; date +%s%N >"$work/end.a" ) &
  ( wine "${b[@]}" </dev/null >/dev/null 2>&1; echo $? >"$work/rc.b"; date +%s%N >"$work/end.b" ) &
  wait
  rc_a=$(cat "$work/rc.a") rc_b=$(cat "$work/rc.b")
  last=a; [ "$(cat "$work/end.b")" -gt "$(cat "$work/end.a")" ] && last=b
}
race "$work/setup_v1.exe" "${options[@]}" -- "$work/setup_v1.exe" "${options[@]}"
echo "     two setups: exit codes $rc_a and $rc_b ($(( $(date +%s) - t )) s)"
if [ "$rc_a" = 0 ] || [ "$rc_b" = 0 ]; then
  px_check "two setups at once: an exit code 0, the installation whole" whole v1.zip
else
  px_check "two setups at once: both exit code 1, nothing installed" none
fi
px_check "... the exit codes are 0 or 1" bash -c '[[ $1 =~ ^[01]$ && $2 =~ ^[01]$ ]]' _ "$rc_a" "$rc_b"
px_check "... nothing left over" nothing_left_over
[ -n "$(px_reg_value "$uninstall_key" DisplayName)" ] || px_wine "$work/setup_v1.exe" "${options[@]}" >/dev/null
journal="$(dirname "$(find "$drive_c" -path "$drive_c/windows" -prune -o -name px_install.rec -print | head -n1)")/px_transaction.jnl"
px_check "the install record lies in the machine's folder (${journal#$drive_c/})" test -d "$(dirname "$journal")"
t=$(date +%s)
race "$work/setup_v2.exe" "${options[@]}" -- "$target/px_uninstall.exe" /silent /removesettings
echo "     setup and uninstaller: exit codes $rc_a and $rc_b, the $( [ $last = a ] && echo setup || echo uninstaller) last ($(( $(date +%s) - t )) s)"
if [ "$rc_a" = 0 ] && { [ "$rc_b" != 0 ] || [ $last = a ]; }; then
  px_check "setup and uninstaller at once: the setup's installation whole" whole v2.zip
elif [ "$rc_b" = 0 ]; then
  px_check "setup and uninstaller at once: the uninstaller's outcome, nothing installed" none
else
  px_check "setup and uninstaller at once: both failed, the earlier installation whole" whole v1.zip
fi
px_check "... the exit codes are 0 or 1" bash -c '[[ $1 =~ ^[01]$ && $2 =~ ^[01]$ ]]' _ "$rc_a" "$rc_b"
px_check "... nothing left over" nothing_left_over
installed_or_none
rmdir "$target" 2>/dev/null   # kept by a leftover the check above reported

# --- 3. four updates; the durations of the phases for the cuts
watch "$work/setup_v1.exe" "${options[@]}"
fresh_files=$files_ms fresh_registration=$registration_ms
px_check "a fresh installation: exit code 0, whole (extraction ${files_ms} ms, registration ${registration_ms} ms)" \
  whole v1.zip
record=$(dirname "$journal")/px_install.rec
add_marker
sizes=() codes=()
for _ in 1 2 3 4; do
  watch "$work/setup_v2.exe" "${options[@]}"
  codes+=("$rc") sizes+=("$(stat -c %s "$record")")
done
update_files=$files_ms update_registration=$registration_ms
px_check "four updates: exit codes ${codes[*]} (extraction ${files_ms} ms, registration ${registration_ms} ms)" \
  test "${codes[*]}" = "0 0 0 0"
px_check "... whole, the user's settings kept" whole_with_settings v2.zip
px_check "... the record's size stays (${sizes[*]} bytes)" \
  bash -c '[ "$1" = "$2" ] && [ "$2" = "$3" ] && [ "$3" = "$4" ]' _ "${sizes[@]}"

# --- 4. fresh installations cut
for phase in files registration; do
  window=$fresh_files; [ $phase = registration ] && window=$fresh_registration
  cut $phase "$window" 5 90 installed_or_none "$work/setup_v1.exe" "${options[@]}"; cut_rc=$?
  px_check "a fresh installation cut during $phase (${figures[-1]} ms)" test $cut_rc = 0
  px_wine "$work/setup_v1.exe" "${options[@]}" >/dev/null; rc=$?
  px_check "... run again: exit code 0, whole" installed_by "$rc" v1.zip
  # What the setup said, should the rerun not have installed.
  installed_by "$rc" v1.zip >/dev/null 2>&1 ||
    { echo "     (exit code $rc)"; [ -f Pixolum_Install.log ] && iconv -f latin1 -t utf-8 Pixolum_Install.log | tail -n 8; }
  px_check "... nothing left over" nothing_left_over
  if [ $phase = files ]; then
    watch "$target/px_uninstall.exe" /silent /removesettings
    uninstall_files=$files_ms uninstall_registration=$registration_ms
    px_check "the uninstaller: exit code 0, nothing installed (files ${files_ms} ms, registration ${registration_ms} ms)" \
      bash -c '[ "$1" = 0 ] && [ "$2" = yes ]' _ "$rc" "$(none && echo yes)"
  fi
done

# --- 5. updates cut
earlier() {  # v1 installed with the user's settings and a file in its folder
  px_wine "$work/setup_v1.exe" "${options[@]}" >/dev/null
  marker_kept || add_marker
  echo Benutzerdatei >"$target/Daten/Gesperrt"
  snapshot earlier
}
rerun_v1() { px_wine "$work/setup_v1.exe" "${options[@]}" >/dev/null; }
add_marker
for phase in files registration; do
  window=$update_files; [ $phase = registration ] && window=$update_registration
  cut $phase "$window" 5 90 rerun_v1 "$work/setup_v2.exe" "${options[@]}"; cut_rc=$?
  px_check "an update cut during $phase (${figures[-1]} ms)" test $cut_rc = 0
  px_wine "$work/setup_v2.exe" "${options[@]}" >/dev/null; rc=$?
  px_check "... run again: exit code 0, whole" installed_by "$rc" v2.zip
  px_check "... the user's settings kept" marker_kept
  px_check "... nothing left over" nothing_left_over

  earlier
  # The update that follows fails at its last entry: a folder of the
  # payload where the user has a file.
  cut $phase "$window" 5 90 earlier "$work/setup_v2.exe" "${options[@]}"; cut_rc=$?
  px_check "an update cut during $phase (${figures[-1]} ms)" test $cut_rc = 0
  px_wine "$work/setup_v3.exe" "${options[@]}" >/dev/null; rc=$?
  px_check "... an update that fails: exit code 1" test "$rc" = 1
  px_check "... the earlier installation byte for byte" whole v1.zip
  px_check "... registry and drive C: as before the cut update" same_as earlier
  px_check "... nothing left over" nothing_left_over
  rm -f "$target/Daten/Gesperrt"
done

# --- 6. the uninstaller cut while it removes files and its registration
for part in "files $uninstall_files" "registration $uninstall_registration"; do
  cut $part 5 90 rerun_v1 "$target/px_uninstall.exe" /silent /removesettings; cut_rc=$?
  if [ $cut_rc != 0 ] && [ "$PX_WINVER" = xp ] && [ "${part%% *}" = files ]; then
    # The 32-bit prefix renames the few hundred files aside in a few
    # milliseconds, less than killing every process of the prefix takes: the
    # cut lands in the registration, which the next case covers anyway.
    echo "skip - the uninstaller's file phase is shorter here than a cut can be placed ($misses misses so far)"
  else
    px_check "the uninstaller cut during ${part%% *} (${figures[-1]} ms)" test $cut_rc = 0
  fi
  px_check "... its program is still there to run again" test -e "$target/px_uninstall.exe"
  uninstall "$folder"; rc=$?
  px_check "... run again: exit code 0" test "$rc" = 0
  px_check "... no copy of the uninstaller left in the temporary folder" \
    test -z "$(find "${user_dir}Temp" -iname 'px_uninstall*')"
  px_check "... registry and drive C: as before the first installation" \
    same_as pristine "^file added: users/[^/]*/Temp/"
  px_check "... nothing left over" nothing_left_over
  # What the checks above found stays out of the next case.
  rm -rf "${user_dir}Temp/"*
  [ "${part%% *}" = files ] && px_wine "$work/setup_v1.exe" "${options[@]}" >/dev/null
done
if [ -e "$journal" ]; then
  echo "     (a journal no run could resolve: removed by hand for the next case)"
  rm -f "$journal"
fi

# --- 7. another folder moves the installation
snapshot before_move
px_wine "$work/setup_v2.exe" "${options[@]}" >/dev/null
snapshot installed_first
# Cut late in its registration, where the first folder's files are set
# aside; a setup that stops at an invalid folder only recovers first.
# A move that ended or committed before the cut is undone by moving back;
# installing into the other folder first makes registry and record agree
# again where the cut took the registry's last changes (Wine's server).
move_back() {
  px_wine "$work/setup_v2.exe" "${options[@]}" "/folder=$other" >/dev/null
  px_wine "$work/setup_v2.exe" "${options[@]}" "/folder=$folder" >/dev/null
}
cut registration $((update_registration * 2)) 40 100 move_back "$work/setup_v2.exe" "${options[@]}" "/folder=$other"; cut_rc=$?
px_check "a move cut during registration (${figures[-1]} ms)" test $cut_rc = 0
echo "     (first folder's files set aside at the cut: $(iconv -f UTF-16LE -t UTF-8 "$journal" 2>/dev/null | grep -c '^X'))"
px_wine "$work/setup_v2.exe" /silent /folder= >/dev/null
px_check "... recovered: the first installation as it was, registry and drive C:" \
  same_as installed_first
px_check "... nothing left over" nothing_left_over
px_wine "$work/setup_v2.exe" "${options[@]}" "/folder=$other" >/dev/null; rc=$?
px_check "installed, then again into $other: exit code 0" test "$rc" = 0
px_check "... the first folder's files are gone, its uninstaller with them" \
  test -z "$(find "$target" -type f ! -name pixo32.ini 2>/dev/null)"
px_check "... the new installation whole, its uninstall entry with name, version and folder" \
  whole v2.zip "$(px_unix_path "$other")" "$other"
px_check "... nothing left over" nothing_left_over
px_wine "$other\\px_uninstall.exe" /silent /removesettings >/dev/null; rc=$?
px_check "the new installation's uninstaller: exit code 0" test "$rc" = 0
rel=${target#$drive_c/}
px_check "... registry and drive C: as before both installations" \
  same_as before_move "^file added: $rel/\(pixo32\.ini [0-9]*\)\?$"

echo "cuts: $cuts, $misses of them outside their phase and drawn again; $(( $(date +%s) - began )) s in all"
printf '     cut: %s ms\n' "${figures[@]}"
px_done
