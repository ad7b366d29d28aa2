#!/usr/bin/env bash
# The payload packer: a complete folder packs reproducibly with fixed order,
# dates and attributes; a folder missing a required entry, or holding names
# that would land outside the target folder, is refused with nothing written.
# With the built archive and entry list as arguments, checks them too.
#   packer_test.sh PACK_PAYLOAD_PY [BUILT_PAYLOAD_ZIP BUILT_ENTRIES_TXT]
set -uo pipefail
packer=$1 built_zip=${2:-} built_entries=${3:-}
py=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
check() {  # check "description" command...
  local what=$1; shift
  checks=$((checks + 1))
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}

required=(pixo32.exe px_uninstall.exe Plugins/Icons.dll p_about.txt p_changes.txt p_options.txt
          p_plugins.txt p_languages.txt Help/pixo32_deutsch.chm Languages/Deutsch.dll
          Toolbars/gnome-colors-human_48.png Toolbars/gnome-colors-wise_32.png
          Toolbars/Kestrin_24.png Toolbars/Marlo_16.png)

# The programs the setup relies on must be 32-bit Windows images of their kind.
cc=${PX_MINGW_CC:-i686-w64-mingw32-gcc-win32}
echo 'int __stdcall WinMain(void *a, void *b, char *c, int d) { return d; }' > "$work/gui.c"
echo 'int main(void) { return 0; }' > "$work/console.c"
echo 'int value = 1;' > "$work/lib.c"
"$cc" -Os -s -mwindows -o "$work/gui.exe" "$work/gui.c" && "$cc" -Os -s -o "$work/console.exe" "$work/console.c" &&
  "$cc" -Os -s -shared -o "$work/lib.dll" "$work/lib.c" || { echo "cannot compile the probes with $cc"; exit 1; }

make_tree() {  # make_tree DIR: every required entry plus a few others, in reverse order
  local dir=$1 i
  for ((i = ${#required[@]} - 1; i >= 0; i--)); do
    mkdir -p "$dir/$(dirname "${required[$i]}")"
    case ${required[$i]} in
      *.exe) cp "$work/gui.exe" "$dir/${required[$i]}" ;;
      *.dll) cp "$work/lib.dll" "$dir/${required[$i]}" ;;
      *) printf 'content of %s\n' "${required[$i]}" > "$dir/${required[$i]}" ;;
    esac
  done
  mkdir -p "$dir/Html/empty_later" "$dir/Html"
  head -c 20000 /dev/zero > "$dir/Html/index.htm"
  echo body > "$dir/Lizenz.txt"
}

# Lists "name|method|date time|external attributes|flags|system" of each entry.
describe() {
  "$py" - "$1" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        print('%s|%d|%04d-%02d-%02d %02d:%02d:%02d|%#x|%#x|%d' % ((i.filename, i.compress_type) + i.date_time
              + (i.external_attr, i.flag_bits, i.create_system)))
PY
}

# --- a complete folder -------------------------------------------------------
make_tree "$work/a"
"$py" "$packer" "$work/a" "$work/a.zip" --entries "$work/a.txt" > "$work/out" 2>&1
check "a complete folder is packed" test $? -eq 0 -a -f "$work/a.zip"
describe "$work/a.zip" > "$work/a.desc"
check "entries in sorted order, folders before their files" \
  diff <(cut -d'|' -f1 "$work/a.desc") <(cut -d'|' -f1 "$work/a.desc" | LC_ALL=C sort)
check "folder entries are there" grep -q '^Html/empty_later/|0|' "$work/a.desc"
check "the entry list matches the archive order" diff "$work/a.txt" <(cut -d'|' -f1 "$work/a.desc")
check "every file deflated, every entry at 2026-11-30 10:00:00 from an MS-DOS host" \
  test -z "$(grep -v '/|' "$work/a.desc" | grep -v '|8|2026-11-30 10:00:00|0x20|0x0|0$')"
check "folders stored with the directory attribute" \
  test -z "$(grep '/|' "$work/a.desc" | grep -v '|0|2026-11-30 10:00:00|0x10|0x0|0$')"

