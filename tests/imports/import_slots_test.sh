#!/usr/bin/env bash
# Every slot the shipped programs call through is filled at start-up: the
# checker passes them, and fails a copy of the setup whose first import slot
# was emptied (as an unfilled delay-load slot would be).
# Usage: import_slots_test.sh CHECKER SETUP_EXE OTHER_PROGRAM...
set -uo pipefail
checker=$1 setup=$2; shift 2
/usr/bin/python3 "$checker" "$setup" "$@" || exit 1

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp "$setup" "$work/broken.exe"
/usr/bin/python3 - "$work/broken.exe" <<'PY'
import struct, sys
p = sys.argv[1]; d = bytearray(open(p, 'rb').read())
pe = struct.unpack_from('<I', d, 0x3C)[0]
opt = pe + 24; opt_size = struct.unpack_from('<H', d, pe + 20)[0]
nsec = struct.unpack_from('<H', d, pe + 6)[0]
imp = struct.unpack_from('<I', d, opt + 104)[0]
def off(rva):
    for i in range(nsec):
        s = opt + opt_size + 40 * i
        vsize, va, raw, ptr = struct.unpack_from('<IIII', d, s + 8)
        if va <= rva < va + max(vsize, raw): return ptr + rva - va
first_thunk = struct.unpack_from('<I', d, off(imp) + 16)[0]
struct.pack_into('<I', d, off(first_thunk), 0)
open(p, 'wb').write(d)
PY
out=$(/usr/bin/python3 "$checker" "$work/broken.exe"); rc=$?
echo "$out" | head -n3
[ "$rc" = 1 ] && grep -q 'which no import table fills' <<<"$out" || { echo "FAIL: the emptied slot went unnoticed"; exit 1; }
echo "ok - an emptied slot is found"