# --- reproducible: another place, other file times, other creation order --
mkdir -p "$work/b"
for ((i = 0; i < ${#required[@]}; i++)); do
  mkdir -p "$work/b/$(dirname "${required[$i]}")"
  cp "$work/a/${required[$i]}" "$work/b/${required[$i]}"
done
cp -r "$work/a/Html" "$work/b/" && cp "$work/a/Lizenz.txt" "$work/b/"
touch -d '2001-02-03 04:05:06' "$work/b/pixo32.exe" "$work/b/Html/index.htm"
"$py" "$packer" "$work/b" "$work/b.zip" >/dev/null 2>&1
check "two packs of the same files give the same bytes" cmp "$work/a.zip" "$work/b.zip"

# --- a required entry missing ---------------------------------------------
cp -r "$work/a" "$work/c" && rm "$work/c/Toolbars/Marlo_16.png"
"$py" "$packer" "$work/c" "$work/c.zip" > "$work/c.out" 2>&1; rc=$?
check "a missing required entry is refused" test $rc -ne 0
check "the refusal names the missing entry" grep -q 'Toolbars/Marlo_16.png: required entry missing' "$work/c.out"
check "nothing is written when refused" test ! -e "$work/c.zip" -a ! -e "$work/c.zip.partial"

# --- programs that are not what the setup starts or loads -------------------
refused_program() {  # refused_program ENTRY SOURCE_FILE TEXT: the packer names ENTRY and why
  rm -rf "$work/p" && cp -r "$work/a" "$work/p" && cp "$2" "$work/p/$1"
  "$py" "$packer" "$work/p" "$work/p.zip" > "$work/p.out" 2>&1; rc=$?
  check "$1 that is $3 is refused, named" \
    bash -c "test $rc -eq 2 && grep -q '^  $1: ' '$work/p.out' && test ! -e '$work/p.zip'"
}
echo 'not a program' > "$work/text.exe"
: > "$work/empty.dll"
refused_program pixo32.exe "$work/text.exe" "a text"
refused_program Plugins/Icons.dll "$work/empty.dll" "empty"
refused_program Languages/Deutsch.dll "$work/gui.exe" "a program"
refused_program pixo32.exe "$work/lib.dll" "a library"
refused_program pixo32.exe "$work/console.exe" "a console program"
cp "$work/text.exe" "$work/a/px_uninstall.exe"
"$py" "$packer" "$work/a" --entries "$work/list.txt" >/dev/null 2>&1
check "listing alone takes a stand-in in the uninstaller's place" test $? -eq 0
cp "$work/gui.exe" "$work/a/px_uninstall.exe"

# --- names that would leave the target folder -------------------------------
cp -r "$work/a" "$work/d"
echo x > "$work/d/..\\..\\evil.txt"
echo x > "$work/d/C:evil.txt"
echo x > "$work/d/Html/x:stream.txt"
echo x > "$work/d/\\\\server\\share\\evil.txt"
echo x > "$work/d/\\rooted.txt"
echo x > "$work/d/Bild_ä.png"
echo x > "$work/d/README.txt" && echo x > "$work/d/Readme.txt"
echo x > "$work/d/Help/nul.txt"
echo secret > "$work/outside.txt" && ln -s "$work/outside.txt" "$work/d/Plugins/link.txt"
"$py" "$packer" "$work/d" "$work/d.zip" > "$work/d.out" 2>&1; rc=$?
check "unsafe names are refused" test $rc -ne 0
check "nothing is written for unsafe names" test ! -e "$work/d.zip"
check "a climbing name is named" grep -qF "'..\\\\..\\\\evil.txt': climbs out" "$work/d.out"
check "a drive name is named" grep -qF "'C:evil.txt': drive letter" "$work/d.out"
check "a stream name is named" grep -qF "'Html/x:stream.txt': contains \":\"" "$work/d.out"
check "a UNC name is named" grep -qF "\\\\share\\\\evil.txt': UNC path" "$work/d.out"
check "a rooted name is named" grep -qF "'\\\\rooted.txt': absolute path" "$work/d.out"
check "a device name is named" grep -qF "'Help/nul.txt': a device name" "$work/d.out"
check "a non-ASCII name is named" grep -q "not plain ASCII" "$work/d.out"
check "names equal but for case are named" grep -q "the same name on Windows" "$work/d.out"
check "a link out of the folder is named" grep -qF "Plugins/link.txt: a link that leads out" "$work/d.out"

# --- the archive of this build ---------------------------------------------------
if [ -n "$built_zip" ]; then
  describe "$built_zip" > "$work/built.desc"
  check "built archive: entry list matches" diff "$built_entries" <(cut -d'|' -f1 "$work/built.desc")
  for r in "${required[@]}"; do
    check "built archive holds $r" grep -qx "$r" "$built_entries"
  done
  check "built archive: about 40 entries" test "$(wc -l < "$built_entries")" -ge 35 -a "$(wc -l < "$built_entries")" -le 45
  check "built archive: deflated files, fixed date" \
    test -z "$(grep -v '/|' "$work/built.desc" | grep -v '|8|2026-11-30 10:00:00|0x20|0x0|0$')"
  check "built archive: toolbar skins are PNG images of their size" "$py" - "$built_zip" <<'PY'
import struct, sys, zipfile
want = {'Toolbars/gnome-colors-human_48.png': 48, 'Toolbars/gnome-colors-wise_32.png': 32,
        'Toolbars/Kestrin_24.png': 24, 'Toolbars/Marlo_16.png': 16}
with zipfile.ZipFile(sys.argv[1]) as z:
    for name, height in want.items():
        data = z.read(name)
        assert data[:8] == b'\x89PNG\r\n\x1a\n' and data[12:16] == b'IHDR', name
        width, h = struct.unpack('>II', data[16:24])
        assert h == height and width % height == 0, (name, width, h)
    for name in ('pixo32.exe', 'px_uninstall.exe', 'Plugins/Icons.dll', 'Languages/Deutsch.dll'):
        assert z.read(name)[:2] == b'MZ', name
    for name in z.namelist():
        if name.endswith('.txt'):
            assert z.read(name).startswith(b'\xef\xbb\xbf'), name
PY
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
